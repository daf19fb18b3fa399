#include "tests/gui/support/TestHost.h"

#include "app/Startup.h"
#include "image/RomImage.h"
#include "writer/Comm1Settings.h"

#include <QApplication>

namespace orvane::test {

void RecordingView::SetEnabled(Control control, bool on)
{
    if (control == Control::DialogButtons && dialog)
        dialog->SetDialogButtonsEnabled(on);
    if (control == Control::MainWindow)
        mainEnabled = on;
    static const char* const names[] = {"main", "blank-check", "read", "download", "dialog"};
    log.push_back(std::string(names[static_cast<int>(control)]) + (on ? " on" : " off"));
}

void RecordingView::ScrollHexView(int row, std::optional<int>)
{
    log.push_back("row " + Hex(static_cast<std::uint32_t>(row), 3));
}

TestHost::TestHost()
    : comm_(loop_, [this](const std::string& name) { return name == "COM1" ? com1_ : ""; }),
      link(state, comm_, loop_),
      operations(state, link, view)
{
    CopyDataFiles(app.path());
    ConfigureComm1(comm_);
    main.resize(800, 600);
}

void TestHost::StartUp()
{
    SetUpState(state, app.path());
    comm_.SetCommName("COM1");
}

QWidget* OpenWindow(const char* objectName)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible())
            return w;
    return nullptr;
}

} // namespace orvane::test
