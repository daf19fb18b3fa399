// orvane-cli's production line: the lot journal, the image gate, the OTP re-burn check, the
// rolling code and USB ports by identity.
#pragma once

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/ConsoleView.h"
#include "foundation/AppState.h"
#include "production/LotJournal.h"
#include "production/OtpCheck.h"
#include "writer/ChipOperations.h"
#include "writer/WriterLink.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvane::cli {

// What a command on the Writer gets from the session that Commands.cpp sets up.
struct WriterContext {
    AppState& s;
    const Arguments& a;
    ConsoleView& view;
    ChipOperations& ops;
    WriterLink& link;
    LotStore* lot; // program --journal: the lot, opened before the Writer was asked anything
};

int RunJournalCommand(const Arguments& a, ConsoleView& view);
// `lot init|export|import`: a lot on a server set up, written out as a journal file, or given
// back the lines of one.
int RunLotCommand(const Arguments& a, ConsoleView& view);

// A wait for a lot journal that another process holds locked: after a second it says so on view;
// stopSignal, when given, ends it.
LockWait AnnouncedLockWait(ConsoleView& view, std::function<int()> stopSignal);
int RunPortsCommand(const Arguments& a, ConsoleView& view, const AppState& s);
int RunOtpCheckCommand(WriterContext& c);
// `verify FILE`: the chip read aside and compared with the image.
int RunVerifyCommand(WriterContext& c);

// Reads the chip in the socket and lists where the image in c.s needs a 1 over a 0 of the chip;
// the image and the state are left as they were. The outcome: kOk, kChipError with conflicts, or
// the read's failure.
struct OtpVerdict {
    Outcome outcome{0, ""};
    std::vector<OtpConflict> conflicts;
};
OtpVerdict CheckChipTakesImage(WriterContext& c);
// The conflicts on stdout: one line each (first 20, then a count), or one JSON line.
void PrintOtpConflicts(const WriterContext& c, const OtpVerdict& verdict);
// The program command's chips, with the journal, ID reservation and OTP check when asked for.
int RunProgramCommand(WriterContext& c);

// --port usb:VVVV:PPPP[:SERIAL] as the device path of that adapter; other names as they are.
std::optional<std::string> ResolvePortOption(const std::optional<std::string>& port,
                                             const AppState& s);

// After the program file is loaded: the image gate (exit 9 when the checksum differs), then the
// rolling-code block. The exit code to stop with, or 0 to go on.
int ApplyImageOptions(AppState& s, const Arguments& a, ConsoleView& view);

// The rolling-code block of the image, decoded for info.
std::string RollingCodeText(const AppState& s);

} // namespace orvane::cli
