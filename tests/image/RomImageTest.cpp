#include "catalogue/Catalogue.h"
#include "image/RomImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane {
namespace {

// A QK128-like model (option copies at 0x2100, chip data at 0x7D00) whose chip data says
// start..end; slot 31 is QK134 (chip data at 0x8D00).
AppState StateWithBounds(const std::string& chip, std::uint16_t start, std::uint16_t end)
{
    AppState s;
    s.ModelName[20] = "QK128";
    s.ModelName[31] = "QK134";
    s.ChipName = chip;
    ClearImage(s);
    UpdateAddressMap(s);
    const auto d = static_cast<std::size_t>(ChipDataBase(s));
    s.RomImage[d + 4] = static_cast<std::uint8_t>(start >> 8);
    s.RomImage[d + 5] = static_cast<std::uint8_t>(start);
    s.RomImage[d + 6] = static_cast<std::uint8_t>(end >> 8);
    s.RomImage[d + 7] = static_cast<std::uint8_t>(end);
    return s;
}

TEST(RomImage, ClearBlanksImageAndFirst32OptionBytes)
{
    AppState s;
    s.RomImage.fill(0x12);
    s.OptionBytes.fill(0x34);
    ClearImage(s);
    for (const std::uint8_t b : s.RomImage)
        ASSERT_EQ(b, 0xFF);
    for (std::size_t i = 0; i < s.OptionBytes.size(); ++i)
        EXPECT_EQ(s.OptionBytes[i], i < 32 ? 0xFF : 0x34) << i;
}

TEST(RomImage, BlankRangeIsClippedToTheImage)
{
    struct Case {
        std::int32_t from, to;
        std::int32_t first, last; // blanked range; first > last: nothing
    };
    const Case cases[] = {
        {0x10, 0x1F, 0x10, 0x1F},     {-5, 3, 0, 3},         {0xFFF0, 0x1000F, 0xFFF0, 0xFFFF},
        {0x20, 0x1F, 1, 0},           {0x10000, 0x20000, 1, 0}, {-20, -1, 1, 0},
    };
    for (const Case& c : cases) {
        AppState s;
        BlankRange(s, c.from, c.to);
        for (std::int32_t a = 0; a < kImageSize; ++a)
            ASSERT_EQ(s.RomImage[a], a >= c.first && a <= c.last ? 0xFF : 0x00)
                << std::hex << c.from << ".." << c.to << " at " << a;
    }
}

TEST(RomImage, ChecksumsAndMemoLines)
{
    struct Case {
        const char* what;
        const char* chip;
        std::uint16_t start, end;
        int programValue; // -1: leave the image blank
        std::array<std::uint8_t, 4> options;
        std::uint16_t sum, sumWithOptions;
        const char* line3;
        const char* line4;
    };
    const Case cases[] = {
        {"2 KiB of 0xFF, blank options", "QK128", 0x0000, 0x07FF, -1, {0xFF, 0xFF, 0xFF, 0xFF},
         0xF800, 0xFCFC, "check sum=F800H (不包含配置项), FCFCH (包含配置项)",
         "老版本软件：check sum=F800H(不包含配置项)，F900H (包含配置项)"},
        {"zero program, options 01 02 03 04", "QK128", 0x0000, 0x07FF, 0x00, {1, 2, 3, 4}, 0x0000,
         0x000F, "check sum=0000H (不包含配置项), 000FH (包含配置项)",
         "老版本软件：check sum=0000H(不包含配置项)，FFFFFC13H (包含配置项)"},
        {"end below start sums nothing", "QK128", 0x0100, 0x00FF, 0x01, {0, 0, 0, 0}, 0x0000,
         0x0001, "check sum=0000H (不包含配置项), 0001H (包含配置项)",
         "老版本软件：check sum=0000H(不包含配置项)，FFFFFC05H (包含配置项)"},
        {"sum wraps at 16 bits", "QK128", 0x0000, 0x1FFF, 0x80, {0x10, 0, 0, 0x20}, 0x0000,
         0x0051, "check sum=0000H (不包含配置项), 0051H (包含配置项)",
         "老版本软件：check sum=0000H(不包含配置项)，FFFFFC55H (包含配置项)"},
        {"QK134 reads its bounds at 0x8D04", "QK134", 0x0000, 0x0001, 0x7F, {0xFF, 0xFF, 0xFF, 0xFF},
         0x00FE, 0x05FA, "check sum=00FEH (不包含配置项), 05FAH (包含配置项)",
         "老版本软件：check sum=00FEH(不包含配置项)，01FEH (包含配置项)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppState s = StateWithBounds(c.chip, c.start, c.end);
        if (c.programValue >= 0)
            std::fill(s.RomImage.begin(), s.RomImage.begin() + 0x2000,
                      static_cast<std::uint8_t>(c.programValue));
        std::copy(c.options.begin(), c.options.end(), s.RomImage.begin() + s.OptionAddr2);
        s.RomStart = s.RomEnd = -1; // must be re-read from the chip-data area
        ComputeChecksum(s);
        EXPECT_EQ(s.RomStart, c.start);
        EXPECT_EQ(s.RomEnd, c.end);
        EXPECT_EQ(s.FileChecksum, c.sum);
        EXPECT_EQ(s.FileChecksumWithOptions, c.sumWithOptions);
        s.ProgramInfo = "尚未打开程序";
        const auto lines = ChecksumInfoLines(s);
        EXPECT_EQ(lines[0], std::string("芯片信息：") + c.chip);
        EXPECT_EQ(lines[1], "程序信息：尚未打开程序");
        EXPECT_EQ(lines[2], c.line3);
        EXPECT_EQ(lines[3], c.line4);
    }
}

TEST(RomImage, FillOverwritesChipDataSoBoundsFollowTheValue)
{
    AppState s = StateWithBounds("QK128", 0, 0x7FF);
    FillImage(s, 0x00);
    EXPECT_EQ(s.RomStart, 0);
    EXPECT_EQ(s.RomEnd, 0);
    EXPECT_EQ(s.FileChecksum, 0);
    EXPECT_EQ(s.FileChecksumWithOptions, 1);

    // 0xFF makes the area 0xFFFF..0xFFFF: the last byte of the image, nothing beyond.
    FillImage(s, 0xFF);
    EXPECT_EQ(s.RomStart, 0xFFFF);
    EXPECT_EQ(s.RomEnd, 0xFFFF);
    EXPECT_EQ(s.FileChecksum, 0xFF);
    EXPECT_EQ(s.FileChecksumWithOptions, 0x05FB);
    for (const std::uint8_t b : s.RomImage)
        ASSERT_EQ(b, 0xFF);
}

TEST(RomImage, ConfirmTypedInputCopiesOnlyTheListedAddressesByPosition)
{
    struct Case {
        const char* what;
        std::uint16_t start, end;
        std::size_t editorSize;
        std::size_t inserted; // editor position of one extra byte; SIZE_MAX: none
    };
    const Case cases[] = {
        {"plain edit", 0x0000, 0x00FF, kImageSize, SIZE_MAX},
        {"deleted bytes: shorter editor", 0x0000, 0x00FF, 0x80, SIZE_MAX},
        {"inserted byte shifts the rest", 0x0000, 0x00FF, kImageSize + 1, 0x10},
        {"end at 0xFFFF is clipped", 0xFFF8, 0xFFFF, kImageSize + 20, SIZE_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppState s = StateWithBounds("QK128", c.start, c.end);
        ComputeChecksum(s);
        const auto before = s.RomImage;
        std::vector<std::uint8_t> editor(c.editorSize);
        for (std::size_t k = 0; k < editor.size(); ++k) {
            const std::size_t from = c.inserted != SIZE_MAX && k > c.inserted ? k - 1 : k;
            editor[k] = static_cast<std::uint8_t>(before[from % kImageSize] ^ 0xA5);
        }
        ConfirmTypedInput(s, editor);

        auto listed = [&](std::int32_t a) {
            return (a >= c.start && a <= c.end + 15) || a == 0x2100 || a == 0x2120 ||
                   (a >= 0x7D00 && a <= 0x7D03);
        };
        for (std::int32_t a = 0; a < kImageSize; ++a) {
            const bool copied = listed(a) && static_cast<std::size_t>(a) < editor.size();
            ASSERT_EQ(s.RomImage[a], copied ? editor[a] : before[a]) << std::hex << a;
        }
    }
}

TEST(HexHelpers, DigitsNumbersAndTexts)
{
    const std::pair<char, int> digits[] = {{'0', 0}, {'9', 9}, {'A', 10}, {'F', 15},
                                           {'a', 10}, {'f', 15}, {'$', -12}, {'G', 16}};
    for (const auto& [c, v] : digits)
        EXPECT_EQ(HexDigitValue(c), v) << c;

    const std::pair<const char*, std::uint32_t> numbers[] = {
        {"", 0},           {"7", 7},          {"ff", 0xFF},         {"1aB2", 0x1AB2},
        {"FFFFFFFF", 0xFFFFFFFF}, {"123456789", 0x23456789}, // higher digits fall off
    };
    for (const auto& [text, v] : numbers)
        EXPECT_EQ(HexToInt(text), v) << text;
    EXPECT_EQ(HexToInt("$12") & 0xFF, 0x12u); // a leading "$" still yields the byte

    for (const char* text : {"", "0123456789", "abcdef", "ABCDEF"})
        EXPECT_TRUE(IsHexText(text)) << text;
    for (const char* text : {"READ ERROR", "$12", "0x12", "1G", " 1", "\xC1"})
        EXPECT_FALSE(IsHexText(text)) << text;

    const std::tuple<std::uint64_t, int, const char*> hex[] = {
        {0, 0, "0"}, {0, 4, "0000"}, {0xA, 2, "0A"}, {0xabc, 2, "ABC"},
        {0x12345, 4, "12345"}, {0xFFFFFC13, 4, "FFFFFC13"}, {0xFFFFFFFFFFFFFFFF, 1, "FFFFFFFFFFFFFFFF"},
    };
    for (const auto& [v, n, text] : hex)
        EXPECT_EQ(Hex(v, n), text);
}

} // namespace
} // namespace orvane
