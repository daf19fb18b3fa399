// Whole blocks, copies, chip-data bytes and stored texts of the dialog encoders, worked out by
// hand from the written bit tables.
#include "options/OptionLayout.h"
#include "tests/options/OptionTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <vector>

namespace orvane {
namespace {

using test::Choose;
using test::HexBytes;
using test::OptionState;

struct Case {
    const char* layout;
    const char* texts;              // shown by FormShow
    std::vector<const char*> clicks; // then picked by the operator
    const char* copy1;  // leading bytes at OptionAddr1, the rest of the 32 0xFF; "-": not written
    const char* copy2;  // the same at OptionAddr2
    const char* chip;   // "OFFSET=BYTES;..." of the chip-data area; every other byte keeps 0x55
    const char* after;  // texts after OK
};

// n bytes of fill after writes "06=F0 03;0E=12": each run of bytes from its offset.
std::string Written(std::size_t n, std::uint8_t fill, const std::string& writes)
{
    std::vector<std::uint8_t> bytes(n, fill);
    std::istringstream parts(writes);
    for (std::string part; std::getline(parts, part, ';');) {
        const auto eq = part.find('=');
        std::size_t at = std::stoul(part.substr(0, eq), nullptr, 16);
        std::istringstream values(part.substr(eq + 1));
        for (std::string v; values >> v;)
            bytes[at++] = static_cast<std::uint8_t>(std::stoul(v, nullptr, 16));
    }
    return HexBytes(bytes.data(), static_cast<int>(n));
}

// A copy's 32 bytes: the leading bytes given, the rest 0xFF; "-" for 32 untouched bytes.
std::string Copy(const std::string& lead)
{
    return lead == "-" ? Written(32, 0x55, "") : Written(32, 0xFF, "0=" + lead);
}

// Show, the clicks, OK; then the copies, chip data and stored texts.
void ExpectCase(const Case& c)
{
    SCOPED_TRACE(std::string(c.layout) + " " + c.texts);
    AppState s = OptionState(c.texts);
    const OptionLayout* layout = FindOptionLayout(c.layout);
    ASSERT_NE(layout, nullptr);
    OptionChoices choices = ShowChoices(s, *layout);
    for (const char* click : c.clicks)
        Choose(*layout, choices, click);
    EncodeOptions(s, *layout, choices);
    CopyOptionBlock(s, *layout);
    EXPECT_EQ(HexBytes(&s.RomImage[0x2100], 32), Copy(c.copy1));
    EXPECT_EQ(HexBytes(&s.RomImage[0x2120], 32), Copy(c.copy2));
    EXPECT_EQ(HexBytes(&s.RomImage[0x7D00], 0x60), Written(0x60, 0x55, c.chip));
    std::istringstream words(c.after);
    for (std::string word; words >> word;) {
        const auto eq = word.find('=');
        EXPECT_EQ(*OptionTextOf(s, word.substr(0, eq)), word.substr(eq + 1)) << word;
    }
}

TEST(OptionLayouts, OneByteBlocks)
{
    const Case cases[] = {
        {"QK101", "LVR=ON lvrs=2.1V SEC=ON XT=XT LCD=ON P12F=ON Freq=1", {}, "C7", "47", "", ""},
        // An unknown clock shows "内部RC 8MHZ" and is stored as its text.
        {"QK101", "LVR=OFF lvrs=3.6V SEC=OFF XT=HS LCD=OFF P12F=OFF Freq=0", {}, "BA", "BA", "",
         "XT=RC8 LVR=OFF lvrs=3.6V"},
        {"QK127", "LVR=OFF lvrs=2.1V SEC=OFF XT=RC4 LCD=OFF P12F=ON Freq=0", {}, "A1", "A1", "",
         ""},
        // QK123's list names 1..8 MHz; the pull-up has no box and keeps its text.
        {"QK123", "LVR=ON lvrs=3.6V SEC=OFF LCD=OFF P12F=ON Freq=1", {"内部RC 1MHZ"}, "D0", "D0", "",
         "XT=RC2 Freq=1"},
        {"QK106", "SEC=ON", {"36分频（约56KHz@4MHz）"}, "F9", "79", "", "CW=36 SEC=ON"},
        {"QK106", "SEC=OFF CW=99", {}, "FF", "FF", "", "CW=74"},
        {"QK105", "P12F=ON SEC=OFF LVR=OFF XT=XT RC_NAME=ON", {}, "F8", "F8", "4F=04;51=01",
         "RC_NAME=ON"},
        {"QK105", "P12F=OFF SEC=ON LVR=ON XT=RC3 RC_NAME=OFF", {}, "F7", "77", "4F=02", "XT=RC3"},
        {"QK104", "LVR=OFF LCD=ON SEC=ON Fsys=01 Fs=10", {}, "49", "49", "", ""},
        {"QK102", "osc=011 SEC=OFF P12F=ON LVR=ON lvrs=2.1V", {}, "EB", "EB", "", ""},
        {"QK103", "SEC=ON P12F=OFF LVR=OFF lvrs=2.1V", {"LP （32KHz）"}, "45", "45", "", "osc=101"},
        {"QK107", "SEC=ON CW=06 XT=XT PosLog=ON", {}, "F0", "70", "", ""},
        {"QK107", "SEC=OFF CW=74 XT=RC PosLog=OFF", {}, "EF", "EF", "", ""},
        {"QK122", "XT=RC2 SEC=OFF Freq=1 P12F=OFF LVR=ON lvrs=2.1V", {}, "D6", "D6", "", ""},
        {"QK117", "XT=XT P12F=ON Freq=0 lvrs=2.1v LVR=ON LCD=ON SEC=OFF", {}, "81", "81",
         "0A=02 02;22=02;24=04;26=FF", ""},
        {"QK118", "XT=RC2 P12F=OFF Freq=1 lvrs=3.6v LVR=OFF LCD=OFF SEC=ON",
         {"手动校准IRC（适用于紧急或工程批）", "4.03MHZ"}, "FC", "7C", "0A=02 02;22=01;24=04;26=FF", ""},
        {"QK120", "XT=RC8 P12F=ON oFreq=1 LCD=OFF SEC=OFF", {}, "D6", "D6", "", ""},
        {"QK124", "LVR=ON P12F=OFF LCD=ON SEC=ON", {}, "9F", "1F", "", ""},
        {"QK125", "LVR=OFF LCD=OFF XT=RC2 SEC=OFF", {}, "EF", "EF", "", ""},
        {"QK110", "SEC=ON P12F=ON XT=2M", {}, "9F", "1F", "", ""},
        {"QK109", "CW=53 XT=XT PosLog=N P12F=OFF SEC=ON",
         {"手动校准IRC（适用于紧急或工程批）", "4.03MHZ"}, "C3", "43",
         "0A=02 02;0E=0F E6 0F AA 0F C8;22=01;24=04;26=FF", ""},
        {"QK109", "CW=53 XT=XT PosLog=N P12F=OFF SEC=OFF",
         {"02H值写入01H（只中测产品）", "4.03MHZ", "OPTIONSize=1", "禁止ROM区烧写/校验使能"}, "C3", "C3",
         "0A=01 01;22=02;24=02;26=F0", ""},
        // Only the second copy, protection cleared in the block itself.
        {"QK113", "SEC=ON", {"手动校准IRC（适用于紧急或工程批）", "4.09MHZ", "禁止Option烧写/校验使能"},
         "-", "7F", "0A=02 02;0E=10 27 0F D7 0F FF;22=01;24=04;26=0F", ""},
        {"QK113", "SEC=OFF", {"手动校准IRC（适用于紧急或工程批）"}, "-", "FF",
         "0A=02 02;0E=0F C8 0F 78 0F A5;22=01;24=04;26=FF", ""},
        {"QK114", "SEC=ON XT=XT", {"手动校准IRC（适用于紧急或工程批）"}, "-", "3F",
         "0A=02 02;0E=0F D2 0F 82 0F AA;22=01;24=04;26=FF", ""},
    };
    for (const Case& c : cases)
        ExpectCase(c);
}

// Layout B's divider codes, "06" to "74" for 000 to 111, in the three dialogs that write them.
TEST(OptionLayouts, DividerCodes)
{
    const char* const texts[] = {"06", "36", "50", "53", "56", "61", "64", "74"};
    for (const char* name : {"QK106", "QK107", "QK109"}) {
        const OptionLayout& layout = *FindOptionLayout(name);
        for (int code = 0; code < 8; ++code) {
            AppState s = OptionState(std::string("CW=") + texts[code]);
            EncodeOptions(s, layout, ShowChoices(s, layout));
            EXPECT_EQ(s.OptionBytes[0] & 7, code) << name << " CW=" << texts[code];
        }
    }
}

// QK129's clock rows: bytes 4 to 7 and the low trim words; the clock's code in B0.6..4.
TEST(OptionLayouts, QK129ClockRows)
{
    const char* const rows[][2] = {{"16M", "C7 3F 01 06"}, {"8M", "D9 3F 03 05"},
                                   {"4M", "EF 3F 05 04"}, {"2M", "FF 3F 07 03"}};
    const OptionLayout& layout = *FindOptionLayout("QK129");
    for (int code = 0; code < 4; ++code) {
        AppState s = OptionState(std::string("XT=") + rows[code][0]);
        EncodeOptions(s, layout, ShowChoices(s, layout));
        CopyOptionBlock(s, layout);
        EXPECT_EQ(HexBytes(&s.RomImage[0x2104], 4), rows[code][1]) << rows[code][0];
        EXPECT_EQ(s.RomImage[0x2100] >> 4 & 7, code) << rows[code][0];
        EXPECT_EQ(HexBytes(&s.RomImage[0x7D0E], 6), "04 ED 04 D7 04 E2") << rows[code][0];
    }
}

TEST(OptionLayouts, ClockListBlocks)
{
    const Case cases[] = {
        // The compatibility choice shows its default: CW holds the oscillator-mode text.
        {"QK128", "P12F=OFF WDT=ON Fs=101 SEC=ON lvrs=2.2V XT=1M Freq=2 LVR=OFF oFreq=ON CW=10", {},
         "43 3D FF FE", "43 3D FF DE", "", "CW=10"},
        {"QK128",
         "P12F=ON WDT=OFF Fs=000 SEC=OFF lvrs=1.5V XT=444KHZ Freq=1 LVR=ON oFreq=OFF CW=01",
         {"兼容QK-B系列"}, "A8 30 FF E9", "A8 30 FF E9", "", "CW=01"},
        {"QK129",
         "P12F=ON WDT=OFF Fs=010 SEC=ON lvrs=3.0V XT=1M Freq=1 LVR=ON oFreq=OFF CW=ON SMTSEL=1 "
         "ROTP=0 ODSEL=1 osc=00 TempAdj=17 OptExtra=ON",
         {}, "CE 02 FF ED E8 3E 09 02", "CE 02 FF ED E8 3E 09 02", "0E=04 ED 04 D7 04 E2",
         "TempAdj=17 OptExtra=ON XT=1M"},
        {"QK129", "XT=455KHZ SEC=OFF TempAdj=3", {}, "DF 3F FF C7 FE 3C 0B 00",
         "DF 3F FF C7 FE 3C 0B 00", "0E=08 F8 08 CE 08 E3", ""},
        {"QK139",
         "P12F=OFF WDT=ON Fs=111 SEC=OFF lvrs=1.5V XT=455KHZ Freq=2 LVR=OFF oFreq=ON CW=OFF "
         "DIVSEL=2 SMTSEL=0 ROTP=1 ODSEL=0 VDSEL=1 RCSMT=0 TempAdj=5 OptExtra=OFF LCD=OFF "
         "Fsys=01 osc=11",
         {}, "50 FF FF 12 FF F0 F1", "50 FF FF 12 FF F0 F1", "06=03 FF 80 05;0E=08 F8 08 CE 08 E3",
         "Fsys=01 DIVSEL=2 VDSEL=1 RCSMT=0 TempAdj=5"},
        {"QK139",
         "P12F=ON WDT=OFF Fs=000 SEC=ON lvrs=3.6V XT=16M Freq=1 LVR=ON oFreq=OFF CW=ON SMTSEL=1 "
         "ROTP=0 ODSEL=1 LCD=ON Fsys=03 osc=00",
         {}, "8F E0 FF 0D CA EF FF 06", "8F E0 FF 0D CA EF FF 06",
         "06=07 FF 80 0D;0E=04 ED 04 D7 04 E2", "Fsys=03"},
    };
    for (const Case& c : cases)
        ExpectCase(c);
}

TEST(OptionLayouts, ThreeStateWatchdogBlocks)
{
    const Case cases[] = {
        {"QK131", "Freq=2 SEC=ON WDT=OF Fs=110 P12F=OFF lvrs=2.0V XT=500K", {}, "59 EA", "59 6A",
         "", ""},
        {"QK133", "SEC=OFF WDT=OFF Fs=001 P12F=ON lvrs=3.6V XT=16M LCD=ON TempAdj=9", {},
         "84 DF FF 12", "84 DF FF 12", "", ""},
        {"QK133", "SEC=OFF WDT=OFF Fs=001 P12F=ON lvrs=3.6V XT=16M LCD=ON TempAdj=", {},
         "84 DF FF 00", "84 DF FF 00", "", "TempAdj=0"},
        {"QK132",
         "Freq=2 SEC=OFF WDT=ON Fs=011 P12F=ON lvrs=1.5V XT=32K LOCK0=1 LOCK9=1 LOCK15=1 LVD=2", {},
         "FF C3 FF EE FE 7D", "FF C3 FF EE FE 7D", "", "LOCK9=1 LOCK8=0"},
        // The list's own code goes to B1.4..2 ("000:3.6V" is stored as "1.5V"); B1.1..0 stay.
        {"QK136",
         "Freq=1 SEC=ON WDT=ON Fs=100 P12F=ON lvrs=1.5V XT=2M osc=111 LCD=ON TempAdj=3 LVD=5",
         {"使能HMSEL"}, "B3 A3 FF 1F EA", "B3 23 FF 1F EA", "", "lvrs=1.5V"},
        {"QK136", "SEC=OFF WDT=ON Fs=111 P12F=ON XT=32K osc=000 LCD=OFF Freq=0 TempAdj=31",
         {"111:1.5V"}, "FF FC FF FF C0", "FF FC FF FF C0", "", "lvrs=3.6V LVD=0"},
        // Bytes 2..5 are blanked after the trim (5 would give B3 = 2F).
        {"QK138", "Freq=0 SEC=OFF WDT=OF Fs=010 P12F=OFF lvrs=2.4V XT=4M osc=000 TempAdj=5",
         {"使能VDSEL", "使能XTDRVB"}, "29 CC FF FF FD", "29 CC FF FF FD", "", "TempAdj=5"},
        {"QK137",
         "SEC=ON WDT=OFF Fs=111 P12F=ON lvrs=2.0V XT=1M osc=111 LCD=ON LVD=1 Freq=1 TempAdj=10",
         {}, "CC F7 FF 57 DF", "CC 77 FF 57 DF", "", ""},
        {"QK130", "SEC=ON WDT=ON lvrs=2.0V XT=8M P12F=OFF TempAdj=13 Fs=001", {}, "E7 16 FF 0F",
         "E7 06 FF 0F", "", ""},
        {"QK134",
         "P12F=ON SEC=ON lvrs=2.2v DIVSEL=2 oFreq=ON VDSEL=0 RCSMT=1 CW=2 osc=1 TempAdj=4 WDT= "
         "Fs=101 XT=8M OptExtra=ON ODSEL=3 Fsys=6",
         {}, "D7 FF FF FF 95 36 FF 27 E9 CD 02 50", "D7 FF FF FF 95 36 FF 27 E9 CD 02 50",
         "06=3F FF;09=02;0E=09 CC 09 BC 09 C4", "LVD=1 SMTSEL=1 WDT= CW=2"},
        {"QK134", "SEC=OFF CW=3 osc=4 XT=455K WDT=ON Fs=000 P12F=OFF", {"1111:1.2V"},
         "E0 FF FF FF 63 DF FF 07 F2 F8", "E0 FF FF FF 63 DF FF 07 F2 F8",
         "06=1F FF;09=0B", "lvrs=1.2v"},
    };
    for (const Case& c : cases)
        ExpectCase(c);
}

} // namespace
} // namespace orvane
