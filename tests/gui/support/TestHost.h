// A stand-in for the main window in window tests: the real Writer link (TComm on the Qt event
// loop, WriterLink, ChipOperations) against the simulator, a view that records what the windows
// and the operations do to the main window and hands the programming dialog's calls on to it, and
// message boxes answered by a MessageRecorder.
#pragma once

#include "gui/WindowHost.h"
#include "gui/main/QtEventLoop.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempDir.h"
#include "writer/TComm.h"

#include <QWidget>

#include <string>
#include <vector>

namespace orvane::test {

class RecordingView final : public OperationView {
public:
    explicit RecordingView(MessageRecorder& messages) : messages_(messages) {}

    OperatorMessages& Messages() override { return messages_; }
    void SetEnabled(Control control, bool on) override;
    void SetWindowShown(BusyWindow, bool) override {}
    void SetStatusLabel(const std::string&) override {}
    void SetFirmwarePanel(const std::string&) override {}
    void ReportTransferProgress(std::int64_t, std::int64_t) override {}
    void AppendMemoLine(const std::string& line) override { log.push_back("memo " + line); }
    void ShowChipInfo(const std::array<std::string, 4>&) override {}
    void RefreshHexView() override { log.push_back("refresh"); }
    void ScrollHexView(int row, std::optional<int>) override;
    // The programming dialog's share, handed on while it is open.
    void SetDownloadBox(bool ticked, bool on) override { Dialog(&P::SetDownloadBox, ticked, on); }
    void SetStatusLine(const std::string& text) override { Dialog(&P::SetStatusLine, text); }
    void ShowNextID(const std::string& text) override { Dialog(&P::ShowNextID, text); }
    void AdvanceProgress() override { Dialog(&P::AdvanceProgress); }
    void ResetProgress() override { Dialog(&P::ResetProgress); }

    std::vector<std::string> log; // "main off", "refresh", "row 7EA", ...
    ProgramDialogView* dialog = nullptr;
    bool mainEnabled = true;

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
    RecordingView view{messages};
    QWidget main;

private:
    QtEventLoop loop_;
    std::string com1_;
    TComm comm_;

public:
    WriterLink link;
    ChipOperations operations;
};

// The top-level window of this class that is open, nullptr when there is none.
QWidget* OpenWindow(const char* objectName);

} // namespace orvane::test
