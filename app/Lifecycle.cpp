#include "app/Lifecycle.h"

#include "app/Settings.h"
#include "app/Startup.h"
#include "foundation/Errors.h"
#include "image/RomImage.h"

namespace orvane {

namespace {

// The hex view's position after start-up: the cursor a few rows into the first option copy, the
// top row two rows above the program area.
void PositionHexView(const AppState& s, OperationView& view)
{
    const int row = (s.OptionAddr1 + 0xA0) / 16;
    view.ScrollHexView(row, s.RomStart == 0 ? 0 : (s.RomStart - 0x20) / 16);
}

void SetUpImage(AppState& s, StartupOutcome& outcome, OperationView& view)
{
    LoadNamesAndSettings(s, s.AppDir);
    outcome.settingsLoaded = true;
    BuildModelImage(s);
    view.ShowChipInfo(ChecksumInfoLines(s));
    view.RefreshHexView();
    PositionHexView(s, view);
}

} // namespace

StartupOutcome RunStartup(AppState& s, WriterLink& link, OperationView& view,
                          const std::string& appDir)
{
    StartupOutcome outcome;
    view.SetEnabled(Control::MainWindow, false);
    s.WriterFound = false;
    s.ProgramDialogOpen = false;
    s.AppDir = appDir;
    try {
        s.WriterFound = link.ConnectWriter(view);
    } catch (const ECommsError& e) { // a port that answered the search but cannot be opened now
        view.Messages().Show(MessageKind::Error, e.what());
    }
    if (!s.WriterFound &&
        !view.Messages().Show(MessageKind::Question, "未找到Writer，是否继续打开！")) {
        outcome.end = StartupEnd::Declined;
        return outcome;
    }
    try {
        SetUpImage(s, outcome, view);
    } catch (const std::runtime_error& e) { // file and conversion errors
        view.Messages().Show(MessageKind::Error, e.what());
        outcome.end = StartupEnd::FileError;
    }
    view.SetEnabled(Control::MainWindow, true);
    return outcome;
}

void RunShutdown(const AppState& s, CommPort& port, const StartupOutcome& startup,
                 OperatorMessages& messages)
{
    port.ClosePort();
    if (startup.settingsLoaded)
        SaveSettingsOrReport(s, messages);
}

} // namespace orvane
