#include "options/OptionCodecs.h"
#include "options/OptionKeys.h"
#include "tests/options/OptionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvane {
namespace {

// Slot n named "Sn", the copies at 0x2100 and 0x2120; option texts from "KEY=TEXT" words.
AppState StateFor(const std::string& chip, const std::string& texts = "")
{
    AppState s = test::OptionState(texts);
    for (int slot = 1; slot <= kSlotCount; ++slot)
        s.ModelName[slot] = "S" + std::to_string(slot);
    s.ChipName = chip;
    return s;
}

TEST(ApplyOptionTexts, EncodesByteZeroOfBothCopies)
{
    const struct { const char *chip, *texts; std::uint8_t one, two; const char* xt; } cases[] = {
        {"S1", "LVR=ON SEC=OFF osc=110", 0xDE, 0xDE, ""},
        {"S1", "LVR=ON SEC=ON osc=110", 0x5E, 0x5E, ""},
        {"S2", "CW=06 SEC=ON", 0xF8, 0x78, ""},
        {"S3", "XT=HS LVR=ON P12F=ON", 0xFD, 0xFD, "RC1"}, // HS is stored as RC1
        {"S4", "SEC=ON LCD=ON LVR=OFF Fs=10 Fsys=00", 0x4B, 0x4B, ""}, // "00" is never encoded
        {"S5", "osc=", 0xF8, 0xF8, ""},
        {"S6", "osc=1000", 0x00, 0x00, ""}, // 8 + 0xF8 carries out: everything cleared
        {"S7", "PosLog=ON XT=XT CW=50 SEC=OFF", 0xE2, 0xE2, "XT"}, // bit 4 cleared for ON
        {"S7", "PosLog=OFF XT=RC CW=61 SEC=ON", 0x7D, 0x7D, "RC"},
        {"S8", "SEC=ON XT=XT", 0xFF, 0x7F, "XT"}, // no codec from slot 8 on
    };
    for (const auto& c : cases) {
        AppState s = StateFor(c.chip, c.texts);
        ApplyOptionTexts(s);
        EXPECT_EQ(std::tie(s.RomImage[0x2100], s.RomImage[0x2120], s.OptXT),
                  std::tie(c.one, c.two, c.xt));
        EXPECT_EQ(std::count(s.RomImage.begin(), s.RomImage.end(), 0x55), 0x10000 - 64);
    }
}

TEST(ReadOptionTexts, SetsOnlyTheLayoutsTexts)
{
    const struct { const char* chip; std::uint8_t byte; const char* texts; } cases[] = {
        {"S1", 0x01, "XT=RC1 SEC=ON LVR=OFF "},
        {"S2", 0x07, "SEC=ON CW=74 "},
        {"S3", 0x8D, "XT=RC1 SEC=OFF LVR=ON P12F=ON "},
        {"S4", 0x96, "SEC=OFF LVR=ON Fsys=10 Fs=01 LCD=ON "}, // layout D
        {"S4", 0x2C, "SEC=ON LVR=OFF Fsys=00 Fs=11 LCD=OFF "},
        {"S6", 0x17, "SEC=ON LVR=OFF P12F=OFF lvrs=3.6V osc=111 "},
        {"S7", 0x78, "XT=RC SEC=ON PosLog=ON CW=06 "},
        {"S8", 0x0E, "XT=RC2 LVR=ON P12F=ON "},
        {"S9", 0x00, ""},
    };
    for (const auto& c : cases) {
        AppState s = StateFor(c.chip);
        ReadOptionTexts(s, c.byte);
        std::string t; // the texts the byte set, "KEY=TEXT " in key order
        for (const OptionKey& k : kOptionKeys)
            t += OptionText(s, k).empty() ? "" : std::string(k.key) + '=' + OptionText(s, k) + ' ';
        EXPECT_EQ(t, c.texts) << c.chip;
    }
}

} // namespace
} // namespace orvane
