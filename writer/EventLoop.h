// Events of the user-interface thread. The serial component's threads post received chunks here;
// the Writer operations wait on it for a reply or a deadline without using the processor.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace orvane {

class EventLoop {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~EventLoop() = default;

    // Thread-safe. Events run on the loop's thread, in the order they were posted.
    virtual void Post(std::function<void()> event) = 0;

    // Runs the events queued at the moment of the call.
    virtual void ProcessPending() = 0;

    // Runs the next event, sleeping until one is posted; false when the deadline passed first.
    virtual bool RunOne(Clock::time_point deadline) = 0;

    virtual Clock::time_point Now() const = 0;
};

// The loop of the CLI and the tests: a locked queue and a condition variable.
class QueueEventLoop final : public EventLoop {
public:
    void Post(std::function<void()> event) override;
    void ProcessPending() override;
    bool RunOne(Clock::time_point deadline) override;
    Clock::time_point Now() const override { return Clock::now(); }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
};

} // namespace orvane
