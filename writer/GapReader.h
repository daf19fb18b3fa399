// The receive side of TComm: reads the port until told to stop and cuts what arrives into chunks
// at the first silence longer than the inter-byte gap. termios counts its own timer in tenths of
// a second, so the gap is measured here on the monotonic clock.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace orvane {

constexpr std::size_t kChunkLimit = 2048; // a chunk is delivered at the latest when this full

// Milliseconds for poll() until a deadline that lies `remaining` ahead: rounded up, so that
// poll never wakes before the gap has fully passed; 0 when the deadline has passed.
int PollTimeoutMs(std::chrono::steady_clock::duration remaining);

struct ReceiveCallbacks {
    std::function<void(std::vector<std::uint8_t> chunk)> chunk; // the bytes, owned by the callee
    std::function<void()> hangup; // the port hung up or failed; no further call follows
};

// Runs on the receive thread until wakeFd becomes readable or the port fails. Waits without
// limit for a first byte, then gathers bytes until gapMs milliseconds pass without one (read
// afresh for each byte, so a change while running applies to the next gap). A gap of 0 delivers
// what has arrived whenever the port has nothing more. Bytes of an unfinished chunk are dropped when told to stop, as a
// purge of the receive buffer would.
void ReceiveChunks(int portFd, int wakeFd, const std::atomic<std::uint32_t>& gapMs,
                   const ReceiveCallbacks& callbacks);

} // namespace orvane
