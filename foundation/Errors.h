// Errors that end the running command. The executables catch them at the handler boundary and
// show what() in an error box (GUI) or on the console (CLI); the command's remaining steps do not run.
#pragma once

#include <stdexcept>
#include <string>

namespace orvane {

// A file that cannot be opened, read, parsed or written. The message names the file (and the
// line where one applies).
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A record whose checksum is wrong, in a file that is refused whole for it.
class RecordChecksumError : public FileError {
public:
    using FileError::FileError;
};

// A text that is not a number where one is required.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The serial port cannot be opened; the messages are the Writer link's fixed English texts.
class ECommsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace orvane
