// orvane-cli's file commands against golden outputs, and its usage and file errors.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::test {
namespace {

class CliFileTest : public ::testing::Test, public CliFixture {
protected:
    std::string Program() const
    {
        const std::string path = app.file("program.S19");
        WriteText(path, Golden("program.S19"));
        return path;
    }
};

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST_F(CliFileTest, InfoPrintsModelMapOptionsAndTheFourMemoLines)
{
    const std::string file = Program();
    const ProcessResult r = RunCli({"info", file, "--model", "QK128"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, Replace(Golden("info_QK128.txt"), "@FILE@", file));
}

TEST_F(CliFileTest, ConvertWritesTheWrtFileOfSaveAs)
{
    const std::string wrt = app.file("out.WRT");
    const ProcessResult r = RunCli({"convert", Program(), wrt, "--to", "wrt", "--model", "QK128"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadText(wrt), Golden("program_QK128.WRT"));
}

TEST_F(CliFileTest, WrtFileSelectsItsModelAndConvertsBackToTheSameBytes)
{
    const std::string wrt = app.file("in.WRT");
    WriteText(wrt, Golden("program_QK128.WRT"));
    // The settings file names no model, so without the WRT header the model would be QK106.
    const ProcessResult info = RunCli({"info", wrt});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out, Replace(Golden("info_QK128.txt"), "@FILE@", wrt));

    const std::string s19 = app.file("back.S19");
    ASSERT_EQ(RunCli({"convert", wrt, s19, "--to", "s19"}).exitCode, 0);
    const std::string wrtBody = Golden("program_QK128.WRT");
    EXPECT_EQ(ReadText(s19), wrtBody.substr(wrtBody.find("S1"))); // records without the header
}

TEST_F(CliFileTest, ConvertToBinWritesTheWholeImage)
{
    const std::string bin = app.file("image.bin");
    ASSERT_EQ(RunCli({"convert", Program(), bin, "--to", "bin", "--model", "QK128"}).exitCode, 0);
    const std::string bytes = ReadText(bin);
    ASSERT_EQ(bytes.size(), 0x10000u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x01]), 0x07);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x1800]), 0x10);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x0060]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x7D05]), 0x00); // chip file: program start 0000
}

TEST_F(CliFileTest, UsageErrorsExitWithTwoAndSayWhatIsWrong)
{
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{}, "no command given"},
        {{"flash"}, "unknown command 'flash'"},
        {{"info"}, "info takes 1 file name(s)"},
        {{"convert", "a.S19", "b.WRT"}, "convert needs --to"},
        {{"info", "a.S19", "--bogus"}, "unknown option --bogus"},
        {{"info", "a.txt"}, "cannot tell the format of 'a.txt'"},
        {{"program", "--id-len", "4", "a.S19"}, "--id-len takes 2 or 3"},
        {{"program"}, "program takes one FILE, or none with --no-download"},
        {{"info", "a.S19", "--model", "qk128"}, "unknown model 'qk128'"},
        {{"program", "--no-download", "--count", "0"}, "--count takes a number from 1"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

TEST_F(CliFileTest, MissingFileIsAFileErrorNamingTheFile)
{
    const std::string missing = app.file("missing.S19");
    const ProcessResult r = RunCli({"info", missing});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err.rfind("error: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(missing), std::string::npos) << r.err;
}

TEST_F(CliFileTest, BadWrtChecksumShowsThePlainBoxText)
{
    std::string wrt = Golden("program_QK128.WRT");
    wrt.replace(wrt.find("D94C"), 4, "D94D"); // first record's checksum off by one
    WriteText(app.file("bad.WRT"), wrt);
    const ProcessResult r = RunCli({"info", app.file("bad.WRT")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("message: File  Error!4C in line 4\n"), std::string::npos) << r.err;
}

TEST_F(CliFileTest, JsonLinesCarryMessagesAndTheResult)
{
    const ProcessResult r = RunCli({"info", app.file("missing.WRT"), "--json"});
    EXPECT_EQ(r.exitCode, 3);
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    for (const auto& line : lines)
        EXPECT_TRUE(IsJson(line)) << line;
    EXPECT_FALSE(IsJson("{\"text\":\"a\x01\"}")); // the checker itself refuses raw controls
    EXPECT_EQ(lines[0].rfind(R"({"type":"message","kind":"error","text":)", 0), 0u);
    EXPECT_EQ(lines[1].rfind(R"({"type":"result","command":"info","ok":false,"exit":3,)", 0), 0u);
}

TEST_F(CliFileTest, TheCliNeverWritesTheSettingsFile)
{
    ASSERT_EQ(RunCli({"info", Program(), "--model", "QK128"}).exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(app.file("Udate_VX.ini")));
}

} // namespace
} // namespace orvane::test
