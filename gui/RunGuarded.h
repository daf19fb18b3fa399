// The handler boundary of every window: an error ends the handler's steps and shows its text in
// an error box, as the runtime does for an unhandled error. No error leaves a handler for Qt's
// event loop, which would end the program and lose the operator's unsaved image.
#pragma once

#include "foundation/OperatorMessages.h"

#include <exception>
#include <utility>

namespace orvane {

// Runs steps; false when an error ended them.
template <class Steps>
bool RunGuarded(OperatorMessages& messages, Steps&& steps)
{
    try {
        steps();
        return true;
    } catch (const std::exception& e) {
        messages.Show(MessageKind::Error, e.what());
        return false;
    }
}

// handler, to be run inside the boundary: for timers and key filters.
template <class Handler>
auto Guarded(OperatorMessages& messages, Handler handler)
{
    return [&messages, handler = std::move(handler)] { RunGuarded(messages, handler); };
}

} // namespace orvane
