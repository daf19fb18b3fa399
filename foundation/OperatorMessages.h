// The one way the core talks to the operator: a message box in the GUI, a console line in the
// CLI, a recorder in the tests.
#pragma once

#include <string>

namespace orvane {

enum class MessageKind {
    Information, // information box with a single Yes button
    Error,       // error box with a single Yes button
    Plain,       // plain message box with an OK button
    Question,    // confirmation with Yes and No
    InformationQuestion, // information box with Yes and No
    FieldError,          // a typed value out of range: box titled "出错" with an OK button
};

// True for the kinds that ask the operator rather than report.
constexpr bool Asks(MessageKind kind)
{
    return kind == MessageKind::Question || kind == MessageKind::InformationQuestion;
}

class OperatorMessages {
public:
    virtual ~OperatorMessages() = default;
    // Shows text; returns true when the operator answered Yes (always true for the one-button kinds).
    virtual bool Show(MessageKind kind, const std::string& text) = 0;
};

} // namespace orvane
