#include "writer/TransmitQueue.h"

#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace orvane {
namespace {

enum class WriteResult { Written, Stopped, Failed };

// The port is non-blocking: when the driver's buffer is full, wait for room or for the wake fd.
WriteResult WriteAll(int portFd, int wakeFd, const std::vector<std::uint8_t>& block)
{
    std::size_t done = 0;
    while (done < block.size()) {
        const ssize_t n = ::write(portFd, block.data() + done, block.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return WriteResult::Failed;
        pollfd fds[2] = {{portFd, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return WriteResult::Failed;
        }
        if (fds[1].revents != 0)
            return WriteResult::Stopped;
        if ((fds[0].revents & POLLOUT) == 0)
            return WriteResult::Failed; // POLLHUP, POLLERR or POLLNVAL without room to write
    }
    return WriteResult::Written;
}

} // namespace

bool TransmitQueue::Push(std::vector<std::uint8_t> block)
{
    {
        std::lock_guard lock(mutex_);
        if (stopped_)
            return false;
        blocks_.push_back(std::move(block));
        empty_ = false;
    }
    pushed_.notify_one();
    return true;
}

void TransmitQueue::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        blocks_.clear();
    }
    pushed_.notify_one();
}

bool TransmitQueue::Empty() const
{
    std::lock_guard lock(mutex_);
    return empty_;
}

void TransmitQueue::Run(int portFd, int wakeFd, const TransmitCallbacks& callbacks)
{
    // Starts set, so that the queue-empty event is raised once after the port opens.
    bool sent = true;
    for (;;) {
        std::vector<std::uint8_t> block;
        {
            std::unique_lock lock(mutex_);
            if (blocks_.empty() && !stopped_) {
                empty_ = true;
                if (sent)
                    callbacks.queueEmpty();
                sent = false;
                pushed_.wait(lock, [this] { return stopped_ || !blocks_.empty(); });
            }
            if (stopped_)
                return;
            block = std::move(blocks_.front());
            blocks_.pop_front();
        }
        switch (WriteAll(portFd, wakeFd, block)) {
        case WriteResult::Written:
            sent = true;
            break;
        case WriteResult::Stopped:
            return;
        case WriteResult::Failed: {
            {
                std::lock_guard lock(mutex_);
                stopped_ = true;
                blocks_.clear();
                empty_ = true;
            }
            callbacks.hangup();
            return;
        }
        }
    }
}

} // namespace orvane
