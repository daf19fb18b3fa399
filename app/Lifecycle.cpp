#include "app/Lifecycle.h"

#include "app/Settings.h"
#include "app/SettingsPath.h"
#include "app/Startup.h"
#include "foundation/Errors.h"
#include "foundation/Translate.h"
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

void SetUpImage(AppState& s, OperationView& view)
{
    LoadNamesAndSettings(s, s.AppDir);
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
    SettingsLocation settings;
    try {
        settings = LocateSettings(appDir);
        settings.CreateFolder(); // a new user's folder, for the lock beside the file
    } catch (const FileError& e) { // the marker of an installed copy cannot be read
        view.Messages().Show(MessageKind::Error, e.what());
        outcome.end = StartupEnd::FileError;
        view.SetEnabled(Control::MainWindow, true);
        return outcome;
    }
    outcome.settingsLock = LockFile(settings.file + ".lock");
    if (outcome.settingsLock.HeldElsewhere()) { // nothing searched, nothing written
        view.Messages().Show(MessageKind::Error, Tr("设置文件 ") + settings.file +
                                                     Tr(" 正被另一个Orvane窗口（进程 ") +
                                                     outcome.settingsLock.Holder() + Tr("）使用"));
        outcome.end = StartupEnd::SettingsInUse;
        return outcome;
    }
    try {
        s.WriterFound = link.ConnectWriter(view);
    } catch (const ECommsError& e) { // a port that answered the search but cannot be opened now
        view.Messages().Show(MessageKind::Error, e.what());
    }
    if (!s.WriterFound &&
        !view.Messages().Show(MessageKind::Question, Tr("未找到Writer，是否继续打开！"))) {
        outcome.end = StartupEnd::Declined;
        return outcome;
    }
    try {
        SetUpImage(s, view);
    } catch (const std::exception& e) { // file and conversion errors above all
        view.Messages().Show(MessageKind::Error, e.what());
        outcome.end = StartupEnd::FileError;
    }
    view.SetEnabled(Control::MainWindow, true);
    return outcome;
}

bool EndsApplication(const StartupOutcome& outcome)
{
    return outcome.end == StartupEnd::Declined || outcome.end == StartupEnd::SettingsInUse;
}

void RunShutdown(AppState& s, CommPort& port, OperationView& view)
{
    port.ClosePort();
    SaveSettingsOrReport(s, view);
}

} // namespace orvane
