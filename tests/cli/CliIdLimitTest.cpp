// orvane-cli at the end of an ID length, and runs that must leave a lot as they found it: refused
// options, refused IDs and a wait for a journal another process holds locked.
#include "tests/cli/CliSupport.h"

#include "production/JsonLine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kProgramChip = "RX 68 01 01 ";

// The IDs of the journal's reserve lines and the number of its summary lines.
std::pair<std::string, int> Reserved(const std::string& lot)
{
    std::string ids;
    int summaries = 0;
    for (const std::string& line : Lines(ReadText(lot))) {
        const JsonFields f = ParseJsonLine(line).value();
        summaries += f.at("type") == "summary" ? 1 : 0;
        if (f.at("type") == "reserve")
            ids += (ids.empty() ? "" : " ") + f.at("id");
    }
    return {ids, summaries};
}

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

class CliIdLimitTest : public ::testing::Test, public CliFixture {
protected:
    CliIdLimitTest() { WriteText(program, Golden("program.S19")); }

    // A fresh simulated Writer for each chip, tracing what it receives.
    const SimulatorProcess& Writer()
    {
        const std::string dir = app.file("w" + std::to_string(writers_.size()) + "/");
        std::filesystem::create_directories(dir);
        writers_.push_back(std::make_unique<SimulatorProcess>(
            SIM_PATH, dir, std::vector<std::string>{"--fresh-chip", "--trace", trace}));
        return *writers_.back();
    }

    std::vector<std::string> Program(const std::string& port, std::vector<std::string> more) const
    {
        std::vector<std::string> args = {"program", program, "--yes", "--model", "QK101",
                                         "--id-addr", "0100", "--port", port, "--app-dir",
                                         app.path()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    static ProcessResult Run(const std::vector<std::string>& args)
    {
        return RunProcess(CLI_PATH, args);
    }

    const std::string program = app.file("program.S19");
    const std::string lot = app.file("lot.jsonl");
    const std::string trace = app.file("trace");
    std::vector<std::unique_ptr<SimulatorProcess>> writers_;
};

TEST_F(CliIdLimitTest, TheChipPastTheLastIdOfItsLengthIsRefusedNotWrapped)
{
    struct Case {
        std::vector<std::string> args;
        int programmed;       // ProgramChip commands on the wire
        const char* message;  // the refusal, as the dialog words it
        const char* result;
        const char* reserved; // nullptr: no journal file
    };
    const Case cases[] = {
        {{"--id-start", "FFFF", "--count", "2"}, 1,
         "error: 下一个ID 10000 超出2字节ID的最大值FFFF,器件ID未烧录!\n",
         "failed: chip 2 refused: ID 10000 is past FFFF, the last ID --id-len 2 can hold\n",
         nullptr},
        {{"--id-len", "3", "--id-start", "FFFFFF", "--count", "2", "--journal", lot},
         1,
         "error: 下一个ID 1000000 超出3字节ID的最大值FFFFFF,器件ID未烧录!\n",
         "failed: chip 2 refused: ID 1000000 is past FFFFFF, the last ID --id-len 3 can hold\n",
         "FFFFFF"},
        {{"--id-start", "10000", "--journal", lot}, 0,
         "error: 下一个ID 10000 超出2字节ID的最大值FFFF,器件ID未烧录!\n",
         "failed: chip 1 refused: ID 10000 is past FFFF, the last ID --id-len 2 can hold\n",
         nullptr},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(lot);
        WriteText(trace, "");
        const ProcessResult r = Run(Program(Writer().Link(), c.args));
        EXPECT_EQ(r.exitCode, 14) << r.err;
        EXPECT_TRUE(Has(r.err, c.message) && Has(r.err, c.result)) << r.err;
        const std::string wire = ReadText(trace);
        int programmed = 0;
        for (auto at = wire.find(kProgramChip); at != std::string::npos;
             at = wire.find(kProgramChip, at + 1))
            ++programmed;
        EXPECT_EQ(programmed, c.programmed) << c.result;
        ASSERT_EQ(std::filesystem::exists(lot), c.reserved != nullptr) << c.result;
        if (c.reserved) {
            EXPECT_EQ(Reserved(lot), std::pair(std::string(c.reserved), 1));
        }
    }
}

TEST_F(CliIdLimitTest, TwoWritersAtTheEndOfALotShareItsLastIdOnce)
{
    ASSERT_EQ(Run(Program(Writer().Link(), {"--journal", lot, "--id-start", "FFFE"})).exitCode, 0);
    std::vector<std::future<ProcessResult>> line;
    for (int w = 0; w < 2; ++w)
        line.push_back(std::async(std::launch::async, &CliIdLimitTest::Run,
                                  Program(Writer().Link(), {"--journal", lot, "--count", "2"})));
    for (auto& run : line) {
        const ProcessResult r = run.get();
        EXPECT_EQ(r.exitCode, 14) << r.err;
        EXPECT_TRUE(Has(r.err, "refused: ID 10000 is past FFFF")) << r.err;
    }
    // The Writer that took FFFF sums up its chip; the other tried none and leaves no trace.
    EXPECT_EQ(Reserved(lot), std::pair(std::string("FFFE FFFF"), 2));
}

TEST_F(CliIdLimitTest, ARefusedRunLeavesNoTraceInTheJournal)
{
    const ProcessResult early = Run(Program("/dev/null", {"--journal", lot}));
    EXPECT_EQ(early.exitCode, 2) << early.err;
    EXPECT_FALSE(std::filesystem::exists(lot)) << "no empty journal";

    const std::string port = Writer().Link();
    ASSERT_EQ(Run(Program(port, {"--journal", lot, "--id-start", "0001"})).exitCode, 0);
    const std::string before = ReadText(lot);
    EXPECT_EQ(Run(Program(port, {"--journal", lot, "--id-start", "0001"})).exitCode, 13);
    EXPECT_EQ(ReadText(lot), before) << "no summary of no chip, no site";
}

TEST_F(CliIdLimitTest, AWaitForALockedJournalIsAnnouncedSleepsAndEndsOnASignal)
{
    WriteText(lot, "");
    for (const int signal : {SIGTERM, SIGINT}) {
        const int holder = ::open(lot.c_str(), O_RDONLY | O_CLOEXEC); // another process's lock
        ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        const std::string pidFile = app.file("pid"), err = app.file("err");
        WriteText(err, "");
        std::vector<std::string> args = Program("/dev/null", {"--journal", lot, "--id-start", "1"});
        args.insert(args.begin(), {"-c", "\"$0\" \"$@\" 2>" + err + " & echo $! >" + pidFile +
                                             "; wait $!", CLI_PATH});
        auto run = std::async(std::launch::async, [args] { return RunProcess("/bin/sh", args); });
        for (int i = 0; i < 200 && !Has(ReadText(err), "waiting for the lock"); ++i)
            std::this_thread::sleep_for(50ms);
        const std::string pid = ReadText(pidFile).substr(0, ReadText(pidFile).find('\n'));
        const long ticks = CpuTicks(pid);
        std::this_thread::sleep_for(500ms);
        EXPECT_LE(CpuTicks(pid) - ticks, 5) << "the wait keeps a processor busy";
        ::kill(std::stoi(pid), signal);
        ::close(holder); // a run deaf to the signal would go on now

        EXPECT_EQ(run.get().exitCode, 128 + signal);
        const std::string name = signal == SIGINT ? "SIGINT" : "SIGTERM";
        EXPECT_EQ(ReadText(err),
                  "info: waiting for the lock on the lot journal " + lot +
                      ", which another process holds\nfailed: stopped by " + name +
                      " while waiting for the lock on the lot journal " + lot +
                      "; nothing reserved\n");
        EXPECT_EQ(ReadText(lot), "");
    }
}

TEST_F(CliIdLimitTest, ProductionOptionsOutsideTheirCommandsAreRefused)
{
    const std::string out = app.file("out.WRT");
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"convert", program, out, "--to", "wrt", "--model", "QK101", "--rolling-code", "off"},
         "--rolling-code goes with info, download, program or verify"},
        {{"download", program, "--expect-checksum", "CD9"},
         "--expect-checksum takes four hexadecimal digits, not 'CD9'"},
    };
    for (const auto& [args, message] : refused) {
        const ProcessResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_TRUE(Has(r.err, "orvane-cli: " + message + "\n")) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
} // namespace orvane::test
