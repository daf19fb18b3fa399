// What the secondary windows (device selection, programming dialog, rolling code, About, option
// dialogs) use of the main window. TfrmMain implements it; window tests may use a stand-in.
#pragma once

#include "foundation/AppState.h"
#include "foundation/OperatorMessages.h"
#include "writer/ChipOperations.h"
#include "writer/OperationView.h"
#include "writer/WriterLink.h"

#include <cstdint>
#include <string>

class QWidget;

namespace orvane {

// The programming dialog's part of OperationView: while the dialog is open the main window hands
// these calls on to it.
class ProgramDialogView {
public:
    virtual ~ProgramDialogView() = default;
    virtual void SetDialogButtonsEnabled(bool on) = 0; // "编程" and "退出"
    virtual void SetDownloadBox(bool ticked, bool enabled) = 0;
    virtual void SetStatusLine(const std::string& text) = 0;
    virtual void ShowNextID(const std::string& text) = 0;
    virtual void AdvanceProgress() = 0;
    virtual void ResetProgress() = 0;
};

class WindowHost {
public:
    virtual ~WindowHost() = default;

    virtual AppState& State() = 0;
    // Memo, hex view, status bar, message boxes and the main window's switch: the refresh that
    // ends every change of the image goes through here (RefreshHexView, then ComputeChecksum and
    // ShowChipInfo(ChecksumInfoLines)).
    virtual OperationView& View() = 0;
    virtual OperatorMessages& Messages() = 0;
    virtual WriterLink& Link() = 0;
    virtual ChipOperations& Operations() = 0;
    // Parent of the secondary windows.
    virtual QWidget* MainWidget() = 0;
    // The open programming dialog, or nullptr when it closes.
    virtual void SetProgramDialog(ProgramDialogView* dialog) = 0;
    // A programming run is about to download the image: the main window offers to reload a
    // program file that changed on disk.
    virtual void BeforeDownload() {}
};

} // namespace orvane
