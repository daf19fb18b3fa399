// The handler boundary of every window: a file, conversion or port error ends the handler's steps
// and shows its text in an error box, as the runtime does for an unhandled error.
#pragma once

#include "foundation/OperatorMessages.h"

#include <stdexcept>

namespace orvane {

// Runs steps; false when an error ended them.
template <class Steps>
bool RunGuarded(OperatorMessages& messages, Steps&& steps)
{
    try {
        steps();
        return true;
    } catch (const std::runtime_error& e) {
        messages.Show(MessageKind::Error, e.what());
        return false;
    }
}

} // namespace orvane
