#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "tests/catalogue/ShippedState.h"

#include <gtest/gtest.h>

#include <optional>

namespace orvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t kMark = 0x5A; // chip-file byte a rule must leave alone

Bytes Read(const AppState& s, int from, int count)
{
    return Bytes(s.RomImage.begin() + from, s.RomImage.begin() + from + count);
}

AppState Prepared(const char* chip, std::initializer_list<std::pair<int, std::uint8_t>> options)
{
    AppState s = test::ShippedState();
    s.ChipName = chip;
    s.RomImage.fill(kMark);
    for (const auto& [addr, value] : options)
        s.RomImage[addr] = value;
    return s;
}

TEST(SizeRules, QK139SizeThenTrimWords)
{
    const Bytes trimLow = {0x04, 0xED, 0x04, 0xD7, 0x04, 0xE2};
    const Bytes trimHigh = {0x08, 0xF8, 0x08, 0xCE, 0x08, 0xE3};
    const Bytes marks4(4, kMark), marks6(6, kMark);
    struct Case {
        std::uint8_t opt6, opt0;
        Bytes size; // 0x7D06..0x7D09
        Bytes trim; // 0x7D0E..0x7D13
        std::int32_t romEnd;
    };
    const Case cases[] = {
        {0xF0, 0x00, {0x03, 0xFF, 0x80, 0x01}, trimLow, 0x03FF},
        {0xF1, 0x50, {0x03, 0xFF, 0x80, 0x05}, trimHigh, 0x03FF},
        {0xF3, 0x8F, {0x03, 0xFF, 0x80, 0x09}, trimLow, 0x03FF},
        {0xFF, 0xC0, {0x07, 0xFF, 0x80, 0x0D}, trimLow, 0x07FF},
        {0xFF, 0xF0, {0x07, 0xFF, 0x80, 0x0D}, marks6, 0x07FF},   // 0x70: trim unchanged
        {0xF2, 0x60, marks4, marks6, 0x5A5A},                     // no row in either rule
        {0x70, 0xD0, marks4, trimHigh, 0x5A5A},                   // size rule compares all bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.opt6) << " " << int(c.opt0));
        AppState s = Prepared("QK139", {{0x2106, c.opt6}, {0x2100, c.opt0}});
        ApplySizeRules(s);
        EXPECT_EQ(Read(s, 0x7D06, 4), c.size);
        EXPECT_EQ(Read(s, 0x7D0E, 6), c.trim);
        EXPECT_EQ(Read(s, 0x7D0A, 4), marks4);
        ComputeChecksum(s);
        EXPECT_EQ(s.RomEnd, c.romEnd);
    }
}

TEST(SizeRules, QK129TakesOnlyTheTrimWords)
{
    AppState s = Prepared("QK129", {{0x2106, 0xF0}, {0x2100, 0x5F}});
    ApplySizeRules(s);
    EXPECT_EQ(Read(s, 0x7D06, 4), Bytes(4, kMark));
    EXPECT_EQ(Read(s, 0x7D0E, 6), (Bytes{0x08, 0xF8, 0x08, 0xCE, 0x08, 0xE3}));
}

TEST(SizeRules, QK134SizeCodeEndAndTrimWords)
{
    const Bytes trim5 = {0x08, 0xF9, 0x08, 0xCA, 0x08, 0xE3};
    const Bytes trimOther = {0x09, 0xCC, 0x09, 0xBC, 0x09, 0xC4};
    struct Case {
        std::uint8_t opt0, opt9;
        std::optional<std::array<std::uint8_t, 3>> size; // 0x8D09, 0x8D06, 0x8D07
        const Bytes& trim;
    };
    const Case cases[] = {
        {0xB7, 0x05, std::array<std::uint8_t, 3>{0x02, 0x7F, 0xFF}, trim5},
        {0xD3, 0xFD, std::array<std::uint8_t, 3>{0x05, 0x3F, 0xFF}, trim5},
        {0xD7, 0x00, std::array<std::uint8_t, 3>{0x02, 0x3F, 0xFF}, trimOther},
        {0xE0, 0x04, std::array<std::uint8_t, 3>{0x0B, 0x1F, 0xFF}, trimOther},
        {0xE1, 0x07, std::array<std::uint8_t, 3>{0x08, 0x1F, 0xFF}, trimOther},
        {0xE3, 0x0D, std::array<std::uint8_t, 3>{0x05, 0x1F, 0xFF}, trim5},
        {0xE7, 0xFF, std::array<std::uint8_t, 3>{0x02, 0x1F, 0xFF}, trimOther},
        {0xC0, 0x05, std::nullopt, trim5}, // no size row: the trim words are still written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.opt0));
        AppState s = Prepared("QK134", {{0x8100, c.opt0}, {0x8109, c.opt9}});
        ApplySizeRules(s);
        const auto size = c.size.value_or(std::array<std::uint8_t, 3>{kMark, kMark, kMark});
        EXPECT_EQ(s.RomImage[0x8D09], size[0]);
        EXPECT_EQ(Read(s, 0x8D06, 2), (Bytes{size[1], size[2]}));
        EXPECT_EQ(s.RomImage[0x8D08], kMark);
        EXPECT_EQ(Read(s, 0x8D0E, 6), c.trim);
        EXPECT_EQ(Read(s, 0x7D00, 0x14), Bytes(0x14, kMark));
    }
}

TEST(SizeRules, OtherModelsAreLeftAlone)
{
    for (const char* chip : {"QK128", "QK101", "qk139", ""}) {
        AppState s = Prepared(chip, {{0x2106, 0xF0}, {0x2100, 0x50}, {0x8100, 0xB7}, {0x8109, 5}});
        const auto before = s.RomImage;
        ApplySizeRules(s);
        EXPECT_TRUE(s.RomImage == before) << chip;
    }
}

} // namespace
} // namespace orvane
