// The file dialogs of Open and Save As behind a seam, so that tests choose files without a modal
// dialog. A filter list is Qt's ("S19文件 (*.S19);;WRT文件 (*.WRT)"); the answer names the file
// and the position of the filter the operator chose.
#pragma once

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace orvane {

struct ChosenFile {
    std::string name; // bytes of the path as the file system has them
    int filter = 0;
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual std::optional<ChosenFile> AskOpen(QWidget* parent, const QString& filters) = 0;
    virtual std::optional<ChosenFile> AskSave(QWidget* parent, const QString& filters) = 0;
};

// QFileDialog.
class DialogFileChooser final : public FileChooser {
public:
    std::optional<ChosenFile> AskOpen(QWidget* parent, const QString& filters) override;
    std::optional<ChosenFile> AskSave(QWidget* parent, const QString& filters) override;
};

} // namespace orvane
