// The format a program file is opened in when no file dialog filter chose one (a file dropped on
// the window, a recent file): by its extension, in any letter case.
#pragma once

#include "app/ProgramFiles.h"

#include <optional>
#include <string>

namespace orvane {

// None for an extension that names no program file.
std::optional<FileFormat> FormatByExtension(const std::string& path);

} // namespace orvane
