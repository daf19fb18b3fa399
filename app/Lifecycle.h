// The window's start-up sequence (run when the main window is first shown) and its shutdown,
// widget-free so that tests run them whole. The command line keeps its own set-up (SetUpState)
// and never writes the settings file.
#pragma once

#include "foundation/AppState.h"
#include "foundation/LockFile.h"
#include "writer/OperationView.h"
#include "writer/WriterLink.h"

#include <string>

namespace orvane {

enum class StartupEnd {
    Completed,
    Declined,      // "未找到Writer，是否继续打开！" answered No: the application ends
    FileError,     // a file error ended the sequence at its step; the window stays usable
    SettingsInUse, // another window runs on the same settings file: the application ends
};

struct StartupOutcome {
    StartupEnd end = StartupEnd::Completed;
    // Held while the window runs, so that no second window issues the same device IDs or
    // overwrites the settings this one saves.
    LockFile settingsLock;
};

// Locks the settings file (a second window on it is told which process has it and ends), searches
// the Writer, asks to go on without one, then reads the model names, the settings and the chip
// file, builds the image and the option bytes, and shows checksums, memo and hex view. AppDir is
// set first: the port search reads the [PORTS] section of the settings file beside it. A file
// error is shown as an error box and ends the sequence at its step. The main window is off while
// the sequence runs and on again when it ends, unless the application ends.
StartupOutcome RunStartup(AppState& s, WriterLink& link, OperationView& view,
                          const std::string& appDir);

// True when the start-up ended the application.
bool EndsApplication(const StartupOutcome& outcome);

// Closes the port and saves the settings (only when the start-up read them); a failed save is
// shown.
void RunShutdown(AppState& s, CommPort& port, OperationView& view);

} // namespace orvane
