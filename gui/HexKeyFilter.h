// The key filter of the boxes that take hexadecimal digits (Goto and fill value in the main window,
// the ID address and initial ID of the programming dialog): backspace and hexadecimal digits pass
// ('a'..'f' as upper case), every other typed character is swallowed. Enter runs onEnter when one
// is given. Keys that type nothing (arrows, Delete) keep their editing role, and Tab and Shift+Tab
// move the focus.
#pragma once

#include <functional>

class QLineEdit;

namespace orvane {

void InstallHexKeyFilter(QLineEdit* box, std::function<void()> onEnter = {});

} // namespace orvane
