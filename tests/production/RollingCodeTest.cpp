#include "production/RollingCode.h"

#include "foundation/Errors.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The dialog's texts as it opens, after ticking "使能滚动码" (which selects one byte).
RollingCodeForm Defaults()
{
    RollingCodeForm form;
    form.enabled = true;
    form.length = 1;
    return form;
}

// The dialog's default block is checked with its command-line twin in RollingCodeFlagsTest.
TEST(RollingCodeTest, BlockBytes)
{
    const RollingCodeForm form{true, 3, {"1", "0x0002", "65535", "0x10"},
                               {"0x44", "0x33", "34", "0x11"}, "0", "-2", "0x12345678"};
    const RollingCodeBytes block = BuildRollingCodeBlock(form, {});
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 31),
              (Bytes{0x0A, 0x03, 0x00, 0x01, 0x00, 0x02, 0xFF, 0xFF, 0x00, 0x10, 0x11,
                     0x22, 0x33, 0x44, 0x00, 0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x00, 0x00,
                     0x00, 0x11, 0x22, 0x33, 0x44, 0x12, 0x34, 0x56, 0x78}));

    // Disabled: only the state and the four bytes at 19 change; no field is read.
    RollingCodeBytes current;
    current.fill(0x5A);
    RollingCodeForm off = Defaults();
    off.enabled = false;
    off.addr[0] = "junk";
    RollingCodeBytes expectedOff = current;
    expectedOff[0] = 0xFF;
    std::fill(expectedOff.begin() + 19, expectedOff.begin() + 23, 0);
    EXPECT_EQ(BuildRollingCodeBlock(off, current), expectedOff);
}

// The first bad field in the dialog's order (Addr0..3, Va3..0, step, counter, MaxID) is reported.
TEST(RollingCodeTest, RangesAndConversions)
{
    const auto addr = [](RollingCodeForm& f) -> std::string& { return f.addr[1]; };
    const auto va3 = [](RollingCodeForm& f) -> std::string& { return f.value[3]; };
    const auto step = [](RollingCodeForm& f) -> std::string& { return f.step; };
    const auto maxId = [](RollingCodeForm& f) -> std::string& { return f.maxId; };
    using Field = std::string& (*)(RollingCodeForm&);
    const std::tuple<Field, const char*, const char*> cases[] = {
        {addr, "0x10000", "数值不能大于0xffff"}, {addr, "65536", "数值不能大于0xffff"},
        {addr, "-1", "数值不能大于0xffff"},       {addr, "65535", ""},
        {addr, "0XFFFF", ""},                      {addr, "0x", "conv"},
        {addr, "ffff", "conv"},                    {addr, "", "conv"},
        {addr, "0x1ffffffff", "conv"},             {addr, "2147483648", "conv"},
        {va3, "0x100", "数值不能大于0xff"},        {va3, "255", ""},
        {step, "256", "步进数不能大于255"},        {step, "0", ""},
        {maxId, "-1", ""},                         {maxId, "1e3", "conv"},
    };
    for (const auto& [field, text, error] : cases) {
        RollingCodeForm form = Defaults();
        field(form) = text;
        std::string got;
        try {
            BuildRollingCodeBlock(form, {});
        } catch (const RollingCodeRangeError& e) {
            got = e.what();
        } catch (const ConversionError& e) {
            got = "conv";
            EXPECT_EQ(e.what(), "'" + std::string(text) + "' is not a valid integer value");
        }
        EXPECT_EQ(got, error) << text;
    }
    RollingCodeForm both = Defaults();
    both.step = "256";
    both.value[0] = "0x100"; // Va0 comes before the step
    EXPECT_THROW(
        try { BuildRollingCodeBlock(both, {}); } catch (const RollingCodeRangeError& e) {
            EXPECT_STREQ(e.what(), "数值不能大于0xff");
            throw;
        },
        RollingCodeRangeError);
}

} // namespace
} // namespace orvane
