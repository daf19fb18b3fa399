// The transmit side of TComm: a queue of owned blocks that the user-interface thread fills and
// the transmit thread writes to the port, each block in full and in order.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace orvane {

struct TransmitCallbacks {
    std::function<void()> queueEmpty; // the queue ran empty at the start or after writing
    std::function<void()> hangup;     // a write failed; the queue takes no further blocks
};

class TransmitQueue {
public:
    // User-interface thread. Takes the block; false (block dropped) once the queue is stopped.
    bool Push(std::vector<std::uint8_t> block);

    // Any thread. Wakes Run, which returns without writing the blocks still queued; Push fails
    // from now on. Run's writes also watch the wake fd, which the owner signals beside this.
    void Stop();

    // True when nothing waits to be written (also while the last block is on its way out).
    bool Empty() const;

    // Transmit thread: writes the blocks until Stop, wakeFd becoming readable, or a failed write.
    void Run(int portFd, int wakeFd, const TransmitCallbacks& callbacks);

private:
    mutable std::mutex mutex_;
    std::condition_variable pushed_;
    std::deque<std::vector<std::uint8_t>> blocks_;
    bool stopped_ = false;
    bool empty_ = true; // SendDataEmpty: set by Run when it finds the queue empty, cleared by Push
};

} // namespace orvane
