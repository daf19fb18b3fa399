// The rolling-code block from the dialog's fields and from the command line's value: its bytes,
// the dialog's range messages in its field order, and the block decoded for info.
#include "production/RollingCodeFlags.h"

#include "foundation/Errors.h"

#include <gmock/gmock.h>

#include <stdexcept>

namespace orvane {
namespace {

RollingCodeBytes Bytes(std::initializer_list<int> head)
{
    RollingCodeBytes b{};
    std::size_t i = 0;
    for (int v : head)
        b[i++] = static_cast<std::uint8_t>(v);
    return b;
}

// The dialog's texts as it opens, after ticking "使能滚动码" (which selects one byte).
RollingCodeForm Defaults()
{
    return RollingCodeForm{.enabled = true, .length = 1};
}

TEST(RollingCodeFlags, TheDialogsDefaultBlockFromTheEquivalentFlag)
{
    // OK after ticking "使能滚动码" (which selects 1 byte), every other field as it opens.
    const RollingCodeBytes expected = Bytes({
        0x0A, 0x01, 0x8D, 0x00, 0x8D, 0x01, 0x8D, 0x02, 0x8D, 0x03, 0x00, 0x00, 0x00, 0x01, 0x01,
        0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xFF,
        0xFF}); // and 33 zero bytes
    RollingCodeBytes previous;
    previous.fill(0x55);
    EXPECT_EQ(BuildRollingCodeBlock(Defaults(), previous), expected);
    EXPECT_EQ(BuildRollingCodeBlock(
                  ParseRollingCodeFlag("1:0x8d03,0x8d02,0x8d01,0x8d00:1:1:0xffffffff:0xffffffff"),
                  previous),
              expected);
    // A decimal beyond 32 bits is no number.
    EXPECT_THROW(BuildRollingCodeBlock(ParseRollingCodeFlag("1:0x8d00:0x01:0x01:-1:4294967295x"),
                                       previous),
                 ConversionError);

    // Three bytes: Addr3 cleared as the dialog does; INIT most significant first, copied to 23.
    const RollingCodeBytes three =
        BuildRollingCodeBlock(ParseRollingCodeFlag("3:0x1802,0x1801,6144:0x123456:255:100:0x10"), {});
    EXPECT_EQ(three, Bytes({0x0A, 0x03, 0x18, 0x00, 0x18, 0x01, 0x18, 0x02, 0x00, 0x00, 0x00,
                            0x12, 0x34, 0x56, 0xFF, 0x00, 0x00, 0x00, 0x10, 0, 0, 0, 0, 0x00,
                            0x12, 0x34, 0x56, 0x00, 0x00, 0x00, 0x64}));

    // Off keeps the earlier fields and clears only the state and the Writer's count.
    RollingCodeBytes off = previous;
    off[0] = 0xFF;
    off[19] = off[20] = off[21] = off[22] = 0;
    EXPECT_EQ(BuildRollingCodeBlock(ParseRollingCodeFlag("off"), previous), off);
}

// A flag of the wrong shape is refused by the parser; a field out of range by the block builder,
// with the dialog's message in its field order.
TEST(RollingCodeFlags, RefusalsSayWhatIsWrong)
{
    const std::pair<const char*, const char*> cases[] = {
        {"1:0x8d00:1:1:0xffffffff",
         "shape: takes LEN:ADDR3,ADDR2,ADDR1,ADDR0:INIT:STEP:MAX:LIMIT or off"},
        {"5:0:1:1:0:0", "shape: LEN must be 1, 2, 3 or 4, not '5'"},
        {"2:0x1,0x2,0x3:1:1:0:0", "shape: give 4 addresses, or 2 for LEN 2"},
        {"1:0x8d00:0x100:1:0:0", "shape: INIT 0x100 does not fit in 1 byte(s)"},
        {"2:1,2:zz:1:0:0", "shape: INIT: 'zz' is not a valid integer value"},
        {"4:0x10000,0x0,0x0,0x0:0:256:0:0", "range: 数值不能大于0xffff"}, // Addr3 before the step
        {"1:-1:0:1:0:0", "range: 数值不能大于0xffff"},                     // negative is out of range
        {"1:0:0:-1:0:0", "range: 步进数不能大于255"},
        {"2:65535,0xffff:0xffff:0:0:0", "accepted"}, // the edges
    };
    for (const auto& [flag, message] : cases) {
        std::string got = "accepted";
        try {
            BuildRollingCodeBlock(ParseRollingCodeFlag(flag), {});
        } catch (const RollingCodeRangeError& e) {
            got = std::string("range: ") + e.what();
        } catch (const std::invalid_argument& e) {
            got = std::string("shape: ") + e.what();
        }
        EXPECT_EQ(got, message) << flag;
    }
}

TEST(RollingCodeFlags, InfoDecodesTheBlock)
{
    EXPECT_EQ(DescribeRollingCodeBlock(
                  BuildRollingCodeBlock(ParseRollingCodeFlag("2:0x1801,0x1800:0x0102:3:0x200:50"), {})),
              "on, 2 byte(s) at 1801,1800, initial 00000102, step 3, max 00000200, limit 00000032");
    RollingCodeBytes blank;
    blank.fill(0xFF);
    EXPECT_EQ(DescribeRollingCodeBlock(blank), "off (state FF)");
}

TEST(RollingCodeTest, BlockBytes)
{
    const RollingCodeForm form{true, 3, {"1", "0x0002", "65535", "0x10"},
                               {"0x44", "0x33", "34", "0x11"}, "0", "-2", "0x12345678"};
    EXPECT_EQ(BuildRollingCodeBlock(form, {}),
              Bytes({0x0A, 0x03, 0x00, 0x01, 0x00, 0x02, 0xFF, 0xFF, 0x00, 0x10, 0x11, 0x22, 0x33,
                     0x44, 0x00, 0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33,
                     0x44, 0x12, 0x34, 0x56, 0x78}));
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
    EXPECT_THAT([&] { BuildRollingCodeBlock(both, {}); },
                testing::ThrowsMessage<RollingCodeRangeError>(testing::StrEq("数值不能大于0xff")));
}

} // namespace
} // namespace orvane
