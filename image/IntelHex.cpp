#include "image/IntelHex.h"

#include "foundation/AtomicFile.h"
#include "foundation/Errors.h"
#include "foundation/ReadFile.h"
#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "image/SRecordText.h"

#include <algorithm>
#include <charconv>

namespace orvane {
namespace {

enum RecordType : std::uint8_t {
    kData = 0x00,
    kEnd = 0x01,
    kSegmentBase = 0x02,
    kSegmentStart = 0x03,
    kLinearBase = 0x04,
    kLinearStart = 0x05,
};

constexpr std::size_t kHeaderBytes = 4; // count, address high and low, type
constexpr std::int64_t kRowBytes = 16;

// One line's record: its bytes decoded, checked against its count and its checksum.
class Record {
public:
    Record(std::string_view line, const std::string& fileName, int lineNumber)
        : fileName_(fileName), line_(lineNumber)
    {
        if (line[0] != ':')
            Fail(Tr("不是 Intel HEX 记录（应以 ':' 开头）"));
        const std::string_view digits = line.substr(1);
        if (digits.size() % 2 != 0)
            Fail(Tr("十六进制数字的个数是奇数"));
        const std::size_t size = digits.size() / 2;
        if (size < kHeaderBytes + 1)
            Fail(Tr("记录不完整：应有字节数、地址、类型和校验和"));
        Decode(digits, 0);
        if (size != kHeaderBytes + 1 + Count())
            Fail(Tr("字节数 ") + Hex(Count(), 2) + Tr(" 与本行的长度不符"));
        unsigned sum = Count();
        for (std::size_t i = 1; i < size; ++i)
            sum += Decode(digits, i);
        const std::uint8_t written = bytes_[size - 1];
        if (sum % 256 != 0)
            throw RecordChecksumError(WhereInFile(fileName_, line_) + Tr("校验和错误：记录中为 ") +
                                      Hex(written, 2) + Tr("，应为 ") +
                                      Hex(static_cast<std::uint8_t>(written - sum), 2));
    }

    std::uint8_t Count() const { return bytes_[0]; }
    std::uint16_t Address() const { return static_cast<std::uint16_t>(bytes_[1] << 8 | bytes_[2]); }
    std::uint8_t Type() const { return bytes_[3]; }
    std::uint8_t Data(std::size_t i) const { return bytes_[kHeaderBytes + i]; }

    // The 16-bit value of an address-offset record.
    std::uint16_t OffsetValue() const
    {
        if (Count() != 2)
            Fail(Tr("扩展地址记录（类型 ") + Hex(Type(), 2) + Tr("）的字节数应为 02，而不是 ") +
                 Hex(Count(), 2));
        return static_cast<std::uint16_t>(Data(0) << 8 | Data(1));
    }

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw FileError(WhereInFile(fileName_, line_) + what);
    }

private:
    // Byte i of the record from its two digits; the column of a digit that is not hexadecimal
    // counts the ':' as column 1.
    std::uint8_t Decode(std::string_view digits, std::size_t i)
    {
        const char* p = digits.data() + 2 * i;
        const auto end = std::from_chars(p, p + 2, bytes_[i], 16).ptr;
        if (end != p + 2)
            Fail(Tr("第 ") + std::to_string(2 * i + 2 + static_cast<std::size_t>(end - p)) +
                 Tr(" 列不是十六进制数字"));
        return bytes_[i];
    }

    const std::string& fileName_;
    int line_;
    std::array<std::uint8_t, kHeaderBytes + 255 + 1> bytes_{};
};

} // namespace

std::size_t StoreIntelHex(ImageBytes& image, std::string_view text, const std::string& fileName,
                          std::int32_t low, std::int32_t high)
{
    std::int64_t base = 0; // from the last 02 or 04 record
    std::size_t outside = 0;
    std::size_t pos = 0;
    int lineNumber = 0;
    while (pos < text.size()) {
        const std::size_t newline = text.find('\n', pos);
        std::string_view line = text.substr(pos, newline == std::string_view::npos
                                                     ? std::string_view::npos
                                                     : newline - pos);
        pos = newline == std::string_view::npos ? text.size() : newline + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;

        const Record record(line, fileName, lineNumber);
        switch (record.Type()) {
        case kData:
            for (std::size_t i = 0; i < record.Count(); ++i) {
                const std::int64_t at = base + record.Address() + static_cast<std::int64_t>(i);
                if (at >= low && at <= high && at < kImageSize)
                    image[static_cast<std::size_t>(at)] = record.Data(i);
                else
                    ++outside;
            }
            break;
        case kEnd:
            return outside;
        case kSegmentBase:
            base = std::int64_t{record.OffsetValue()} << 4;
            break;
        case kLinearBase:
            base = std::int64_t{record.OffsetValue()} << 16;
            break;
        case kSegmentStart:
        case kLinearStart:
            break;
        default:
            record.Fail(Tr("无法识别的记录类型 ") + Hex(record.Type(), 2));
        }
    }
    // A compiler still writing the file has not written its end record yet.
    throw FileError(WhereInFile(fileName, lineNumber + 1) +
                    Tr("文件意外结束，缺少结束记录（类型 01）"));
}

void AppendIntelHexRecords(std::string& out, const ImageBytes& image, std::int32_t first,
                           std::int32_t last)
{
    // Every address of the image fits in the record's 16 bits: no 02 or 04 record is needed.
    const std::int64_t end = std::min<std::int64_t>(last, kImageSize - 1);
    for (std::int64_t a = std::max<std::int32_t>(first, 0); a <= end; a += kRowBytes) {
        const auto begin = image.begin() + a;
        const auto stop = image.begin() + std::min(a + kRowBytes - 1, end) + 1;
        if (std::all_of(begin, stop, [](std::uint8_t b) { return b == kBlank; }))
            continue;
        const auto count = static_cast<std::uint8_t>(stop - begin);
        const auto high = static_cast<std::uint8_t>(a >> 8);
        const auto low = static_cast<std::uint8_t>(a & 0xFF);
        unsigned sum = count + high + low + kData;
        out += ':';
        for (const std::uint8_t b : {count, high, low, std::uint8_t{kData}})
            AppendHexByte(out, b);
        for (auto b = begin; b != stop; ++b) {
            AppendHexByte(out, *b);
            sum += *b;
        }
        AppendHexByte(out, static_cast<std::uint8_t>(0x100 - sum % 256));
        out += "\r\n";
    }
    out += ":00000001FF\r\n";
}

bool LooksLikeIntelHex(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && text[first] == ':';
}

std::size_t LoadIntelHexRange(AppState& s, std::int32_t low, std::int32_t high,
                              const std::string& fileName)
{
    const std::string text = ReadWholeFile(fileName, kProgramFileLimit);
    return StoreIntelHex(s.RomImage, text, fileName, low, high);
}

void WriteIntelHexFile(const AppState& s, std::int32_t first, std::int32_t last,
                       const std::string& fileName)
{
    std::string out;
    out.reserve(kImageSize / kRowBytes * 45 + 16);
    AppendIntelHexRecords(out, s.RomImage, first, last);
    WriteFileAtomically(fileName, out);
}

} // namespace orvane
