#include "gui/dialogs/TfrmAbout.h"

#include "foundation/Errors.h"
#include "foundation/ReadFile.h"
#include "foundation/Translate.h"
#include "gui/ConnectGuarded.h"
#include "gui/WindowHost.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <array>
#include <sstream>

namespace orvane {
namespace {

constexpr int kYearBase = 2000;

QLabel* Text(QWidget* parent, const char* text, QRect geometry, int pixels, bool centred)
{
    auto* label = new QLabel(Shown(text), parent);
    label->setGeometry(geometry);
    QFont font = label->font();
    font.setPixelSize(pixels);
    font.setBold(true);
    label->setFont(font);
    if (centred)
        label->setAlignment(Qt::AlignCenter);
    return label;
}

void Colour(QLabel& label, const QColor& colour)
{
    QPalette p = label.palette();
    p.setColor(QPalette::WindowText, colour);
    label.setPalette(p);
}

} // namespace

std::string AboutVersionText(const std::array<std::uint8_t, 5>& v)
{
    const auto n = [](int value) { return std::to_string(value); };
    return "FVersion : " + n(v[0]) + "." + n(v[1]) + "  " + n(kYearBase + v[2]) + "." + n(v[3]) +
           "." + n(v[4]);
}

TfrmAbout::TfrmAbout(WindowHost& host)
    : SecondaryWindow(host.MainWidget(), "TfrmAbout", "About Writer"), host_(host)
{
    setFixedSize(510, 280);
    QFont font = this->font();
    font.setPixelSize(11);
    font.setBold(true);
    setFont(font);

    stChinese = Text(this, "", {48, 32, 401, 25}, 23, true);
    stEnglish = Text(this, "", {16, 72, 465, 25}, 15, true);
    stVersion = Text(this, "Ver 1.00 2011.05.20", {32, 106, 377, 15}, 11, true);
    stVersion->setFont([&] {
        QFont courier("Courier");
        courier.setPixelSize(11);
        courier.setBold(true);
        return courier;
    }());
    LbVH = Text(this, "VH: 0.00 2011.00.00", {136, 136, 300, 15}, 11, false);
    stWEB = Text(this, "", {144, 164, 225, 19}, 13, false);
    QFont web("Times New Roman");
    web.setPixelSize(13);
    web.setBold(true);
    web.setUnderline(true);
    stWEB->setFont(web);
    stWEB->setCursor(Qt::PointingHandCursor);
    stWEB->installEventFilter(this);
    for (QLabel* blue : {stVersion, LbVH, stWEB})
        Colour(*blue, Qt::blue);
    btnClose = new QPushButton(Tr("关闭"), this);
    btnClose->setGeometry(328, 198, 75, 25);
    ConnectGuarded(btnClose, &QPushButton::clicked, this, host_.Messages(),
                   [this] { btnCloseClick(); });
}

void TfrmAbout::FormShow()
{
    std::string text;
    try {
        text = ReadWholeFile(host_.State().AppDir + "About.txt", kSmallFileLimit);
    } catch (const FileError& e) {
        host_.Messages().Show(MessageKind::Error, e.what());
        return; // defaults stay and the Writer is not asked
    }
    std::istringstream file(text);
    std::array<std::string, 4> lines;
    for (std::string& line : lines) {
        std::getline(file, line);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    }
    stEnglish->setText(Shown(lines[0]));
    stChinese->setText(Shown(lines[1]));
    stVersion->setText(Shown(lines[2]));
    stWEB->setText(Shown(lines[3]));
    // "关闭" stays off until the exchange has ended, so the dialog cannot close under it.
    btnClose->setEnabled(false);
    QTimer::singleShot(0, this, Guarded(host_.Messages(), [this] { QueryVersion(); }));
}

void TfrmAbout::QueryVersion()
{
    std::optional<std::array<std::uint8_t, 5>> version;
    RunGuarded(host_.Messages(), [&] { version = host_.Link().QueryFirmwareVersion(); });
    if (version)
        LbVH->setText(Shown(AboutVersionText(*version)));
    btnClose->setEnabled(true);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == stWEB && event->type() == QEvent::MouseButtonRelease) {
        stWEBClick();
        return true;
    }
    return SecondaryWindow::eventFilter(watched, event);
}

void TfrmAbout::stWEBClick()
{
    QDesktopServices::openUrl(QUrl(stWEB->text()));
    Colour(*stWEB, QColor(128, 0, 128)); // a visited link
}

void TfrmAbout::btnCloseClick()
{
    Leave();
    host_.View().SetEnabled(Control::MainWindow, true);
}

} // namespace orvane
