// Operator messages as message boxes, each kind with the icon and buttons the operator knows.
#pragma once

#include "foundation/OperatorMessages.h"

class QWidget;

namespace orvane {

class MessageBoxes final : public OperatorMessages {
public:
    explicit MessageBoxes(QWidget* parent) : parent_(parent) {}
    bool Show(MessageKind kind, const std::string& text) override;

private:
    QWidget* parent_;
};

} // namespace orvane
