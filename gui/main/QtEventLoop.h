// The Writer link's event loop on Qt's: the serial threads post chunks here, and the waits for the
// Writer run window events (paints, the busy windows) while they sleep until the next chunk or the
// deadline, without using the processor.
#pragma once

#include "writer/EventLoop.h"

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

class QEventLoop;

namespace orvane {

class QtEventLoop final : public EventLoop {
public:
    QtEventLoop();
    ~QtEventLoop() override;

    void Post(std::function<void()> event) override;
    void ProcessPending() override;
    bool RunOne(Clock::time_point deadline) override;
    Clock::time_point Now() const override { return Clock::now(); }

private:
    // Runs after each Post on the GUI thread. Outside a wait it runs the queued events itself;
    // inside one it only wakes the wait, which runs them one at a time.
    void OnWake();
    bool RunFront();

    QObject context_; // receiver of the wake-ups; lives on the GUI thread
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
    QEventLoop* waiting_ = nullptr; // the wait in progress
    int depth_ = 0;                 // RunOne/ProcessPending calls in progress
};

} // namespace orvane
