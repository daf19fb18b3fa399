#include "app/Errors.h"
#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "tests/catalogue/ShippedState.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane {
namespace {

using test::ShippedState;

struct SlotCase {
    int slot;
    const char* name; // line `slot` of the shipped "device.name"
    std::int32_t optionBase;
    std::int32_t chipDataBase;
};
constexpr SlotCase kSlots[] = {
    {1, "QK101", 0x2100, 0x7D00},  {2, "QK106", 0x2100, 0x7D00},  {3, "QK105", 0x2100, 0x7D00},
    {4, "QK104", 0x2100, 0x7D00},  {5, "QK116", 0x2100, 0x7D00},  {6, "QK103", 0x4100, 0x7D00},
    {7, "QK111", 0x2100, 0x7D00},  {8, "QK122", 0x2100, 0x7D00},  {9, "QK115", 0x2100, 0x7D00},
    {10, "QK113", 0x2100, 0x7D00}, {11, "QK109", 0x2100, 0x7D00}, {12, "QK126", 0x2100, 0x7D00},
    {13, "QK117", 0x2100, 0x7D00}, {14, "QK124", 0x4100, 0x7D00}, {15, "QK120", 0x2100, 0x7D00},
    {16, "QK118", 0x2100, 0x7D00}, {17, "QK114", 0x4100, 0x7D00}, {18, "QK125", 0x4100, 0x7D00},
    {19, "QK127", 0x4100, 0x7D00}, {20, "QK128", 0x2100, 0x7D00}, {21, "QK110", 0x4100, 0x7D00},
    {22, "QK131", 0x2100, 0x7D00}, {23, "QK135", 0x4100, 0x7D00}, {24, "QK138", 0x4100, 0x7D00},
    {25, "QK132", 0x2100, 0x7D00}, {26, "QK130", 0x2100, 0x7D00}, {27, "QK133", 0x2100, 0x7D00},
    {28, "QK137", 0x4100, 0x7D00}, {29, "QK129", 0x2100, 0x7D00}, {30, "QK139", 0x2100, 0x7D00},
    {31, "QK134", 0x8100, 0x8D00},
};

TEST(Catalogue, AddressMapOfEverySlot)
{
    AppState s = ShippedState();
    for (const SlotCase& c : kSlots) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(s.ModelName[c.slot], c.name);
        s.ChipName = c.name;
        s.ChipPin = "20";
        s.RomImage.fill(0x00);
        test::SetRomBounds(s, c.chipDataBase, 0x0010, 0x0FFF);
        UpdateAddressMap(s);
        const std::int32_t o = c.optionBase, d = c.chipDataBase;
        EXPECT_EQ((std::array{s.OptionAddr1, s.OptionAddr1Last, s.OptionAddr2, s.OptionAddr2Last}),
                  (std::array{o, o + 0x10, o + 0x20, o + 0x30}));
        EXPECT_EQ(
            (std::array{s.ChipDataAddr1, s.ChipDataAddr1Last, s.ChipDataAddr2, s.ChipDataAddr2Last}),
            (std::array{d, d + 0xB0, d + 0xC0, d + 0x2F0}));
        EXPECT_EQ(s.RomStart, 0x0010);
        EXPECT_EQ(s.RomEnd, 0x0FFF);
        EXPECT_EQ(ChipDataBase(s), d);
        EXPECT_EQ(ChipFileName(s), s.AppDir + c.name + "_20.S19");

        const SlotInfo& info = SlotTable()[c.slot - 1];
        EXPECT_EQ(info.slot, c.slot);
        EXPECT_EQ(info.optionBase, o);
        EXPECT_EQ(info.chipDataBase, d);
    }
}

TEST(Catalogue, NamesOfNoSlotGetTheDefaultMap)
{
    AppState s = ShippedState();
    for (const char* name : {"", "qk134", "QK134 ", "QK999", "QK103\r"}) {
        s.ChipName = name;
        UpdateAddressMap(s);
        EXPECT_EQ(s.OptionAddr1, 0x2100) << name;
        EXPECT_EQ(s.ChipDataAddr1, 0x7D00) << name;
        EXPECT_EQ(FirstMatchingSlot(s, kConfigButtonOrder), 0) << name;
    }
    s.ModelName[7].clear(); // an empty slot text matches an empty name only
    s.ChipName = "";
    EXPECT_EQ(FirstMatchingSlot(s, kConfigButtonOrder), 7);
    EXPECT_FALSE(IsSlot(s, 0));
    EXPECT_FALSE(IsSlot(s, 32));
}

TEST(Catalogue, EqualBoundsFallBackExceptForSlot31)
{
    struct Case {
        const char* chip;
        std::uint16_t start, end;
        std::int32_t romStart, romEnd;
    };
    const Case cases[] = {
        {"QK128", 0x0100, 0x0100, 0x0000, 0x07FF}, {"QK128", 0xFFFF, 0xFFFF, 0x0000, 0x07FF},
        {"QK128", 0x0200, 0x0100, 0x0200, 0x0100}, {"QK134", 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
        {"QK134", 0x0000, 0x7FFF, 0x0000, 0x7FFF},
    };
    AppState s = ShippedState();
    for (const Case& c : cases) {
        s.ChipName = c.chip;
        ClearImage(s);
        test::SetRomBounds(s, ChipDataBase(s), c.start, c.end);
        UpdateAddressMap(s);
        EXPECT_EQ(s.RomStart, c.romStart) << c.chip << " " << c.start;
        EXPECT_EQ(s.RomEnd, c.romEnd) << c.chip << " " << c.start;
    }
}

TEST(Catalogue, DuplicateSlotTextsFollowEachCallersOrder)
{
    AppState s = ShippedState();
    s.ModelName[9] = s.ModelName[1];
    s.ChipName = s.ModelName[1];
    EXPECT_TRUE(IsSlot(s, 1));
    EXPECT_TRUE(IsSlot(s, 9));
    EXPECT_EQ(FirstMatchingSlot(s, kSelectionDialogOrder), 9);
    EXPECT_EQ(FirstMatchingSlot(s, kConfigButtonOrder), 1);
    EXPECT_EQ(FirstMatchingSlot(s, kKnownSettingsSlots), 1);

    // The option base is decided before the chip-data base: slot 6's 0x4100 wins over slot 31's
    // 0x8100, while the chip data still moves to 0x8D00.
    s.ModelName[31] = s.ModelName[6];
    s.ChipName = s.ModelName[6];
    UpdateAddressMap(s);
    EXPECT_EQ(s.OptionAddr1, 0x4100);
    EXPECT_EQ(s.ChipDataAddr1, 0x8D00);
}

TEST(Catalogue, SelectionTree)
{
    // node -> slot in tree order; 0 for the category nodes.
    constexpr std::array<int, kTreeNodeCount> kNodes = {
        0, 3, 8, 15, 14, 22, 27, 24, 0, 5, 13, 9, 12, 16, 20, 29,
        30, 0, 7, 11, 10, 17, 26, 23, 28, 31, 0, 18, 25, 0, 19};
    for (int node = 0; node < kTreeNodeCount; ++node)
        EXPECT_EQ(SlotOfTreeNode(node), kNodes[node]) << node;
    EXPECT_EQ(SlotOfTreeNode(-1), 0);
    EXPECT_EQ(SlotOfTreeNode(31), 0);
    for (const TreeCategory& category : kTreeCategories)
        EXPECT_EQ(kNodes[category.node], 0) << category.caption;
    for (const SlotInfo& info : SlotTable())
        EXPECT_EQ(info.treeNode < 0, info.picture == nullptr) << info.slot;
}

TEST(ModelNames, LineEndsAndShortFiles)
{
    struct Case {
        const char* what;
        std::string content;
        std::array<const char*, 4> expected; // slots 1, 2, 3, 31
    };
    std::string thirtyTwo;
    for (int i = 1; i <= 32; ++i)
        thirtyTwo += "M" + std::to_string(i) + "\r\n";
    const Case cases[] = {
        {"LF", "A\nB\nC\n", {"A", "B", "C", ""}},
        {"CRLF", "A\r\nB\r\nC\r\n", {"A", "B", "C", ""}},
        {"no final line end", "A\r\nB\nC", {"A", "B", "C", ""}},
        {"blank lines are empty slots", "\n\r\nC\n", {"", "", "C", ""}},
        {"only the last CR is a line end", "A\r\r\nB \n", {"A\r", "B ", "", ""}},
        {"bytes kept as they are", "\xC6\xF7\xBC\xFE\n", {"\xC6\xF7\xBC\xFE", "", "", ""}},
        {"empty file", "", {"", "", "", ""}},
        {"lines past 31 are ignored", thirtyTwo, {"M1", "M2", "M3", "M31"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        test::WriteText(dir.file("device.name"), c.content);
        AppState s;
        s.AppDir = dir.path();
        s.ModelName.fill("stale");
        LoadModelNames(s);
        EXPECT_EQ(s.ModelName[1], c.expected[0]);
        EXPECT_EQ(s.ModelName[2], c.expected[1]);
        EXPECT_EQ(s.ModelName[3], c.expected[2]);
        EXPECT_EQ(s.ModelName[31], c.expected[3]);
    }
}

TEST(ModelNames, UnreadableFileNamesTheFileAndKeepsTheSlots)
{
    test::TempDir dir;
    AppState s;
    s.AppDir = dir.path();
    s.ModelName[1] = "kept";
    try {
        LoadModelNames(s);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "无法打开文件：" + dir.path() + "device.name");
    }
    std::filesystem::create_directory(dir.file("device.name"));
    EXPECT_THROW(LoadModelNames(s), FileError);
    EXPECT_EQ(s.ModelName[1], "kept");
}

TEST(ChipFile, MissingOrEscapingNamesAreFileErrors)
{
    AppState s = ShippedState();
    s.ChipName = "QK128";
    s.ChipPin = "28"; // no such package
    UpdateAddressMap(s);
    EXPECT_THROW(LoadChipFile(s), FileError);

    s.ChipPin = "20";
    for (const std::string& name :
         {std::string("../data/files/QK128"), std::string("sub/QK128"), std::string("QK128\0x", 7)}) {
        s.ChipName = name;
        EXPECT_THROW(LoadChipFile(s), FileError) << name;
    }
}

} // namespace
} // namespace orvane
