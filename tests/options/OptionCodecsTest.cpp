#include "options/OptionCodecs.h"
#include "options/OptionKeys.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace orvane {
namespace {

using Texts = std::map<std::string, std::string>; // settings key -> option text

constexpr std::array<const char*, kSlotCount> kNames = {
    "QK101", "QK106", "QK105", "QK104", "QK116", "QK103", "QK111", "QK122", "QK115", "QK113",
    "QK109", "QK126", "QK117", "QK124", "QK120", "QK118", "QK114", "QK125", "QK127", "QK128",
    "QK110", "QK131", "QK135", "QK138", "QK132", "QK130", "QK133", "QK137", "QK129", "QK139",
    "QK134"};

std::unique_ptr<AppState> StateFor(const std::string& chip, const Texts& texts = {})
{
    auto s = std::make_unique<AppState>();
    for (int slot = 1; slot <= kSlotCount; ++slot)
        s->ModelName[slot] = kNames[slot - 1];
    s->ChipName = chip;
    s->OptionAddr1 = 0x2100;
    s->OptionAddr2 = 0x2120;
    s->RomImage.fill(0x55);
    for (const OptionKey& k : kOptionKeys)
        OptionText(*s, k) = texts.contains(std::string(k.key)) ? texts.at(std::string(k.key)) : "keep";
    return s;
}

Texts TextsOf(const AppState& s)
{
    Texts texts;
    for (const OptionKey& k : kOptionKeys)
        texts[std::string(k.key)] = OptionText(s, k);
    return texts;
}

struct EncodeCase {
    const char* chip;
    Texts texts;
    std::uint8_t copy1, copy2;
};

TEST(ApplyOptionTexts, EncodesByteZeroOfBothCopies)
{
    const EncodeCase cases[] = {
        {"QK101", {{"LVR", "ON"}, {"SEC", "OFF"}, {"osc", "110"}}, 0xDE, 0xDE},
        {"QK101", {{"LVR", "ON"}, {"SEC", "ON"}, {"osc", "110"}}, 0x5E, 0x5E},
        {"QK101", {{"LVR", "on"}, {"osc", "011"}}, 0xFD, 0xFD},
        {"QK101", {{"osc", "010"}}, 0xFF, 0xFF},
        {"QK101", {{"osc", "111"}}, 0xFC, 0xFC},
        {"QK106", {{"CW", "06"}, {"SEC", "ON"}}, 0xF8, 0x78},
        {"QK106", {{"CW", "53"}}, 0xFB, 0xFB},
        {"QK106", {{"CW", "64"}}, 0xFE, 0xFE},
        {"QK106", {{"CW", "7"}}, 0xFF, 0xFF},
        {"QK105", {{"XT", "XT"}, {"LVR", "ON"}, {"P12F", "ON"}}, 0xFC, 0xFC},
        {"QK105", {{"XT", "RC2"}, {"P12F", "ON"}, {"SEC", "ON"}}, 0xFA, 0x7A},
        {"QK105", {{"XT", "bogus"}}, 0xF3, 0xF3},
        {"QK104", {{"LVR", "ON"}, {"Fs", "01"}, {"Fsys", "10"}}, 0xF6, 0xF6},
        {"QK104", {{"SEC", "ON"}, {"LCD", "ON"}, {"LVR", "OFF"}, {"Fs", "10"}, {"Fsys", "01"}}, 0x49, 0x49},
        {"QK104", {{"Fs", "00"}, {"Fsys", "00"}}, 0xFF, 0xFF}, // "00" is never encoded
        {"QK116", {{"LVR", "ON"}, {"lvrs", "3.6V"}, {"P12F", "ON"}, {"osc", "110"}}, 0xFE, 0xFE},
        {"QK103", {{"SEC", "ON"}, {"LVR", "OFF"}, {"lvrs", "2.1V"}, {"P12F", "OFF"}, {"osc", "001"}}, 0x41, 0x41},
        {"QK116", {{"osc", ""}}, 0xF8, 0xF8},
        {"QK116", {{"osc", "12"}}, 0xFC, 0xFC},   // digits as values: 1*2 + 2
        {"QK116", {{"osc", "1000"}}, 0x00, 0x00}, // 8 + 0xF8 carries out: everything cleared
        {"QK116", {{"osc", "1111"}}, 0x07, 0x07},
        {"QK111", {{"PosLog", "ON"}, {"XT", "XT"}, {"CW", "50"}}, 0xE2, 0xE2},
        {"QK111", {{"SEC", "ON"}, {"PosLog", "P"}, {"XT", "RC"}, {"CW", "06"}}, 0x78, 0x78},
        {"QK122", {{"SEC", "ON"}, {"XT", "XT"}}, 0xFF, 0x7F}, // no codec from slot 8 on
        {"QK115", {{"LVR", "ON"}, {"osc", "110"}}, 0xFF, 0xFF},
        {"QK134", {}, 0xFF, 0xFF},
        {"unknown", {{"SEC", "ON"}}, 0xFF, 0x7F},
    };
    for (const EncodeCase& c : cases) {
        auto s = StateFor(c.chip, c.texts);
        ApplyOptionTexts(*s);
        SCOPED_TRACE(std::string(c.chip) + " osc=" + s->OptOsc + " CW=" + s->OptCW);
        EXPECT_EQ(s->RomImage[0x2100], c.copy1);
        EXPECT_EQ(s->RomImage[0x2120], c.copy2);
        for (int i = 1; i < 32; ++i) {
            EXPECT_EQ(s->RomImage[0x2100 + i], 0xFF);
            EXPECT_EQ(s->RomImage[0x2120 + i], 0xFF);
        }
        EXPECT_EQ(s->RomImage[0x20FF], 0x55);
        EXPECT_EQ(s->RomImage[0x2140], 0x55);
        EXPECT_EQ(s->OptionBytes[0], c.copy2);
        EXPECT_EQ(s->OptionBytes[63], 0xFF);
    }
}

TEST(ApplyOptionTexts, SlotNineUsesSlotOneCodecOnlyWhenNamedAlike)
{
    auto s = StateFor("QK101", {{"LVR", "ON"}, {"osc", "110"}});
    s->ModelName[9] = "QK101";
    ApplyOptionTexts(*s);
    EXPECT_EQ(s->RomImage[0x2120], 0xDE);
}

TEST(ApplyOptionTexts, LayoutCStoresLpAndHsAsRc1)
{
    for (const char* xt : {"LP", "HS"}) {
        auto s = StateFor("QK105", {{"XT", xt}, {"LVR", "ON"}, {"P12F", "ON"}});
        ApplyOptionTexts(*s);
        EXPECT_EQ(s->RomImage[0x2100], 0xFD) << xt;
        EXPECT_EQ(s->OptXT, "RC1");
    }
}

TEST(ApplyOptionTexts, CopiesStopAtTheEndOfTheImage)
{
    for (const std::int32_t addr : {0xFFF0, 0x10000, -16, -40}) {
        auto s = StateFor("QK122");
        s->OptionAddr1 = s->OptionAddr2 = addr;
        s->FileChecksum = 0x1234;
        ApplyOptionTexts(*s);
        int written = 0;
        for (const std::uint8_t b : s->RomImage)
            written += b == 0xFF;
        EXPECT_EQ(written, (addr == 0xFFF0 || addr == -16) ? 16 : 0) << addr;
        EXPECT_EQ(s->FileChecksum, 0x1234);
        EXPECT_EQ(s->OptionAddr1, addr);
    }
}

struct DecodeCase {
    const char* chip;
    std::uint8_t byte;
    Texts changed;
};

TEST(ReadOptionTexts, SetsOnlyTheLayoutsTexts)
{
    const DecodeCase cases[] = {
        {"QK101", 0x01, {{"XT", "RC1"}, {"LVR", "OFF"}, {"SEC", "ON"}}},
        {"QK101", 0xFE, {{"XT", "XT"}, {"LVR", "ON"}, {"SEC", "OFF"}}},
        {"QK106", 0x07, {{"CW", "74"}, {"SEC", "ON"}}},
        {"QK106", 0xFB, {{"CW", "53"}, {"SEC", "OFF"}}},
        {"QK105", 0x00, {{"XT", "XT"}, {"LVR", "OFF"}, {"P12F", "OFF"}, {"SEC", "ON"}}},
        {"QK105", 0x8D, {{"XT", "RC1"}, {"LVR", "ON"}, {"P12F", "ON"}, {"SEC", "OFF"}}},
        {"QK104", 0x00, {{"Fsys", "00"}, {"Fs", "00"}, {"LVR", "OFF"}, {"LCD", "ON"}, {"SEC", "ON"}}},
        {"QK104", 0xF6, {{"Fsys", "10"}, {"Fs", "01"}, {"LVR", "ON"}, {"LCD", "OFF"}, {"SEC", "OFF"}}},
        {"QK116", 0xFE, {{"osc", "110"}, {"P12F", "ON"}, {"lvrs", "3.6V"}, {"LVR", "ON"}, {"SEC", "OFF"}}},
        {"QK103", 0x07, {{"osc", "111"}, {"P12F", "OFF"}, {"lvrs", "2.1V"}, {"LVR", "OFF"}, {"SEC", "ON"}}},
        {"QK111", 0x78, {{"CW", "06"}, {"XT", "RC"}, {"SEC", "ON"}, {"PosLog", "ON"}}},
        {"QK111", 0xE2, {{"CW", "50"}, {"XT", "XT"}, {"SEC", "OFF"}, {"PosLog", "OFF"}}},
        {"QK122", 0x0E, {{"XT", "RC2"}, {"LVR", "ON"}, {"P12F", "ON"}}},
        {"QK115", 0x00, {}},
        {"QK113", 0x00, {}},
        {"QK134", 0xFF, {}},
        {"", 0x00, {}},
    };
    for (const DecodeCase& c : cases) {
        auto s = StateFor(c.chip);
        ReadOptionTexts(*s, c.byte);
        Texts expected = TextsOf(*StateFor(c.chip));
        for (const auto& [key, text] : c.changed)
            expected[key] = text;
        EXPECT_EQ(TextsOf(*s), expected) << c.chip << " byte " << int{c.byte};
    }
}

// Texts -> second copy -> texts gives the texts back where the two directions agree.
TEST(OptionCodecs, SymmetricLayoutsRoundTrip)
{
    const std::map<std::string, std::vector<Texts>> layouts = {
        {"QK106", {{{"CW", "06"}, {"SEC", "ON"}}, {{"CW", "61"}, {"SEC", "OFF"}}, {{"CW", "74"}, {"SEC", "OFF"}}}},
        {"QK105", {{{"XT", "RC3"}, {"LVR", "OFF"}, {"P12F", "ON"}, {"SEC", "ON"}},
                   {{"XT", "XT"}, {"LVR", "ON"}, {"P12F", "OFF"}, {"SEC", "OFF"}}}},
        {"QK104", {{{"Fsys", "01"}, {"Fs", "11"}, {"LVR", "ON"}, {"LCD", "ON"}, {"SEC", "OFF"}},
                   {{"Fsys", "10"}, {"Fs", "01"}, {"LVR", "OFF"}, {"LCD", "OFF"}, {"SEC", "ON"}}}},
        {"QK116", {{{"osc", "000"}, {"P12F", "OFF"}, {"lvrs", "2.1V"}, {"LVR", "ON"}, {"SEC", "ON"}},
                   {{"osc", "101"}, {"P12F", "ON"}, {"lvrs", "3.6V"}, {"LVR", "OFF"}, {"SEC", "OFF"}}}},
    };
    for (const auto& [chip, settings] : layouts) {
        for (const Texts& texts : settings) {
            auto s = StateFor(chip, texts);
            ApplyOptionTexts(*s);
            auto back = StateFor(chip);
            ReadOptionTexts(*back, s->RomImage[0x2120]);
            EXPECT_EQ(TextsOf(*back), TextsOf(*s)) << chip;
        }
    }
}

// The reader of slots 1 and 7 takes other bits than their encoder; a round trip changes texts.
TEST(OptionCodecs, AsymmetricLayoutsArePinned)
{
    auto a = StateFor("QK101", {{"LVR", "ON"}, {"osc", "001"}, {"SEC", "OFF"}});
    ApplyOptionTexts(*a);
    ReadOptionTexts(*a, a->RomImage[0x2120]); // 0xDC: bit 1 clear, bit 0 clear
    EXPECT_EQ(a->OptLVR, "OFF");
    EXPECT_EQ(a->OptXT, "XT");

    auto f = StateFor("QK111", {{"PosLog", "ON"}, {"XT", "RC"}, {"CW", "36"}});
    ApplyOptionTexts(*f);
    ReadOptionTexts(*f, f->RomImage[0x2120]);
    EXPECT_EQ(f->OptPosLog, "OFF");
    EXPECT_EQ(f->OptCW, "36");
}

} // namespace
} // namespace orvane
