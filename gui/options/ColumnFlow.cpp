#include "gui/options/ColumnFlow.h"

#include "gui/Text.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace orvane {

namespace {

constexpr int kRowsPerColumn = 14;

// Rows a control takes.
int Rows(const OptionItem& item)
{
    return item.kind == ControlKind::Radio ? static_cast<int>(item.entries.size()) : 1;
}

} // namespace

ColumnFlow::ColumnFlow(QHBoxLayout* columns, const std::vector<OptionItem>& items)
    : columns_(columns)
{
    int total = 0;
    for (const OptionItem& item : items)
        total += item.kind == ControlKind::None ? 0 : Rows(item) + 1;
    const int columnCount = std::max(1, (total + kRowsPerColumn - 1) / kRowsPerColumn);
    perColumn_ = (total + columnCount - 1) / columnCount;
    used_ = perColumn_;
}

QGroupBox* ColumnFlow::Place(const OptionItem& item, QWidget* widget)
{
    QGroupBox* opened = nullptr;
    const bool sameGroup = group_ && !item.group.empty() && group_->title() == ShownTr(item.group);
    if (!sameGroup) {
        if (used_ >= perColumn_) {
            column_ = new QVBoxLayout;
            columns_->addLayout(column_);
            used_ = 0;
        }
        group_ = nullptr;
        if (!item.group.empty()) {
            opened = group_ = new QGroupBox(ShownTr(item.group));
            groupRows_ = new QVBoxLayout(group_);
            column_->addWidget(group_);
        }
        ++used_;
    }
    (group_ ? groupRows_ : column_)->addWidget(widget);
    used_ += Rows(item);
    return opened;
}

void ColumnFlow::Finish()
{
    for (int c = 0; c < columns_->count(); ++c)
        static_cast<QVBoxLayout*>(columns_->itemAt(c)->layout())->addStretch();
}

} // namespace orvane
