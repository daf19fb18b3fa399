// orvane-cli's Writer commands end to end: the CLI on TComm, the simulator on a pseudo-terminal.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::test {
namespace {

class CliWriterTest : public ::testing::Test, public CliFixture {
protected:
    // Starts the simulator with args; the CLI then talks to it with --port.
    void StartWriter(std::vector<std::string> args = {})
    {
        writer_.emplace(SIM_PATH, app.path(), std::move(args));
    }

    ProcessResult Cli(std::vector<std::string> args) const
    {
        args.push_back("--port");
        args.push_back(writer_->Link());
        return RunCli(args);
    }

    std::string Program() const
    {
        const std::string path = app.file("program.S19");
        WriteText(path, Golden("program.S19"));
        return path;
    }

    std::optional<SimulatorProcess> writer_;
};

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(CliWriterTest, VersionPrintsTheStatusBarText)
{
    StartWriter({"--version", "3.4", "2020.1.2"});
    const ProcessResult r = Cli({"version"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "固件版本:  V3.4---2020.1.2\n");
}

TEST_F(CliWriterTest, BlankCheckExitCodeTellsTheAnswersApart)
{
    struct Case {
        std::vector<std::string> writer;
        int exitCode;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{}, 0, "info: 芯片为空!\n"},
        {{"--chip", "programmed"}, 7, "info: Chip not blank!\n  Chip Addr:"},
        {{"--chip", "none"}, 8, "info: 引脚错误2,检查芯片是否正确!\n"},
        {{"--fault", "kind1@code=03"}, 6, "message: Command error!\n"},
        {{"--fault", "kind5@code=03"}, 9, "info: Check_sum error!\n"},
    };
    for (const Case& c : cases) {
        StartWriter(c.writer);
        const ProcessResult r = Cli({"blank-check"});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_TRUE(Has(r.err, c.says)) << r.err;
    }
}

TEST_F(CliWriterTest, DownloadReportsBothChecksumsAndProgressInJson)
{
    StartWriter();
    const ProcessResult r = Cli({"download", Program(), "--model", "QK128", "--yes", "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto lines = Lines(r.out);
    for (const auto& line : lines)
        EXPECT_TRUE(IsJson(line)) << line;
    // QK128: 512 program rows, 2 + 2 option rows, 12 + 36 chip-data rows.
    EXPECT_TRUE(Has(r.out, R"({"type":"progress","done":564,"total":564})")) << r.out;
    EXPECT_TRUE(Has(r.out, R"(File Check_sum=9020\nFlash Check_sum=9020\n)")) << r.out;
    EXPECT_TRUE(Has(lines.back(), R"("command":"download","ok":true,"exit":0)")) << lines.back();
}

TEST_F(CliWriterTest, DownloadAsksFirstAndDoesNothingWithoutYes)
{
    StartWriter();
    const ProcessResult r = Cli({"download", Program(), "--model", "QK128"});
    EXPECT_EQ(r.exitCode, 10);
    EXPECT_TRUE(Has(r.err, "question: 请确认电源，USB线已经连接好! -> no\n")) << r.err;
}

TEST_F(CliWriterTest, UnansweredBlockFailsTheTransfer)
{
    StartWriter({"--fault", "no-reply@code=11"});
    const ProcessResult r = Cli({"download", Program(), "--model", "QK128", "--yes"});
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_TRUE(Has(r.err, "error: 通信错误2请检查烧写器是否连接正确！\n")) << r.err;
}

TEST_F(CliWriterTest, ProgrammedChipReadsBackAsTheProgram)
{
    StartWriter();
    ASSERT_EQ(Cli({"program", Program(), "--model", "QK128", "--yes"}).exitCode, 0);
    const std::string out = app.file("read.S19");
    const ProcessResult r = Cli({"read", out, "--model", "QK128"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string wrt = Golden("program_QK128.WRT");
    EXPECT_EQ(ReadText(out), wrt.substr(wrt.find("S1")));
}

TEST_F(CliWriterTest, FailedReadWritesNoFile)
{
    StartWriter({"--fault", "no-reply@code=38"});
    const std::string out = app.file("read.S19");
    const ProcessResult r = Cli({"read", out, "--model", "QK128"});
    EXPECT_EQ(r.exitCode, 5);
    EXPECT_TRUE(Has(r.err, "error: 开始读取！\n")) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliWriterTest, ProductionRunStepsTheDeviceIdFromChipToChip)
{
    StartWriter({"--fresh-chip"});
    const ProcessResult r = Cli({"program", Program(), "--model", "QK128", "--id-start", "0005",
                                 "--id-addr", "1800", "--count", "3", "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    for (const char* id : {"0006", "0007", "0008"})
        EXPECT_TRUE(Has(r.out, std::string(R"({"type":"status","key":"next-id","text":")") + id))
            << id << r.out;
}

TEST_F(CliWriterTest, ProgrammingWhatTheWriterHoldsNeedsAYes)
{
    StartWriter();
    const ProcessResult r = Cli({"program", "--no-download", "--model", "QK128"});
    EXPECT_EQ(r.exitCode, 10);
    EXPECT_TRUE(Has(r.err, "question: 烧写程序将为上次下载内容! -> no\n")) << r.err;
}

TEST_F(CliWriterTest, PortThatCannotBeOpenedMeansNoWriter)
{
    const ProcessResult r = RunCli({"blank-check", "--port", app.file("no-such-port")});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(Has(r.err, "error: Error opening serial port")) << r.err;
}

TEST_F(CliWriterTest, SearchFindsTheWriterOnAHandSetComPort)
{
    StartWriter();
    WriteText(app.file("Udate_VX.ini"), "[PORTS]\r\nCOM1=" + app.file("none1") + "\r\nCOM2=" +
                                            app.file("none2") + "\r\nCOM3=" + writer_->Link() +
                                            "\r\n");
    const ProcessResult r = RunCli({"version"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "固件版本:  V1.2---2011.5.17\n");
}

} // namespace
} // namespace orvane::test
