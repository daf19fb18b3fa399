#include "gui/dialogs/SecondaryWindows.h"

namespace orvane {

// The secondary windows are not built yet: their buttons open nothing.
void ShowDeviceSelection(WindowHost&) {}
void ShowProgramDialog(WindowHost&) {}
void ShowRollingCode(WindowHost&) {}
void ShowAbout(WindowHost&) {}

} // namespace orvane
