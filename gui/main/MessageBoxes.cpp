#include "gui/main/MessageBoxes.h"

#include "foundation/Translate.h"
#include "gui/Text.h"

#include <QApplication>
#include <QMessageBox>

namespace orvane {

namespace {

struct BoxStyle {
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

// Index: MessageKind.
constexpr BoxStyle kStyles[] = {
    {QMessageBox::Information, QMessageBox::Yes},              // Information
    {QMessageBox::Critical, QMessageBox::Yes},                 // Error
    {QMessageBox::NoIcon, QMessageBox::Ok},                    // Plain
    {QMessageBox::Question, QMessageBox::Yes | QMessageBox::No}, // Question
    {QMessageBox::Information, QMessageBox::Yes | QMessageBox::No}, // InformationQuestion
    {QMessageBox::Warning, QMessageBox::Ok},                   // FieldError
};

} // namespace

bool MessageBoxes::Show(MessageKind kind, const std::string& text)
{
    const BoxStyle& style = kStyles[static_cast<int>(kind)];
    const QString title = kind == MessageKind::FieldError ? Shown(Tr("出错"))
                                                          : QApplication::applicationDisplayName();
    QMessageBox box(style.icon, title,
                    Shown(text), style.buttons, parent_);
    const int answer = box.exec();
    return !Asks(kind) || answer == QMessageBox::Yes;
}

} // namespace orvane
