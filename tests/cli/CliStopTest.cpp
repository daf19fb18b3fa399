// SIGINT and SIGTERM in the middle of a download or a read: the block in hand is finished, the
// Writer hears the operation's closing commands, and the summary says what the stop left behind.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

class CliStopTest : public ::testing::Test, public CliFixture {
protected:
    const std::string program = Put("program.S19", "program.S19");
    const std::string chip = app.file("chip.S19");
    const std::string trace = app.file("trace");
};

TEST_F(CliStopTest, ASignalEndsTheTransferAfterTheBlockInHandAndSaysWhatItLeft)
{
    const struct {
        std::vector<std::string> args;
        int signal;
        std::string block, answer, closing; // trace frames
        std::string total, leftBehind;
    } cases[] = {
        {{"download", program, "--yes"}, SIGTERM, "RX 68 13 11", "TX 68 01 12", "RX 68 01 05",
         "564", "the Writer's buffer holds an incomplete image: download it again before "
                 "programming"},
        {{"read", chip}, SIGINT, "RX 68 03 38", "TX 68 21 39", "RX 68 01 40", "257",
         chip + " not written"},
    };
    for (const auto& c : cases) {
        // A slow Writer, so that the signal comes in the middle of the transfer.
        const SimulatorProcess writer(SIM_PATH, app.path(),
                                      {"--reply-delay", "5", "--trace", trace});
        std::vector<std::string> args = {"--app-dir", app.path(), "--port", writer.Link(),
                                         "--model", "QK128"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunningProcess cli(CLI_PATH, args);
        // The simulator opens its trace once it serves.
        const auto blocksSoFar = [&] {
            return std::filesystem::exists(trace) ? CountLines(ReadText(trace), c.block) : 0;
        };
        for (int waited = 0; waited < 500 && blocksSoFar() < 5; ++waited)
            std::this_thread::sleep_for(20ms);
        kill(cli.Pid(), c.signal);
        const ProcessResult r = cli.Wait();

        const std::string frames = ReadText(trace);
        const std::size_t blocks = CountLines(frames, c.block);
        EXPECT_EQ(r.exitCode, 128 + c.signal) << r.err;
        EXPECT_TRUE(r.err.ends_with("failed: stopped by " +
                                    std::string(c.signal == SIGINT ? "SIGINT" : "SIGTERM") +
                                    " after " + std::to_string(blocks) + " of " + c.total +
                                    " blocks; " + c.leftBehind + "\n"))
            << r.err;
        EXPECT_EQ(CountLines(frames, c.answer), blocks); // the block in hand was answered
        EXPECT_GT(frames.rfind(c.closing), frames.rfind(c.block)) << frames;
        EXPECT_FALSE(Has(r.err, "通信错误2") || Has(r.err, "开始读取！")) << r.err;
        EXPECT_FALSE(std::filesystem::exists(chip));
    }
}

} // namespace
} // namespace orvane::test
