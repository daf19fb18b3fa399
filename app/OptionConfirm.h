// What an option dialog's OK does, without the window: encode the choices, write the image,
// save the settings and refresh the main window.
#pragma once

#include "foundation/AppState.h"
#include "options/OptionLayout.h"
#include "writer/OperationView.h"

namespace orvane {

// Block := 0xFF, encode, chip-data writes; SaveSettings (not for the layouts that write only the
// second copy); the copies; SaveSettings; RefreshHexView; current row to the rows after the block
// (+0x160 for one-byte layouts, +0xA0 for the others); ComputeChecksum; chip information; main
// window on. A failed save shows its error box and the other steps still run.
void ConfirmOptions(AppState& s, const OptionLayout& layout, const OptionChoices& choices,
                    OperationView& view);

// The hex-view row OK moves to.
int RowAfterOptionBlock(const AppState& s, const OptionLayout& layout);

} // namespace orvane
