#include "tests/gui/support/TestHost.h"

#include "app/Startup.h"
#include "image/RomImage.h"
#include "writer/Comm1Settings.h"

#include <QApplication>
#include <QDir>

#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

// One application for the whole test run, made before the first test and gone after the last.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "orvane_gui_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

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
    const std::filesystem::path pictures =
        QDir(QCoreApplication::applicationDirPath()).filePath("image").toStdString();
    std::filesystem::copy(pictures, app.path() + "image");
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
