// Open and Save As of program files, shared by the GUI's menu commands and the CLI. The format is
// chosen by the operator (file dialog filter, --format), never by the file's extension.
#pragma once

#include "foundation/AppState.h"
#include "foundation/OperatorMessages.h"

#include <string>

namespace orvane {

enum class FileFormat { S19, Wrt, Bin };

// Open: blanks the range the format fills, reads the file (a WRT file selects its model and
// brings its option bytes, which become option texts again), names it in ProgramInfo and
// recomputes the checksums. An error (FileError, a WRT header that is not one) leaves the whole
// state as it was. False when a WRT record's checksum was wrong: the operator has seen the box,
// and only the records before it were loaded.
bool OpenProgramFile(AppState& s, const std::string& fileName, FileFormat format,
                     OperatorMessages& messages);

// Save As: WRT from RomStart to OptionAddr2Last, S19 from RomStart to RomEnd, or all bytes raw.
void SaveProgramFile(const AppState& s, const std::string& fileName, FileFormat format);

// fileName with the format's extension (".WRT", ".S19", ".hex") appended unless its last four
// characters already are that extension (exact comparison).
std::string WithExtension(const std::string& fileName, FileFormat format);

} // namespace orvane
