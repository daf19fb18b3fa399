// QK128, QK129 and QK139: an eight-step LVR list and a clock list; QK129 and QK139 add the
// clock-dependent bytes and trim words.
#include "foundation/Translate.h"
#include "options/LayoutBuilder.h"
#include "options/LayoutParts.h"

namespace orvane {

using namespace layout;

namespace {

const Texts kCompatibility = {TrNoop("兼容QK-A系列"), TrNoop("兼容QK-B系列")};
constexpr std::string_view kLvrWarning = TrNoop("注意：不同的工作频率，对系统的最低工作电压点有要求。"
                                         "具体请参考规格书第4章有关LVR复位的说明");

const Texts kPeriods140 = {"PWRT=TWDT=18ms", "PWRT=TWDT=4.5ms", "PWRT=TWDT=288ms", "PWRT=TWDT=72ms",
                           "PWRT=140us TWDT=18ms", "PWRT=140us TWDT=4.5ms",
                           "PWRT=140us TWDT=288ms", "PWRT=140us TWDT=72ms"};
const Texts kPeriods640 = {"PWRT=TWDT=18ms", "PWRT=TWDT=4.5ms", "PWRT=TWDT=288ms", "PWRT=TWDT=72ms",
                           "PWRT=640us TWDT=18ms", "PWRT=640us TWDT=4.5ms",
                           "PWRT=640us TWDT=288ms", "PWRT=640us TWDT=72ms"};

// The items the three share, from MCLRE to the LVR list; the clock list follows.
void AddResetWatchdogProtectLvr(OptionLayout& l, std::string_view resetIo, const Texts& periods,
                                Texts lvrEntries, std::string_view warning)
{
    Add(l, Radio(TrNoop("MCLRE 设置"), {TrNoop("P13作为复位脚"), resetIo}).Key("P12F", {"ON", "OFF"}).At(0, 3)
               .Codes("1 0"));
    Add(l, Radio(TrNoop("WDT 设置"), {TrNoop("WDT 开启"), TrNoop("WDT 关闭")}).Key("WDT", {"ON", "OFF"}).At(1, 3).Codes("1 0"));
    Add(l, List(TrNoop("WDT 设置"), periods)
               .Key("Fs", BinaryNumbers(3, 8)).At(1, 2, 0).Default(7));
    Add(l, ProtectRadios());
    // Stored by list position in all three layouts, whatever voltages the list shows.
    Add(l, List("", lvrEntries).Key("lvrs", kLvrTexts).At(0, 2, 0).Default(7).Warning(warning));
}

// FCPU, RDPORT, SMTEN and the compatibility choice, after the clock list.
void AddCycleAndPorts(OptionLayout& l, Texts rdport)
{
    Add(l, Radio(TrNoop("FCPU选择"), {TrNoop("4T 为一周期"), TrNoop("2T为一周期")}).Key("Freq", {"1", "2"}).At(0, 7)
               .Codes("1 0"));
    Add(l, Radio(TrNoop("RDPORT设置"), rdport).Key("LVR", {"ON", "OFF"}).At(3, 0).Codes("1 0"));
    Add(l, Radio(TrNoop("SMTEN设置"), {TrNoop("输入脚 SMT使能"), TrNoop("输入脚SMT 禁止")}).Key("oFreq", {"ON", "OFF"})
               .At(3, 1).Codes("1 0"));
    Add(l, Radio(TrNoop("兼容性选择"), kCompatibility).Key("CW", {"ON", "OFF"}).At(3, 2).Codes("1 0"));
}

const Texts kClockEntries = {TrNoop("内部时钟：16MHZ"), TrNoop("内部时钟：8MHZ"), TrNoop("内部时钟：4MHZ"),
                             TrNoop("内部时钟：2MHZ"),  TrNoop("内部时钟: 1MHZ"), TrNoop("内部时钟：455KHZ")};
const Texts kClockTexts = {"16M", "8M", "4M", "2M", "1M", "455KHZ"};
const Texts kIoRead = {TrNoop("IO作输出口时,从寄存器读"), TrNoop("IO作输出口时,从端口读")};

std::vector<ByteWrite> Join(std::vector<ByteWrite> a, const std::vector<ByteWrite>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Trim words of the clock, at chip-data 0x0E..0x13.
std::vector<ByteWrite> TrimWords(bool low)
{
    return low ? ChipWords(0x0E, {0x04ED, 0x04D7, 0x04E2})
               : ChipWords(0x0E, {0x08F8, 0x08CE, 0x08E3});
}

OptionLayout QK128()
{
    OptionLayout l = Layout("QK128", "TFrmCfgQK128", CopyRule::TwoCopies, {3, 5});
    Add(l, Fixed({Block(1, 0x00, 0xC0)}));
    AddResetWatchdogProtectLvr(l, TrNoop("P13作为输入脚"), kPeriods140,
                               {"000:1.5V", "001:1.8V", "010:2.0V", "011:2.2V", "100:2.4V",
                                "101:2.6V", "110:3.0V", "111:3.6V"},
                               kLvrWarning);
    Add(l, List("", {TrNoop("内部时钟：8MHZ"), TrNoop("内部时钟：4MHZ"), TrNoop("内部时钟：2MHZ"), TrNoop("内部时钟：1MHZ"),
                     TrNoop("内部时钟：444KHZ")})
               .Key("XT", {"8M", "4M", "2M", "1M", "444KHZ"}).At(0, 6, 4)
               .Codes("111 110 101 100 010"));
    AddCycleAndPorts(l, {"Output Port  Read From Pin", "Output Prot Read From Register"});
    // Written after the compatibility bit, so CW ends as the oscillator-mode text.
    Add(l, Radio("OSCM", {TrNoop("低频晶体振荡器"), TrNoop("高频晶体振荡器"), TrNoop("内部高频IRC 与 RTC模式"), TrNoop("内部高频IRC")})
               .Key("CW", {"00", "01", "10", "11"}).At(3, 4, 3).Codes("00 01 11 10").Default(2));
    return l;
}

OptionLayout QK129()
{
    OptionLayout l = Layout("QK129", "TfrmCfgQK129", CopyRule::SameTwice, {1, 5});
    // Bytes 4 and 5 start from these before the clock writes its bytes.
    Add(l, Fixed({Block(1, 0x00, 0xC0), Block(2, 0xFF), Block(5, 0x3F), Block(4, 0xFF)}));
    AddResetWatchdogProtectLvr(l, TrNoop("P13作为GPIO"), kPeriods640,
                               {"000:3.6V", "001:1.5V", "010:2.8V", "011:2.5V", "100:2.3V",
                                "101:2.0V", "110:1.8V", TrNoop("111:保留")},
                               {});
    const auto clock = [](std::uint8_t b4, std::uint8_t b5, std::uint8_t b6, std::uint8_t b7,
                          bool lowTrim) {
        return Join({Block(4, b4), Block(5, b5, 0x03), Block(6, b6), Block(7, b7)},
                    TrimWords(lowTrim));
    };
    Add(l, List("", kClockEntries).Key("XT", kClockTexts).At(0, 6, 4)
               .Writes({clock(0xC7, 3, 0x01, 6, true), clock(0xD9, 3, 0x03, 5, true),
                        clock(0xEF, 3, 0x05, 4, true), clock(0xFF, 3, 0x07, 3, true),
                        clock(0xE8, 2, 0x09, 2, true), clock(0xFE, 0, 0x0B, 0, false)}));
    AddCycleAndPorts(l, kIoRead);
    Add(l, Radio(TrNoop("施密特阈值选择"), {"0.7VDD/0.3VDD", "1.77V/1.1V"}).Key("SMTSEL", {"0", "1"}).At(3, 3));
    Add(l, Radio("ROTP", {TrNoop("OTP低功耗模式关闭"), TrNoop("OTP低功耗模式打开")}).Key("ROTP", {"0", "1"}).At(3, 4));
    Add(l, Radio(TrNoop("P13端口选择"), {TrNoop("P13为输入或开漏输出"), TrNoop("P13为输入口")}).Key("ODSEL", {"0", "1"})
               .At(3, 5));
    Add(l, Radio("OSCM", {TrNoop("内部低频IRC"), TrNoop("内部高频IRC")}).Key("osc", {"11", "00"}).At(1, 4).Codes("1 0"));
    // Kept as texts only: the clock bytes replace their bits.
    Add(l, Stored("TempAdj", Numbers(32)));
    Add(l, Stored("OptExtra", {"OFF", "ON"}));
    return l;
}

OptionLayout QK139()
{
    OptionLayout l = Layout("QK139", "TfrmCfgQK139", CopyRule::SameTwice, {1, 4});
    Add(l, Fixed({Block(2, 0xFF), Block(3, 0x00, 0xE0)}));
    AddResetWatchdogProtectLvr(l, TrNoop("P13作为GPIO"), kPeriods640,
                               {"000:1.3V", "001:1.8V", "010:2.0V", "011:2.2V", "100:2.4V",
                                "101:2.6V", "110:2.9V", "111:1.5V"},
                               {});
    const auto clock = [](std::uint8_t b4, std::uint8_t b5, std::vector<ByteWrite> b7,
                          bool lowTrim) {
        return Join(Join({Block(4, b4), Block(5, b5, 0x03)}, b7), TrimWords(lowTrim));
    };
    Add(l, List("", kClockEntries).Key("XT", kClockTexts).At(0, 6, 4)
               .Writes({clock(0xCA, 3, {Block(7, 6)}, true), clock(0xD2, 2, {Block(7, 5)}, true),
                        clock(0xE9, 3, {Block(7, 4)}, true), clock(0xFF, 2, {Block(7, 3)}, true),
                        clock(0xFF, 0, {Block(7, 2)}, true), clock(0xFF, 0, {}, false)}));
    AddCycleAndPorts(l, kIoRead);
    Add(l, Radio("DIVSEL", {"00:FINTOSC/8", "01:FINTOSC/4", "10:FINTOSC/2", "11:FINTOSC"})
               .Key("DIVSEL", Numbers(4)).Default(3));
    Add(l, Radio(TrNoop("施密特阈值选择"), {"0.7VDD/0.3VDD", "1.7V/1.1V"}).Key("SMTSEL", {"0", "1"}).At(3, 3));
    Add(l, Radio("ROTP", {TrNoop("OTP低功耗模式关闭"), TrNoop("OTP低功耗模式打开")}).Key("ROTP", {"0", "1"}).At(3, 4));
    Add(l, Radio(TrNoop("P13端口选择"), {TrNoop("P13为输入或开漏输出"), TrNoop("P13为输入口")}).Key("ODSEL", {"0", "1"})
               .At(5, 2));
    Add(l, Radio("VDSEL", {"1.7V", "1.9V"}).Key("VDSEL", {"0", "1"}));
    Add(l, Radio("RCSMT", {TrNoop("打开"), TrNoop("关闭")}).Key("RCSMT", {"0", "1"}));
    Add(l, List("", BinaryNumbers(5, 32)).Key("TempAdj", Numbers(32)));
    Add(l, Check("", TrNoop("TEMP最高位为1")).Key("OptExtra", {"OFF", "ON"}));
    Add(l, Radio(TrNoop("RESSEL 上下拉电阻选择"), {TrNoop("上拉=50K;下拉=50K"), TrNoop("上拉=190K;下拉=300K")})
               .Key("LCD", {"ON", "OFF"}).At(5, 3).Codes("1 0"));
    const auto page = [](std::uint8_t b6, std::uint8_t end, std::uint8_t size) {
        return std::vector<ByteWrite>{Block(6, b6), Chip(0x06, end), Chip(0x07, 0xFF),
                                      Chip(0x08, 0x80), Chip(0x09, size)};
    };
    Add(l, List("", {"0xx0:opbit at 0x8001-0x8003 0.5k", "0x10:opbit at 0x8005-0x8007 0.5k",
                     "0011:opbit at 0x8009-0x800b 0.5k", "1111:opbit at 0x800d-0x800f 1k"})
               .Key("Fsys", {"00", "01", "02", "03"}).Default(3)
               .Writes({page(0xF0, 3, 0x01), page(0xF1, 3, 0x05), page(0xF3, 3, 0x09),
                        page(0xFF, 7, 0x0D)}));
    Add(l, Radio("OSCM", {TrNoop("内部低频IRC"), TrNoop("内部高频IRC")}).Key("osc", {"11", "00"}).At(5, 4).Codes("1 0"));
    return l;
}

} // namespace

void AddClockListLayouts(std::vector<OptionLayout>& layouts)
{
    layouts.push_back(QK128());
    layouts.push_back(QK129());
    layouts.push_back(QK139());
}

} // namespace orvane
