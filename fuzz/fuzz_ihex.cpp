// Arbitrary bytes through the Intel HEX reader. Each input must end in bytes stored or a
// FileError; the address sanitizer catches any access outside the image or the text. Whatever the
// reader stored must survive a write and a read back, with no byte left out.
#include "foundation/Errors.h"
#include "image/IntelHex.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// A program area at the top of the image: offsets move records in and out of it, and records run
// past 0xFFFF. The reader writes nothing outside it, so only its bytes are blanked and compared.
constexpr std::int32_t kLow = 0xF800, kHigh = 0xFFFF;

void Blank(orvane::ImageBytes& image)
{
    std::fill(image.begin() + kLow, image.end(), orvane::kBlank);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static orvane::ImageBytes image, copy;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Blank(image);
    try {
        orvane::StoreIntelHex(image, text, "fuzz", kLow, kHigh);
    } catch (const orvane::FileError&) {
        // Bytes stored before the faulty line stay, and are round-tripped below all the same.
    }
    static_cast<void>(orvane::LooksLikeIntelHex(text));

    std::string written;
    orvane::AppendIntelHexRecords(written, image, kLow, kHigh);
    Blank(copy);
    if (orvane::StoreIntelHex(copy, written, "written", kLow, kHigh) != 0 ||
        !std::equal(image.begin() + kLow, image.end(), copy.begin() + kLow))
        std::abort();
    return 0;
}
