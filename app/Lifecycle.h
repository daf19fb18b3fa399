// The window's start-up sequence (run when the main window is first shown) and its shutdown,
// widget-free so that tests run them whole. The command line keeps its own set-up (SetUpState)
// and never writes the settings file.
#pragma once

#include "foundation/AppState.h"
#include "writer/OperationView.h"
#include "writer/WriterLink.h"

#include <string>

namespace orvane {

enum class StartupEnd {
    Completed,
    Declined,  // "未找到Writer，是否继续打开！" answered No: the application ends
    FileError, // a file error ended the sequence at its step; the window stays usable
};

struct StartupOutcome {
    StartupEnd end = StartupEnd::Completed;
    // The settings file was read, so the shutdown may write it back. Before that the state holds
    // nothing worth saving, and the stored settings must not be replaced with it.
    bool settingsLoaded = false;
};

// Searches the Writer, asks to go on without one, then reads the model names, the settings and the
// chip file, builds the image and the option bytes, and shows checksums, memo and hex view. AppDir
// is set first: the port search reads the [PORTS] section of the settings file beside it. A file
// error is shown as an error box and ends the sequence at its step. The main window is off while
// the sequence runs and on again when it ends, however it ends.
StartupOutcome RunStartup(AppState& s, WriterLink& link, OperationView& view,
                          const std::string& appDir);

// Closes the port and saves the settings when the start-up read them; a failed save is shown.
void RunShutdown(const AppState& s, CommPort& port, const StartupOutcome& startup,
                 OperatorMessages& messages);

} // namespace orvane
