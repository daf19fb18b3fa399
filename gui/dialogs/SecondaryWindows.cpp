#include "gui/dialogs/SecondaryWindows.h"

#include "gui/WindowHost.h"
#include "gui/dialogs/TFrmDynamicID.h"
#include "gui/dialogs/TfrmAbout.h"
#include "gui/dialogs/TfrmDevSel.h"
#include "gui/dialogs/TfrmProgram.h"

namespace orvane {
namespace {

// Shows a new window centred on the main window; FormShow runs as it appears.
template <class Window>
Window* Open(WindowHost& host)
{
    auto* window = new Window(host);
    CentreOn(*window, host.MainWidget());
    window->show();
    return window;
}

} // namespace

void ShowDeviceSelection(WindowHost& host)
{
    host.View().SetEnabled(Control::MainWindow, false);
    Open<TfrmDevSel>(host);
}

void ShowProgramDialog(WindowHost& host)
{
    host.View().SetEnabled(Control::MainWindow, false);
    TfrmProgram* dialog = Open<TfrmProgram>(host);
    host.State().ProgramDialogOpen = true;
    host.SetProgramDialog(dialog);
    dialog->SetDownloadBox(true, true);
}

void ShowRollingCode(WindowHost& host)
{
    // The main window stays usable while the rolling-code dialog is open.
    Open<TFrmDynamicID>(host);
}

void ShowAbout(WindowHost& host)
{
    host.View().SetEnabled(Control::MainWindow, false);
    Open<TfrmAbout>(host);
}

} // namespace orvane
