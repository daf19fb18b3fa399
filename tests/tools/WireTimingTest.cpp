#include "tools/writer-sim/WireTiming.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using namespace std::chrono_literals;

TEST(WireTiming, ByteTimeAt19200Baud)
{
    EXPECT_EQ(WireTime(1), 520833ns);
    EXPECT_EQ(WireTime(1920), 1s); // exact over a long run: no accumulated rounding
    EXPECT_EQ(WireTime(37), 19270833ns);
}

TEST(WireTiming, ClockQueuesBurstsAndRestartsWhenIdle)
{
    const SimClock::time_point t0{1s};
    WireClock clock;
    EXPECT_EQ(clock.Receive(t0, 5), t0 + WireTime(5));
    // Arriving while the line is still busy: queued behind the earlier bytes.
    EXPECT_EQ(clock.Receive(t0 + 1ms, 23), t0 + WireTime(28));
    // Arriving after the line went quiet: counted from the arrival.
    const auto later = t0 + 100ms;
    EXPECT_EQ(clock.Receive(later, 1), later + WireTime(1));
}

TEST(WireTiming, ReplySchedules)
{
    const SimClock::time_point start{5s};
    WriterReply reply;
    reply.bytes = {0x68, 0x01, 0xE2, 0xE3, 0x16};

    const auto whole = ScheduleReply(reply, start, false);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0].due, start);
    EXPECT_EQ(whole[0].bytes, reply.bytes);

    const auto paced = ScheduleReply(reply, start, true);
    ASSERT_EQ(paced.size(), 5u);
    for (std::size_t i = 0; i < paced.size(); ++i) {
        EXPECT_EQ(paced[i].due, start + WireTime(static_cast<std::int64_t>(i)));
        EXPECT_EQ(paced[i].bytes, std::vector<std::uint8_t>{reply.bytes[i]});
    }

    reply.splitAfter = 2;
    const auto split = ScheduleReply(reply, start, false);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].bytes, (std::vector<std::uint8_t>{0x68, 0x01}));
    EXPECT_EQ(split[1].bytes, (std::vector<std::uint8_t>{0xE2, 0xE3, 0x16}));
    EXPECT_EQ(split[1].due, start + 20ms);

    const auto pacedSplit = ScheduleReply(reply, start, true);
    ASSERT_EQ(pacedSplit.size(), 5u);
    EXPECT_EQ(pacedSplit[1].due, start + WireTime(1));
    EXPECT_EQ(pacedSplit[2].due, start + WireTime(2) + 20ms);

    reply.bytes.clear();
    EXPECT_TRUE(ScheduleReply(reply, start, true).empty());
}

} // namespace
} // namespace orvane
