#include "foundation/Errors.h"
#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace orvane {
namespace {

AppState Shipped(const std::string& chip = "")
{
    AppState s;
    s.AppDir = test::DataDir();
    LoadModelNames(s);
    s.ChipName = chip;
    s.ChipPin = "20";
    return s;
}

TEST(Catalogue, FallbacksAndDuplicateSlotTexts)
{
    // Bounds come from the chip data; equal ones mean 0..0x7FF except for slot 31. Names of no slot
    // get the default map.
    AppState s = Shipped();
    for (const auto& [chip, start, end, fields] :
         {std::tuple{"QK103", 0x100, 0x100, std::array{0x4100, 0, 0x7FF}},
          {"QK134", 0xFFFF, 0xFFFF, {0x8100, 0xFFFF, 0xFFFF}},
          {"qk134", 0x100, 0x100, {0x2100, 0, 0x7FF}},
          {"QK103\r", 0x200, 0x100, {0x2100, 0x200, 0x100}}}) {
        s.ChipName = chip;
        const std::uint8_t bounds[] = {std::uint8_t(start >> 8), std::uint8_t(start),
                                       std::uint8_t(end >> 8), std::uint8_t(end)};
        std::copy(bounds, bounds + 4, s.RomImage.begin() + ChipDataBase(s) + 4);
        UpdateAddressMap(s);
        EXPECT_EQ((std::array{s.OptionAddr1, s.RomStart, s.RomEnd}), fields) << chip;
    }
    EXPECT_EQ(FirstMatchingSlot(s, kConfigButtonOrder), 0);

    // Each caller takes its own order; the option base is decided before the chip-data base.
    s.ModelName[9] = s.ChipName = s.ModelName[1];
    EXPECT_EQ(FirstMatchingSlot(s, kSelectionDialogOrder), 9);
    EXPECT_EQ(FirstMatchingSlot(s, kConfigButtonOrder), 1);
    s.ModelName[31] = s.ChipName = s.ModelName[6];
    UpdateAddressMap(s);
    EXPECT_EQ((std::array{s.OptionAddr1, s.ChipDataAddr1}), (std::array{0x4100, 0x8D00}));
}

TEST(Catalogue, ModelNamesFile)
{
    const std::pair<std::string, std::array<std::string, 4>> cases[] = { // slots 1, 2, 3, 31
        {"A\r\nB\nC", {"A", "B", "C", ""}},
        {"\n\r\nC\n", {"", "", "C", ""}},
        {"A\r\r\n\xC6\xF7 \n", {"A\r", "\xC6\xF7 ", "", ""}}, // only the last CR ends a line
        {std::string(30, '\n') + "M31\r\nM32\r\n", {"", "", "", "M31"}},
    };
    test::TempDir dir;
    AppState s;
    s.AppDir = dir.path();
    for (const auto& [content, names] : cases) {
        test::WriteText(dir.file("device.name"), content);
        s.ModelName.fill("stale");
        LoadModelNames(s);
        EXPECT_EQ((std::array{s.ModelName[1], s.ModelName[2], s.ModelName[3], s.ModelName[31]}),
                  names);
    }
    std::filesystem::remove(dir.file("device.name"));
    EXPECT_THAT([&] { LoadModelNames(s); },
                testing::ThrowsMessage<FileError>("无法打开文件 " + dir.path() +
                                                      "device.name：No such file or directory"));
    std::filesystem::create_directory(dir.file("device.name"));
    EXPECT_THROW(LoadModelNames(s), FileError);
    EXPECT_EQ(s.ModelName[31], "M31");
}

TEST(Catalogue, ChipFileNamesThatLeadElsewhereAreRefused)
{
    const std::string nul("QK128_20.S19\0", 13); // cut at its NUL, it would open the real file
    for (const std::string& name : {std::string("../files/QK128"), nul}) {
        AppState s = Shipped(name);
        EXPECT_THROW(LoadChipFile(s), FileError) << name;
    }
}

TEST(Catalogue, SizeRulesWriteTheChipDataOfTheirModelsOnly)
{
    const std::string m4 = "5A5A5A5A", m6 = "5A5A5A5A5A5A";
    const std::string low = "04ED04D704E2", high = "08F808CE08E3", trim5 = "08F908CA08E3";
    // chip, option byte 6 and 0 (QK134: 0 and 9), chip data from offset 6 to 0x13
    const std::tuple<const char*, int, int, std::string> cases[] = {
        {"QK139", 0xF0, 0x00, "03FF8001" + m4 + low},
        {"QK139", 0xF1, 0x50, "03FF8005" + m4 + high},
        {"QK139", 0xFF, 0xF0, "07FF800D" + m4 + m6},
        {"QK139", 0x70, 0xD0, m4 + m4 + high}, // the size rule compares all bits
        {"QK129", 0xF0, 0x5F, m4 + m4 + high},
        {"QK134", 0xB7, 0x05, "7FFF5A02" + m4 + trim5},
        {"QK134", 0xE1, 0x07, "1FFF5A08" + m4 + "09CC09BC09C4"},
        {"QK134", 0xC0, 0x05, m4 + m4 + trim5}, // no size row: the trim words are still written
        {"QK128", 0xF0, 0x50, m4 + m4 + m6},
    };
    for (const auto& [chip, first, second, expected] : cases) {
        AppState s = Shipped(chip);
        s.RomImage.fill(0x5A);
        const bool qk134 = std::string(chip) == "QK134";
        s.RomImage[qk134 ? 0x8100 : 0x2106] = std::uint8_t(first);
        s.RomImage[qk134 ? 0x8109 : 0x2100] = std::uint8_t(second);
        const auto before = s.RomImage;
        ApplySizeRules(s);
        const std::int32_t d = ChipDataBase(s);
        std::string bytes;
        for (std::int32_t a = d + 6; a <= d + 0x13; ++a)
            bytes += Hex(s.RomImage[a], 2);
        EXPECT_EQ(bytes, expected) << chip << " " << std::hex << first << " " << second;
        std::copy(before.begin() + d + 6, before.begin() + d + 0x14, s.RomImage.begin() + d + 6);
        EXPECT_TRUE(s.RomImage == before) << "wrote outside its chip data";
    }
}

// Slot n of the shipped device.name, its option base (2: 0x2100, 4: 0x4100, 8: 0x8100) and chip
// data (0x7D00, slot 31 0x8D00), and its chip file: CRLF lines of 32-byte records over the whole
// chip-data area with right checksums, then S9; its program area lies below the chip data and
// clear of the options, and its rolling code is off.
TEST(ShippedData, AddressMapAndChipFileOfEverySlot)
{
    const std::string names = "101 106 105 104 116 103 111 122 115 113 109 126 117 124 120 118 114 "
                              "125 127 128 110 131 135 138 132 130 133 137 129 139 134";
    const std::string bases = "2222242222222422444242442224228";
    AppState s = Shipped();
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        s.ChipName = "QK" + names.substr(4 * slot - 4, 3);
        SCOPED_TRACE(s.ChipName);
        EXPECT_EQ(s.ModelName[slot], s.ChipName);
        ClearImage(s);
        UpdateAddressMap(s);
        const std::int32_t o = (bases[slot - 1] - '0') << 12 | 0x100;
        const std::int32_t d = slot == 31 ? 0x8D00 : 0x7D00;
        EXPECT_EQ((std::array{s.OptionAddr1, s.OptionAddr1Last, s.OptionAddr2, s.OptionAddr2Last,
                              s.ChipDataAddr1, s.ChipDataAddr1Last, s.ChipDataAddr2,
                              s.ChipDataAddr2Last}),
                  (std::array{o, o + 0x10, o + 0x20, o + 0x30, d, d + 0xB0, d + 0xC0, d + 0x2F0}));
        EXPECT_EQ(ChipFileName(s), s.AppDir + s.ChipName + "_20.S19");
        LoadChipFile(s);
        std::string records;
        for (std::int32_t a = d; a < d + 0x300; a += 32) {
            int sum = 0x23 + (a >> 8) + (a & 0xFF);
            records += "S123" + Hex(a, 4);
            for (std::int32_t k = a; k < a + 32; ++k)
                records += Hex(s.RomImage[k], 2), sum += s.RomImage[k];
            records += Hex(~sum & 0xFF, 2) + "\r\n";
        }
        EXPECT_EQ(test::ReadText(ChipFileName(s)), records + "S9030000FC\r\n");
        EXPECT_EQ(std::count(&s.RomImage[d + 0xC0], &s.RomImage[d + 0x100], 0xFF), 0x40);
        ComputeChecksum(s);
        EXPECT_LT(s.RomStart, s.RomEnd);
        EXPECT_TRUE(s.RomEnd < s.OptionAddr1 || s.RomStart > s.OptionAddr1 + 0x3F);
        EXPECT_LT(s.RomEnd, d);
    }
    const std::string about = test::ReadText(test::DataDir() + "About.txt"); // four lines
    EXPECT_TRUE(std::count(about.begin(), about.end(), '\n') == 4 && about.back() == '\n');
    const std::size_t version = about.find("\nVer ");
    EXPECT_TRUE(about.find("烧写器") < version && version < about.find("\nhttps://")) << about;
}

} // namespace
} // namespace orvane
