// Which option dialog opens for ChipName: the configuration button's order ("未知芯片" when no
// slot matches) and the order the device selection uses after a confirmed choice.
#pragma once

#include <string_view>

namespace orvane {

class OptionDialog;
class WindowHost;

// The main window's btnConfigClick: opens the dialog of the first slot of its order, or shows
// "未知芯片".
void ConfigButtonDispatch(WindowHost& host);

// Step 11 of the device selection's OK: opens the dialog of the first slot of its order, with
// Cancel disabled for the layouts QK101, QK106, QK105, QK104, QK102, QK103, QK107 and QK122; when
// no slot matches shows "新器件,即将发布".
void SelectionDispatch(WindowHost& host);

// The open instance of a dialog class (its global reference), nullptr when none is open.
OptionDialog* OpenOptionDialog(std::string_view className);

} // namespace orvane
