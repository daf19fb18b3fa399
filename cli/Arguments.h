// The command line of orvane-cli: one command, its operands, and options anywhere.
#pragma once

#include "app/ProgramFiles.h"
#include "foundation/Translate.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvane::cli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::string command;
    std::vector<std::string> operands;

    std::string appDir; // empty: the folder of the executable
    std::optional<std::string> model;
    std::optional<FileFormat> format; // how FILE / IN is read
    std::optional<FileFormat> to;     // how OUT is written
    std::optional<std::string> port;  // COMn or a device path; empty: search COM1..COM20
    bool yes = false;
    bool json = false;
    std::optional<Language> language; // --lang; none: [UI] LANG or the environment

    // program
    std::optional<std::string> idLen, idAddr, idStart;
    int step = 1;
    bool noDownload = false;
    int count = 1;

    // options
    std::vector<std::pair<std::string, std::string>> sets; // --set KEY=TEXT, in order
    bool list = false;
    // production line
    std::optional<std::string> journal;        // program: the lot's journal file or server URI
    bool allowReissue = false;                 // program: an ID the journal reserved may be burned
    std::optional<std::uint16_t> expectChecksum; // download/program: the image gate
    bool otpCheck = false;                     // program: check each chip can take the image
    std::optional<std::string> rollingCode;    // LEN:ADDRS:INIT:STEP:MAX:LIMIT or off
};

// Throws UsageError with a message that says what is wrong.
Arguments ParseArguments(const std::vector<std::string>& args);

// The format of a file from --format/--to or, failing that, from its extension; an input ".hex"
// is Intel HEX when its first non-blank line starts with ':' (Save As writes raw ones).
FileFormat FormatOf(const std::string& fileName, const std::optional<FileFormat>& given,
                    bool forOutput);

extern const char* const kUsageText;

} // namespace orvane::cli
