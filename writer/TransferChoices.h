// The model-dependent addresses of the read and the download, one row per model slot.
#pragma once

#include "foundation/AppState.h"

#include <cstdint>

namespace orvane {

struct TransferChoices {
    std::int32_t optionRowAddr;  // row the read asks for after the program area
    std::int32_t optionCopyAddr; // where the read stores that row (option copy 1); its first byte
                                 // is mirrored to option copy 2 at +0x20
    int copyAgainBytes;          // bytes of option copy 1 the read copies to copy 2 at the end
    std::int32_t fileOptionAddr; // the four "File Option" bytes of the download report
};

// Row of the first slot (1..31) whose text equals ChipName; the common row when none does.
const TransferChoices& TransferChoicesFor(const AppState& s);

} // namespace orvane
