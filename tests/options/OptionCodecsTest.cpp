#include "options/OptionCodecs.h"
#include "options/OptionKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace orvane {
namespace {

using Texts = std::map<std::string, std::string>; // settings key -> option text

// Slots 1..9 as shipped, every other slot named "other"; all texts "keep" unless given.
std::unique_ptr<AppState> StateFor(const std::string& chip, const Texts& texts = {})
{
    auto s = std::make_unique<AppState>();
    const char* names[] = {"QK101", "QK106", "QK105", "QK104", "QK116",
                           "QK103", "QK111", "QK122", "QK115"};
    for (int slot = 1; slot <= kSlotCount; ++slot)
        s->ModelName[slot] = slot <= 9 ? names[slot - 1] : "other";
    s->ChipName = chip;
    s->OptionAddr1 = 0x2100;
    s->OptionAddr2 = 0x2120;
    s->RomImage.fill(0x55);
    for (const OptionKey& k : kOptionKeys)
        OptionText(*s, k) = texts.contains(std::string(k.key)) ? texts.at(std::string(k.key))
                                                                : "keep";
    return s;
}

Texts TextsOf(const AppState& s)
{
    Texts texts;
    for (const OptionKey& k : kOptionKeys)
        texts[std::string(k.key)] = OptionText(s, k);
    return texts;
}

TEST(ApplyOptionTexts, EncodesByteZeroOfBothCopies)
{
    const struct { const char* chip; Texts texts; std::uint8_t copy1, copy2; } cases[] = {
        {"QK101", {{"LVR", "ON"}, {"SEC", "OFF"}, {"osc", "110"}}, 0xDE, 0xDE},
        {"QK101", {{"LVR", "ON"}, {"SEC", "ON"}, {"osc", "110"}}, 0x5E, 0x5E},
        {"QK101", {{"LVR", "on"}, {"osc", "011"}}, 0xFD, 0xFD},
        {"QK101", {{"osc", "111"}}, 0xFC, 0xFC},
        {"QK106", {{"CW", "06"}, {"SEC", "ON"}}, 0xF8, 0x78},
        {"QK106", {{"CW", "64"}}, 0xFE, 0xFE},
        {"QK106", {{"CW", "7"}}, 0xFF, 0xFF},
        {"QK105", {{"XT", "RC2"}, {"P12F", "ON"}, {"SEC", "ON"}}, 0xFA, 0x7A},
        {"QK105", {{"XT", "HS"}, {"LVR", "ON"}, {"P12F", "ON"}}, 0xFD, 0xFD},
        {"QK105", {{"XT", "bogus"}}, 0xF3, 0xF3},
        {"QK104", {{"SEC", "ON"}, {"LCD", "ON"}, {"LVR", "OFF"}, {"Fs", "10"}, {"Fsys", "01"}},
         0x49, 0x49},
        {"QK104", {{"Fs", "00"}, {"Fsys", "00"}}, 0xFF, 0xFF}, // "00" is never encoded
        {"QK103", {{"SEC", "ON"}, {"LVR", "OFF"}, {"lvrs", "2.1V"}, {"P12F", "OFF"},
                   {"osc", "001"}},
         0x41, 0x41},
        {"QK116", {{"osc", ""}}, 0xF8, 0xF8},
        {"QK116", {{"osc", "12"}}, 0xFC, 0xFC},   // digits as values: 1*2 + 2
        {"QK116", {{"osc", "1000"}}, 0x00, 0x00}, // 8 + 0xF8 carries out: everything cleared
        {"QK111", {{"PosLog", "ON"}, {"XT", "XT"}, {"CW", "50"}}, 0xE2, 0xE2},
        {"QK122", {{"SEC", "ON"}, {"XT", "XT"}}, 0xFF, 0x7F}, // no codec from slot 8 on
        {"QK115", {{"LVR", "ON"}, {"osc", "110"}}, 0xFF, 0xFF},
        {"unknown", {{"SEC", "ON"}}, 0xFF, 0x7F},
    };
    for (const auto& c : cases) {
        auto s = StateFor(c.chip, c.texts);
        ApplyOptionTexts(*s);
        SCOPED_TRACE(testing::Message() << c.chip << " osc=" << s->OptOsc << " CW=" << s->OptCW);
        const std::vector<std::uint8_t> image(&s->RomImage[0x20FF], &s->RomImage[0x2141]);
        const std::vector<std::uint8_t> expected = [&] {
            std::vector<std::uint8_t> v(0x42, 0xFF);
            v.front() = v.back() = 0x55;
            v[1] = c.copy1;
            v[0x21] = c.copy2;
            return v;
        }();
        EXPECT_EQ(image, expected);
        const std::string xt = c.texts.contains("XT") ? c.texts.at("XT") : "keep";
        EXPECT_EQ(s->OptXT, xt == "HS" ? "RC1" : xt); // layout C stores HS (and LP) as RC1
    }
}

TEST(ApplyOptionTexts, SlotNineNamedLikeSlotOneGetsSlotOnesCodec)
{
    auto s = StateFor("QK101", {{"LVR", "ON"}, {"osc", "110"}});
    s->ModelName[9] = "QK101";
    ApplyOptionTexts(*s);
    EXPECT_EQ(s->RomImage[0x2120], 0xDE);
}

TEST(ApplyOptionTexts, CopiesStopAtTheEndOfTheImage)
{
    for (const std::int32_t addr : {0xFFF0, 0x10000, -16, -40}) {
        auto s = StateFor("QK122");
        s->OptionAddr1 = s->OptionAddr2 = addr;
        s->FileChecksum = 0x1234; // the field after the image
        ApplyOptionTexts(*s);
        EXPECT_EQ(std::count(s->RomImage.begin(), s->RomImage.end(), 0xFF),
                  (addr == 0xFFF0 || addr == -16) ? 16 : 0) << addr;
        EXPECT_EQ(s->FileChecksum, 0x1234);
    }
}

TEST(ReadOptionTexts, SetsOnlyTheLayoutsTexts)
{
    const struct { const char* chip; std::uint8_t byte; Texts changed; } cases[] = {
        {"QK101", 0x01, {{"XT", "RC1"}, {"LVR", "OFF"}, {"SEC", "ON"}}},
        {"QK101", 0xFE, {{"XT", "XT"}, {"LVR", "ON"}, {"SEC", "OFF"}}},
        {"QK106", 0x07, {{"CW", "74"}, {"SEC", "ON"}}},
        {"QK105", 0x8D, {{"XT", "RC1"}, {"LVR", "ON"}, {"P12F", "ON"}, {"SEC", "OFF"}}},
        {"QK104", 0xF6, {{"Fsys", "10"}, {"Fs", "01"}, {"LVR", "ON"}, {"LCD", "OFF"},
                         {"SEC", "OFF"}}},
        {"QK116", 0xFE, {{"osc", "110"}, {"P12F", "ON"}, {"lvrs", "3.6V"}, {"LVR", "ON"},
                         {"SEC", "OFF"}}},
        {"QK103", 0x07, {{"osc", "111"}, {"P12F", "OFF"}, {"lvrs", "2.1V"}, {"LVR", "OFF"},
                         {"SEC", "ON"}}},
        {"QK111", 0x78, {{"CW", "06"}, {"XT", "RC"}, {"SEC", "ON"}, {"PosLog", "ON"}}},
        {"QK122", 0x0E, {{"XT", "RC2"}, {"LVR", "ON"}, {"P12F", "ON"}}},
        {"QK115", 0x00, {}},
        {"other", 0x00, {}},
    };
    for (const auto& c : cases) {
        auto s = StateFor(c.chip);
        ReadOptionTexts(*s, c.byte);
        EXPECT_EQ(TextsOf(*s), TextsOf(*StateFor(c.chip, c.changed))) << c.chip << " " << +c.byte;
    }
}

// Texts -> second copy -> texts: the same texts where both directions use the same bits, and
// pinned changes for slot 1 (reader takes bits 1..0, encoder bits 5 and 1..0) and slot 7's PosLog.
TEST(OptionCodecs, RoundTripThroughTheSecondCopy)
{
    const struct { const char* chip; Texts texts; Texts changed; } cases[] = {
        {"QK106", {{"CW", "61"}, {"SEC", "ON"}}, {}},
        {"QK105", {{"XT", "RC3"}, {"LVR", "OFF"}, {"P12F", "ON"}, {"SEC", "ON"}}, {}},
        {"QK104", {{"Fsys", "01"}, {"Fs", "11"}, {"LVR", "ON"}, {"LCD", "ON"}, {"SEC", "OFF"}}, {}},
        {"QK116", {{"osc", "101"}, {"P12F", "OFF"}, {"lvrs", "2.1V"}, {"LVR", "ON"}, {"SEC", "ON"}},
         {}},
        {"QK101", {{"LVR", "ON"}, {"osc", "001"}, {"SEC", "OFF"}, {"XT", "RC1"}},
         {{"LVR", "OFF"}, {"XT", "XT"}}},
        {"QK111", {{"PosLog", "ON"}, {"XT", "RC"}, {"CW", "36"}, {"SEC", "ON"}},
         {{"PosLog", "OFF"}}},
    };
    for (const auto& c : cases) {
        auto s = StateFor(c.chip, c.texts);
        ApplyOptionTexts(*s);
        Texts expected = TextsOf(*s);
        for (const auto& [key, text] : c.changed)
            expected[key] = text;
        ReadOptionTexts(*s, s->RomImage[0x2120]);
        EXPECT_EQ(TextsOf(*s), expected) << c.chip;
    }
}

} // namespace
} // namespace orvane
