// Which option dialog opens for ChipName: the configuration button's order ("未知芯片" when no
// slot matches) and the order the device selection uses after a confirmed choice.
#pragma once

namespace orvane {

class WindowHost;

// The main window's btnConfigClick.
void ConfigButtonDispatch(WindowHost& host);

// The last step of the device selection's OK.
void SelectionDispatch(WindowHost& host);

} // namespace orvane
