// The 31 model slots and everything keyed on them. Model rules compare ChipName with the slot
// texts read from "device.name" (exact, case-sensitive), each caller in its own fixed order; the
// orders are data here so that every caller reads the same table.
#pragma once

#include "app/AppState.h"

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

// Index slot - 1.
const std::array<SlotInfo, kSlotCount>& SlotTable();

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
