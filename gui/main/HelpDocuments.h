// The HELP menu's documents: the manual as PDF, and the compiled help or, without one, the HTML
// help; under English the English manual when it ships. They are opened through the desktop
// (QDesktopServices, which tests watch with setUrlHandler("file", ...)); an operator who clicks
// Help and sees nothing is told why.
#pragma once

#include "foundation/OperatorMessages.h"

#include <string>

namespace orvane {

enum class HelpDocument { Pdf, Html };

// appDir (with '/') is the program folder, where the documents ship.
void OpenHelpDocument(const std::string& appDir, HelpDocument document, OperatorMessages& messages);

} // namespace orvane
