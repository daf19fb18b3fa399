#include "gui/options/OptionDialog.h"

#include "app/OptionConfirm.h"
#include "app/Settings.h"
#include "foundation/Translate.h"
#include "gui/ConnectGuarded.h"
#include "gui/Text.h"
#include "gui/WindowHost.h"
#include "gui/options/ColumnFlow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <map>

namespace orvane {

namespace {

// A list has no caption: assistive technology announces it by what it offers, its first and last
// entries ("000:1.5V…111:3.6V"), numbered from the second list of a window that offers the same.
QString ListName(const OptionItem& item, std::map<QString, int>& seen)
{
    QString name = ShownTr(item.entries.front()) + QStringLiteral("…") + ShownTr(item.entries.back());
    if (const int n = ++seen[name]; n > 1)
        name += QStringLiteral(" (%1)").arg(n);
    return name;
}

} // namespace

OptionDialog::OptionDialog(WindowHost& host, const OptionLayout& layout)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      host_(host), layout_(layout)
{
    setObjectName(Shown(layout.className));
    Build();
}

QWidget* OptionDialog::MakeControl(const OptionItem& item, Widgets& control)
{
    switch (item.kind) {
    case ControlKind::CheckBox:
        control.check = new QCheckBox(ShownTr(item.caption));
        control.widgets = {control.check};
        return control.check;
    case ControlKind::Radio: {
        auto* box = new QWidget;
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(0, 0, 0, 0);
        control.radios = new QButtonGroup(this);
        for (std::size_t i = 0; i < item.entries.size(); ++i) {
            auto* button = new QRadioButton(ShownTr(item.entries[i]));
            control.radios->addButton(button, static_cast<int>(i));
            column->addWidget(button);
            control.widgets.push_back(button);
        }
        return box;
    }
    case ControlKind::List:
        control.list = new QComboBox;
        for (const std::string_view entry : item.entries)
            control.list->addItem(ShownTr(entry));
        control.widgets = {control.list};
        return control.list;
    case ControlKind::OneLineList:
        // One entry high: the entry at the top, moved with the scroll arrows, is the choice.
        control.oneLine = new QListWidget;
        control.oneLine->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        control.oneLine->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        control.oneLine->setSelectionMode(QAbstractItemView::NoSelection);
        control.oneLine->setUniformItemSizes(true);
        for (const std::string_view entry : item.entries) {
            auto* row = new QListWidgetItem(ShownTr(entry), control.oneLine);
            row->setSizeHint(QSize(80, 16));
        }
        control.oneLine->setFixedSize(120, 17 + 2 * control.oneLine->frameWidth());
        control.widgets = {control.oneLine};
        return control.oneLine;
    case ControlKind::None:
        break;
    }
    return nullptr;
}

void OptionDialog::Build()
{
    OperatorMessages& messages = host_.Messages();
    auto* columns = new QHBoxLayout;
    ColumnFlow flow(columns, layout_.items);
    controls_.resize(layout_.items.size());
    for (std::size_t i = 0; i < layout_.items.size(); ++i) {
        const OptionItem& item = layout_.items[i];
        QWidget* widget = MakeControl(item, controls_[i]);
        if (!widget)
            continue;
        if (item.hidden)
            widget->hide();
        if (QGroupBox* group = flow.Place(item, widget); group && item.group == kSpecialOpsGroup)
            specialOps_ = group;
        if (item.kind == ControlKind::CheckBox)
            ConnectGuarded(controls_[i].check, &QCheckBox::toggled, this, messages,
                           [this, i] { FollowLvrBox(i); });
        if (!item.warning.empty()) {
            ConnectGuarded(controls_[i].list, &QComboBox::activated, this, messages, [this, i] {
                host_.Messages().Show(MessageKind::Information,
                                      Typed(ShownTr(layout_.items[i].warning)));
            });
        }
    }
    flow.Finish();

    ok_ = new QPushButton(Shown(Tr("确定")));
    cancel_ = new QPushButton(Shown(Tr("取消")));
    ConnectGuarded(ok_, &QPushButton::clicked, this, messages, [this] { ButtonOKClick(); });
    ConnectGuarded(cancel_, &QPushButton::clicked, this, messages, [this] { CancelClick(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* main = new QVBoxLayout(this);
    main->addLayout(columns);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);
    NameLists();
}

void OptionDialog::NameLists()
{
    std::map<QString, int> seen;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const Widgets& c = controls_[i];
        if (c.oneLine)
            c.oneLine->setAccessibleName(ListName(layout_.items[i], seen));
        if (c.list) {
            // On this platform a drop-down list is announced by the label it belongs to: one for
            // assistive technology only, beside it.
            auto* label = new QLabel(ListName(layout_.items[i], seen), c.list->parentWidget());
            label->hide();
            label->setBuddy(c.list);
        }
    }
}

void OptionDialog::SetChoice(std::size_t item, int choice)
{
    const Widgets& c = controls_[item];
    if (c.check)
        c.check->setChecked(choice == 1);
    if (c.radios) {
        if (QAbstractButton* b = c.radios->button(choice))
            b->setChecked(true);
    }
    if (c.list)
        c.list->setCurrentIndex(choice);
    if (c.oneLine)
        c.oneLine->verticalScrollBar()->setValue(choice);
}

void OptionDialog::FollowLvrBox(std::size_t box)
{
    const bool on = controls_[box].check->isChecked();
    for (std::size_t i = 0; i < layout_.items.size(); ++i) {
        if (layout_.items[i].enabledBy == static_cast<int>(box)) {
            for (QWidget* w : controls_[i].widgets)
                w->setEnabled(on);
        }
    }
}

void OptionDialog::FormShow()
{
    const AppState& s = host_.State();
    const std::string& model = s.ModelName[static_cast<std::size_t>(CaptionSlot(layout_))];
    setWindowTitle(Shown(Tr("配置")) + Shown(model));
    const OptionChoices choices = ShowChoices(s, layout_);
    for (std::size_t i = 0; i < choices.size(); ++i)
        SetChoice(i, choices[i]);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].check)
            FollowLvrBox(i);
    }
    if (specialOps_) {
        // Only a hand-set fae=0 hides the group; the window shrinks to the rest. A file that
        // cannot be read is shown, and the group stays as shipped.
        bool fae = true;
        RunGuarded(host_.Messages(), [&] { fae = ReadFaeFlag(s); });
        specialOps_->setEnabled(fae);
        specialOps_->setVisible(fae);
    }
    SetCancelEnabled(true);
}

OptionChoices OptionDialog::Choices() const
{
    OptionChoices choices = ShowChoices(host_.State(), layout_);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const Widgets& c = controls_[i];
        if (c.check)
            choices[i] = c.check->isChecked() ? 1 : 0;
        if (c.radios && c.radios->checkedId() >= 0)
            choices[i] = c.radios->checkedId();
        if (c.list)
            choices[i] = c.list->currentIndex();
        if (c.oneLine)
            choices[i] = c.oneLine->verticalScrollBar()->value();
    }
    return choices;
}

void OptionDialog::SetCancelEnabled(bool on)
{
    cancel_->setEnabled(on);
}

void OptionDialog::Finish()
{
    hide();
    deleteLater();
}

void OptionDialog::ButtonOKClick()
{
    ConfirmOptions(host_.State(), layout_, Choices(), host_.View());
    Finish();
}

void OptionDialog::CancelClick()
{
    Finish();
    host_.View().SetEnabled(Control::MainWindow, true);
}

void OptionDialog::reject()
{
    if (cancel_->isEnabled())
        CancelClick();
}

void OptionDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

} // namespace orvane
