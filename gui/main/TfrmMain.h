// The main window: tool bar, quick tools, the hex view of RomImage, the chip-information memo,
// the status bar and the menus. Its handlers are thin: each runs a use case of the core or an
// operation on the Writer, and the window shows what they report through OperationView.
#pragma once

#include "app/Lifecycle.h"
#include "app/ProgramFileWatch.h"
#include "gui/WindowHost.h"
#include "gui/main/FileChooser.h"
#include "gui/main/QtEventLoop.h"
#include "writer/TComm.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QActionGroup;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMimeData;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace orvane {

class THexEditor;
class TfrmRead;
class TfrmDownload;
class FindBox;

class TfrmMain final : public QMainWindow, public OperationView, public WindowHost {
    Q_OBJECT
public:
    // appDir (with a trailing '/') holds the data files and the settings file. messages and files
    // are the window's message boxes and file dialogs; tests pass their own.
    TfrmMain(AppState& state, std::string appDir, OperatorMessages* messages = nullptr,
             FileChooser* files = nullptr);
    ~TfrmMain() override;

    // The start-up sequence; runs once, on the first show, or when a test calls it.
    void FormShow();
    bool StartupDone() const { return startupDone_; }
    const StartupOutcome& Startup() const { return startup_; }

    // Command handlers, named after their controls.
    void Open1Click();
    void SaveAs1Click();
    void Exit1Click();
    void btnDevSelClick();
    void btnConfigClick();
    void btnBlkChkClick();
    void btnProgramClick();
    void btnMakeMCClick();
    void btnReadClick();
    void btnVerifyClick();
    void AboutTovik1Click();
    void mnuUndoClick();
    void mnuCheckClick();
    void mnuVerifyChipClick(); // "校验芯片": the chip read aside and compared with the image
    void ComClick(int n); // COM1..COM5
    void HexGoto();
    void Button1Click(); // Fill
    void EDIT1Click();   // the EDIT menu opens: its items follow the editor's modified state
    void FindClick();     // Ctrl+F: the find box
    void FindNextClick(); // F3: the next match from the caret, or the find box without a pattern
    // Opens a program file as Open does once the file dialog chose it; false on an error.
    bool OpenFile(const std::string& fileName, FileFormat format);
    // The remembered program file changed on disk: asks whether to reload it (and reloads), or
    // says once that it is gone. beforeDownload waits for a file still being written; otherwise
    // nothing happens while the main window is off.
    void CheckProgramFile(bool beforeDownload);

    THexEditor& HexEditor1() { return *hexEditor_; }

    // OperationView
    OperatorMessages& Messages() override { return *messages_; }
    void SetEnabled(Control control, bool on) override;
    void SetWindowShown(BusyWindow window, bool shown) override;
    void SetDownloadBox(bool ticked, bool enabled) override;
    void SetStatusLabel(const std::string& text) override;
    void SetStatusLine(const std::string& text) override;
    void SetFirmwarePanel(const std::string& text) override;
    void ShowNextID(const std::string& text) override;
    void AdvanceProgress() override;
    void ResetProgress() override;
    void ReportTransferProgress(std::int64_t blocksDone, std::int64_t blocksTotal) override;
    void AppendMemoLine(const std::string& line) override;
    void ShowChipInfo(const std::array<std::string, 4>& lines) override;
    void KeepMemoLine(const std::string& line) override;
    void RefreshHexView() override;
    void ScrollHexView(int currentRow, std::optional<int> topRow) override;

    // WindowHost
    AppState& State() override { return s_; }
    OperationView& View() override { return *this; }
    WriterLink& Link() override { return link_; }
    ChipOperations& Operations() override { return operations_; }
    QWidget* MainWidget() override { return this; }
    // "退出" of the programming dialog leaves btnProgram on.
    void SetProgramDialog(ProgramDialogView* dialog) override;
    void BeforeDownload() override { CheckProgramFile(true); }

signals:
    // The window closed after its shutdown: the application ends, also when a dialog that a
    // selection left open is still on screen.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override; // activation: CheckProgramFile
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // An item of a menu or the tool bar; its handler runs inside the handler boundary.
    QAction* AddCommand(QWidget* to, const QString& caption, const char* name,
                        std::function<void()> handler);
    void BuildMenus();
    void BuildToolBar();
    QWidget* BuildQuickTools();
    QWidget* BuildCentre();
    void BuildStatusBar();
    void BuildKeys();
    void RebuildRecentItems(); // the FILE menu opens
    // The one program file a drop would open, and how; none when the drop is refused.
    std::optional<std::pair<std::string, FileFormat>> Dropped(const QMimeData* data) const;
    // The main window's controls on or off; off, the close box does nothing.
    void SetMainEnabled(bool on);
    // The other open windows go off and on with the main window.
    void SetOtherWindowsEnabled(bool on);
    void ShowImageInfo(); // ComputeChecksum was done: the memo from the state
    void RefreshRollingCodeCaption();

    AppState& s_;
    std::string appDir_;
    std::unique_ptr<OperatorMessages> ownMessages_;
    OperatorMessages* messages_;
    std::unique_ptr<FileChooser> ownFiles_;
    FileChooser* files_;

    QtEventLoop loop_;
    TComm comm1_;
    WriterLink link_;
    ChipOperations operations_;
    StartupOutcome startup_;
    bool startupStarted_ = false;
    bool startupDone_ = false;
    bool mainEnabled_ = true;
    std::vector<QPointer<QWidget>> windowsOff_; // switched off with the main window by an operation
    ProgramDialogView* programDialog_ = nullptr;
    std::vector<std::string> keptMemoLines_; // shown below every chip information
    ProgramFileWatch watch_;
    bool checkingFile_ = false; // the reload question is open

    THexEditor* hexEditor_ = nullptr;
    QPlainTextEdit* memo1_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QLineEdit* edtGoto_ = nullptr;
    QLineEdit* edit2_ = nullptr;
    std::vector<QLabel*> panels_;
    QPushButton* btnBlkChk_ = nullptr;
    QPushButton* btnProgram_ = nullptr;
    QPushButton* btnVerify_ = nullptr;
    QPushButton* btnMakeMC_ = nullptr;
    QPushButton* btnRead_ = nullptr;
    QAction* open1_ = nullptr;
    QAction* saveAs1_ = nullptr;
    QMenu* file1_ = nullptr;
    QAction* recentEnd_ = nullptr;
    std::vector<QAction*> recentItems_;
    QAction* mnuUndo_ = nullptr;
    QAction* mnuCheck_ = nullptr;
    QActionGroup* comGroup_ = nullptr;
    std::vector<QAction*> comItems_;
    TfrmRead* frmRead_ = nullptr;
    TfrmDownload* frmDownload_ = nullptr;
    FindBox* findBox_ = nullptr;
};

} // namespace orvane
