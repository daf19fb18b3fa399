// The language of the operator's texts: --lang, else the hand-set key LANG of section UI in the
// settings file, else the environment (foundation/Translate.h).
#pragma once

#include "foundation/Translate.h"

#include <optional>
#include <string>

namespace orvane {

// given: from --lang. appDir: the program folder whose settings file is read (ending with '/').
Language ChooseLanguage(std::optional<Language> given, const std::string& appDir);

// Chooses and switches to it, with the catalogue of the program folder programDir. Returns
// false when English was chosen but its catalogue is missing (the texts stay written).
bool StartLanguage(std::optional<Language> given, const std::string& appDir,
                   const std::string& programDir);

} // namespace orvane
