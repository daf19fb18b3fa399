#include "gui/main/TfrmMain.h"

#include "app/ChipVerify.h"
#include "app/FileKinds.h"
#include "app/ProgramFiles.h"
#include "app/RecentFiles.h"
#include "app/SettingsPath.h"
#include "foundation/Translate.h"
#include "gui/ConnectGuarded.h"
#include "gui/Text.h"
#include "gui/dialogs/SecondaryWindows.h"
#include "gui/hexeditor/RefreshHexView.h"
#include "gui/hexeditor/THexEditor.h"
#include "gui/main/FindBox.h"
#include "gui/main/HelpDocuments.h"
#include "gui/main/TransferWindow.h"
#include "gui/HexKeyFilter.h"
#include "gui/main/MessageBoxes.h"
#include "gui/options/OptionDispatch.h"
#include "image/RomImage.h"
#include "production/RollingCode.h"
#include "writer/Comm1Settings.h"
#include "writer/PortNames.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <filesystem>
#include <stdexcept>
#include <thread>

namespace orvane {

namespace {

const char* const kOpenFilters = TrNoop("S19文件 (*.S19);;WRT文件 (*.WRT);;Intel HEX文件 (*.hex *.ihx)");
const FileFormat kOpenFormats[] = {FileFormat::S19, FileFormat::Wrt, FileFormat::IntelHex};
const char* const kSaveFilters =
    TrNoop("WRT文件 (*.WRT);;S19文件 (*.S19);;hex文件 (*.hex);;Intel HEX文件 (*.ihx)");
const FileFormat kSaveFormats[] = {FileFormat::Wrt, FileFormat::S19, FileFormat::Bin,
                                   FileFormat::IntelHex};

// The format of the filter the operator chose; the first for a position outside the list.
template <std::size_t N>
FileFormat FormatOfFilter(const FileFormat (&formats)[N], int filter)
{
    return filter >= 0 && static_cast<std::size_t>(filter) < N ? formats[filter] : formats[0];
}

constexpr int kComItems = 5;
constexpr int kGotoContextRows = 10; // a Goto target row sits this far below the top of the view

// Anything under that name, a dangling symbolic link too: saving would write through it.
bool Exists(const std::string& fileName)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status(fileName, error);
    return !error && status.type() != std::filesystem::file_type::not_found;
}

std::string BaseName(const std::string& fileName)
{
    return std::filesystem::path(fileName).filename().string();
}

QPushButton* NamedButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

TfrmMain::TfrmMain(AppState& state, std::string appDir, OperatorMessages* messages,
                   FileChooser* files)
    : s_(state),
      appDir_(std::move(appDir)),
      ownMessages_(messages ? nullptr : std::make_unique<MessageBoxes>(this)),
      messages_(messages ? messages : ownMessages_.get()),
      ownFiles_(files ? nullptr : std::make_unique<DialogFileChooser>()),
      files_(files ? files : ownFiles_.get()),
      comm1_(loop_, MakePortResolver(SettingsPortNaming(appDir_))),
      link_(s_, comm1_, loop_),
      operations_(s_, link_, *this)
{
    ConfigureComm1(comm1_);
    setObjectName("frmMain");
    setWindowTitle(QApplication::applicationDisplayName());
    setMinimumSize(800, 612);
    resize(1000, 720); // room for the hex view's character column

    BuildMenus();
    BuildToolBar();
    auto* centre = new QWidget(this);
    auto* layout = new QHBoxLayout(centre);
    layout->addWidget(BuildQuickTools());
    layout->addWidget(BuildCentre(), 1);
    setCentralWidget(centre);
    BuildStatusBar();
    BuildKeys();
    setAcceptDrops(true);

    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    frmRead_ = new TfrmRead(this);
    frmDownload_ = new TfrmDownload(this);
    RefreshRollingCodeCaption();
}

TfrmMain::~TfrmMain() = default;

QAction* TfrmMain::AddCommand(QWidget* to, const QString& caption, const char* name,
                             std::function<void()> handler)
{
    auto* action = new QAction(caption, to);
    action->setObjectName(name);
    to->addAction(action);
    ConnectGuarded(action, &QAction::triggered, this, *messages_, std::move(handler));
    return action;
}

void TfrmMain::BuildMenus()
{
    file1_ = menuBar()->addMenu(" FILE ");
    file1_->setObjectName("F1");
    open1_ = AddCommand(file1_, "Open ", "Open1", [this] { Open1Click(); });
    saveAs1_ = AddCommand(file1_, "Save As..", "SaveAs1", [this] { SaveAs1Click(); });
    file1_->addSeparator();
    recentEnd_ = file1_->addSeparator(); // the recent files go between the two separators
    AddCommand(file1_, "Exit", "Exit1", [this] { Exit1Click(); });
    ConnectGuarded(file1_, &QMenu::aboutToShow, this, *messages_, [this] {
        saveAs1_->setEnabled(true);
        RebuildRecentItems();
    });

    QMenu* edit = menuBar()->addMenu(" EDIT ");
    edit->setObjectName("EDIT1");
    mnuUndo_ = AddCommand(edit, "Undo", "mnuUndo", [this] { mnuUndoClick(); });
    mnuCheck_ = AddCommand(edit, Tr("确认键入"), "mnuCheck", [this] { mnuCheckClick(); });
    AddCommand(edit, Tr("校验芯片"), "mnuVerifyChip", [this] { mnuVerifyChipClick(); });
    ConnectGuarded(edit, &QMenu::aboutToShow, this, *messages_, [this] { EDIT1Click(); });
    edit->addSeparator();
    AddCommand(edit, Tr("查找..."), "mnuFind", [this] { FindClick(); });
    AddCommand(edit, Tr("查找下一个"), "mnuFindNext", [this] { FindNextClick(); });

    QMenu* com = menuBar()->addMenu(Tr("选择COM"));
    com->setObjectName("COM1");
    comGroup_ = new QActionGroup(this);
    comGroup_->setExclusive(true);
    static const char* const names[kComItems] = {"COM01", "com11", "COM21", "com31", "COM41"};
    for (int n = 1; n <= kComItems; ++n) {
        QAction* item =
            AddCommand(com, QString("COM%1").arg(n), names[n - 1], [this, n] { ComClick(n); });
        item->setCheckable(true);
        comGroup_->addAction(item);
        comItems_.push_back(item);
    }

    QMenu* help = menuBar()->addMenu(" HELP ");
    help->setObjectName("HELP1");
    AddCommand(help, "About Writer", "AboutTovik1", [this] { AboutTovik1Click(); });
    AddCommand(help, "Help PDF", "Help2",
               [this] { OpenHelpDocument(appDir_, HelpDocument::Pdf, *messages_); });
    AddCommand(help, "Help Html", "Help3",
               [this] { OpenHelpDocument(appDir_, HelpDocument::Html, *messages_); });
}

void TfrmMain::BuildToolBar()
{
    QToolBar* bar = addToolBar("ToolBar1");
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    AddCommand(bar, Tr("打开 "), "tbOpen", [this] { Open1Click(); });
    AddCommand(bar, Tr("保存"), "tbSave", [this] { SaveAs1Click(); });
    AddCommand(bar, Tr("查空"), "tbBlankCheck", [this] { btnBlkChkClick(); });
    // Works also while btnProgram is off.
    AddCommand(bar, Tr("编程"), "tbProgram", [this] { btnProgramClick(); });
}

QWidget* TfrmMain::BuildQuickTools()
{
    auto* group = new QGroupBox(Tr("快捷工具栏"), this);
    group->setObjectName("GroupBox1");
    group->setFixedWidth(185);
    auto* layout = new QVBoxLayout(group);
    const auto add = [&](const char* name, const QString& caption, void (TfrmMain::*handler)()) {
        QPushButton* button = NamedButton(name, caption, group);
        ConnectGuarded(button, &QPushButton::clicked, this, *messages_,
                       [this, handler] { (this->*handler)(); });
        layout->addWidget(button);
        return button;
    };
    add("btnDevSel", Tr("选择芯片"), &TfrmMain::btnDevSelClick);
    add("btnConfig", Tr("配置芯片"), &TfrmMain::btnConfigClick);
    btnBlkChk_ = add("btnBlkChk", Tr("查空"), &TfrmMain::btnBlkChkClick);
    btnBlkChk_->setEnabled(false);
    btnProgram_ = add("btnProgram", Tr("下载+编程"), &TfrmMain::btnProgramClick);
    btnProgram_->setEnabled(false);
    btnVerify_ = add("btnVerify", "", &TfrmMain::btnVerifyClick);
    btnMakeMC_ = add("btnMakeMC", Tr("下载程序"), &TfrmMain::btnMakeMCClick);
    btnRead_ = add("btnRead", Tr("读取"), &TfrmMain::btnReadClick);

    lblStatus_ = new QLabel(group);
    lblStatus_->setObjectName("lblStatus"); // no name of its own: it is announced by its text
    layout->addWidget(lblStatus_);

    auto* gotoRow = new QHBoxLayout;
    edtGoto_ = new QLineEdit(group);
    edtGoto_->setObjectName("edtGoto");
    edtGoto_->setAccessibleName("Goto");
    edtGoto_->setMaxLength(4);
    auto* btnGoto = NamedButton("btnGoto", "Goto", group);
    ConnectGuarded(btnGoto, &QPushButton::clicked, this, *messages_, [this] { HexGoto(); });
    gotoRow->addWidget(edtGoto_);
    gotoRow->addWidget(btnGoto);
    layout->addLayout(gotoRow);
    layout->addStretch(1);

    auto* fillRow = new QHBoxLayout;
    edit2_ = new QLineEdit("FF", group);
    edit2_->setObjectName("Edit2");
    edit2_->setAccessibleName(Tr("填充值"));
    edit2_->setMaxLength(2);
    auto* button1 = NamedButton("Button1", Tr("填充"), group);
    ConnectGuarded(button1, &QPushButton::clicked, this, *messages_, [this] { Button1Click(); });
    fillRow->addWidget(edit2_);
    fillRow->addWidget(button1);
    layout->addLayout(fillRow);

    for (QLineEdit* box : {edtGoto_, edit2_})
        InstallHexKeyFilter(box, Guarded(*messages_, [this] { HexGoto(); }));
    return group;
}

QWidget* TfrmMain::BuildCentre()
{
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName("Splitter1");

    auto* rom = new QGroupBox("Rom Memory", splitter);
    rom->setObjectName("GroupBox2");
    auto* romLayout = new QVBoxLayout(rom);
    hexEditor_ = new THexEditor(rom);
    hexEditor_->setObjectName("HexEditor1");
    romLayout->addWidget(hexEditor_);

    auto* info = new QGroupBox(Tr("芯片信息"), splitter);
    info->setObjectName("GroupBox3");
    auto* infoLayout = new QVBoxLayout(info);
    memo1_ = new QPlainTextEdit(info);
    memo1_->setObjectName("Memo1");
    memo1_->setAccessibleName(Tr("芯片信息"));
    memo1_->setReadOnly(true);
    memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    infoLayout->addWidget(memo1_);

    splitter->addWidget(rom);
    splitter->addWidget(info);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    return splitter;
}

void TfrmMain::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    for (const int width : {200, 200, 200, 50}) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QString("Panel%1").arg(panels_.size()));
        // English texts are longer: the written widths are the least there.
        if (CurrentLanguage() == Language::English)
            panel->setMinimumWidth(width);
        else
            panel->setFixedWidth(width);
        panel->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(panel);
        panels_.push_back(panel);
    }
    panels_[0]->setText("Firmware Version:");
    panels_[0]->setAccessibleName("Firmware Version:");
}

void TfrmMain::BuildKeys()
{
    const auto named = [this](const char* name) { return findChild<QAction*>(name); };
    const auto tip = [](auto* control, const QString& caption, const QKeySequence& keys) {
        control->setToolTip(caption + " (" + keys.toString(QKeySequence::NativeText) + ")");
    };
    open1_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    saveAs1_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    named("mnuFind")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    named("mnuFindNext")->setShortcut(QKeySequence(Qt::Key_F3));
    tip(named("tbOpen"), Tr("打开"), open1_->shortcut());
    tip(named("tbSave"), Tr("保存"), saveAs1_->shortcut());

    // Keys without a menu item click their button. While an operation or a secondary window
    // holds the main window off, its menu bar and controls are off, and so are their keys.
    const auto addKey = [this](const QKeySequence& keys, auto run) {
        auto* key = new QAction(this);
        key->setShortcut(keys);
        ConnectGuarded(key, &QAction::triggered, this, *messages_, run);
        addAction(key);
    };
    const struct {
        QPushButton* button;
        QKeySequence keys;
    } clicks[] = {
        {btnMakeMC_, QKeySequence(Qt::Key_F5)},
        {btnBlkChk_, QKeySequence(Qt::Key_F6)},
        {btnRead_, QKeySequence(Qt::Key_F7)},
    };
    for (const auto& c : clicks) {
        addKey(c.keys, [button = c.button] {
            if (button->isEnabled())
                button->click();
        });
        tip(c.button, c.button->text(), c.keys);
    }
    tip(named("tbBlankCheck"), Tr("查空"), QKeySequence(Qt::Key_F6));

    const QKeySequence gotoKeys(Qt::CTRL | Qt::Key_G);
    addKey(gotoKeys, [this] {
        edtGoto_->setFocus(Qt::ShortcutFocusReason);
        edtGoto_->selectAll();
    });
    tip(findChild<QPushButton*>("btnGoto"), "Goto", gotoKeys);
}

// ---- start-up and shutdown

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!startupStarted_) // after the first paint, so the window is there while the search runs
        QTimer::singleShot(0, this, Guarded(*messages_, [this] { FormShow(); }));
}

void TfrmMain::FormShow()
{
    if (std::exchange(startupStarted_, true))
        return;
    startup_ = RunStartup(s_, link_, *this, appDir_);
    startupDone_ = true;
    if (EndsApplication(startup_)) {
        close();
        return;
    }
    for (int n = 1; n <= kComItems; ++n)
        comItems_[n - 1]->setChecked(s_.ComName == "COM" + std::to_string(n));
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (!mainEnabled_ && !EndsApplication(startup_)) {
        event->ignore(); // a Writer operation or a secondary window is running
        return;
    }
    RunGuarded(*messages_, [this] { RunShutdown(s_, comm1_, *this); });
    event->accept();
    emit Closed();
}

void TfrmMain::Exit1Click()
{
    close();
}

bool TfrmMain::event(QEvent* event)
{
    // After the activation is done, so that the question box does not take part in it.
    if (event->type() == QEvent::WindowActivate && startupDone_)
        QTimer::singleShot(0, this, Guarded(*messages_, [this] { CheckProgramFile(false); }));
    return QMainWindow::event(event);
}

// ---- program files on disk

bool TfrmMain::OpenFile(const std::string& fileName, FileFormat format)
{
    return RunGuarded(*messages_, [&] {
        ProgramFileWatch opened;
        opened.Remember(fileName, format); // before the read: a write during it counts as change
        const OpenedFile file = OpenProgramFile(s_, fileName, format, *messages_);
        watch_ = std::move(opened);
        if (FormatByExtension(fileName)) // the list opens its files by their extension
            NoteRecentFile(s_, fileName);
        RefreshHexView();
        ScrollHexView((s_.RomStart + 0x60) / 16, s_.RomStart / 16);
        ShowImageInfo();
        if (const std::string note = BytesOutsideNote(file); !note.empty())
            AppendMemoLine(note);
    });
}

void TfrmMain::CheckProgramFile(bool beforeDownload)
{
    if (checkingFile_ || (!beforeDownload && !mainEnabled_))
        return;
    checkingFile_ = true;
    const auto done = qScopeGuard([this] { checkingFile_ = false; });
    using Verdict = ProgramFileWatch::Verdict;
    Verdict verdict = watch_.Check();
    if (verdict == Verdict::Settling) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            watch_.StableAt() - std::filesystem::file_time_type::clock::now());
        if (!beforeDownload) { // look again once the writer is done, if still in front
            QTimer::singleShot(std::max<std::int64_t>(wait.count(), 0) + 1, this,
                               Guarded(*messages_, [this] {
                                   if (isActiveWindow())
                                       CheckProgramFile(false);
                               }));
            return;
        }
        std::this_thread::sleep_for(wait); // at most a moment; the download must not go stale
        verdict = watch_.Check();
    }
    if (verdict != Verdict::Changed && verdict != Verdict::Vanished)
        return;
    const std::string path = *watch_.Path();
    const std::string name = BaseName(path);
    if (verdict == Verdict::Vanished) {
        messages_->Show(MessageKind::Plain, Tr("程序文件 ") + name + Tr(" 已不存在"));
        return;
    }
    const bool reload = messages_->Show(
        MessageKind::Question,
        Tr("程序文件 ") + name + Tr(" 已在磁盘上改变，是否重新载入？（未保存的修改、写入的ID和滚动码将丢失）"));
    // A file that fails to load is not offered again until it changes once more.
    if (!reload || !OpenFile(path, watch_.Format()))
        watch_.KeepCurrent();
}

std::optional<std::pair<std::string, FileFormat>> TfrmMain::Dropped(const QMimeData* data) const
{
    if (!mainEnabled_ || !data || data->urls().size() != 1 || !data->urls().front().isLocalFile())
        return std::nullopt;
    std::string path = QFile::encodeName(data->urls().front().toLocalFile()).toStdString();
    const auto format = FormatByExtension(path);
    if (!format)
        return std::nullopt;
    return std::pair{std::move(path), *format};
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (Dropped(event->mimeData()))
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event)
{
    const auto file = Dropped(event->mimeData());
    if (!file)
        return;
    event->acceptProposedAction();
    OpenFile(file->first, file->second);
}

void TfrmMain::RebuildRecentItems()
{
    for (QAction* item : recentItems_)
        delete item;
    recentItems_.clear();
    int n = 0;
    for (const std::string& path : s_.RecentFiles) {
        auto* item = new QAction(QString("&%1 %2").arg(++n).arg(Shown(path).replace('&', "&&")),
                                 file1_);
        item->setObjectName(QString("Recent%1").arg(n));
        std::error_code error;
        item->setEnabled(std::filesystem::is_regular_file(path, error)); // greyed when gone
        ConnectGuarded(item, &QAction::triggered, this, *messages_, [this, path] {
            if (const auto format = FormatByExtension(path))
                OpenFile(path, *format);
        });
        file1_->insertAction(recentEnd_, item);
        recentItems_.push_back(item);
    }
}

// ---- find in the hex view

void TfrmMain::FindClick()
{
    if (!findBox_) {
        findBox_ = new FindBox(this);
        ConnectGuarded(findBox_, &FindBox::FindNext, this, *messages_,
                       [this] { FindNextClick(); });
    }
    findBox_->show();
    findBox_->raise();
    findBox_->activateWindow();
    findBox_->edtFind->setFocus();
    findBox_->edtFind->selectAll();
}

void TfrmMain::FindNextClick()
{
    if (!findBox_ || !findBox_->HasText()) {
        FindClick();
        return;
    }
    const char* kNotFound = Tr("未找到");
    const char* kInvalid = Tr("查找内容无效");
    const auto pattern = findBox_->Pattern();
    if (!pattern)
        SetStatusLabel(kInvalid);
    else if (!hexEditor_->FindNext(*pattern))
        SetStatusLabel(kNotFound);
    else if (lblStatus_->text() == Shown(kNotFound) || lblStatus_->text() == Shown(kInvalid))
        SetStatusLabel(""); // the label's other texts are the last operation's
}

// ---- switching on and off

void TfrmMain::SetMainEnabled(bool on)
{
    mainEnabled_ = on;
    menuBar()->setEnabled(on);
    centralWidget()->setEnabled(on);
    for (QToolBar* bar : findChildren<QToolBar*>())
        bar->setEnabled(on);
}

void TfrmMain::SetOtherWindowsEnabled(bool on)
{
    if (on) {
        for (const QPointer<QWidget>& w : windowsOff_) {
            if (w)
                w->setEnabled(true);
        }
        windowsOff_.clear();
        return;
    }
    // An OK in an option dialog would change the image in the middle of a transfer. The
    // programming dialog runs the transfer itself and switches its own buttons.
    auto* dialog = dynamic_cast<QWidget*>(programDialog_);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w != dialog && w->isVisible() && w->isEnabled() &&
            !qobject_cast<TransferWindow*>(w)) {
            w->setEnabled(false);
            windowsOff_.emplace_back(w);
        }
    }
}

void TfrmMain::SetEnabled(Control control, bool on)
{
    switch (control) {
    case Control::MainWindow:
        SetMainEnabled(on);
        SetOtherWindowsEnabled(on);
        if (on)
            activateWindow();
        break;
    case Control::BlankCheckButton: btnBlkChk_->setEnabled(on); break;
    case Control::ReadButton: btnRead_->setEnabled(on); break;
    case Control::DownloadButton: btnMakeMC_->setEnabled(on); break;
    case Control::DialogButtons:
        if (programDialog_)
            programDialog_->SetDialogButtonsEnabled(on);
        break;
    }
}

// ---- OperationView

void TfrmMain::SetWindowShown(BusyWindow window, bool shown)
{
    TransferWindow* w = window == BusyWindow::Wait ? static_cast<TransferWindow*>(frmRead_)
                                                       : frmDownload_;
    if (shown)
        w->Open();
    else
        w->Close();
}

void TfrmMain::SetDownloadBox(bool ticked, bool enabled)
{
    if (programDialog_)
        programDialog_->SetDownloadBox(ticked, enabled);
}

void TfrmMain::SetStatusLabel(const std::string& text)
{
    lblStatus_->setText(Shown(text));
    lblStatus_->repaint();
}

void TfrmMain::SetStatusLine(const std::string& text)
{
    if (programDialog_)
        programDialog_->SetStatusLine(text);
}

void TfrmMain::SetFirmwarePanel(const std::string& text)
{
    panels_[0]->setText(Shown(text));
    panels_[0]->setAccessibleName(Shown(text));
}

void TfrmMain::ShowNextID(const std::string& text)
{
    if (programDialog_)
        programDialog_->ShowNextID(text);
}

void TfrmMain::AdvanceProgress()
{
    if (programDialog_)
        programDialog_->AdvanceProgress();
}

void TfrmMain::ResetProgress()
{
    if (programDialog_)
        programDialog_->ResetProgress();
}

void TfrmMain::ReportTransferProgress(std::int64_t blocksDone, std::int64_t blocksTotal)
{
    for (TransferWindow* w : {static_cast<TransferWindow*>(frmRead_),
                                  static_cast<TransferWindow*>(frmDownload_)}) {
        if (w->isVisible())
            w->ShowProgress(blocksDone, blocksTotal);
    }
}

void TfrmMain::AppendMemoLine(const std::string& line)
{
    memo1_->appendPlainText(Shown(line));
}

void TfrmMain::ShowChipInfo(const std::array<std::string, 4>& lines)
{
    memo1_->clear();
    for (const std::string& line : lines)
        memo1_->appendPlainText(Shown(line));
    for (const std::string& line : keptMemoLines_)
        memo1_->appendPlainText(Shown(line));
}

void TfrmMain::KeepMemoLine(const std::string& line)
{
    keptMemoLines_.push_back(line);
    AppendMemoLine(line);
}

void TfrmMain::RefreshHexView()
{
    orvane::RefreshHexView(*hexEditor_, s_);
    RefreshRollingCodeCaption();
}

void TfrmMain::ScrollHexView(int currentRow, std::optional<int> topRow)
{
    hexEditor_->SetRow(currentRow);
    if (topRow)
        hexEditor_->SetTopRow(*topRow);
}

void TfrmMain::SetProgramDialog(ProgramDialogView* dialog)
{
    programDialog_ = dialog;
    if (!dialog)
        btnProgram_->setEnabled(true);
}

void TfrmMain::RefreshRollingCodeCaption()
{
    // What the next download sends: the state of the block in the image.
    btnVerify_->setText(RollingCodeOn(s_) ? Tr("滚动码设置 已On") : Tr("滚动码设置 已Off"));
}

void TfrmMain::ShowImageInfo()
{
    ShowChipInfo(ChecksumInfoLines(s_));
}

// ---- commands

void TfrmMain::Open1Click()
{
    const auto chosen = files_->AskOpen(this, Tr(kOpenFilters));
    if (chosen)
        OpenFile(chosen->name, FormatOfFilter(kOpenFormats, chosen->filter));
}

void TfrmMain::SaveAs1Click()
{
    const auto chosen = files_->AskSave(this, Tr(kSaveFilters));
    if (!chosen)
        return;
    const FileFormat format = FormatOfFilter(kSaveFormats, chosen->filter);
    const std::string name = WithExtension(chosen->name, format);
    // The file dialog asked about the name as typed; with the extension it may name a file
    // that exists.
    if (name != chosen->name && Exists(name) &&
        !messages_->Show(MessageKind::Question,
                         Tr("文件 ") + std::filesystem::path(name).filename().string() +
                             Tr(" 已存在，是否替换？")))
        return;
    RunGuarded(*messages_, [&] {
        if (format != FileFormat::Bin) {
            SaveProgramFile(s_, name, format);
            watch_.Saved(name, format);
            return;
        }
        // The editor's own content, typed changes included. They are still not in RomImage, so
        // they stay marked and "确认键入" stays on, whether the save succeeds or not.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        hexEditor_->SaveToFile(name);
        watch_.Saved(name, format);
    });
}

void TfrmMain::btnDevSelClick()
{
    ShowDeviceSelection(*this);
    s_.ProgramInfo = Tr("尚未打开程序");
    watch_.Forget();
}

void TfrmMain::btnConfigClick()
{
    ConfigButtonDispatch(*this);
}

void TfrmMain::btnBlkChkClick()
{
    RunGuarded(*messages_, [this] { operations_.DoBlankCheck(); });
}

void TfrmMain::btnProgramClick()
{
    ShowProgramDialog(*this);
}

void TfrmMain::btnMakeMCClick()
{
    CheckProgramFile(true);
    RunGuarded(*messages_, [this] { operations_.DownloadProgram(); });
}

void TfrmMain::btnReadClick()
{
    RunGuarded(*messages_, [this] { operations_.ReadChip(); });
}

void TfrmMain::btnVerifyClick()
{
    ShowRollingCode(*this);
}

void TfrmMain::AboutTovik1Click()
{
    ShowAbout(*this);
}

void TfrmMain::mnuUndoClick()
{
    hexEditor_->Undo();
}

void TfrmMain::mnuCheckClick()
{
    SetStatusLabel("Waitting...");
    SetMainEnabled(false);
    ConfirmTypedInput(s_, hexEditor_->Bytes());
    // Typed bytes outside the confirmed addresses would stay on screen while a different byte is
    // downloaded: the view shows the image again, where it was.
    const int row = hexEditor_->Row();
    const int top = hexEditor_->TopRow();
    RefreshHexView();
    hexEditor_->SetTopRow(top);
    hexEditor_->SetRow(row);
    ShowImageInfo();
    SetStatusLabel("");
    SetMainEnabled(true);
}

void TfrmMain::mnuVerifyChipClick()
{
    RunGuarded(*messages_, [this] {
        const ChipVerification v = VerifyChip(s_, link_, *this);
        if (!v.text.empty()) // a failed read has shown its own box
            messages_->Show(v.verdict == VerifyVerdict::Different ? MessageKind::Error
                                                                  : MessageKind::Information,
                            v.text);
    });
}

void TfrmMain::EDIT1Click()
{
    const bool modified = hexEditor_->Modified();
    mnuUndo_->setEnabled(modified);
    mnuCheck_->setEnabled(modified);
}

void TfrmMain::ComClick(int n)
{
    comItems_[n - 1]->setChecked(true);
    s_.ComName = "COM" + std::to_string(n);
    comm1_.SetCommName(s_.ComName);
}

void TfrmMain::HexGoto()
{
    if (edtGoto_->text().isEmpty() || HexToInt(Typed(edtGoto_->text())) == 0)
        edtGoto_->setText("0001");
    const std::uint32_t a = HexToInt(Typed(edtGoto_->text()));
    RefreshHexView();
    const int row = static_cast<int>(a / 16);
    hexEditor_->SetRow(row);
    hexEditor_->SetCol(static_cast<int>(a % 16 + 1) * 2);
    // Every target row sits ten rows below the top, as far as the grid allows.
    hexEditor_->SetTopRow(row < kGotoContextRows ? 0 : row - kGotoContextRows);
    hexEditor_->setFocus();
}

void TfrmMain::Button1Click()
{
    if (edit2_->text().isEmpty())
        edit2_->setText("FF");
    FillImage(s_, static_cast<std::uint8_t>(HexToInt(Typed(edit2_->text())) & 0xFF));
    RefreshHexView();
    ShowImageInfo();
    hexEditor_->SetTopRow(250);
    hexEditor_->SetRow(256);
    hexEditor_->setFocus();
}

} // namespace orvane
