// The 31 model slots and everything keyed on them. Model rules compare ChipName with the slot
// texts read from "device.name" (exact, case-sensitive), each caller in its own fixed order; the
// orders are data here so that every caller reads the same table.
#pragma once

#include "foundation/AppState.h"
#include "foundation/Translate.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace orvane {

struct SlotInfo {
    int slot;                 // 1..31
    int treeNode;             // node of the selection tree, -1 when not in the tree
    const char* picture;      // file stem under image/, nullptr when not in the tree
    const char* layout;       // option layout, e.g. "QK139" (dialog TfrmCfgQK139)
    std::int32_t optionBase;  // OptionAddr1
    std::int32_t chipDataBase;
};

// Comparison orders of the callers that pick a model's rule, first match wins.
// Names the settings file may keep (slot 9 is not among them).
inline constexpr std::array<int, 30> kKnownSettingsSlots = {
    1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27,
    28, 29, 30, 31};
// Option dialog opened after a selection is confirmed.
inline constexpr std::array<int, 29> kSelectionDialogOrder = {
    9, 2, 3, 4, 5, 6, 7, 8, 11, 10, 12, 14, 17, 18, 19, 20, 22, 27, 25, 26, 31, 29, 30, 23, 28, 24,
    15, 13, 16};
// Option dialog opened by the main window's configuration button.
inline constexpr std::array<int, 31> kConfigButtonOrder = {
    1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 10, 12, 14, 17, 18, 19, 20, 22, 27, 25, 26, 31, 29, 30, 23, 28,
    24, 21, 15, 13, 16};

// The selection tree: 31 nodes numbered in tree order, categories included. A model node's slot
// is the slot whose treeNode it is (SlotOfTreeNode).
constexpr int kTreeNodeCount = 31;
struct TreeCategory {
    int node;
    const char* caption;
};
inline constexpr std::array<TreeCategory, 5> kTreeCategories = {{
    {0, TrNoop("AD类MCU")},
    {8, TrNoop("GPIO通用类MCU")},
    {17, TrNoop("遥控器类MCU")},
    {26, TrNoop("触摸按键类MCU")},
    {29, TrNoop("MTP类MCU")},
}};
// Picture of category nodes and of entries without one of their own.
inline constexpr const char* kDefaultPicture = "pp";

// Index slot - 1.
const std::array<SlotInfo, kSlotCount>& SlotTable();

// Slot shown at a model node of the selection tree; 0 for a category node or a node outside 0..30.
int SlotOfTreeNode(int node);

// ChipName equals the text of this slot.
bool IsSlot(const AppState& s, int slot);

// First slot of `order` whose text equals ChipName; 0 when none does.
int FirstMatchingSlot(const AppState& s, std::span<const int> order);

// Reads AppDir + "device.name", 31 lines into ModelName[1..31]; missing lines stay empty.
// Throws FileError when the file cannot be read.
void LoadModelNames(AppState& s);

// AppDir + ChipName + "_" + ChipPin + ".S19".
std::string ChipFileName(const AppState& s);

// Start-up: chip-data fields by the slot-31 rule only.
void SetChipDataAddresses(AppState& s);

// Option, chip-data and program-area fields for ChipName, bounds read from the image as it is.
void UpdateAddressMap(AppState& s);

// LoadS19Range(ChipDataAddr1, ChipDataAddr2Last, ChipFileName()).
void LoadChipFile(AppState& s);

// Chip-data bytes from option bytes for QK139, QK129 and QK134.
void ApplySizeRules(AppState& s);

} // namespace orvane
