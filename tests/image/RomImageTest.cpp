#include "catalogue/Catalogue.h"
#include "image/RomImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane {
namespace {

// Options at 0x2100 and chip data at 0x7D00 that says start..end; slot 31 is QK134 (at 0x8D00).
AppState StateWithBounds(const std::string& chip, std::uint16_t start, std::uint16_t end)
{
    AppState s;
    s.ModelName[31] = "QK134";
    s.ChipName = chip;
    ClearImage(s);
    UpdateAddressMap(s);
    const std::uint8_t bounds[] = {std::uint8_t(start >> 8), std::uint8_t(start),
                                   std::uint8_t(end >> 8), std::uint8_t(end)};
    std::copy(bounds, bounds + 4, s.RomImage.begin() + ChipDataBase(s) + 4);
    return s;
}

TEST(RomImage, ClearAndBlankRangeAreClippedToTheImage)
{
    AppState s;
    s.OptionBytes.fill(0x34);
    ClearImage(s);
    EXPECT_EQ(s.OptionBytes[31] * 256 + s.OptionBytes[32], 0xFF34);
    // from, to, first and last blanked byte (first > last: none)
    const std::array<std::int32_t, 4> cases[] = {
        {-5, 3, 0, 3}, {0xFFF0, 0x1000F, 0xFFF0, 0xFFFF}, {0x20, 0x1F, 1, 0}};
    for (const auto& [from, to, first, last] : cases) {
        s.RomImage.fill(0);
        BlankRange(s, from, to);
        for (std::int32_t a = 0; a < kImageSize; ++a)
            ASSERT_EQ(s.RomImage[a], a >= first && a <= last ? 0xFF : 0x00) << from << " " << a;
    }
}

TEST(RomImage, ChecksumsAndMemoLines)
{
    // chip, start, end, program bytes (-1: blank), option bytes; sum, with options, older sum. The
    // rows: blank, end below start, 16-bit wrap, the last byte only, QK134's bounds at 0x8D04.
    const std::tuple<const char*, int, int, int, std::array<std::uint8_t, 4>, std::string,
                     std::string, std::string>
        cases[] = {
            {"QK128", 0x0000, 0x07FF, -1, {0xFF, 0xFF, 0xFF, 0xFF}, "F800", "FCFC", "F900"},
            {"QK128", 0x0100, 0x00FF, 1, {0, 0, 0, 0}, "0000", "0001", "FFFFFC05"},
            {"QK128", 0x0000, 0x1FFF, 0x80, {0x10, 0, 0, 0x20}, "0000", "0051", "FFFFFC55"},
            {"QK128", 0xFFFF, 0xFFFF, -1, {0xFF, 0xFF, 0xFF, 0xFF}, "00FF", "05FB", "01FF"},
            {"QK134", 0x0000, 0x0001, 0x7F, {0xFF, 0xFF, 0xFF, 0xFF}, "00FE", "05FA", "01FE"},
        };
    for (const auto& [chip, start, end, value, options, sum, withOptions, older] : cases) {
        AppState s = StateWithBounds(chip, std::uint16_t(start), std::uint16_t(end));
        if (value >= 0)
            std::fill_n(s.RomImage.begin(), 0x2000, std::uint8_t(value));
        std::copy(options.begin(), options.end(), s.RomImage.begin() + s.OptionAddr2);
        s.RomStart = s.RomEnd = -1; // must be re-read from the chip-data area
        s.ProgramInfo = "尚未打开程序";
        ComputeChecksum(s);
        EXPECT_EQ(ChecksumInfoLines(s),
                  (std::array<std::string, 4>{
                      "芯片信息：" + std::string(chip), "程序信息：尚未打开程序",
                      "check sum=" + sum + "H (不包含配置项), " + withOptions + "H (包含配置项)",
                      "老版本软件：check sum=" + sum + "H(不包含配置项)，" + older + "H (包含配置项)"}));
    }
}

TEST(RomImage, ConfirmTypedInputCopiesOnlyTheListedAddresses)
{
    // chip, start, end, editor size: shorter than the image (bytes deleted) or longer
    const std::tuple<const char*, std::int32_t, std::int32_t, std::size_t> cases[] = {
        {"QK128", 0x0000, 0x00FF, 0x80}, {"QK134", 0xFFF8, 0xFFFF, kImageSize + 20},
        {"QK128", 0x0010, 0x01FF, kImageSize}}; // the program area's last row up to RomEnd + 15
    for (const auto& [chip, start, end, size] : cases) {
        AppState s = StateWithBounds(chip, std::uint16_t(start), std::uint16_t(end));
        ComputeChecksum(s);
        const auto before = s.RomImage;
        std::vector<std::uint8_t> editor(size);
        for (std::size_t k = 0; k < size; ++k)
            editor[k] = before[k % kImageSize] ^ 0xA5;
        ConfirmTypedInput(s, editor);
        for (std::int32_t a = 0; a < kImageSize; ++a) {
            // The first chip-data bytes are taken at 0x7D00 for every model.
            const bool listed = (a >= start && a <= end + 15) || a == s.OptionAddr1 ||
                                a == s.OptionAddr2 || (a >= 0x7D00 && a <= 0x7D03);
            ASSERT_EQ(s.RomImage[a], listed && std::size_t(a) < size ? editor[a] : before[a]) << a;
        }
    }
}

} // namespace
} // namespace orvane
