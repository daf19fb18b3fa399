// The window layout of an option dialog: controls in window order, consecutive controls of one
// group in one group box, the boxes filling columns of similar height.
#pragma once

#include "options/OptionLayout.h"

#include <vector>

class QGroupBox;
class QHBoxLayout;
class QVBoxLayout;
class QWidget;

namespace orvane {

class ColumnFlow {
public:
    ColumnFlow(QHBoxLayout* columns, const std::vector<OptionItem>& items);

    // Adds the control of item; returns the group box when the control opens a new one.
    QGroupBox* Place(const OptionItem& item, QWidget* widget);
    // Keeps each column's blocks at its top.
    void Finish();

private:
    QHBoxLayout* columns_;
    int perColumn_ = 0;
    int used_ = 0;
    QVBoxLayout* column_ = nullptr;
    QGroupBox* group_ = nullptr;
    QVBoxLayout* groupRows_ = nullptr;
};

} // namespace orvane
