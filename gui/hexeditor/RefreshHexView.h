// The main window's refresh of the hex view after every change of the image.
#pragma once

#include "foundation/AppState.h"

namespace orvane {

class THexEditor;

// The editor then holds all 65,536 image bytes, with no change marks, no undo step and not
// modified; the caret and the top row stay where they were.
void RefreshHexView(THexEditor& editor, const AppState& s);

} // namespace orvane
