// Arbitrary bytes through the S19 and WRT readers. Each input must end in records or a
// FileError; the address sanitizer catches any access outside the image or the text. Whatever
// the S19 reader stored must survive a write and a read back, with checksums the WRT reader
// accepts. Only the addresses the records reached are written back: the rest stays blank.
#include "foundation/Errors.h"
#include "image/SRecordText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace {

using Image = std::array<std::uint8_t, orvane::kImageSize>;

class CountingMessages : public orvane::OperatorMessages {
public:
    bool Show(orvane::MessageKind, const std::string&) override
    {
        ++shown;
        return true;
    }
    int shown = 0;
};

void Load(Image& image, std::string_view text, std::size_t offset, int firstLine,
          orvane::OperatorMessages* checksumErrors)
{
    orvane::SRecordReader reader(text, "fuzz", offset, firstLine);
    orvane::StoreRecords(image, reader, 0, 0xFFFF, checksumErrors);
}

// The addresses the records of text reach, [from, to) within the image; empty when none.
std::pair<std::int32_t, std::int32_t> StoredRange(std::string_view text)
{
    std::int32_t from = orvane::kImageSize, to = 0;
    orvane::SRecordReader reader(text, "fuzz");
    orvane::SRecord record;
    try {
        while (reader.Next(record)) {
            from = std::min<std::int32_t>(from, record.address);
            to = std::max<std::int32_t>(to, record.address + record.size);
        }
    } catch (const orvane::FileError&) {
    }
    return {from, std::min<std::int32_t>(to, orvane::kImageSize)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Image image, copy;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    image.fill(orvane::kBlank);
    try {
        Load(image, text, 0, 1, nullptr);
    } catch (const orvane::FileError&) {
        // Bytes stored before the faulty line stay, and are round-tripped below all the same.
    }

    const auto [from, to] = StoredRange(text);
    std::string written;
    orvane::AppendS1Records(written, image, from, to);
    copy.fill(orvane::kBlank);
    CountingMessages messages;
    Load(copy, written, 0, 1, &messages);
    if (copy != image || messages.shown != 0)
        std::abort();

    try {
        const orvane::WrtHeader header = orvane::ParseWrtHeader(text, "fuzz");
        if (!orvane::IsWrtHeaderText(header.chipName) || header.chipPin.size() != 2)
            std::abort();
        Load(image, text, header.recordsOffset, 3, &messages);
    } catch (const orvane::FileError&) {
    }
    return 0;
}
