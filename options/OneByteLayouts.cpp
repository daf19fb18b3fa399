// The layouts whose bits all sit in byte 0 of the block.
#include "foundation/Translate.h"
#include "options/LayoutBuilder.h"
#include "options/LayoutParts.h"
#include "options/OptionCodecs.h"

namespace orvane {

using namespace layout;

namespace {

// Carrier divider, codes of layout B; a text not listed is "74".
Item Divider(Texts entries, Texts texts, std::string_view codes)
{
    return Radio(TrNoop("载波选择"), entries).Key("CW", texts).At(0, 2, 0).Codes(codes).Default(7);
}

Item DividerQK106()
{
    return Divider({TrNoop("36分频（约56KHz@4MHz）"), TrNoop("6分频（约38KHz@455KHz）"), TrNoop("50分频（约40KHz@4MHz）"),
                    TrNoop("53分频（约38KHz@4MHz）"), TrNoop("56分频（约36KHz@4MHz）"), TrNoop("61分频（约33KHz@4MHz）"),
                    TrNoop("64分频（约31.5KHz@4MHz）"), TrNoop("74分频（约27KHz@4MHz）")},
                   {"36", "06", "50", "53", "56", "61", "64", "74"},
                   "001 000 010 011 100 101 110 111");
}

// The group the IRC dialogs share; freqWrites (per list entry) go out only with the manual
// calibration.
void AddSpecialOps(OptionLayout& l, Texts freqs, std::vector<std::vector<ByteWrite>> freqWrites)
{
    const std::string_view g = kSpecialOpsGroup;
    const int calibration =
        Add(l, Radio(g, {TrNoop("手动校准IRC（适用于紧急或工程批）"), TrNoop("04H值写入01H（产品成测已经校准）"),
                         TrNoop("02H值写入01H（只中测产品）")})
                   .Default(1)
                   .Writes({{Chip(0x22, 1), Chip(0x24, 4)},
                            {Chip(0x22, 2), Chip(0x24, 4)},
                            {Chip(0x22, 2), Chip(0x24, 2)}}));
    Add(l, Check(g, TrNoop("禁止ROM区烧写/校验使能")).Writes({{Chip(0x26, 0x0F, 0x0F)}, {Chip(0x26, 0, 0x0F)}}));
    Add(l, Check(g, TrNoop("禁止Option烧写/校验使能")).Writes({{Chip(0x26, 0xF0, 0xF0)}, {Chip(0x26, 0, 0xF0)}}));
    Add(l, Item(ControlKind::OneLineList, g).Entries(freqs).Writes(std::move(freqWrites))
               .OnlyIf(calibration, 0));
    Add(l, Check(g, "OPTIONSize=1").Writes({{Chip(0x0A, 2), Chip(0x0B, 2)},
                                             {Chip(0x0A, 1), Chip(0x0B, 1)}}));
}

std::vector<std::vector<ByteWrite>> TwoFrequencyWords()
{
    return {ChipWords(0x0E, {0x0FD2, 0x0F82, 0x0FAA}), ChipWords(0x0E, {0x0FE6, 0x0FAA, 0x0FC8})};
}

// QK101, QK123, QK127: the LVR check box, its voltage pair, protection, clock and the rest.
OptionLayout QK101Family(std::string_view name, std::string_view className, Texts clocks,
                         std::string_view p12Caption, bool pullUpBox)
{
    OptionLayout l = Layout(name, className);
    const int lvr = Add(l, Check("OPTION SET", TrNoop("LVR功能开启")).Key("LVR", kOffOn).At(0, 5).Codes("1 0"));
    Add(l, Radio("OPTION SET", {TrNoop("LVR电压 2.1V"), TrNoop("LVR电压3.6V")})
               .Key("lvrs", {"2.1V", "3.6V"}).At(0, 4).Default(1).EnabledBy(lvr));
    Add(l, ProtectCheck("", TrNoop("加密")));
    Add(l, Radio(TrNoop("时钟选择"), clocks).Key("XT", {"RC2", "RC4", "RC8", "XT"}).At(0, 1, 0).Default(2));
    Add(l, Check("", TrNoop("WDT 开启")).Key("LCD", kOffOn).At(0, 2));
    Add(l, Check("", p12Caption).Key("P12F", kOffOn).At(0, 3).Codes("1 0"));
    if (pullUpBox)
        Add(l, Check("", TrNoop("P12上拉电阻有效")).Key("Freq", {"0", "1"}).At(0, 6));
    else
        Add(l, Stored("Freq", {"0", "1"}).At(0, 6));
    return l;
}

const Texts kQK101Clocks = {TrNoop("内部RC 2MHZ"), TrNoop("内部RC 4MHZ"), TrNoop("内部RC 8MHZ"), TrNoop("外部晶振")};

// QK102 and QK103 store their texts and run layout E.
OptionLayout LayoutE(std::string_view name, std::string_view className, Texts oscEntries,
                     Texts oscTexts, int oscDefault, std::string_view resetCaption)
{
    OptionLayout l = Layout(name, className);
    l.codec = EncodeLayoutE;
    Add(l, Radio(TrNoop("震荡选择"), oscEntries).Key("osc", oscTexts).Default(oscDefault));
    Add(l, ProtectCheck(TrNoop("OPTION 选择"), TrNoop("加密")));
    Add(l, Check(TrNoop("OPTION 选择"), resetCaption).Key("P12F", kOffOn));
    const int lvr = Add(l, Check(TrNoop("LVR 设置"), "LVR Enable").Key("LVR", kOffOn));
    Add(l, Radio(TrNoop("LVR 设置"), {TrNoop("LVR电压3.6V"), TrNoop("LVR电压2.1V")}).Key("lvrs", {"3.6V", "2.1V"})
               .EnabledBy(lvr));
    return l;
}

OptionLayout QK105()
{
    OptionLayout l = Layout("QK105", "TfrmCfgQK105");
    Add(l, Check("OPTION SET", TrNoop("P12用作RESET")).Key("P12F", kOffOn).At(0, 3));
    Add(l, ProtectCheck("OPTION SET", TrNoop("加密")));
    Add(l, Check("OPTION SET", "LVR ON").Key("LVR", kOffOn).At(0, 2));
    Add(l, Radio(TrNoop("振荡方式"), {TrNoop("RC1 （外部）"), "XT", TrNoop("RC2 （5.2MHz）"), TrNoop("RC3 （2.6MHz）")})
               .Key("XT", {"RC1", "XT", "RC2", "RC3"}).At(0, 1, 0).Codes("01 00 10 11").Default(3));
    // Hidden in the window; it keeps the choice stored under RC_NAME.
    Add(l, Check("", TrNoop("将偏差值烧到$1000地址")).Hidden().Key("RC_NAME", kOffOn)
               .Writes({{Chip(0x4F, 2)}, {Chip(0x4F, 4), Chip(0x51, 1)}}));
    return l;
}

OptionLayout QK104()
{
    OptionLayout l = Layout("QK104", "TfrmCfgQK104");
    l.codec = EncodeLayoutD;
    Add(l, Check("OPTION SET", "LVR ON").Key("LVR", kOffOn));
    Add(l, Check("OPTION SET", TrNoop("系统STOP时, LCD关闭")).Key("LCD", kOffOn));
    Add(l, ProtectCheck("OPTION SET", TrNoop("加密")));
    Add(l, Radio(TrNoop("系统时钟选择"), {"Fsys = Fosc/2", "Fsys = Frc/2", "Fsys = Frtc/2"})
               .Key("Fsys", {"00", "01", "10"}));
    Add(l, Radio(TrNoop("内部时钟选择"), {"Fs = Fsys", "Fs = Frtc", "Fs = Fwdt"}).Key("Fs", {"00", "01", "10"}));
    return l;
}

OptionLayout QK106()
{
    OptionLayout l = Layout("QK106", "TfrmCfgQK106");
    Add(l, ProtectCheck("", TrNoop("加密")));
    Add(l, DividerQK106());
    return l;
}

OptionLayout QK107()
{
    OptionLayout l = Layout("QK107", "TfrmCfgQK107");
    Add(l, ProtectCheck(TrNoop("其他设置"), TrNoop("加密")));
    Add(l, DividerQK106());
    Add(l, Radio(TrNoop("振荡模式选择"), {TrNoop("晶振模式"), TrNoop("内部RC模式")}).Key("XT", {"XT", "RC"}).At(0, 3).Default(1));
    Add(l, Check("", TrNoop("正逻辑")).Key("PosLog", kOffOn).At(0, 4));
    return l;
}

OptionLayout QK122()
{
    OptionLayout l = Layout("QK122", "TfrmCfgQK122");
    Add(l, Radio(TrNoop("振荡方式"), {TrNoop("外部晶振XT"), TrNoop("内部RC1 2MHz"), TrNoop("内部RC2 4MHz"), TrNoop("内部RC3 8MHz")})
               .Key("XT", {"XT", "RC1", "RC2", "RC3"}).At(0, 1, 0).Default(3));
    Add(l, ProtectCheck("OPTION SET", TrNoop("程序加密")));
    Add(l, Check("OPTION SET", TrNoop("P12上拉电阻有效")).Key("Freq", {"0", "1"}).At(0, 4));
    Add(l, Check("OPTION SET", TrNoop("P12用作复位脚")).Key("P12F", kOffOn).At(0, 3));
    const int lvr = Add(l, Check(TrNoop("LVR设置"), TrNoop("LVR 开启")).Key("LVR", kOffOn).At(0, 2));
    Add(l, Radio(TrNoop("LVR设置"), {TrNoop("LVR电压 2.1V"), TrNoop("LVR电压 3.6V")}).Key("lvrs", {"2.1V", "3.6V"})
               .At(0, 5).Default(1).EnabledBy(lvr));
    return l;
}

OptionLayout QK113()
{
    OptionLayout l = Layout("QK113", "TFrmCfgQK113", CopyRule::SecondOnly);
    Add(l, ProtectCheck("", TrNoop("芯片加密")));
    AddSpecialOps(l, {"4MHz", "4.03MHZ", "4.09MHZ"},
                  {ChipWords(0x0E, {0x0FC8, 0x0F78, 0x0FA5}),
                   ChipWords(0x0E, {0x0FDC, 0x0FA0, 0x0FC3}),
                   ChipWords(0x0E, {0x1027, 0x0FD7, 0x0FFF})});
    return l;
}

OptionLayout QK114()
{
    OptionLayout l = Layout("QK114", "TFrmCfgQK114", CopyRule::SecondOnly);
    Add(l, ProtectCheck("", TrNoop("芯片加密")));
    AddSpecialOps(l, {"4MHz", "4.03MHZ"}, TwoFrequencyWords());
    Add(l, Radio(TrNoop("振荡器选择"), {TrNoop("外部晶振"), TrNoop("内部RC 4MHz")}).Key("XT", {"XT", "RC4"}).At(0, 6).Default(1));
    return l;
}

OptionLayout QK109()
{
    OptionLayout l = Layout("QK109", "TfrmCfgQK109");
    Add(l, Divider({TrNoop("6分频（约38K @455K OSC）"), TrNoop("36分频（约56K@4M OSC）"), TrNoop("50分频（约40K@4M OSC）"),
                    TrNoop("53分频（约38K@4M OSC）"), TrNoop("56分频（约36K @4M OSC）"), TrNoop("61分频（33K @ 4M OSC）"),
                    TrNoop("64分频（约31.5K@4M OSC）"), TrNoop("74分频（约27K @4M OSC）")},
                   {"06", "36", "50", "53", "56", "61", "64", "74"},
                   "000 001 010 011 100 101 110 111"));
    Add(l, Radio(TrNoop("晶振选择"), {TrNoop("外接晶振"), TrNoop("内置RC")}).Key("XT", {"XT", "RC"}).At(0, 3).Default(1));
    Add(l, Radio(TrNoop("IROUT 设置"), {TrNoop("IROUT输出负逻辑"), TrNoop("IROUT输出正逻辑")}).Key("PosLog", {"N", "P"})
               .At(0, 4).Default(1));
    Add(l, Radio(TrNoop("PB0 上拉电阻设置"), {TrNoop("上拉电阻无效"), TrNoop("上拉电阻有效")}).Key("P12F", kOffOn)
               .At(0, 5).Default(1));
    Add(l, ProtectRadios({TrNoop("数据加密"), TrNoop("数据不加密")}));
    AddSpecialOps(l, {"4MHz", "4.03MHZ"}, TwoFrequencyWords());
    return l;
}

// QK117 and QK118: the clock list reads differently; their frequency list writes nothing.
OptionLayout QK117Family(std::string_view name, std::string_view className,
                         std::string_view crystal)
{
    OptionLayout l = Layout(name, className);
    Add(l, Radio(TrNoop("振荡方式"), {TrNoop("内置8M RC振荡"), TrNoop("内置4M RC振荡"), TrNoop("内置2M RC振荡"), crystal})
               .Key("XT", {"RC8", "RC4", "RC2", "XT"}).At(0, 1, 0).Codes("11 10 00 01"));
    Add(l, Radio(TrNoop("P17功能"), {TrNoop("P17为Reset"), TrNoop("P17为INPUT")}).Key("P12F", kOnOff).At(0, 3).Default(1));
    Add(l, Radio(TrNoop("P17上拉电阻设置"), {TrNoop("P17上拉有电阻有效"), TrNoop("P17上拉电阻无效")}).Key("Freq", {"1", "0"})
               .At(0, 6).Codes("1 0"));
    const int lvr = static_cast<int>(l.items.size()) + 1;
    Add(l, Radio(TrNoop("LVR设置"), {TrNoop("LVR电压3.6V"), TrNoop("LVR电压 2.1V")}).Key("lvrs", {"3.6v", "2.1v"})
               .At(0, 4).Codes("1 0").EnabledBy(lvr));
    Add(l, Check(TrNoop("LVR设置"), "LVR Enable").Key("LVR", kOffOn).At(0, 5).Codes("1 0"));
    Add(l, Check(TrNoop("选项"), TrNoop("开启WDT振荡器")).Key("LCD", kOffOn).At(0, 2).Codes("1 0"));
    Add(l, ProtectCheck(TrNoop("选项"), TrNoop("加密")));
    AddSpecialOps(l, {"4MHz", "4.03MHZ"}, {});
    return l;
}

OptionLayout QK120()
{
    OptionLayout l = Layout("QK120", "TFrmCfgQK120");
    Add(l, Radio(TrNoop("振荡方式"), {TrNoop("内置8M RC振荡"), TrNoop("内置4M RC振荡"), TrNoop("内置2M RC振荡"), TrNoop("晶振400K-8M")})
               .Key("XT", {"RC8", "RC4", "RC2", "XT"}).At(0, 1, 0).Codes("10 01 00 11").Default(3));
    Add(l, Radio(TrNoop("P17功能"), {TrNoop("P16为Reset"), TrNoop("P16为IO")}).Key("P12F", kOnOff).At(0, 3).Default(1));
    Add(l, Radio(TrNoop("LVR设置"), {"LVRS[1:0]=00", "LVRS[1:0]=01", "LVRS[1:0]=10", "LVRS[1:0]=11"})
               .Key("oFreq", {"0", "1", "2", "3"}).At(0, 5, 4).Default(3));
    Add(l, Check(TrNoop("选项"), TrNoop("开启WDT振荡器")).Key("LCD", kOffOn).At(0, 2).Codes("1 0"));
    Add(l, ProtectCheck(TrNoop("选项"), TrNoop("加密")));
    return l;
}

Item LvrRadios(int bit)
{
    return Radio(TrNoop("LVR 使能"), {TrNoop("LVR开启"), TrNoop("LVR关闭")}).Key("LVR", kOnOff).At(0, bit).Default(1);
}

Item WdtRadios(int bit)
{
    return Radio(TrNoop("WDT 设置"), {TrNoop("WDT 开启"), TrNoop("WDT 关闭")}).Key("LCD", kOnOff).At(0, bit).Default(1);
}

OptionLayout QK124()
{
    OptionLayout l = Layout("QK124", "TFrmCfgQK124");
    Add(l, LvrRadios(5));
    Add(l, Radio(TrNoop("RST 设置"), {TrNoop("PC1作为复位脚"), TrNoop("PC1作为IO口")}).Key("P12F", kOnOff).At(0, 4).Default(1));
    Add(l, WdtRadios(6));
    Add(l, ProtectRadios());
    return l;
}

OptionLayout QK125()
{
    OptionLayout l = Layout("QK125", "TFrmCfgQK125");
    Add(l, LvrRadios(5));
    Add(l, WdtRadios(6));
    Add(l, ProtectRadios());
    Add(l, Radio(TrNoop("IRC选择"), {"IRC 8MHZ", "ICR 16MHZ"}).Key("XT", {"RC1", "RC2"}).At(0, 4)
               .Codes("1 0"));
    return l;
}

OptionLayout QK110()
{
    OptionLayout l = Layout("QK110", "TFrmCfgQK110");
    Add(l, ProtectRadios());
    Add(l, Radio(TrNoop("OSC-RC 设置"), {TrNoop("晶振"), "IRC"}).Key("P12F", kOnOff).At(0, 6).Default(1));
    Add(l, Radio(TrNoop("MID设置"), {TrNoop("00:悬空VDD_PAD,绑定GND_PAD"), TrNoop("01:悬空VDD_PAD,悬空GND_PAD"),
                             TrNoop("10:绑定VDD_PAD,绑定GND_PAD"), TrNoop("11:绑定VDD_PAD,悬空GND_PAD")})
               .Key("XT", {"1M", "2M", "4M", "8M"}).At(0, 5, 4).Default(3));
    return l;
}

} // namespace

void AddOneByteLayouts(std::vector<OptionLayout>& layouts)
{
    layouts.push_back(QK101Family("QK101", "TfrmCfgQK101", kQK101Clocks, TrNoop("P12脚作 输入"), true));
    layouts.push_back(QK106());
    layouts.push_back(QK105());
    layouts.push_back(QK104());
    layouts.push_back(LayoutE("QK102", "TfrmCfgQK102",
                              {"L RC", TrNoop("XT（0.4~8MHz）"), TrNoop("HRC(可校准)"), TrNoop("LP （32KHz）")},
                              {"001", "011", "110", "111"}, 2, TrNoop("P17用作RESET")));
    // The last two buttons carry the next two codes of the binary count.
    layouts.push_back(LayoutE("QK103", "TfrmCfgQK103",
                              {TrNoop("RC3 （4MHz）"), TrNoop("RC2 （2MHz）"), TrNoop("RC1 （外部）"), TrNoop("XT（0.4~8MHz）"),
                               TrNoop("RC4 （6MHz）"), TrNoop("LP （32KHz）")},
                              {"000", "001", "010", "011", "100", "101"}, 0, TrNoop("P07用作RESET")));
    layouts.push_back(QK107());
    layouts.push_back(QK122());
    layouts.push_back(QK113());
    layouts.push_back(QK109());
    layouts.push_back(QK101Family("QK123", "TFrmCfgQK123",
                                  {TrNoop("内部RC 1MHZ"), TrNoop("内部RC 2MHZ"), TrNoop("内部RC 4MHZ"), TrNoop("内部RC 8MHZ")},
                                  TrNoop("P12脚作IO"), false));
    layouts.push_back(QK117Family("QK117", "TFrmCfgQK117", TrNoop("晶振400K-4M")));
    layouts.push_back(QK124());
    layouts.push_back(QK120());
    layouts.push_back(QK117Family("QK118", "TFrmCfgQK118", TrNoop("晶振400K-8M")));
    layouts.push_back(QK114());
    layouts.push_back(QK125());
    layouts.push_back(QK101Family("QK127", "TFrmCfgQK127", kQK101Clocks, TrNoop("P12脚作 输入"), true));
    layouts.push_back(QK110());
}

} // namespace orvane
