// Records what the core shows the operator and answers its questions from a script.
#pragma once

#include "foundation/OperatorMessages.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace orvane::test {

class MessageRecorder : public OperatorMessages {
public:
    bool Show(MessageKind kind, const std::string& text) override
    {
        shown.emplace_back(kind, text);
        if (onShow)
            onShow(); // a look at the windows while the box is up
        if (!Asks(kind))
            return true;
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }

    std::vector<std::pair<MessageKind, std::string>> shown;
    std::deque<bool> answers; // replies to the asking boxes, in order; No when exhausted
    std::function<void()> onShow;
};

} // namespace orvane::test
