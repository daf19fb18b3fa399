#include "gui/main/FileChooser.h"

#include <QFile>
#include <QFileDialog>

namespace orvane {

namespace {

std::optional<ChosenFile> Ask(QWidget* parent, const QString& filters, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(filters.split(";;"));
    // The extension is added by the program's own rule, not by the dialog.
    dialog.setDefaultSuffix(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QByteArray path = QFile::encodeName(dialog.selectedFiles().front());
    return ChosenFile{path.toStdString(),
                      static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter()))};
}

} // namespace

std::optional<ChosenFile> DialogFileChooser::AskOpen(QWidget* parent, const QString& filters)
{
    return Ask(parent, filters, QFileDialog::AcceptOpen);
}

std::optional<ChosenFile> DialogFileChooser::AskSave(QWidget* parent, const QString& filters)
{
    return Ask(parent, filters, QFileDialog::AcceptSave);
}

} // namespace orvane
