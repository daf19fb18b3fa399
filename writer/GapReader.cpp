#include "writer/GapReader.h"

#include <cerrno>
#include <climits>

#include <poll.h>
#include <unistd.h>

namespace orvane {
namespace {

using Clock = std::chrono::steady_clock;

enum class DrainResult { Read, Nothing, Failed };

// Reads what the port holds, up to the chunk limit. A raw tty with VMIN = VTIME = 0 answers 0
// rather than EAGAIN when it has nothing; a hung-up tty answers 0 too, which the caller tells
// apart by the poll flags.
DrainResult Drain(int fd, std::vector<std::uint8_t>& chunk)
{
    bool got = false;
    while (chunk.size() < kChunkLimit) {
        const std::size_t had = chunk.size();
        chunk.resize(kChunkLimit);
        const ssize_t n = ::read(fd, chunk.data() + had, kChunkLimit - had);
        chunk.resize(had + (n > 0 ? static_cast<std::size_t>(n) : 0));
        if (n > 0) {
            got = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return DrainResult::Failed;
        break;
    }
    return got ? DrainResult::Read : DrainResult::Nothing;
}

} // namespace

int PollTimeoutMs(Clock::duration remaining)
{
    if (remaining <= Clock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

void ReceiveChunks(int portFd, int wakeFd, const std::atomic<std::uint32_t>& gapMs,
                   const ReceiveCallbacks& callbacks)
{
    std::vector<std::uint8_t> chunk;
    Clock::time_point deadline;
    const auto deliver = [&] {
        if (chunk.empty())
            return;
        callbacks.chunk(std::move(chunk));
        chunk = {};
    };
    const auto fail = [&] {
        deliver(); // what arrived before the failure is still good
        callbacks.hangup();
    };

    for (;;) {
        // Silence is declared only when poll finds nothing at the deadline: a thread that was
        // scheduled late cannot tell when waiting bytes came, and a chunk joined with the next
        // costs the Writer link less than a reply cut in two.
        const int timeout = chunk.empty() ? -1 : PollTimeoutMs(deadline - Clock::now());
        pollfd fds[2] = {{portFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return fail();
        }
        if (fds[1].revents != 0)
            return;
        if (ready == 0) {
            deliver();
            continue;
        }
        const DrainResult result = Drain(portFd, chunk);
        if (result == DrainResult::Read)
            deadline = Clock::now() + std::chrono::milliseconds(gapMs.load());
        if (chunk.size() == kChunkLimit)
            deliver();
        const bool hungUp = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        if (result == DrainResult::Failed || (result == DrainResult::Nothing && hungUp))
            return fail();
    }
}

} // namespace orvane
