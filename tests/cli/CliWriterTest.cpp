// orvane-cli's Writer commands end to end: the CLI on TComm, the simulator on a pseudo-terminal.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvane::test {
namespace {

class CliWriterTest : public ::testing::Test, public CliFixture {
protected:
    // orvane-cli with args on a fresh simulator started with writerArgs.
    ProcessResult OnWriter(std::vector<std::string> args, std::vector<std::string> writerArgs = {})
    {
        writer_.reset();
        writer_.emplace(SIM_PATH, app.path(), std::move(writerArgs));
        return OnSameWriter(std::move(args));
    }

    ProcessResult OnSameWriter(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--port", writer_->Link(), "--model", "QK128"});
        return RunCli(args);
    }

    const std::string program = Put("program.S19", "program.S19");
    std::optional<SimulatorProcess> writer_;
};

TEST_F(CliWriterTest, ExitCodeAndMessageTellEachOutcomeApart)
{
    const std::string read = app.file("read.S19");
    struct Case {
        std::vector<std::string> args, writer;
        int exitCode;
        std::string says;
    };
    const std::string noReply = "failed: no reply from the Writer\n";
    const std::string garbled = "failed: the Writer's reply was no valid frame\n";
    const std::string transferFailed =
        "error: 通信错误2请检查烧写器是否连接正确！\nmemo: 程序下载失败!\nfailed: transfer failed\n";
    const std::vector<Case> cases = {
        {{"blank-check"}, {}, 0, "memo: 0405\ninfo: 芯片为空!\nok: blank\n"},
        {{"blank-check"}, {"--chip", "programmed"}, 7,
         "info: Chip not blank!\n  Chip Addr:0000 Data:A5\nfailed: chip error at 0000\n"},
        {{"blank-check"}, {"--chip", "none"}, 8,
         "info: 引脚错误2,检查芯片是否正确!\nfailed: pin failure\n"},
        {{"blank-check"}, {"--fault", "kind1@code=03"}, 6,
         "message: Command error!\nfailed: command rejected\n"},
        {{"blank-check"}, {"--fault", "kind5@code=03"}, 9,
         "info: Check_sum error!\nfailed: checksum error\n"},
        // Silence shows the code of LoadChipData's answer still in the buffer; bytes that are no
        // frame count as no reply in the memo, and neither is taken for this command's answer.
        {{"blank-check"}, {"--fault", "oversize@code=03"}, 11, "memo: 2200\n" + noReply},
        {{"blank-check"}, {"--fault", "split@code=03"}, 12, "memo: 0000\n" + garbled},
        {{"download", program}, {}, 10, "question: 请确认电源，USB线已经连接好! -> no\n"},
        {{"program", "--no-download"}, {}, 10, "question: 烧写程序将为上次下载内容! -> no\n"},
        {{"download", program, "--yes"}, {"--fault", "garbage@code=11"}, 5, transferFailed},
        {{"program", program, "--yes"}, {"--fault", "garbage@code=01"}, 12,
         "failed: chip 1 failed: the Writer's reply was no valid frame\n"},
        {{"read", read}, {"--fault", "no-reply@code=38"}, 5,
         "error: 开始读取！\nfailed: transfer failed; " + read + " not written\n"},
        {{"program", program, "--id-start", "5", "--id-addr", "1FFF"}, {}, 2,
         "message: ID地址1FFF超出程序区0000-1FFF,器件ID不会烧入芯片!\n"
         "failed: chip 1 failed: refused before the Writer was asked\n"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = OnWriter(c.args, c.writer);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.says << r.err;
        EXPECT_TRUE(Has(r.err, c.says)) << r.err;
        EXPECT_FALSE(Has(r.err, "程序下载完毕")) << r.err; // a failed download is never finished
    }
    EXPECT_FALSE(std::filesystem::exists(read)); // an incomplete read writes no file
}

TEST_F(CliWriterTest, VersionInTextAndJsonDownloadProgramAndReadBack)
{
    const ProcessResult version = OnWriter({"version"}, {"--version", "3.4", "2020.1.2"});
    EXPECT_EQ(std::tuple(version.exitCode, version.out),
              std::tuple(0, std::string("固件版本:  V3.4---2020.1.2\n")));
    const ProcessResult json = OnSameWriter({"version", "--json"});
    EXPECT_EQ(json.out,
              R"({"type":"status","key":"firmware","text":"固件版本:  V3.4---2020.1.2"})" "\n"
              R"({"type":"result","command":"version","ok":true,"exit":0,)"
              R"("detail":"固件版本:  V3.4---2020.1.2"})" "\n");

    // The download's memo and progress are the operations' and the console's; the read's file
    // shows the image went over.
    ASSERT_EQ(OnSameWriter({"download", program, "--yes"}).exitCode, 0);
    ASSERT_EQ(OnSameWriter({"program", program, "--yes"}).exitCode, 0);
    const std::string out = app.file("read.S19");
    const ProcessResult read = OnSameWriter({"read", out});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    const std::string wrt = Golden("program_QK128.WRT");
    EXPECT_EQ(ReadText(out), wrt.substr(wrt.find("S1")));

    const ProcessResult ids = OnWriter({"program", program, "--id-start", "0005", "--id-addr",
                                        "1800", "--count", "3", "--json"}, {"--fresh-chip"});
    EXPECT_EQ(ids.exitCode, 0) << ids.out << ids.err;
    std::string next;
    for (const JsonFields& f : JsonLines(ids.out))
        next += f.at("type") == "status" && f.at("key") == "next-id" ? f.at("text") + " " : "";
    EXPECT_EQ(next, "0006 0007 0008 ");
}

TEST_F(CliWriterTest, TheSearchAsksTheVersionOnceAndNamesAPortAnotherProgramHolds)
{
    const ProcessResult none = RunCli({"blank-check", "--port", app.file("no-such-port")});
    EXPECT_EQ(none.exitCode, 4);
    EXPECT_TRUE(Has(none.err, "error: Error opening serial port")) << none.err;

    // Commands 1 and 2 are the probes, 3 and 4 the search's version query: a second query's
    // GetVersion, command 6, would go unanswered. The Writer is found past two missing ports.
    writer_.emplace(SIM_PATH, app.path(), std::vector<std::string>{"--fault", "no-reply@6"});
    WriteText(app.file("Udate_VX.ini"), "[PORTS]\r\nCOM1=" + app.file("none1") + "\r\nCOM2=" +
                                            app.file("none2") + "\r\nCOM3=" + writer_->Link() +
                                            "\r\n");
    const ProcessResult once = RunCli({"version"});
    EXPECT_EQ(once.exitCode, 0) << once.err;
    EXPECT_EQ(once.out, "固件版本:  V1.2---2011.5.17\n");

    const int held = ::open(writer_->Link().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0); // as a first orvane-cli holds it
    const ProcessResult second = RunCli({"blank-check"});
    ::close(held);
    EXPECT_EQ(second.exitCode, 4);
    EXPECT_TRUE(Has(second.err, "failed: 未找到Writer\n")) << second.err;
    EXPECT_TRUE(Has(second.err, "COM3 (" + writer_->Link() + ")：端口正被其他程序使用\n"))
        << second.err;
}

} // namespace
} // namespace orvane::test
