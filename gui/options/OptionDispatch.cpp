#include "gui/options/OptionDispatch.h"

#include "gui/WindowHost.h"

namespace orvane {

// The option dialogs are not built yet: neither dispatch opens a window.
void ConfigButtonDispatch(WindowHost&) {}

void SelectionDispatch(WindowHost&) {}

} // namespace orvane
