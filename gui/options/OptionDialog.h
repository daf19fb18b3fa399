// One option dialog, built from its layout's description: the window class TfrmCfg... of that
// layout (its object name), shown without a modal loop and deleted when it closes. Closing it
// any other way than with OK counts as Cancel, and is refused while Cancel is disabled.
#pragma once

#include "options/OptionLayout.h"

#include <QDialog>

#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QListWidget;
class QPushButton;
class QWidget;

namespace orvane {

class WindowHost;

class OptionDialog : public QDialog {
    Q_OBJECT
public:
    OptionDialog(WindowHost& host, const OptionLayout& layout);

    const OptionLayout& Layout() const { return layout_; }
    // Controls from the texts; caption; special-operations group by fae (a settings file that
    // cannot be read is shown and counts as fae = 1); Cancel on.
    void FormShow();
    // The choices the controls show now.
    OptionChoices Choices() const;
    void SetCancelEnabled(bool on);

    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // Escape acts as Cancel while Cancel is enabled.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The widgets of one item; only those of its kind are set.
    struct Widgets {
        QCheckBox* check = nullptr;
        QButtonGroup* radios = nullptr;
        QComboBox* list = nullptr;
        QListWidget* oneLine = nullptr;
        std::vector<QWidget*> widgets; // everything the item shows
    };

    void Build();
    // Names the lists for assistive technology, once each has its place in the window.
    void NameLists();
    QWidget* MakeControl(const OptionItem& item, Widgets& control);
    void SetChoice(std::size_t item, int choice);
    void FollowLvrBox(std::size_t box);
    void Finish();
    void ButtonOKClick();
    void CancelClick();

    WindowHost& host_;
    const OptionLayout& layout_;
    std::vector<Widgets> controls_;
    QGroupBox* specialOps_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace orvane
