// Open and Save As of program files, shared by the GUI's menu commands and the CLI. The format is
// chosen by the operator (file dialog filter, --format), never by the file's extension.
#pragma once

#include "foundation/AppState.h"
#include "foundation/OperatorMessages.h"

#include <cstddef>
#include <string>

namespace orvane {

enum class FileFormat { S19, Wrt, Bin, IntelHex };

// What an Open brought besides the image.
struct OpenedFile {
    // False when a WRT record's checksum was wrong: the operator has seen the box, and only the
    // records before it were loaded.
    bool whole = true;
    std::size_t bytesOutside = 0; // Intel HEX data bytes outside the program area, left out
};

// Open: blanks the range the format fills, reads the file (a WRT file selects its model and
// brings its option bytes, which become option texts again), names it in ProgramInfo and
// recomputes the checksums. An error (FileError, a WRT header that is not one, an Intel HEX file
// with any faulty record) leaves the whole state as it was.
OpenedFile OpenProgramFile(AppState& s, const std::string& fileName, FileFormat format,
                           OperatorMessages& messages);

// The line the chip-information memo adds after an Open that left bytes out; "" for none.
std::string BytesOutsideNote(const OpenedFile& opened);

// Save As: WRT from RomStart to OptionAddr2Last, S19 from RomStart to RomEnd, Intel HEX over the
// program area, or all bytes raw.
void SaveProgramFile(const AppState& s, const std::string& fileName, FileFormat format);

// fileName with the format's extension (".WRT", ".S19", ".hex", ".ihx") appended unless its last
// four characters already are that extension (exact comparison).
std::string WithExtension(const std::string& fileName, FileFormat format);

} // namespace orvane
