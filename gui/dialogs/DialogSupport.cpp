#include "gui/dialogs/DialogSupport.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QShowEvent>
#include <QScreen>
#include <QWidget>

namespace orvane {

SecondaryWindow::SecondaryWindow(QWidget* parent, const char* name, const char* caption)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(name);
    setWindowTitle(Shown(caption));
    setAttribute(Qt::WA_DeleteOnClose);
}

void SecondaryWindow::Leave()
{
    leaving_ = true;
    close();
}

void SecondaryWindow::showEvent(QShowEvent* event)
{
    // Enter in an edit must not press a button: "编程" would burn a chip.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void SecondaryWindow::closeEvent(QCloseEvent* event)
{
    // Not QDialog's own handler: that would route the close through reject().
    event->setAccepted(leaving_);
}

void CentreOn(QWidget& window, const QWidget* parent)
{
    const QRect area =
        parent ? parent->frameGeometry() : QGuiApplication::primaryScreen()->geometry();
    QRect frame = window.frameGeometry();
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

} // namespace orvane
