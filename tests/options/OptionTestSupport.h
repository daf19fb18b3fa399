// Helpers of the option-layout tests: a state with texts, choices picked by caption, bytes as text.
#pragma once

#include "foundation/AppState.h"
#include "options/OptionLayout.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::test {

// Option copies at 0x2100 and 0x2120, chip data at 0x7D00, every image byte 0x55; texts from
// "KEY=TEXT" words ("KEY=" for an empty text); the other texts empty.
AppState OptionState(const std::string& texts);

// Picks the entry (or checks the box) with this caption; fails the test when none has it.
void Choose(const OptionLayout& layout, OptionChoices& choices, std::string_view caption);

// n bytes from `from` as "C7 FF 0A".
std::string HexBytes(const std::uint8_t* from, int n);

} // namespace orvane::test
