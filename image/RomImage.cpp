#include "image/RomImage.h"

#include "catalogue/Catalogue.h"
#include "foundation/Translate.h"
#include "options/OptionCodecs.h"

#include <algorithm>

namespace orvane {

namespace {

constexpr std::int32_t kLastAddress = kImageSize - 1;

// The byte at addr, or blank for an address outside the image: address fields are public and a
// damaged chip-data area or a hostile file must never make us read past the array.
std::uint8_t ByteAt(const AppState& s, std::int32_t addr)
{
    return addr >= 0 && addr <= kLastAddress ? s.RomImage[static_cast<std::size_t>(addr)] : kBlank;
}

// Copies editor positions from..to (inclusive) to the same image addresses, clipped to the image
// and to the editor's current length (insert mode can make it shorter or longer than the image).
void CopyFromEditor(AppState& s, std::span<const std::uint8_t> editor, std::int32_t from,
                    std::int32_t to)
{
    const auto editorLast = static_cast<std::int64_t>(editor.size()) - 1;
    const std::int64_t last = std::min<std::int64_t>({to, kLastAddress, editorLast});
    for (std::int64_t a = std::max(from, 0); a <= last; ++a)
        s.RomImage[static_cast<std::size_t>(a)] = editor[static_cast<std::size_t>(a)];
}

} // namespace

void ClearImage(AppState& s)
{
    std::fill_n(s.OptionBytes.begin(), 32, kBlank);
    s.RomImage.fill(kBlank);
}

void BlankRange(AppState& s, std::int32_t from, std::int32_t to)
{
    from = std::max(from, 0);
    to = std::min(to, kLastAddress);
    if (from <= to)
        std::fill(s.RomImage.begin() + from, s.RomImage.begin() + to + 1, kBlank);
}

void FillImage(AppState& s, std::uint8_t value)
{
    // The chip-data area keeps the model's descriptor: filled over, it would give the next Open
    // program bounds made of the fill value and send the Writer a garbage descriptor.
    const auto keepFrom = std::clamp(s.ChipDataAddr1, 0, kImageSize);
    const auto keepTo = std::clamp(s.ChipDataAddr2Last + 16, keepFrom, kImageSize);
    std::fill(s.RomImage.begin(), s.RomImage.begin() + keepFrom, value);
    std::fill(s.RomImage.begin() + keepTo, s.RomImage.end(), value);
    ReadOptionTexts(s, ByteAt(s, s.OptionAddr2));
    ComputeChecksum(s);
}

void ConfirmTypedInput(AppState& s, std::span<const std::uint8_t> editorBytes)
{
    CopyFromEditor(s, editorBytes, s.RomStart, s.RomEnd + 15);
    CopyFromEditor(s, editorBytes, s.OptionAddr1, s.OptionAddr1);
    CopyFromEditor(s, editorBytes, s.OptionAddr2, s.OptionAddr2);
    // The first descriptor bytes are taken at 0x7D00 for every model, slot 31 included.
    CopyFromEditor(s, editorBytes, 0x7D00, 0x7D03);
    ReadOptionTexts(s, ByteAt(s, s.OptionAddr2));
    ComputeChecksum(s);
}

std::int32_t ImageWord(const AppState& s, std::int32_t addr)
{
    return ByteAt(s, addr) * 256 + ByteAt(s, addr + 1);
}

std::int32_t ChipDataBase(const AppState& s)
{
    return IsSlot(s, 31) ? 0x8D00 : 0x7D00;
}

void ComputeChecksum(AppState& s)
{
    const std::int32_t base = ChipDataBase(s);
    s.RomStart = ImageWord(s, base + 4);
    s.RomEnd = ImageWord(s, base + 6);

    std::uint32_t sum = 0;
    for (std::int32_t a = s.RomStart; a <= s.RomEnd; ++a)
        sum += ByteAt(s, a);
    s.FileChecksum = static_cast<std::uint16_t>(sum);

    // The fourth option byte counts twice and one is added: the figure the Writer shows.
    std::uint32_t withOptions = s.FileChecksum + ByteAt(s, s.OptionAddr2 + 3) + 1;
    for (std::int32_t i = 0; i < 4; ++i)
        withOptions += ByteAt(s, s.OptionAddr2 + i);
    s.FileChecksumWithOptions = static_cast<std::uint16_t>(withOptions);
}

std::array<std::string, 4> ChecksumInfoLines(const AppState& s)
{
    const std::string plain = Hex(s.FileChecksum, 4);
    // Older software showed the sum without the four blank option bytes (4 x 0xFF); a negative
    // difference prints as its 32-bit two's complement.
    const std::int32_t older = static_cast<std::int32_t>(s.FileChecksumWithOptions) - 0x3FC;
    return {
        Tr("芯片信息：") + s.ChipName,
        Tr("程序信息：") + s.ProgramInfo,
        "check sum=" + plain + Tr("H (不包含配置项), ") + Hex(s.FileChecksumWithOptions, 4) +
            Tr("H (包含配置项)"),
        Tr("老版本软件：check sum=") + plain + Tr("H(不包含配置项)，") +
            Hex(static_cast<std::uint32_t>(older), 4) + Tr("H (包含配置项)"),
    };
}

int HexDigitValue(char c)
{
    // No validation: callers check with IsHexText where it matters.
    const int code = static_cast<unsigned char>(c);
    if (code < ':')
        return code - '0';
    if (code < '[')
        return code - 'A' + 10;
    return code - 'a' + 10;
}

std::uint32_t HexToInt(std::string_view text)
{
    std::uint32_t value = 0; // 32-bit: higher digits fall off
    for (const char c : text)
        value = value * 16 + static_cast<std::uint32_t>(HexDigitValue(c));
    return value;
}

bool IsHexText(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

std::string Hex(std::uint64_t value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    if (static_cast<int>(text.size()) < digits)
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    return text;
}

} // namespace orvane
