#include "image/SRecordText.h"

#include "foundation/Errors.h"
#include "foundation/Translate.h"

#include <algorithm>
#include <utility>

namespace orvane {
namespace {

// Value of each byte as a hex digit, -1 for every other byte.
constexpr std::array<std::int8_t, 256> kHexValue = [] {
    std::array<std::int8_t, 256> t{};
    t.fill(-1);
    for (int i = 0; i < 10; ++i)
        t['0' + i] = static_cast<std::int8_t>(i);
    for (int i = 0; i < 6; ++i) {
        t['A' + i] = static_cast<std::int8_t>(10 + i);
        t['a' + i] = static_cast<std::int8_t>(10 + i);
    }
    return t;
}();

int HexValue(char c)
{
    return kHexValue[static_cast<unsigned char>(c)];
}

// Two hex digits as a byte, -1 when either is not a hex digit.
int HexByte(std::string_view text, std::size_t at)
{
    const int hi = HexValue(text[at]);
    const int lo = HexValue(text[at + 1]);
    return (hi | lo) < 0 ? -1 : hi * 16 + lo;
}

std::string HexText(std::uint8_t value)
{
    std::string s;
    AppendHexByte(s, value);
    return s;
}

// Offset just past a line end ("\n" or "\r\n") at pos, npos when there is none.
std::size_t PastLineEnd(std::string_view text, std::size_t pos)
{
    if (text.substr(pos, 1) == "\n")
        return pos + 1;
    if (text.substr(pos, 2) == "\r\n")
        return pos + 2;
    return std::string_view::npos;
}

constexpr int kS1ColumnOfCount = 3; // 'S', '1', then the count's first digit

char* PutHexByte(char* p, std::uint8_t value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    p[0] = kDigits[value >> 4];
    p[1] = kDigits[value & 0x0F];
    return p + 2;
}

} // namespace

std::string WhereInFile(const std::string& fileName, int line)
{
    return Tr("文件 ") + fileName + Tr(" 第 ") + std::to_string(line) + Tr(" 行：");
}

void AppendHexByte(std::string& out, std::uint8_t value)
{
    char digits[2];
    PutHexByte(digits, value);
    out.append(digits, 2);
}

bool IsWrtHeaderText(std::string_view text)
{
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F || c == '/' || c == '\\';
    });
}

std::uint8_t SRecord::ExpectedChecksum() const
{
    unsigned sum = count + (address >> 8) + (address & 0xFF);
    for (std::size_t i = 0; i < size; ++i)
        sum += data[i];
    return static_cast<std::uint8_t>(0xFF - (sum & 0xFF));
}

SRecordReader::SRecordReader(std::string_view text, std::string fileName, std::size_t offset,
                             int firstLine)
    : text_(text), fileName_(std::move(fileName)), pos_(offset), line_(firstLine - 1),
      ended_(offset >= text.size() || text[offset] != 'S')
{
}

void SRecordReader::Fail(const std::string& what) const
{
    throw FileError(WhereInFile(fileName_, line_) + what);
}

bool SRecordReader::Next(SRecord& record)
{
    while (!ended_ && pos_ < text_.size()) {
        const std::size_t newline = text_.find('\n', pos_);
        const bool cutOff = newline == std::string_view::npos;
        std::string_view line = text_.substr(pos_, (cutOff ? text_.size() : newline) - pos_);
        pos_ = cutOff ? text_.size() : newline + 1;
        ++line_;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (line[0] != 'S')
            Fail(Tr("不是 S 记录"));
        switch (line.size() > 1 ? line[1] : '\0') {
        case '1':
            ParseData(line, cutOff, record);
            return true;
        case '9':
            ended_ = true;
            return false;
        case '0':
        case '5':
        case '6':
        case '7':
        case '8':
            continue;
        case '2':
        case '3':
            Fail(Tr("不支持 S2/S3 记录（地址超过 16 位），只能读取 S1 记录"));
        default:
            Fail(Tr("无法识别的记录类型"));
        }
    }
    ended_ = true;
    return false;
}

void SRecordReader::ParseData(std::string_view line, bool cutOff, SRecord& record) const
{
    const std::string_view body = line.substr(2);
    auto byteAt = [&](std::size_t index) {
        const int value = HexByte(body, 2 * index);
        if (value < 0) {
            const std::size_t column = 2 * index + kS1ColumnOfCount
                                       + (HexValue(body[2 * index]) < 0 ? 0 : 1);
            Fail(Tr("第 ") + std::to_string(column) + Tr(" 列不是十六进制数字"));
        }
        return static_cast<std::uint8_t>(value);
    };

    if (body.size() < 2)
        Fail(cutOff ? Tr("记录不完整，文件意外结束") : Tr("记录缺少字节数"));
    const std::uint8_t count = byteAt(0);
    if (count < 3)
        Fail(Tr("字节数 ") + HexText(count) + Tr(" 小于 03（地址两字节加校验和一字节）"));
    const std::size_t expected = 2 + 2 * std::size_t{count};
    if (body.size() < expected && cutOff)
        Fail(Tr("记录不完整，文件意外结束"));
    if (body.size() != expected)
        Fail(Tr("字节数 ") + HexText(count) + Tr(" 与本行的长度不符"));

    record.count = count;
    record.address = static_cast<std::uint16_t>(byteAt(1) << 8 | byteAt(2));
    record.size = static_cast<std::uint8_t>(count - 3);
    for (std::size_t i = 0; i < record.size; ++i)
        record.data[i] = byteAt(3 + i);
    record.checksum = byteAt(count);
}

WrtHeader ParseWrtHeader(std::string_view text, const std::string& fileName)
{
    auto fail = [&](int line, const char* what) {
        throw FileError(WhereInFile(fileName, line) + Tr("不是 WRT 文件：") + what);
    };
    if (text.size() < 2 || HexByte(text, 0) < 0)
        fail(1, Tr("第一行应以两位十六进制数字（型号名称的长度）开头"));
    const std::size_t nameLength = static_cast<std::size_t>(HexByte(text, 0));
    if (text.size() < 2 + nameLength)
        fail(1, Tr("型号名称不完整，文件意外结束"));

    WrtHeader header;
    header.chipName = text.substr(2, nameLength);
    if (!IsWrtHeaderText(header.chipName))
        fail(1, Tr("型号名称含有控制字符或路径分隔符"));
    std::size_t pos = PastLineEnd(text, 2 + nameLength);
    if (pos == std::string_view::npos)
        fail(1, Tr("型号名称之后应换行（名称与长度不符）"));

    header.chipPin = text.substr(pos, 2);
    if (header.chipPin.size() != 2 || !IsWrtHeaderText(header.chipPin))
        fail(2, Tr("第二行应为两个字符的封装代码"));
    pos += 2;
    if (pos < text.size()) {
        pos = PastLineEnd(text, pos);
        if (pos == std::string_view::npos)
            fail(2, Tr("封装代码之后应换行"));
    }
    header.recordsOffset = pos;
    return header;
}

void AppendS1Records(std::string& out, const std::array<std::uint8_t, kImageSize>& image,
                     std::int32_t from, std::int32_t to)
{
    constexpr std::int64_t kRecordBytes = 32;
    std::int64_t a = from;
    if (a < 0) // records wholly below the image give nothing; keep the 32-byte grid
        a += -a / kRecordBytes * kRecordBytes;
    for (; a < to && a < kImageSize; a += kRecordBytes) {
        const std::int64_t first = std::max<std::int64_t>(a, 0);
        const std::int64_t last = std::min<std::int64_t>(a + kRecordBytes, kImageSize);
        const auto begin = image.begin() + first;
        const auto end = image.begin() + last;
        if (std::all_of(begin, end, [](std::uint8_t b) { return b == kBlank; }))
            continue;

        const auto count = static_cast<std::uint8_t>(3 + (last - first));
        const auto high = static_cast<std::uint8_t>(first >> 8);
        const auto low = static_cast<std::uint8_t>(first & 0xFF);
        unsigned sum = count + high + low;
        char line[2 + 2 * (3 + kRecordBytes + 1) + 2] = {'S', '1'};
        char* p = PutHexByte(PutHexByte(PutHexByte(line + 2, count), high), low);
        for (auto b = begin; b != end; ++b) {
            p = PutHexByte(p, *b);
            sum += *b;
        }
        p = PutHexByte(p, static_cast<std::uint8_t>(0xFF - (sum & 0xFF)));
        *p++ = '\r';
        *p++ = '\n';
        out.append(line, p);
    }
    out += "S9030000FC\r\n";
}

bool StoreRecords(std::array<std::uint8_t, kImageSize>& image, SRecordReader& reader,
                  std::int32_t low, std::int32_t high, OperatorMessages* checksumErrors)
{
    const std::int64_t last = std::int64_t{high} + 15;
    SRecord record;
    while (reader.Next(record)) {
        if (record.address >= low && record.address <= last) {
            const std::size_t room = kImageSize - std::size_t{record.address};
            std::copy_n(record.data.begin(), std::min<std::size_t>(record.size, room),
                        image.begin() + record.address);
        }
        if (checksumErrors && record.checksum != record.ExpectedChecksum()) {
            // The box has always counted one past the record's line: the first record of a WRT
            // file, on line 3, is "line 4". Operators' notes use these numbers, so they stay;
            // lines the reader skips (S0, blank) are counted as well.
            checksumErrors->Show(MessageKind::Plain,
                                 "File  Error!" + HexText(record.ExpectedChecksum()) + " in line " +
                                     std::to_string(reader.Line() + 1));
            return false;
        }
    }
    return true;
}

} // namespace orvane
