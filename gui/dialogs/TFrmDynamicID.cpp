#include "gui/dialogs/TFrmDynamicID.h"

#include "app/Settings.h"
#include "foundation/Translate.h"
#include "gui/ConnectGuarded.h"
#include "gui/WindowHost.h"
#include "image/RomImage.h"
#include "production/RollingCode.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace orvane {
namespace {

struct Placed {
    const char* text;
    int left, top;
};

// Code byte i's edits: Addr0/Va0 are the rightmost.
constexpr int kAddrLeft[4] = {368, 264, 160, 56};
constexpr int kValueLeft[4] = {400, 296, 184, 80};
constexpr Placed kLengthButtons[4] = {
    {TrNoop("1字节长"), 384, 48}, {TrNoop("2字节长"), 264, 48}, {TrNoop("3字节长"), 160, 56}, {TrNoop("4字节长"), 56, 56}};
constexpr Placed kEntryLabels[4] = {
    {TrNoop("ID码存储地址：(从左至右为高地址->低地址)"), 16, 104},
    {TrNoop("ID初始值："), 16, 192},
    {TrNoop("步进值："), 16, 280},
    {TrNoop("烧写数量限制:"), 16, 320},
};
constexpr Placed kNotes[] = {
    {TrNoop("滚动码功能说明："), 16, 344},
    {TrNoop("1.当烧已烧写芯片数量没有达到限制数量，而ID滚动码大于最大值后会从初始值开始"), 16, 368},
    {TrNoop("动码自动从0开始。"), 32, 392},
    {TrNoop("2.步进值只支持正整数和0"), 16, 416},
    {TrNoop("3.输入十六进制数时必须： 0xff格式"), 16, 440},
};

QLineEdit* Edit(QWidget* parent, const std::string& text, int left, int top)
{
    auto* edit = new QLineEdit(Shown(text), parent);
    edit->setGeometry(left, top, 80, 24);
    return edit;
}

QLabel* Label(QWidget* parent, const Placed& p)
{
    auto* label = new QLabel(Shown(Tr(p.text)), parent);
    label->move(p.left, p.top);
    return label;
}

} // namespace

TFrmDynamicID::TFrmDynamicID(WindowHost& host)
    : SecondaryWindow(host.MainWidget(), "TFrmDynamicID", "RollingCode"), host_(host)
{
    setFixedSize(636, 559);
    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 8, 505, 81);
    LabRCLength = new QLabel(Tr("滚动码长度："), Panel1);
    LabRCLength->move(8, 13);
    rbDisable = new QCheckBox(Tr("使能滚动码"), Panel1);
    rbDisable->move(136, 16);
    // One choice across the panel and the window.
    auto* lengths = new QButtonGroup(this);
    lengths->setExclusive(true);
    for (std::size_t i = 0; i < rbLength.size(); ++i) {
        const Placed& p = kLengthButtons[i];
        // The two short lengths sit in the panel, the long ones on the window (as designed).
        QWidget* parent = i < 2 ? static_cast<QWidget*>(Panel1) : this;
        rbLength[i] = new QRadioButton(Shown(Tr(p.text)), parent);
        rbLength[i]->move(p.left, p.top);
        lengths->addButton(rbLength[i]);
        ConnectGuarded(rbLength[i], &QRadioButton::clicked, this, host_.Messages(),
                       [this, i] { rbLengthClick(static_cast<int>(i) + 1); });
    }
    const RollingCodeForm defaults;
    for (std::size_t i = 0; i < 4; ++i) {
        Addr[i] = Edit(this, defaults.addr[i], kAddrLeft[i], 144);
        Va[i] = Edit(this, defaults.value[i], kValueLeft[i], 216);
        Labels[i] = Label(this, kEntryLabels[i]);
        // One label serves the four bytes: the names say which byte.
        const QString byte = QString(Tr(" 字节%1")).arg(i);
        Addr[i]->setAccessibleName(Tr("ID码存储地址") + byte);
        Va[i]->setAccessibleName(Tr("ID初始值") + byte);
    }
    Vindex = Edit(this, defaults.step, 96, 272);
    Vindex->setAccessibleName(Tr("步进值"));
    (new QLabel(Tr("滚动码最大值:"), this))->move(176, 280);
    MaxID = Edit(this, defaults.maxId, 304, 272);
    MaxID->setAccessibleName(Tr("滚动码最大值"));
    Counter = Edit(this, defaults.counter, 144, 312);
    Counter->setAccessibleName(Tr("烧写数量限制"));
    for (const Placed& note : kNotes)
        Label(this, note);
    btOK = new QPushButton(Tr("确定"), this);
    btOK->setGeometry(272, 488, 75, 25);
    btCancle = new QPushButton(Tr("取消"), this);
    btCancle->setGeometry(392, 488, 75, 25);

    OperatorMessages& messages = host_.Messages();
    ConnectGuarded(rbDisable, &QCheckBox::clicked, this, messages, [this] { rbDisableClick(); });
    ConnectGuarded(btOK, &QPushButton::clicked, this, messages, [this] { btOKClick(); });
    ConnectGuarded(btCancle, &QPushButton::clicked, this, messages, [this] { btCancleClick(); });
}

void TFrmDynamicID::FormShow()
{
    rbDisable->setChecked(false);
    rbLengthClick(4);
    SetEntriesEnabled(false);
    for (std::size_t i = 0; i < 4; ++i) {
        Addr[i]->setVisible(true);
        Va[i]->setVisible(true);
    }
}

void TFrmDynamicID::SetEntriesEnabled(bool on)
{
    for (std::size_t i = 0; i < 4; ++i)
        for (QWidget* w : {static_cast<QWidget*>(rbLength[i]), static_cast<QWidget*>(Addr[i]),
                           static_cast<QWidget*>(Va[i]), static_cast<QWidget*>(Labels[i])})
            w->setEnabled(on);
    Vindex->setEnabled(on);
    Counter->setEnabled(on);
}

void TFrmDynamicID::rbLengthClick(int length)
{
    rbLength[static_cast<std::size_t>(length - 1)]->setChecked(true); // the group clears the rest
    // The code bytes beyond the length are hidden; the value bytes above it are zeroed, and for
    // three bytes the unused fourth address too.
    for (int i = 0; i < 4; ++i) {
        const auto at = static_cast<std::size_t>(i);
        Addr[at]->setVisible(i < length);
        Va[at]->setVisible(i < length);
        if (i >= length && length < 4)
            Va[at]->setText("0x00");
    }
    if (length == 3)
        Addr[3]->setText("0x0000");
}

void TFrmDynamicID::rbDisableClick()
{
    rbLengthClick(1);
    SetEntriesEnabled(rbDisable->isChecked());
}

RollingCodeForm TFrmDynamicID::Form() const
{
    RollingCodeForm form;
    form.enabled = rbDisable->isChecked();
    form.length = 4;
    for (int i = 0; i < 4; ++i)
        if (rbLength[static_cast<std::size_t>(i)]->isChecked()) {
            form.length = i + 1;
            break;
        }
    for (std::size_t i = 0; i < 4; ++i) {
        form.addr[i] = Typed(Addr[i]->text());
        form.value[i] = Typed(Va[i]->text());
    }
    form.step = Typed(Vindex->text());
    form.counter = Typed(Counter->text());
    form.maxId = Typed(MaxID->text());
    return form;
}

void TFrmDynamicID::btOKClick()
{
    AppState& s = host_.State();
    RollingCodeBytes block{};
    try {
        block = BuildRollingCodeBlock(Form(), s.RollingCodeBlock);
    } catch (const RollingCodeRangeError& e) {
        host_.Messages().Show(MessageKind::FieldError, e.what());
        return;
    } catch (const std::runtime_error& e) {
        host_.Messages().Show(MessageKind::Error, e.what());
        return;
    }
    s.RollingCodeBlock = block;
    PlaceRollingCodeBlock(s);
    SaveSettingsOrReport(s, host_.View());
    OperationView& view = host_.View();
    view.RefreshHexView(); // also tells btnVerify's caption what the image now holds
    view.ScrollHexView(std::clamp((s.OptionAddr1 + 0x160) / 16, 0, kImageSize / 16 - 1),
                       std::nullopt);
    ComputeChecksum(s);
    view.ShowChipInfo(ChecksumInfoLines(s));
    Close();
}

void TFrmDynamicID::btCancleClick()
{
    AppState& s = host_.State();
    s.RollingCodeBlock = BuildRollingCodeBlock({}, s.RollingCodeBlock); // marked disabled
    Close();
}

void TFrmDynamicID::Close()
{
    Leave();
    host_.View().SetEnabled(Control::MainWindow, true);
}

} // namespace orvane
