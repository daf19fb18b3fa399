#include "catalogue/Catalogue.h"

namespace orvane {

namespace {

// Per slot: tree node and picture (none for the five slots reached only through the settings file
// or a program file), option layout, option base (OptionAddr1) and chip-data base.
constexpr std::array<SlotInfo, kSlotCount> kSlots = {{
    {1, -1, nullptr, "QK101", 0x2100, 0x7D00},
    {2, -1, nullptr, "QK106", 0x2100, 0x7D00},
    {3, 1, "q122", "QK105", 0x2100, 0x7D00},
    {4, -1, nullptr, "QK104", 0x2100, 0x7D00},
    {5, 9, "q117", "QK102", 0x2100, 0x7D00},
    {6, -1, nullptr, "QK103", 0x4100, 0x7D00},
    {7, 18, "q112", "QK107", 0x2100, 0x7D00},
    {8, 2, "q122", "QK122", 0x2100, 0x7D00},
    {9, 11, "q115", "QK101", 0x2100, 0x7D00},
    {10, 20, "q113", "QK113", 0x2100, 0x7D00},
    {11, 19, "q109", "QK109", 0x2100, 0x7D00},
    {12, 12, "q126", "QK123", 0x2100, 0x7D00},
    {13, 10, "q117", "QK117", 0x2100, 0x7D00},
    {14, 4, "q124", "QK124", 0x4100, 0x7D00},
    {15, 3, "q120", "QK120", 0x2100, 0x7D00},
    {16, 13, "q118", "QK118", 0x2100, 0x7D00},
    {17, 21, "q114", "QK114", 0x4100, 0x7D00},
    {18, 27, "q125", "QK125", 0x4100, 0x7D00},
    {19, 30, "q127", "QK127", 0x4100, 0x7D00},
    {20, 14, "q128", "QK128", 0x2100, 0x7D00},
    {21, -1, nullptr, "QK110", 0x4100, 0x7D00},
    {22, 5, "q120", "QK131", 0x2100, 0x7D00},
    {23, 23, "pp", "QK136", 0x4100, 0x7D00},
    {24, 7, "pp", "QK138", 0x4100, 0x7D00},
    {25, 28, "q132", "QK132", 0x2100, 0x7D00},
    {26, 22, "q130", "QK130", 0x2100, 0x7D00},
    {27, 6, "q120", "QK133", 0x2100, 0x7D00},
    {28, 24, "q137", "QK137", 0x4100, 0x7D00},
    {29, 15, "q129", "QK129", 0x2100, 0x7D00},
    {30, 16, "q139", "QK139", 0x2100, 0x7D00},
    {31, 25, "Q134", "QK134", 0x8100, 0x8D00},
}};

} // namespace

const std::array<SlotInfo, kSlotCount>& SlotTable()
{
    return kSlots;
}

int SlotOfTreeNode(int node)
{
    for (const SlotInfo& info : kSlots) {
        if (info.treeNode >= 0 && info.treeNode == node)
            return info.slot;
    }
    return 0;
}

bool IsSlot(const AppState& s, int slot)
{
    return slot >= 1 && slot <= kSlotCount && s.ChipName == s.ModelName[static_cast<std::size_t>(slot)];
}

int FirstMatchingSlot(const AppState& s, std::span<const int> order)
{
    for (const int slot : order) {
        if (IsSlot(s, slot))
            return slot;
    }
    return 0;
}

} // namespace orvane
