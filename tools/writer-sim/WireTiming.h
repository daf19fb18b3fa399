// Real wire time at 19200 baud (10 bits a byte, about 520.8 µs): when received bytes have left the
// wire, and when each byte of a reply is due.
#pragma once

#include "tools/writer-sim/WriterModel.h"

#include <chrono>
#include <cstdint>
#include <vector>

namespace orvane {

using SimClock = std::chrono::steady_clock;

// Time of `count` bytes on the wire, exact to the nanosecond.
constexpr std::chrono::nanoseconds WireTime(std::int64_t count)
{
    return std::chrono::nanoseconds(count * 1'000'000'000 / 1920);
}

// The host's bytes reach a pseudo-terminal in bursts; a real line would deliver them one by one.
class WireClock {
public:
    // Records `count` bytes that arrived at `now`; returns when the last of them leaves the wire.
    SimClock::time_point Receive(SimClock::time_point now, std::int64_t count);

private:
    SimClock::time_point lineStart_{};
    std::int64_t bytesSinceStart_ = 0;
};

struct TimedBytes {
    SimClock::time_point due;
    std::vector<std::uint8_t> bytes;
};

// The pieces of `reply` with their deadlines: one piece, or two around a split's pause. Unpaced the
// first is due at `start`; paced, each is due when its last byte has left the wire.
std::vector<TimedBytes> ScheduleReply(const WriterReply& reply, SimClock::time_point start,
                                      bool pace);

} // namespace orvane
