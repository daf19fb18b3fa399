// The lot journal at the end of an ID length, and waiting for a lock another process holds.
#include "production/LotJournal.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvane {
namespace {

class JournalAtTheEdges : public ::testing::Test {
protected:
    Reservation Next(LotJournal& journal, std::optional<std::int64_t> wanted = std::nullopt)
    {
        return journal.Reserve("COM1", {.wanted = wanted, .insist = wanted.has_value(),
                                        .fromLot = true},
                               2, 0x1800);
    }

    test::TempDir dir;
    const std::string path = dir.file("lot.jsonl");
};

TEST_F(JournalAtTheEdges, ALotEndsAtFFFFAndRecordsNothingPastIt)
{
    LotJournal journal(path);
    EXPECT_EQ(Next(journal, 0xFFFE).id->value, 0xFFFE);
    EXPECT_EQ(Next(journal).id->value, 0xFFFF);
    const std::string full = test::ReadText(path);
    EXPECT_THROW(Next(journal), IdRangeError) << "10000 handed out";
    EXPECT_EQ(test::ReadText(path), full);

    // A lot that an older version took past FFFF goes no further either.
    test::WriteText(path, R"({"type":"reserve","chip":1,"id":"10000","id_len":2})" "\n");
    EXPECT_THROW(Next(journal), IdRangeError);
}

TEST_F(JournalAtTheEdges, AWaitForALockHeldElsewhereIsAnnouncedAndEndsOnAStopSignal)
{
    test::WriteText(path, "");
    const int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC); // another holder of the lot
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    LotJournal journal(path);
    std::vector<std::string> announced;
    journal.SetLockWait({.announce = [&](const std::string& p) { announced.push_back(p); },
                         .stopSignal = [&] { return announced.empty() ? 0 : SIGTERM; }});

    try {
        Next(journal, 1);
        ADD_FAILURE() << "reserved under another holder's lock";
    } catch (const LockWaitStopped& e) {
        EXPECT_EQ(e.signal, SIGTERM);
    }
    EXPECT_EQ(announced, std::vector<std::string>{path});
    EXPECT_EQ(test::ReadText(path), "") << "nothing reserved";

    // The record of a chip in hand is not given up for a stop: it waits until the lock is free.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::close(other);
    });
    ChipRecord chip;
    chip.chip = 1;
    EXPECT_NO_THROW(journal.Record(chip));
    release.join();
    EXPECT_EQ(SummarizeLot(test::ReadText(path)).tried, 1);
}

} // namespace
} // namespace orvane
