#include "tools/writer-sim/WireTiming.h"

namespace orvane {

SimClock::time_point WireClock::Receive(SimClock::time_point now, std::int64_t count)
{
    // Deadlines stay absolute from the start of a busy stretch, so rounding never accumulates.
    if (now >= lineStart_ + WireTime(bytesSinceStart_)) {
        lineStart_ = now;
        bytesSinceStart_ = 0;
    }
    bytesSinceStart_ += count;
    return lineStart_ + WireTime(bytesSinceStart_);
}

std::vector<TimedBytes> ScheduleReply(const WriterReply& reply, SimClock::time_point start,
                                      bool pace)
{
    std::vector<TimedBytes> pieces;
    const auto& bytes = reply.bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool afterSplit = reply.splitAfter > 0 && i >= reply.splitAfter;
        if (i == 0 || (afterSplit && i == reply.splitAfter))
            pieces.push_back({afterSplit ? start + reply.splitPause : start, {}});
        pieces.back().bytes.push_back(bytes[i]);
    }
    // Paced, a piece goes out once its last byte has left the wire. Written in one go, it cannot
    // be torn by the simulator being scheduled late, which no UART would do inside a frame.
    if (pace) {
        std::int64_t sent = 0;
        for (TimedBytes& piece : pieces) {
            sent += static_cast<std::int64_t>(piece.bytes.size());
            piece.due += WireTime(sent);
        }
    }
    return pieces;
}

} // namespace orvane
