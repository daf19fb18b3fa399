// The commands of orvane-cli, run on the same core and operations as the GUI.
#pragma once

#include "cli/Arguments.h"
#include "cli/ConsoleView.h"
#include "writer/ChipOperations.h"
#include "writer/WriterLink.h"

#include <string>

namespace orvane::cli {

// Exit codes: distinct for each way a command can fail.
enum ExitCode {
    kOk = 0,
    kUnexpectedAnswer = 1, // a reply frame with a code the command does not expect
    kUsage = 2,
    kFileError = 3,
    kNoWriter = 4,
    kTransferFailed = 5,
    kRejected = 6,    // the Writer rejected the command (kind 1)
    kChipError = 7,   // not blank, or content differs (kind 3 below 0x7D00)
    kPinFailure = 8,  // kind 3 at 0x7D00 and above
    kChecksum = 9,    // kind 5
    kDeclined = 10,   // a question was answered No
    kNoReply = 11,    // the Writer did not answer the command
    kGarbled = 12,    // what came back was no reply frame
    kIdReserved = 13, // the lot journal already records the ID as reserved
    kIdPastLimit = 14, // the ID is past the last one its length holds (FFFF, FFFFFF)
    kNotVerifiable = 15, // verify: the image protects the chip, which then reads back no program
};

// How a command ended: its exit status and the summary after "ok:" or "failed:".
struct Outcome {
    int exitCode;
    std::string detail;
};

// The outcome of a Writer command from what this command's own reply was; success names what
// was done.
Outcome OutcomeOf(const OperationResult& r, const WriterLink& link, const std::string& done);

// Reports the outcome as the command's last line; its exit status.
int Finish(ConsoleView& view, const std::string& command, const Outcome& outcome);

// Sets up AppState as the GUI's start-up does, runs the command, reports its result through
// view and returns the exit code. exeDir ends with '/'. Errors of the core propagate.
int RunCommand(const Arguments& args, ConsoleView& view, const std::string& exeDir);

} // namespace orvane::cli
