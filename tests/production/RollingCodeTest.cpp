#include "production/RollingCode.h"

#include "catalogue/Catalogue.h"
#include "foundation/Errors.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orvane {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& hex)
{
    std::vector<std::uint8_t> out;
    std::istringstream in(hex);
    unsigned byte = 0;
    while (in >> std::hex >> byte)
        out.push_back(static_cast<std::uint8_t>(byte));
    return out;
}

// The dialog's texts as it opens, after ticking "使能滚动码" (which selects one byte).
RollingCodeForm Defaults()
{
    return {true, 1, {"0x8d00", "0x8d01", "0x8d02", "0x8d03"}, {"0x01", "0x00", "0x00", "0x00"},
            "0x01", "0xffffffff", "0xffffffff"};
}

TEST(RollingCodeTest, DefaultsAfterTickingGiveTheWritersBlock)
{
    const RollingCodeBytes block = BuildRollingCodeBlock(Defaults(), {});
    std::vector<std::uint8_t> expected = Bytes("0A 01 8D 00 8D 01 8D 02 8D 03 00 00 00 01 01 FF FF FF"
                                               " FF 00 00 00 00 00 00 00 01 FF FF FF FF");
    expected.resize(64, 0x00);
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.end()), expected);
}

TEST(RollingCodeTest, EveryFieldLandsAtItsOffset)
{
    RollingCodeForm form{true, 3, {"1", "0x0002", "65535", "0x10"}, {"0x44", "0x33", "34", "0x11"},
                         "0", "-2", "0x12345678"};
    const RollingCodeBytes block = BuildRollingCodeBlock(form, {});
    const auto expected = Bytes("0A 03 00 01 00 02 FF FF 00 10 11 22 33 44 00 FF FF FF FE"
                                " 00 00 00 00 11 22 33 44 12 34 56 78");
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + 31), expected);
}

TEST(RollingCodeTest, DisablingRewritesOnlyTheStateAndTheWritersFourBytes)
{
    RollingCodeBytes current{};
    current.fill(0x5A);
    RollingCodeForm form = Defaults();
    form.enabled = false;
    form.addr[0] = "junk"; // not read while disabled
    const RollingCodeBytes block = BuildRollingCodeBlock(form, current);
    RollingCodeBytes expected = current;
    expected[0] = 0xFF;
    std::fill(expected.begin() + 19, expected.begin() + 23, 0);
    EXPECT_EQ(block, expected);
}

// Each field is checked in the dialog's order; the first bad one is reported.
TEST(RollingCodeTest, RangesAndConversions)
{
    struct Case {
        std::string RollingCodeForm::*field;
        int index; // into addr/value, -1 for the single fields
        std::string text;
        std::string error; // "" accepted; "conv" for a conversion error
    };
    const Case cases[] = {
        {nullptr, 0, "0x10000", "数值不能大于0xffff"},
        {nullptr, 3, "65536", "数值不能大于0xffff"},
        {nullptr, 1, "-1", "数值不能大于0xffff"}, // a negative entry is out of range
        {nullptr, 2, "65535", ""},
        {nullptr, 0, "0xffff", ""},
        {nullptr, 0, "0XFFFF", ""},
        {nullptr, 0, "0x", "conv"},
        {nullptr, 0, "ffff", "conv"},
        {nullptr, 0, "", "conv"},
        {nullptr, 0, "0x1ffffffff", "conv"}, // beyond 32 bits
        {nullptr, 0, "2147483648", "conv"},  // beyond signed 32 bits in decimal
        {nullptr, 10, "0x100", "数值不能大于0xff"},
        {nullptr, 13, "255", ""},
        {&RollingCodeForm::step, -1, "256", "步进数不能大于255"},
        {&RollingCodeForm::step, -1, "0", ""},
        {&RollingCodeForm::counter, -1, "-1", ""},
        {&RollingCodeForm::maxId, -1, "0xffffffff", ""},
        {&RollingCodeForm::maxId, -1, "1e3", "conv"},
    };
    for (const Case& c : cases) {
        RollingCodeForm form = Defaults();
        if (c.field)
            form.*c.field = c.text;
        else if (c.index < 10)
            form.addr[static_cast<std::size_t>(c.index)] = c.text;
        else
            form.value[static_cast<std::size_t>(c.index - 10)] = c.text;
        std::string got;
        try {
            BuildRollingCodeBlock(form, {});
        } catch (const RollingCodeRangeError& e) {
            got = e.what();
        } catch (const ConversionError& e) {
            got = "conv";
            EXPECT_EQ(std::string(e.what()), "'" + c.text + "' is not a valid integer value");
        }
        EXPECT_EQ(got, c.error) << c.text;
    }
    RollingCodeForm form = Defaults();
    form.value[3] = "0x100"; // Va3 is checked before the step
    form.step = "256";
    EXPECT_THROW(
        try { BuildRollingCodeBlock(form, {}); } catch (const RollingCodeRangeError& e) {
            EXPECT_STREQ(e.what(), "数值不能大于0xff");
            throw;
        },
        RollingCodeRangeError);
}

TEST(RollingCodeTest, PlacementAndStateFollowTheModel)
{
    AppState s;
    s.AppDir = test::DataDir();
    LoadModelNames(s);
    s.RomImage.fill(0xFF);
    s.RollingCodeBlock = BuildRollingCodeBlock(Defaults(), {});
    for (const auto& [slot, at, other] : {std::tuple(31, 0x8DC0, 0x7DC0), std::tuple(20, 0x7DC0, 0x8DC0)}) {
        s.ChipName = s.ModelName[slot];
        UpdateAddressMap(s);
        s.RomImage.fill(0xFF);
        EXPECT_FALSE(RollingCodeOn(s));
        PlaceRollingCodeBlock(s);
        EXPECT_TRUE(std::equal(s.RollingCodeBlock.begin(), s.RollingCodeBlock.end(),
                               s.RomImage.begin() + at)) << slot;
        EXPECT_EQ(s.RomImage[at - 1], 0xFF);
        EXPECT_EQ(s.RomImage[at + 64], 0xFF);
        EXPECT_EQ(s.RomImage[other], 0xFF);
        EXPECT_TRUE(RollingCodeOn(s));
        s.RomImage[at] = 0x0B;
        EXPECT_FALSE(RollingCodeOn(s));
    }
}

} // namespace
} // namespace orvane
