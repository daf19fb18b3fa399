// What the Writer operations do to the screen, as one interface: the GUI implements it with its
// widgets, the CLI with console lines, the tests with a recorder. The operations call it in the
// order the operator would see the effects.
#pragma once

#include "foundation/OperatorMessages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// Controls an operation switches off while it runs and on again afterwards.
enum class Control {
    MainWindow,
    BlankCheckButton, // btnBlkChk
    ReadButton,       // btnRead
    DownloadButton,   // btnMakeMC
    DialogButtons,    // the programming dialog's "编程" and "退出"
};

// Windows shown while an operation runs.
enum class BusyWindow {
    Wait,           // the read's "当前状态" window
    DownloadNotice, // "程序下载提示"
};

class OperationView {
public:
    virtual ~OperationView() = default;

    // Every report and question of the operations.
    virtual OperatorMessages& Messages() = 0;

    virtual void SetEnabled(Control control, bool on) = 0;
    virtual void SetWindowShown(BusyWindow window, bool shown) = 0;
    // The programming dialog's "下载缓冲区数据" box.
    virtual void SetDownloadBox(bool ticked, bool enabled) = 0;

    virtual void SetStatusLabel(const std::string& text) = 0;   // main window, repainted at once
    virtual void SetStatusLine(const std::string& text) = 0;    // programming dialog
    virtual void SetFirmwarePanel(const std::string& text) = 0; // first status-bar panel
    virtual void ShowNextID(const std::string& text) = 0;       // programming dialog

    virtual void AdvanceProgress() = 0; // the programming dialog's bar, by 10
    virtual void ResetProgress() = 0;
    // Every block of a read or download, answered or not: blocksDone of blocksTotal.
    virtual void ReportTransferProgress(std::int64_t blocksDone, std::int64_t blocksTotal) = 0;

    virtual void AppendMemoLine(const std::string& line) = 0;
    virtual void ShowChipInfo(const std::array<std::string, 4>& lines) = 0; // replaces the memo
    // A line the memo keeps below the chip information for the rest of the run.
    virtual void KeepMemoLine(const std::string& line) { AppendMemoLine(line); }

    // Reloads the hex view from RomImage and clears its typed changes.
    virtual void RefreshHexView() = 0;
    // Rows of 16 bytes; the top row stays where it is when not given.
    virtual void ScrollHexView(int currentRow, std::optional<int> topRow) = 0;
};

} // namespace orvane
