// The layouts with a three-state watchdog: QK131, QK132, QK133, QK136, QK137, QK138, QK130 and
// (in byte 4) QK134.
#include "foundation/Translate.h"
#include "options/LayoutBuilder.h"
#include "options/LayoutParts.h"
#include "options/OptionKeys.h"

namespace orvane {

using namespace layout;

namespace {

const Texts kWatchdogEntries = {TrNoop("始终关闭看门狗"), TrNoop("休眠模式下关闭看门狗"), TrNoop("始终开启看门狗")};
const Texts kPeriods4 = {"PWRT=TWDT=4ms",         "PWRT=TWDT=16ms",
                         "PWRT=TWDT=64ms",        "PWRT=TWDT=256ms",
                         "PWRT=4ms TWDT=512ms",   "PWRT=16ms TWDT=1024ms",
                         "PWRT=64ms TWDT=2048ms", "PWRT=256ms TWDT=4096ms"};
const Texts kPeriods16 = {"PWRT=TWDT=16ms",        "PWRT=TWDT=64ms",
                          "PWRT=TWDT=256ms",       "PWRT=TWDT=1024ms",
                          "PWRT=4ms TWDT=2048ms",  "PWRT=16ms TWDT=4096ms",
                          "PWRT=64ms TWDT=8192ms", "PWRT=256ms TWDT=16384ms"};
const Texts kPeriodsQK134 = {"PWRT=TWDT=16ms",        "PWRT=TWDT=64ms",
                             "PWRT=TWDT=256ms",       "PWRT=TWDT=1024ms",
                             "PWRT=16ms TWDT=2048ms", "PWRT=64ms TWDT=4096ms",
                             "PWRT=256ms TWDT=8192ms", "PWRT=1024ms TWDT=16384ms"};
const Texts kFosc = {"000:Fosc/2",  "001:Fosc/4",  "010:Fosc/8",   "011:Fosc/16",
                     "100:Fosc/32", "101:Fosc/64", "110:Fosc/128", "111:Fosc/256"};
const Texts kClockTexts = {"16M", "8M", "4M", "2M", "1M", "500K", "455K", "32K"};
// Protection of the family: B1.7, cleared in the second copy.
constexpr BitRef kProtection = {1, 7};
// QK136, QK137 and QK138 list the voltages from code 111 down; QK136 stores for position k the
// text of position 7 - k.
const Texts kLvrTextsReversed = {"3.6V", "3.0V", "2.6V", "2.4V", "2.2V", "2.0V", "1.8V", "1.5V"};
constexpr std::string_view kCountDown = "111 110 101 100 011 010 001 000";
const Texts kResetPins = {TrNoop("相应管脚作为复位脚"), TrNoop("相应管脚为IO")};
const Texts kP16 = {TrNoop("P16作为复位脚"), TrNoop("P16作为输入脚")};

Item Watchdog(int byte, Texts texts = {"OFF", "OF", "ON"})
{
    return Radio(TrNoop("WDT 设置"), kWatchdogEntries).Key("WDT", texts).At(byte, 1, 0).Codes("00 01 11")
        .Default(2);
}

// The period text is the list position; its three digits go to the bits, most significant first.
Item Period(const Texts& entries, std::vector<BitRef> bits)
{
    return List(TrNoop("WDT 设置"), entries).Key("Fs", BinaryNumbers(3, 8)).At(std::move(bits)).Default(7);
}

// Protection, watchdog, period, reset pin, LVR list and the Fosc list that carries the clock.
void AddCommon(OptionLayout& l, const Texts& periods, const Texts& resetPins, Texts lvrEntries,
               const Texts& lvrTexts, std::string_view lvrCodes)
{
    Add(l, ProtectRadios());
    Add(l, Watchdog(0));
    Add(l, Period(periods, {{1, 5}, {0, 3}, {0, 2}}));
    Add(l, Radio(TrNoop("MCLRE 设置"), resetPins).Key("P12F", kOnOff).At(0, 7).Codes("1 0"));
    Add(l, List("", lvrEntries).Key("lvrs", lvrTexts).At(1, 4, 2).Codes(lvrCodes));
    Add(l, List("", kFosc).Key("XT", kClockTexts).At(0, 6, 4).Default(7));
}

const Texts kOscm = {TrNoop("内部高频RC与内部低频RC"), TrNoop("外部高频与内部低频RC"), TrNoop("内部高频IRC 与外部低频模式")};
const Texts kLvr160 = {"000:1.60V", "001:1.85V", "010:2.05V", "011:2.18V",
                       "100:2.32V", "101:2.45V", "110:3.05V", "111:3.60V"};
const Texts kLvr15Down = {"111:1.5V", "110:1.8V", "101:2.0V", "100:2.2V",
                          "011:2.4V", "010:2.6V", "001:3.0V", "000:3.6V"};
constexpr std::string_view kCountUp = "000 001 010 011 100 101 110 111";

OptionLayout QK131()
{
    OptionLayout l = Layout("QK131", "TFrmCfgQK131", CopyRule::TwoCopies, kProtection);
    Add(l, Radio("OSCM", kOscm).Key("Freq", {"0", "1", "2"}).At(1, 1, 0).Codes("00 01 10"));
    AddCommon(l, kPeriods4, kP16, kLvr160, kLvrTexts, kCountUp);
    return l;
}

OptionLayout QK133()
{
    OptionLayout l = Layout("QK133", "TFrmCfgQK133", CopyRule::TwoCopies, kProtection);
    AddCommon(l, kPeriods4, kP16, kLvr160, kLvrTexts, kCountUp);
    Add(l, Radio("FIL", {TrNoop("0:无滤波"), TrNoop("1:有滤波")}).Key("LCD", {"OFF", "ON"}).At(1, 6));
    Add(l, Stored("TempAdj", Numbers(16)).At(3, 4, 1));
    Add(l, Fixed({Block(3, 0x00, 0xE1)}));
    return l;
}

OptionLayout QK132()
{
    OptionLayout l = Layout("QK132", "TFrmCfgQK132", CopyRule::TwoCopies, kProtection);
    Add(l, Radio("OSCM", kOscm).Key("Freq", {"0", "1", "2"}).At(1, 1, 0).Codes("00 01 11"));
    AddCommon(l, kPeriods4, {TrNoop("对应脚作为复位脚"), TrNoop("对应脚作为IO")},
              {"000:1.6V", "001:1.8V", "010:2.0V", "011:2.2V", "100:2.4V", "101:2.6V", "110:3.0V",
               "111:3.6V"},
              kLvrTexts, kCountUp);
    // A locked block has its bit 0 and the text "1".
    for (int lock = 15; lock >= 0; --lock) {
        Add(l, Check(TrNoop("ROM区 LOCK设置"), Numbers(16)[static_cast<std::size_t>(lock)])
                   .Key(kOptionKeys[static_cast<std::size_t>(22 + lock)].key, {"0", "1"})
                   .At(4 + lock / 8, lock % 8).Codes("1 0"));
    }
    Add(l, List("", {"00:2.1V", "01:2.4V", "10:2.7V", "11:3.0V"}).Key("LVD", Numbers(4)).At(3, 1, 0)
               .Default(3));
    Add(l, Fixed({Block(3, 0x00, 0x10)}));
    return l;
}

// The trim list of 32 entries; B3 = trim × 8 + 7.
Item Trim(int byte)
{
    return List("", BinaryNumbers(5, 32)).Key("TempAdj", Numbers(32)).At(byte, 7, 3);
}

Item LowOscillator()
{
    return Radio("LOSC", {TrNoop("内部28KHz低频"), TrNoop("外部32KHz低频")}).Key("Freq", {"0", "1"}).At(1, 0);
}

Item HighOscillator(std::string_view external)
{
    return Radio("HOSC", {TrNoop("内部高频16MHz"), external}).Key("osc", {"000", "111"}).At(1, 1);
}

void AddDriveBoxes(OptionLayout& l)
{
    Add(l, Check("", TrNoop("使能VDSEL")).At(4, 0));
    Add(l, Check("", TrNoop("使能HMSEL")).At(4, 1));
    Add(l, Check("", TrNoop("使能XTDRVB")).At(4, 2));
}

OptionLayout QK136()
{
    OptionLayout l = Layout("QK136", "TFrmCfgQK136", CopyRule::TwoCopies, kProtection);
    Add(l, LowOscillator());
    // The list reads "111:1.5V" first; the texts stored keep their old pairing (position k with
    // the text of position 7 - k), so settings files written before read back the same entry.
    AddCommon(l, kPeriods4, kResetPins, kLvr15Down, kLvrTextsReversed, kCountDown);
    Add(l, HighOscillator(TrNoop("外部晶振高频")));
    Add(l, Check("", TrNoop("使能RAM掉电保持功能")).Key("LCD", {"OFF", "ON"}).At(1, 6).Codes("1 0"));
    Add(l, Trim(3));
    AddDriveBoxes(l);
    Add(l, List("", BinaryNumbers(3, 8)).Key("LVD", Numbers(8)).At(4, 5, 3));
    return l;
}

OptionLayout QK138()
{
    OptionLayout l = Layout("QK138", "TFrmCfgQK138", CopyRule::TwoCopies, kProtection);
    Add(l, LowOscillator());
    AddCommon(l, kPeriods4, kResetPins, kLvr15Down, kLvrTexts, kCountDown);
    Add(l, HighOscillator(TrNoop("外部晶振高频")));
    Add(l, Trim(3));
    // Bytes 2..5 are blanked again before the boxes, the trim's byte among them.
    Add(l, Fixed({Block(2, 0xFF), Block(3, 0xFF), Block(4, 0xFF), Block(5, 0xFF)}));
    AddDriveBoxes(l);
    return l;
}

OptionLayout QK137()
{
    OptionLayout l = Layout("QK137", "TFrmCfgQK137", CopyRule::TwoCopies, kProtection);
    AddCommon(l, kPeriods16, kResetPins,
              {"111:1.5V", "110:1.7V", "101:1.9V", "100:2.1V", "011:2.3V", "010:2.5V", "001:2.7V",
               "000:2.9V"},
              kLvrTexts, kCountDown);
    Add(l, HighOscillator(TrNoop("外部晶振")));
    Add(l, Check("", TrNoop("RAM电源内置")).Key("LCD", {"OFF", "ON"}).At(1, 6));
    Add(l, List("", {"500mA", "375mA", "250mA", "125mA"}).Key("LVD", Numbers(4)).At(4, 5, 4));
    Add(l, Radio(TrNoop("晶振模式选择"), {TrNoop("0：455KHz"), "1:4MHz-16MHz"}).Key("Freq", {"0", "1"}).At(4, 1));
    Add(l, Stored("TempAdj", Numbers(32)).At(3, 7, 3));
    return l;
}

OptionLayout QK130()
{
    OptionLayout l = Layout("QK130", "TfrmCfgQK130", CopyRule::TwoCopies, {1, 4});
    Add(l, ProtectRadios());
    Add(l, Watchdog(0));
    Add(l, List("", {"500mA", "375mA", "250mA", "125mA"})
               .Key("lvrs", {"1.5V", "1.8V", "2.0V", "2.2V"}).At(0, 5, 4).Default(3));
    Add(l, List("", {"00:Fosc/2", "01:Fosc/4", "10:Fosc/8", "11:Fosc/16"})
               .Key("XT", {"16M", "8M", "4M", "2M"}).At(0, 3, 2).Default(3));
    Add(l, Stored("P12F", {"ON", "OFF"}).At(0, 6).Default(1));
    // The trim's lowest bit in B0.7, the trim divided by 2 in B1.3..0.
    Add(l, Stored("TempAdj", Numbers(32)).At({{1, 3}, {1, 2}, {1, 1}, {1, 0}, {0, 7}}));
    Add(l, Stored("Fs", {"000", "001", "010", "011"}).At(3, 4, 3).Default(3));
    Add(l, Fixed({Block(1, 0x00, 0xE0), Block(3, 0x00, 0xE0)}));
    return l;
}

OptionLayout QK134()
{
    OptionLayout l = Layout("QK134", "TfrmCfgQK134", CopyRule::SameTwice, {5, 7});
    Add(l, Radio(TrNoop("MCLRE 设置"), {TrNoop("P55作为复位脚"), TrNoop("P55作为GPIO")}).Key("P12F", kOnOff).At(4, 7)
               .Codes("1 0"));
    Add(l, ProtectRadios());
    Add(l, List("", {"0000:2.7V", "0001:2.6V", "0010:2.5V", "0011:2.4V", "0100:2.3V", "0101:2.2V",
                     "0110:2.1V", "0111:2.0V", "1000:1.9V", "1001:1.8V", "1010:1.7V", "1011:1.6V",
                     "1100:1.5V", "1101:1.4V", "1110:1.3V", "1111:1.2V"})
               .Key("lvrs", {"2.7v", "2.6v", "2.5v", "2.4v", "2.3v", "2.2v", "2.1v", "2.0v", "1.9v",
                             "1.8v", "1.7v", "1.6v", "1.5v", "1.4v", "1.3v", "1.2v"})
               .At({{5, 6}, {5, 4}, {5, 3}, {5, 2}}).Default(15));
    Add(l, Radio("FDS", {"00:FAS/8", "01:FAS/4", "10:FAS/2", "11:FAS"})
               .Key("DIVSEL", {"1", "2", "3", "4"}).At(9, 4, 3).Default(3));
    Add(l, Radio(TrNoop("低频时钟源选择"), {TrNoop("低频为内部振荡器"), TrNoop("低频为外部32768Hz")}).Key("oFreq", kOnOff)
               .At(5, 0).Default(1));
    Add(l, Radio("VDSEL", {"1.4V", "1.7V"}).Key("VDSEL", {"0", "1"}).At(8, 1).Default(1));
    Add(l, Radio("RCSMT", {TrNoop("打开"), TrNoop("关闭")}).Key("RCSMT", {"0", "1"}).At(9, 5).Codes("1 0"));
    // Repeat count and code: option bytes 0 and 10 and the chip-data size bytes.
    const int repeat = Add(l, List("", {TrNoop("1次"), TrNoop("2次"), TrNoop("4次")}).Key("CW", {"1", "2", "3"}).At(0, 6, 4)
                                  .Codes("011 101 110")
                                  .Writes({{Chip(0x06, 0x7F), Chip(0x07, 0xFF)},
                                           {Chip(0x06, 0x3F), Chip(0x07, 0xFF)},
                                           {Chip(0x06, 0x1F), Chip(0x07, 0xFF)}}));
    const int code = Add(l, List("", {"0111", "0011", "0001", "0000"})
                                .Key("osc", {"1", "2", "3", "4"}).At(0, 3, 0)
                                .Codes("0111 0011 0001 0000"));
    Add(l, Fixed({Block(10, 2), Chip(0x09, 2)}).OnlyIf(repeat, 0));
    const std::vector<ByteWrite> two = {Block(10, 2), Chip(0x09, 2)};
    const std::vector<ByteWrite> five = {Block(10, 5), Chip(0x09, 5)};
    Add(l, Rule(code, {two, five, five, five}).OnlyIf(repeat, 1));
    Add(l, Rule(code, {{Chip(0x09, 2)}, {Chip(0x09, 5)}, {Chip(0x09, 8)}, {Chip(0x09, 0x0B)}})
               .OnlyIf(repeat, 2));
    Add(l, List("", BinaryNumbers(5, 16)));
    Add(l, Trim(7));
    Add(l, List("", BinaryNumbers(5, 16)));
    Add(l, Watchdog(4, {"OFF", "", "ON"}));
    Add(l, Period(kPeriodsQK134, {{5, 5}, {4, 3}, {4, 2}}));
    const auto clock = [](std::vector<ByteWrite> words, std::uint8_t b11) {
        words.push_back(Block(11, b11));
        return words;
    };
    const auto fast = ChipWords(0x0E, {0x09CC, 0x09BC, 0x09C4});
    Add(l, List("", kFosc).Key("XT", {"16M", "8M", "4M", "2M", "1M", "500K", "455K", "62.5K"})
               .At(4, 6, 4).Default(7)
               .Writes({clock(fast, 0x60), clock(fast, 0x50), clock(fast, 0x40), clock(fast, 0x30),
                        clock(fast, 0x20), clock(ChipWords(0x0E, {0x08F9, 0x08CA, 0x08E3}), 0x00),
                        {}, {}}));
    Add(l, Check("", TrNoop("TEMP最高位为1")).Key("OptExtra", {"OFF", "ON"}).At(8, 0));
    const Texts current = {"00:125mA", "01:250mA", "10:375mA", "11:500mA"};
    Add(l, List("", current).Key("ODSEL", {"1", "2", "3", "4"}).At(8, 5, 2)
               .Codes("1100 1001 1010 0111")
               .AlsoStore("LVD", "1").AlsoStore("SMTSEL", "1"));
    Add(l, List("", current));
    Add(l, List("", {"000:16M", "001: 8M", "010: 4M", "011: 2M", "100: 1M", "101: 455K"})
               .Key("Fsys", {"1", "2", "3", "4", "5", "6"}).At(9, 2, 0));
    return l;
}

} // namespace

void AddThreeStateWatchdogLayouts(std::vector<OptionLayout>& layouts)
{
    layouts.push_back(QK131());
    layouts.push_back(QK136());
    layouts.push_back(QK138());
    layouts.push_back(QK132());
    layouts.push_back(QK130());
    layouts.push_back(QK133());
    layouts.push_back(QK137());
    layouts.push_back(QK134());
}

} // namespace orvane
