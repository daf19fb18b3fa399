// The option dialogs as data: one description per layout lists its controls in window order and,
// beside each control, the field it edits (settings key, stored texts, bits, codes and chip-data
// writes). One encoder and one decoder read every description; the windows are built from them.
#pragma once

#include "foundation/AppState.h"
#include "foundation/Translate.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// Bit `bit` of byte `byte` of the option block.
struct BitRef {
    int byte;
    int bit;
};

// Byte `offset` of the block, or of the chip-data area (from ChipDataAddr1), := (old & ~mask) |
// value.
struct ByteWrite {
    bool chipData;
    int offset;
    std::uint8_t mask;
    std::uint8_t value;
};

enum class ControlKind {
    None,        // a field without a control, or a rule
    CheckBox,    // choice 0 unchecked, 1 checked
    Radio,       // one radio group, choice = button
    List,        // drop-down list, choice = entry
    OneLineList, // one entry high; the entry at the top is the choice
};

// One control with the field it edits; or, with kind None, a field kept from its stored text, a
// fixed write, or a rule keyed on another item's choice.
struct OptionItem {
    ControlKind kind = ControlKind::None;
    std::string_view group;   // caption of the group box the control sits in, "" for none
    std::string_view caption; // check box caption
    std::vector<std::string_view> entries; // radio buttons or list entries
    int enabledBy = -1;       // item index of the check box that enables this control
    bool hidden = false;
    std::string_view warning; // shown when an entry is picked

    std::string_view key;                // settings key the texts are stored under, "" for none
    std::vector<std::string_view> texts; // per choice; the first match picks the choice on show
    int defaultChoice = 0;               // choice for a text that matches none
    std::vector<BitRef> bits;            // most significant first
    std::vector<unsigned> codes;         // per choice; empty: the choice itself
    std::vector<std::vector<ByteWrite>> writes; // per choice
    std::vector<ByteWrite> always;              // whenever the item applies
    std::vector<std::pair<std::string_view, std::string_view>> alsoStore; // key, text
    int choiceOf = -1;    // a rule: takes the choice of this item
    int onlyIfItem = -1;  // the item applies only while that item has onlyIfChoice
    int onlyIfChoice = 0;

    int ChoiceCount() const;
};

// Where the 32 bytes go on OK.
enum class CopyRule {
    TwoCopies,  // OptionAddr1 as encoded; OptionAddr2 with the protection bit cleared when "ON"
    SecondOnly, // protection cleared in the block; only OptionAddr2 is written
    SameTwice,  // protection cleared in the block; the same bytes at both addresses
};

using ByteCodec = void (*)(AppState&, std::uint8_t&);

struct OptionLayout {
    std::string_view name;      // "QK139"
    std::string_view className; // "TfrmCfgQK139"
    CopyRule copy = CopyRule::TwoCopies;
    BitRef protection{0, 7};
    ByteCodec codec = nullptr; // global codec run on byte 0 after the texts are stored
    std::vector<OptionItem> items;
};

// One choice per item of a layout (0 for items without choices).
using OptionChoices = std::vector<int>;

// The 30 layouts.
const std::vector<OptionLayout>& OptionLayouts();
const OptionLayout* FindOptionLayout(std::string_view name);
// Layout of a slot 1..31; nullptr outside.
const OptionLayout* LayoutOfSlot(int slot);
// The slot whose name the dialog's caption shows: the first slot of the layout.
int CaptionSlot(const OptionLayout& layout);

// The group of the IRC dialogs that fae hides.
inline constexpr std::string_view kSpecialOpsGroup = TrNoop("特殊操作（正常不需要改动）");

// Text field of a settings key (OPTION keys, RC_NAME), or OptExtra; nullptr for others.
std::string* OptionTextOf(AppState& s, std::string_view key);
const std::string* OptionTextOf(const AppState& s, std::string_view key);

// FormShow: the choice each item shows for the current texts.
OptionChoices ShowChoices(const AppState& s, const OptionLayout& layout);

// OK steps 1..3: block := 0xFF, each item in order writes its bits, stores its text and writes
// the chip-data area; the layout's global codec; protection where the block carries it.
void EncodeOptions(AppState& s, const OptionLayout& layout, const OptionChoices& choices);

// OK step 5: the block's first 32 bytes into the image by the layout's copy rule.
void CopyOptionBlock(AppState& s, const OptionLayout& layout);

// True when every bit the layout writes is in byte 0 (the hex view then moves 0x160 on).
bool IsOneByteLayout(const OptionLayout& layout);

} // namespace orvane
