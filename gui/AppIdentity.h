// What the desktop sees of Orvane: its names, the desktop entry that docks and task bars match
// the windows with (orvane.desktop), and the icon the package draws, for every window.
#pragma once

namespace orvane {

void SetApplicationIdentity();

} // namespace orvane
