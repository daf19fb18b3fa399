// The data files that ship beside the executable: names, chip files and the About text.
#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "tests/catalogue/ShippedState.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace orvane {
namespace {

std::vector<std::string> Lines(const std::string& text, const char* end)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    for (std::size_t next; (next = text.find(end, pos)) != std::string::npos; pos = next + std::strlen(end))
        lines.push_back(text.substr(pos, next - pos));
    EXPECT_EQ(pos, text.size()) << "text after the last line end";
    return lines;
}

std::uint8_t ByteOf(const std::string& line, std::size_t index)
{
    return static_cast<std::uint8_t>(HexToInt(line.substr(2 + 2 * index, 2)));
}

// Bytes of a chip file by address, checking the record format on the way: CRLF lines of S1
// records with 32 upper-case data bytes and a valid checksum, ended by "S9030000FC".
std::map<std::int32_t, std::uint8_t> ReadChipFile(const std::string& path)
{
    std::map<std::int32_t, std::uint8_t> bytes;
    const std::string text = test::ReadText(path);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "LF without CR";
    const auto lines = Lines(text, "\r\n");
    EXPECT_EQ(lines.size(), 25u);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string& line = lines[i];
        SCOPED_TRACE(line);
        EXPECT_TRUE(line.size() == 4 + 2 * 0x23 && line.compare(0, 4, "S123") == 0 &&
                    line.find_first_not_of("0123456789ABCDEF", 2) == std::string::npos);
        unsigned sum = 0;
        for (std::size_t k = 0; k < 0x24; ++k)
            sum += ByteOf(line, k);
        EXPECT_EQ(sum & 0xFF, 0xFFu) << "checksum";
        const std::int32_t addr = ByteOf(line, 1) * 256 + ByteOf(line, 2);
        for (int k = 0; k < 32; ++k)
            EXPECT_TRUE(bytes.emplace(addr + k, ByteOf(line, 3 + k)).second) << "twice " << addr + k;
    }
    EXPECT_EQ(lines.back(), "S9030000FC");
    return bytes;
}

TEST(ShippedData, ChipFilesFillTheChipDataAreaWithPlausibleBounds)
{
    AppState s = test::ShippedState();
    s.ChipPin = "20";
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        s.ChipName = s.ModelName[slot];
        SCOPED_TRACE(s.ChipName);
        UpdateAddressMap(s);
        const auto bytes = ReadChipFile(ChipFileName(s));
        const std::int32_t d = s.ChipDataAddr1;
        ASSERT_EQ(bytes.size(), 0x300u);
        EXPECT_EQ(bytes.begin()->first, d);
        EXPECT_EQ(bytes.rbegin()->first, d + 0x2FF);
        for (int k = 0xC0; k < 0x100; ++k)
            EXPECT_EQ(bytes.at(d + k), 0xFF) << "rolling code enabled at +" << k;

        // The reader stores exactly these bytes, and the bounds keep clear of the other regions.
        ClearImage(s);
        LoadChipFile(s);
        for (const auto& [addr, value] : bytes)
            ASSERT_EQ(s.RomImage[addr], value) << std::hex << addr;
        ComputeChecksum(s);
        EXPECT_LT(s.RomStart, s.RomEnd);
        EXPECT_TRUE(s.RomEnd < s.OptionAddr1 || s.RomStart > s.OptionAddr1 + 0x3F);
        EXPECT_LT(s.RomEnd, d);
    }
}

TEST(ShippedData, SizeRulesGiveTheEndsTheyList)
{
    struct Case {
        const char* chip;
        std::int32_t optionAddr;
        std::vector<std::pair<std::uint8_t, std::int32_t>> optionToEnd;
    };
    const Case cases[] = {
        {"QK139", 0x2106, {{0xF0, 0x03FF}, {0xF1, 0x03FF}, {0xF3, 0x03FF}, {0xFF, 0x07FF}}},
        {"QK134", 0x8100,
         {{0xB7, 0x7FFF}, {0xD3, 0x3FFF}, {0xD7, 0x3FFF}, {0xE0, 0x1FFF}, {0xE1, 0x1FFF},
          {0xE3, 0x1FFF}, {0xE7, 0x1FFF}}},
    };
    AppState s = test::ShippedState();
    s.ChipPin = "20";
    for (const Case& c : cases) {
        s.ChipName = c.chip;
        UpdateAddressMap(s);
        for (const auto& [option, end] : c.optionToEnd) {
            ClearImage(s);
            LoadChipFile(s);
            s.RomImage[c.optionAddr] = option;
            ApplySizeRules(s);
            ComputeChecksum(s);
            EXPECT_EQ(s.RomStart, 0) << c.chip;
            EXPECT_EQ(s.RomEnd, end) << c.chip << " " << int(option);
        }
    }
}

TEST(ShippedData, AboutTextHasItsFourLines)
{
    const auto lines = Lines(test::ReadText(test::DataDir() + "About.txt"), "\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[1].find("烧写器"), std::string::npos);
    EXPECT_EQ(lines[2].rfind("Ver ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("https://", 0), 0u);
}

} // namespace
} // namespace orvane
