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
        const bool newPiece = pace || i == 0 || (afterSplit && i == reply.splitAfter);
        if (newPiece) {
            auto due =
                start + (pace ? WireTime(static_cast<std::int64_t>(i)) : SimClock::duration{});
            if (afterSplit)
                due += reply.splitPause;
            pieces.push_back({due, {}});
        }
        pieces.back().bytes.push_back(bytes[i]);
    }
    return pieces;
}

} // namespace orvane
