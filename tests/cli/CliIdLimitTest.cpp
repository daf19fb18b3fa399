// orvane-cli at the end of an ID length, and runs that must leave a lot as they found it: refused
// IDs and a wait for a journal another process holds locked.
#include "tests/cli/CliLineFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kProgramChip = "RX 68 01 01 ";

// User and system time the process has used, in clock ticks.
long CpuTicks(const std::string& pid)
{
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string field;
    long ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i)
        ticks += i >= 14 ? std::stol(field) : 0; // utime, stime (the name holds no space here)
    return ticks;
}

class CliIdLimitTest : public ::testing::Test, public CliLineFixture {
protected:
    // A fresh simulated Writer for each run, tracing what it receives.
    const SimulatorProcess& Writer() { return AddWriter({"--fresh-chip", "--trace", trace}); }

    const std::string trace = app.file("trace");
};

TEST_F(CliIdLimitTest, TheChipPastTheLastIdOfItsLengthIsRefusedNotWrapped)
{
    struct Case {
        std::vector<std::string> args;
        std::size_t programmed; // ProgramChip commands on the wire
        const char* message;    // the refusal, as the dialog words it
        const char* result;
        const char* reserved;   // nullptr: no journal file
    };
    const Case cases[] = {
        {{"program", program, "--yes", "--id-addr", "0100", "--id-start", "FFFF", "--count", "2"}, 1,
         "error: 下一个ID 10000 超出2字节ID的最大值FFFF,器件ID未烧录!\n",
         "failed: chip 2 refused: ID 10000 is past FFFF, the last ID --id-len 2 can hold\n",
         nullptr},
        {Program({"--id-len", "3", "--id-start", "FFFFFF", "--count", "2"}),
         1,
         "error: 下一个ID 1000000 超出3字节ID的最大值FFFFFF,器件ID未烧录!\n",
         "failed: chip 2 refused: ID 1000000 is past FFFFFF, the last ID --id-len 3 can hold\n",
         "FFFFFF"},
        {Program({"--id-start", "10000"}), 0,
         "error: 下一个ID 10000 超出2字节ID的最大值FFFF,器件ID未烧录!\n",
         "failed: chip 1 refused: ID 10000 is past FFFF, the last ID --id-len 2 can hold\n",
         nullptr},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(lot);
        WriteText(trace, "");
        const ProcessResult r = Cli(c.args, &Writer());
        EXPECT_EQ(r.exitCode, 14) << r.err;
        EXPECT_TRUE(Has(r.err, c.message) && Has(r.err, c.result)) << r.err;
        EXPECT_EQ(CountLines(ReadText(trace), kProgramChip), c.programmed) << c.result;
        ASSERT_EQ(std::filesystem::exists(lot), c.reserved != nullptr) << c.result;
        if (c.reserved) {
            EXPECT_EQ(Pick(ReadText(lot), "reserve", "id"), c.reserved);
            EXPECT_EQ(Pick(ReadText(lot), "summary", "tried"), "1");
        }
    }
}

TEST_F(CliIdLimitTest, TwoWritersAtTheEndOfALotShareItsLastIdOnce)
{
    ASSERT_EQ(Cli(Program({"--id-start", "FFFE"}), &Writer()).exitCode, 0);
    std::vector<std::future<ProcessResult>> line;
    for (int w = 0; w < 2; ++w)
        line.push_back(Start(Program({"--count", "2"}), Writer()));
    for (auto& run : line) {
        const ProcessResult r = run.get();
        EXPECT_EQ(r.exitCode, 14) << r.err;
        EXPECT_TRUE(Has(r.err, "refused: ID 10000 is past FFFF")) << r.err;
    }
    // The Writer that took FFFF sums up its chip; the other tried none and leaves no trace.
    EXPECT_EQ(Pick(ReadText(lot), "reserve", "id"), "FFFE FFFF");
    EXPECT_EQ(Pick(ReadText(lot), "summary", "tried"), "1 1");
}

TEST_F(CliIdLimitTest, AWaitForALockedJournalIsAnnouncedSleepsAndEndsOnASignal)
{
    WriteText(lot, "");
    const int holder = ::open(lot.c_str(), O_RDONLY | O_CLOEXEC); // another process's lock
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    RunningProcess run(CLI_PATH, Program({"--id-start", "1", "--port", "/dev/null", "--model",
                                          "QK101", "--app-dir", app.path()}));
    for (int i = 0; i < 200 && !Has(run.ErrSoFar(), "waiting for the lock"); ++i)
        std::this_thread::sleep_for(50ms);
    const std::string pid = std::to_string(run.Pid());
    const long ticks = CpuTicks(pid);
    std::this_thread::sleep_for(500ms);
    EXPECT_LE(CpuTicks(pid) - ticks, 5) << "the wait keeps a processor busy";
    ::kill(run.Pid(), SIGINT);
    ::close(holder); // a run deaf to the signal would go on now

    const ProcessResult r = run.Wait();
    EXPECT_EQ(r.exitCode, 128 + SIGINT);
    EXPECT_EQ(r.err, "info: waiting for the lock on the lot journal " + lot +
                         ", which another process holds\nfailed: stopped by SIGINT while waiting "
                         "for the lock on the lot journal " + lot + "; nothing reserved\n");
    EXPECT_EQ(ReadText(lot), "");
}

} // namespace
} // namespace orvane::test
