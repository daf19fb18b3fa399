#include "gui/main/QtEventLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>

namespace orvane {

QtEventLoop::QtEventLoop() = default;

QtEventLoop::~QtEventLoop() = default;

void QtEventLoop::Post(std::function<void()> event)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(event));
    }
    QMetaObject::invokeMethod(&context_, [this] { OnWake(); }, Qt::QueuedConnection);
}

bool QtEventLoop::RunFront()
{
    std::function<void()> event;
    {
        std::lock_guard lock(mutex_);
        if (queue_.empty())
            return false;
        event = std::move(queue_.front());
        queue_.pop_front();
    }
    event();
    return true;
}

void QtEventLoop::OnWake()
{
    if (waiting_) {
        waiting_->quit();
        return;
    }
    if (depth_ == 0)
        RunFront();
}

void QtEventLoop::ProcessPending()
{
    ++depth_;
    std::size_t pending = 0;
    {
        std::lock_guard lock(mutex_);
        pending = queue_.size();
    }
    while (pending-- > 0 && RunFront()) {
    }
    QCoreApplication::processEvents();
    --depth_;
}

bool QtEventLoop::RunOne(Clock::time_point deadline)
{
    ++depth_;
    bool ran = RunFront();
    while (!ran) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Now());
        if (left.count() <= 0)
            break;
        QEventLoop wait;
        QTimer::singleShot(std::chrono::milliseconds(left), Qt::PreciseTimer, &wait,
                           &QEventLoop::quit);
        waiting_ = &wait;
        wait.exec();
        waiting_ = nullptr;
        ran = RunFront();
    }
    --depth_;
    // Events that came in while this wait was busy must not wait for the next post.
    bool left = false;
    {
        std::lock_guard lock(mutex_);
        left = !queue_.empty();
    }
    if (left && depth_ == 0)
        QMetaObject::invokeMethod(&context_, [this] { OnWake(); }, Qt::QueuedConnection);
    return ran;
}

} // namespace orvane
