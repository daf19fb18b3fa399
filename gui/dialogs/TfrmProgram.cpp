#include "gui/dialogs/TfrmProgram.h"

#include "app/Settings.h"
#include "foundation/Errors.h"
#include "foundation/Translate.h"
#include "gui/ConnectGuarded.h"
#include "gui/HexKeyFilter.h"
#include "gui/dialogs/DialogSupport.h"
#include "image/RomImage.h"
#include "writer/ChipOperations.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <charconv>
#include <utility>

namespace orvane {
namespace {

constexpr int kWidth = 400;
constexpr int kMaxIdDigits = 16;
constexpr int kProgressPerBlock = 10;

// The decimal value of a drop-down's text, as the runtime's conversion reads it.
std::int32_t DecimalValue(const std::string& text)
{
    std::int32_t value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last)
        throw ConversionError("'" + text + "' is not a valid integer value");
    return value;
}

QLabel* Label(const char* text, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(Shown(text), parent);
    label->move(x, y);
    return label;
}

QLineEdit* Edit(QWidget* parent, int x, int y, int width)
{
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(x, y, width, 24);
    return edit;
}

} // namespace

TfrmProgram::TfrmProgram(WindowHost& host)
    : SecondaryWindow(host.MainWidget(), "TfrmProgram", Tr("编程")), host_(host)
{

    gbxMemSpace = new QGroupBox(Tr("芯片存储空间"), this);
    gbxMemSpace->setGeometry(10, 8, kWidth - 20, 62);
    StaticText2 = Label(Tr("起始地址"), gbxMemSpace, 14, 30);
    medStartAddr = Edit(gbxMemSpace, 80, 26, 90);
    StaticText3 = Label(Tr("结束地址"), gbxMemSpace, 196, 30);
    medEndAddr = Edit(gbxMemSpace, 262, 26, 90);
    for (QLineEdit* bound : {medStartAddr, medEndAddr})
        bound->setEnabled(false);

    cbxDownload = new QCheckBox(Tr("下载缓冲区数据"), this);
    cbxDownload->move(24, 82);
    cbxIDconfig = new QCheckBox(Tr("烧录器件ID"), this);
    cbxIDconfig->move(220, 82);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(10, 116, kWidth - 20, 20);
    ProgressBar1->setRange(0, 1280);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    StaticText4 = new QLabel(this);
    StaticText4->setGeometry(10, 142, kWidth - 20, 22);
    BitBtn1 = new QPushButton(Tr("编程"), this);
    BitBtn1->setGeometry(90, 180, 90, 30);
    BitBtn2 = new QPushButton(Tr("退出"), this);
    BitBtn2->setGeometry(220, 180, 90, 30);
    lblCounts = new QLabel(this);
    lblCounts->setGeometry(10, 212, kWidth - 20, 18);

    gbxIDconfig = new QGroupBox(Tr("器件ID设置"), this);
    gbxIDconfig->setGeometry(10, 232, kWidth - 20, 172);
    StaticText5 = Label(Tr("ID长度(Byte)"), gbxIDconfig, 14, 30);
    cbbIDLen = new QComboBox(gbxIDconfig);
    cbbIDLen->setGeometry(120, 26, 70, 24);
    cbbIDLen->setEditable(true);
    cbbIDLen->addItems({"2", "3"});
    cbbIDLen->setEditText("2");
    StaticText6 = Label(Tr("ID起始地址"), gbxIDconfig, 14, 62);
    edtIDaddr = Edit(gbxIDconfig, 120, 58, 70);
    edtIDaddr->setMaxLength(4);
    edtIDaddr->setText("1800");
    StaticText7 = Label(Tr("初始ID"), gbxIDconfig, 14, 94);
    edtInitID = Edit(gbxIDconfig, 120, 90, 70);
    edtInitID->setText("0000");
    StaticText8 = Label(Tr("下一个ID"), gbxIDconfig, 14, 126);
    medNextID = Edit(gbxIDconfig, 120, 122, 70);
    medNextID->setText("0000");
    medNextID->setEnabled(false);
    cbxIncrease = new QCheckBox(Tr("ID自动加"), gbxIDconfig);
    cbxIncrease->move(220, 28);
    cbbStep = new QComboBox(gbxIDconfig);
    cbbStep->setGeometry(310, 26, 50, 24);
    cbbStep->setEditable(true);
    for (int step = 1; step <= 8; ++step)
        cbbStep->addItem(QString::number(step));
    cbbStep->setEditText("1");
    cbbStep->hide();
    btnDecrease = new QPushButton(Tr("后退"), gbxIDconfig);
    btnDecrease->setGeometry(220, 120, 60, 28);
    btnIncrease = new QPushButton(Tr("前进"), gbxIDconfig);
    btnIncrease->setGeometry(296, 120, 60, 28);
    setFixedSize(kWidth, kHeightWithId);

    // Assistive technology tells the fields apart by their labels, not by the group box.
    for (const auto& [label, field] :
         std::initializer_list<std::pair<QLabel*, QWidget*>>{{StaticText2, medStartAddr},
                                                             {StaticText3, medEndAddr},
                                                             {StaticText5, cbbIDLen},
                                                             {StaticText6, edtIDaddr},
                                                             {StaticText7, edtInitID},
                                                             {StaticText8, medNextID}})
        label->setBuddy(field);
    cbbIDLen->lineEdit()->setAccessibleName(StaticText5->text());
    cbbStep->lineEdit()->setAccessibleName(Tr("ID自动加 步进值"));

    for (QLineEdit* hex : {edtIDaddr, edtInitID})
        InstallHexKeyFilter(hex);
    OperatorMessages& messages = host_.Messages();
    ConnectGuarded(edtIDaddr, &QLineEdit::textChanged, this, messages,
                   [this] { edtIDaddrChange(); });
    ConnectGuarded(edtInitID, &QLineEdit::textChanged, this, messages,
                   [this] { edtInitIDChange(); });
    ConnectGuarded(cbbIDLen, &QComboBox::currentTextChanged, this, messages,
                   [this] { cbbIDLenChange(); });
    ConnectGuarded(cbbStep, &QComboBox::currentTextChanged, this, messages,
                   [this] { cbbStepChange(); });
    ConnectGuarded(cbxIDconfig, &QCheckBox::clicked, this, messages,
                   [this] { cbxIDconfigClick(); });
    ConnectGuarded(btnIncrease, &QPushButton::clicked, this, messages,
                   [this] { btnIncreaseClick(); });
    ConnectGuarded(btnDecrease, &QPushButton::clicked, this, messages,
                   [this] { btnDecreaseClick(); });
    ConnectGuarded(BitBtn1, &QPushButton::clicked, this, messages, [this] { BitBtn1Click(); });
    ConnectGuarded(BitBtn2, &QPushButton::clicked, this, messages, [this] { BitBtn2Click(); });

    // The lot journal of the settings file's journal folder; a journal that cannot be opened is
    // reported and the dialog works without one.
    const AppState& s = host_.State();
    RunGuarded(host_.Messages(), [&] { lot_.emplace(s, DialogJournalFor(s)); });
    if (!lot_)
        lot_.emplace(s, "");
    lblCounts->setText(Shown(lot_->CountsText()));
}

TfrmProgram::~TfrmProgram() = default;

int TfrmProgram::IdDigits() const
{
    return static_cast<int>(std::clamp<std::int64_t>(2 * std::int64_t{host_.State().IDLen}, 0,
                                                     kMaxIdDigits));
}

void TfrmProgram::FormShow()
{
    AppState& s = host_.State();
    medStartAddr->setText(Shown("$" + Hex(static_cast<std::uint32_t>(s.RomStart), 4)));
    medEndAddr->setText(Shown("$" + Hex(static_cast<std::uint32_t>(s.RomEnd), 4)));
    {
        const QSignalBlocker quiet(cbbIDLen);
        cbbIDLen->setEditText(Shown(s.IDLenText));
    }
    edtIDaddr->setText(Shown(Hex(static_cast<std::uint32_t>(s.IDAddr), 4)));
    s.InitID = DeviceIDFromText(s.InitIDText);
    {
        const QSignalBlocker quiet(edtInitID); // the old text, cut to the new limit, is no ID
        FitInitIDLimit(Shown(s.InitIDText));
    }
    edtInitID->setText(Shown(s.InitIDText));
    s.NextID = s.InitID;
    medNextID->setText(Shown(NextIDText(s)));
    cbxIncrease->setChecked(true);
    cbxIDconfig->setChecked(false);
    hideIDconfig();
    s.IDStep = 1;
}

void TfrmProgram::edtIDaddrChange()
{
    AppState& s = host_.State();
    s.IDAddrText = Typed(edtIDaddr->text());
    if (IsHexText(s.IDAddrText))
        s.IDAddr = static_cast<std::int32_t>(HexToInt(s.IDAddrText));
}

void TfrmProgram::cbbIDLenChange()
{
    AppState& s = host_.State();
    s.IDLenText = Typed(cbbIDLen->currentText());
    if (!RunGuarded(host_.Messages(), [&] { s.IDLen = DecimalValue(s.IDLenText); }))
        return;
    // The ID keeps every digit: one past the new length's last is shown and refused, never cut.
    FitInitIDLimit(edtInitID->text());
    medNextID->setText(Shown(NextIDText(s)));
}

void TfrmProgram::FitInitIDLimit(const QString& text)
{
    edtInitID->setMaxLength(std::max({IdDigits(), static_cast<int>(text.size()), 1}));
}

void TfrmProgram::edtInitIDChange()
{
    AppState& s = host_.State();
    s.InitIDText = Typed(edtInitID->text());
    FitInitIDLimit(edtInitID->text()); // a longer ID, once shortened, takes no more digits
    if (IsHexText(s.InitIDText)) {
        s.InitID = DeviceIDFromText(s.InitIDText);
        s.NextID = s.InitID;
        medNextID->setText(Shown(NextIDText(s)));
    } else {
        medNextID->setText("0");
        s.NextID = 0;
        s.InitID = 0;
    }
}

void TfrmProgram::btnIncreaseClick()
{
    AppState& s = host_.State();
    s.NextID = static_cast<std::int64_t>(static_cast<std::uint64_t>(s.NextID) + s.IDStep);
    medNextID->setText(Shown(NextIDText(s)));
}

void TfrmProgram::btnDecreaseClick()
{
    AppState& s = host_.State();
    s.NextID = static_cast<std::int64_t>(static_cast<std::uint64_t>(s.NextID) - s.IDStep);
    medNextID->setText(Shown(NextIDText(s)));
}

void TfrmProgram::cbbStepChange()
{
    AppState& s = host_.State();
    // A step above 255 is refused: wrapped to 8 bits, 256 would burn one ID into every chip.
    RunGuarded(host_.Messages(), [&] { s.IDStep = IDStepFromText(Typed(cbbStep->currentText())); });
}

void TfrmProgram::cbxIDconfigClick()
{
    if (cbxIDconfig->isChecked()) {
        SetDownloadBox(true, false);
        showIDconfig();
    } else {
        cbxDownload->setEnabled(true);
        hideIDconfig();
    }
}

void TfrmProgram::SetIDControlsVisible(bool visible)
{
    for (QWidget* w : std::initializer_list<QWidget*>{
             cbxIncrease, cbbIDLen, edtIDaddr, edtInitID, btnDecrease, btnIncrease, medNextID,
             StaticText5, StaticText6, StaticText7, StaticText8, gbxIDconfig, cbbStep})
        w->setVisible(visible);
    setFixedSize(kWidth, visible ? kHeightWithId : kHeightWithoutId);
}

void TfrmProgram::showIDconfig()
{
    SetIDControlsVisible(true);
    cbbStep->setEditText(QString::number(host_.State().IDStep));
}

void TfrmProgram::hideIDconfig()
{
    SetIDControlsVisible(false);
}

void TfrmProgram::BitBtn1Click()
{
    AppState& s = host_.State();
    ProgramRunOptions options{.writeId = cbxIDconfig->isChecked(),
                              .autoIncrement = cbxIncrease->isChecked(),
                              .download = cbxDownload->isChecked()};
    if (options.download || options.writeId) // a run that writes an ID downloads
        host_.BeforeDownload();
    // The run advances the bar by 10 per block of whatever it downloads.
    ProgressBar1->setRange(0, static_cast<int>(std::max<std::int64_t>(
                                  1, kProgressPerBlock * DownloadBlockCount(s))));
    std::int64_t before = s.NextID;
    RunGuarded(host_.Messages(), [&] {
        // The journal may hand out a later ID: the chip's own is shown before it is burned.
        const std::string skipped = lot_->BeforeRun(s, options.writeId);
        if (!skipped.empty())
            host_.View().AppendMemoLine(skipped);
        medNextID->setText(Shown(NextIDText(s)));
        before = s.NextID;
        const OperationResult result = host_.Operations().RunProgramming(options);
        if (const std::string spilled = lot_->AfterRun(s, result, host_.Link()); !spilled.empty())
            host_.View().AppendMemoLine(spilled);
    });
    lblCounts->setText(Shown(lot_->CountsText()));
    if (s.NextID != before)
        KeepNextIDAsInitial();
}

void TfrmProgram::KeepNextIDAsInitial()
{
    AppState& s = host_.State();
    s.InitID = s.NextID;
    s.InitIDText = NextIDText(s);
    {
        const QSignalBlocker quiet(edtInitID);
        FitInitIDLimit(Shown(s.InitIDText));
        edtInitID->setText(Shown(s.InitIDText));
    }
    SaveSettingsOrReport(s, host_.View());
}

void TfrmProgram::BitBtn2Click()
{
    RunGuarded(host_.Messages(), [this] { lot_->Close(); });
    host_.SetProgramDialog(nullptr);
    host_.State().ProgramDialogOpen = false;
    Leave();
    host_.View().SetEnabled(Control::MainWindow, true);
}

void TfrmProgram::SetDialogButtonsEnabled(bool on)
{
    BitBtn1->setEnabled(on);
    BitBtn2->setEnabled(on);
}

void TfrmProgram::SetDownloadBox(bool ticked, bool enabled)
{
    cbxDownload->setChecked(ticked);
    cbxDownload->setEnabled(enabled);
}

void TfrmProgram::SetStatusLine(const std::string& text)
{
    StaticText4->setText(Shown(text));
}

void TfrmProgram::ShowNextID(const std::string& text)
{
    medNextID->setText(Shown(text));
}

void TfrmProgram::AdvanceProgress()
{
    ProgressBar1->setValue(std::min(ProgressBar1->value() + kProgressPerBlock,
                                    ProgressBar1->maximum()));
}

void TfrmProgram::ResetProgress()
{
    ProgressBar1->setValue(0);
}

} // namespace orvane
