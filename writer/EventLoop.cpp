#include "writer/EventLoop.h"

namespace orvane {

void QueueEventLoop::Post(std::function<void()> event)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(event));
    }
    posted_.notify_one();
}

void QueueEventLoop::ProcessPending()
{
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
    }
    for (auto& event : batch)
        event();
}

bool QueueEventLoop::RunOne(Clock::time_point deadline)
{
    std::function<void()> event;
    {
        std::unique_lock lock(mutex_);
        if (!posted_.wait_until(lock, deadline, [this] { return !queue_.empty(); }))
            return false;
        event = std::move(queue_.front());
        queue_.pop_front();
    }
    event();
    return true;
}

} // namespace orvane
