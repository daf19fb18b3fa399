// The key filter of the Goto and fill-value boxes: backspace, Enter and hexadecimal digits pass
// ('a'..'f' as upper case), every other typed character is swallowed; Enter runs onEnter. Keys
// that type nothing (arrows, Delete) keep their editing role.
#pragma once

#include <functional>

class QLineEdit;

namespace orvane {

void InstallHexKeyFilter(QLineEdit* box, std::function<void()> onEnter);

} // namespace orvane
