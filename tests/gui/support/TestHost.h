// A stand-in for the main window in window tests: the real Writer link (TComm on the Qt event
// loop, WriterLink, ChipOperations) against the simulator, a view that records what the windows
// and the operations do to the main window, and message boxes answered by a MessageRecorder.
#pragma once

#include "gui/WindowHost.h"
#include "gui/main/QtEventLoop.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempDir.h"
#include "writer/TComm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::test {

using Box = std::pair<MessageKind, std::string>;
using Boxes = std::vector<Box>;

// The shared recorder, its boxes answered by the host's MessageRecorder, the programming dialog's
// share of the view handed on to the dialog while it is open.
class HostView final : public RecordingView {
public:
    explicit HostView(MessageRecorder& messages) : messages_(messages) {}

    OperatorMessages& Messages() override { return messages_; }
    void SetEnabled(Control control, bool on) override
    {
        RecordingView::SetEnabled(control, on);
        if (control == Control::DialogButtons && dialog)
            dialog->SetDialogButtonsEnabled(on);
    }
    void SetDownloadBox(bool ticked, bool on) override { Dialog(&P::SetDownloadBox, ticked, on); }
    void SetStatusLine(const std::string& text) override { Dialog(&P::SetStatusLine, text); }
    void ShowNextID(const std::string& text) override { Dialog(&P::ShowNextID, text); }
    void AdvanceProgress() override { Dialog(&P::AdvanceProgress); }
    void ResetProgress() override { Dialog(&P::ResetProgress); }

    ProgramDialogView* dialog = nullptr;

private:
    using P = ProgramDialogView;
    template <class Call, class... Args>
    void Dialog(Call call, const Args&... args)
    {
        if (dialog)
            (dialog->*call)(args...);
    }

    MessageRecorder& messages_;
};

class TestHost final : public WindowHost {
public:
    // An application folder with the shipped data files and the package pictures.
    TestHost();

    // SetUpState on the folder, then the chip, the port and the production ID from the settings.
    void StartUp();
    // The port COM1 is served by the simulator's terminal at path.
    void ServeCom1(const std::string& path) { com1_ = path; }

    AppState& State() override { return state; }
    OperationView& View() override { return view; }
    OperatorMessages& Messages() override { return messages; }
    WriterLink& Link() override { return link; }
    ChipOperations& Operations() override { return operations; }
    QWidget* MainWidget() override { return &main; }
    void SetProgramDialog(ProgramDialogView* dialog) override { view.dialog = dialog; }

    TempDir app;
    AppState state;
    MessageRecorder messages;
    HostView view{messages};
    QWidget main;

private:
    QtEventLoop loop_;
    std::string com1_;
    TComm comm_;

public:
    WriterLink link;
    ChipOperations operations;
};

// Stands in for the desktop's handler of a URL scheme (QDesktopServices::setUrlHandler(scheme,
// &opened, "Open")): the URLs it was asked to open.
class OpenedUrls : public QObject {
    Q_OBJECT
public slots:
    void Open(const QUrl& url) { urls.push_back(url); }

public:
    std::vector<QUrl> urls;
};

// The top-level window of this class that is open, nullptr when there is none.
QWidget* OpenWindow(const char* objectName);
// The button of the window with that caption, nullptr when there is none.
QPushButton* Button(QWidget* window, const char* caption);

// The accessible names of a window's fields that are empty or shared, as " 'name' xN" each; ""
// when every field has a name of its own.
std::string NameClashes(QWidget* window);
// How many fields of the window a screen reader announces by that name.
std::size_t FieldsNamed(QWidget* window, const char* name);

// Saves a picture of the window as the operator sees it where ORVANE_SCREENSHOT_DIR points
// (docs/screenshots/, tools/screenshots.sh); nothing without it.
void Photograph(QWidget& window, const char* fileName);

// The secondary windows' tests: a host, its settings file and the window a Show... call opened.
class HostTest : public ::testing::Test {
protected:
    template <class W> W& Opened(const char* objectName)
    {
        auto* w = static_cast<W*>(OpenWindow(objectName));
        EXPECT_NE(w, nullptr) << objectName;
        return *w;
    }
    std::string Settings() const { return ReadText(host.app.file("Udate_VX.ini")); }
    bool Saved(const std::string& line) const
    {
        return Settings().find(line) != std::string::npos;
    }

    TestHost host;
};

} // namespace orvane::test
