// orvane-cli's file commands against golden outputs, and its usage and file errors.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::test {
namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

class CliFileTest : public ::testing::Test, public CliFixture {
protected:
    std::string Program() const
    {
        const std::string path = app.file("program.S19");
        WriteText(path, Golden("program.S19"));
        return path;
    }

    // info's output for a program file; the settings file is beside the executable.
    std::string InfoGolden(const std::string& file) const
    {
        return Replace(Replace(Golden("info_QK128.txt"), "@FILE@", file), "@APP@", app.path());
    }
};

TEST_F(CliFileTest, InfoPrintsModelMapOptionsAndTheFourMemoLines)
{
    const std::string file = Program();
    const ProcessResult r = RunCli({"info", file, "--model", "QK128"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, InfoGolden(file));
    EXPECT_FALSE(std::filesystem::exists(app.file("Udate_VX.ini"))); // never written by the CLI
}

TEST_F(CliFileTest, ConvertWritesTheWrtFileOfSaveAsAndTheWholeImage)
{
    const std::string wrt = app.file("out.WRT");
    const ProcessResult r = RunCli({"convert", Program(), wrt, "--to", "wrt", "--model", "QK128"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadText(wrt), Golden("program_QK128.WRT"));

    const std::string bin = app.file("image.bin");
    ASSERT_EQ(RunCli({"convert", Program(), bin, "--to", "bin", "--model", "QK128"}).exitCode, 0);
    const std::string bytes = ReadText(bin);
    ASSERT_EQ(bytes.size(), 0x10000u);
    // 0x7D05 comes from the chip file: program start 0000.
    EXPECT_EQ(bytes.substr(0x01, 1) + bytes.substr(0x1800, 1) + bytes.substr(0x0060, 1) +
                  bytes.substr(0x7D05, 1), std::string("\x07\x10\xFF\x00", 4));
}

TEST_F(CliFileTest, WrtFileSelectsItsModelAndConvertsBackToTheSameBytes)
{
    const std::string wrt = app.file("in.WRT");
    WriteText(wrt, Golden("program_QK128.WRT"));
    // The settings file names no model, so without the WRT header the model would be QK106.
    const ProcessResult info = RunCli({"info", wrt});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out, InfoGolden(wrt));

    const std::string s19 = app.file("back.S19");
    ASSERT_EQ(RunCli({"convert", wrt, s19, "--to", "s19"}).exitCode, 0);
    const std::string wrtBody = Golden("program_QK128.WRT");
    EXPECT_EQ(ReadText(s19), wrtBody.substr(wrtBody.find("S1"))); // records without the header
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
        EXPECT_TRUE(Has(r.err, c.says)) << r.err;
    }
}

TEST_F(CliFileTest, MissingFileIsAFileErrorNamingTheFileAlsoInJsonLines)
{
    const std::string missing = app.file("missing.S19");
    const ProcessResult r = RunCli({"info", missing});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err.rfind("error: ", 0), 0u) << r.err;
    EXPECT_TRUE(Has(r.err, missing)) << r.err;

    const ProcessResult json = RunCli({"info", missing, "--json"});
    EXPECT_EQ(json.exitCode, 3);
    const auto lines = Lines(json.out);
    ASSERT_EQ(lines.size(), 2u) << json.out;
    for (const auto& line : lines)
        EXPECT_TRUE(IsJson(line)) << line;
    EXPECT_EQ(lines[0].rfind(R"({"type":"message","kind":"error","text":)", 0), 0u);
    EXPECT_EQ(lines[1].rfind(R"({"type":"result","command":"info","ok":false,"exit":3,)", 0), 0u);
}

TEST_F(CliFileTest, AWrtChecksumErrorEndsEveryCommandWithNineBeforeAnythingIsWrittenOrSent)
{
    std::string wrt = Golden("program_QK128.WRT");
    wrt.replace(wrt.find("D94C"), 4, "D94D"); // first record's checksum off by one
    const std::string bad = app.file("bad.WRT"), out = app.file("out.S19");
    WriteText(bad, wrt);
    const std::string box = "message: File  Error!4C in line 4\n";

    const ProcessResult info = RunCli({"info", bad});
    EXPECT_EQ(info.exitCode, 9);
    EXPECT_EQ(info.out.rfind("model: QK128 (package 20)\n", 0), 0u) << info.out;
    EXPECT_EQ(info.err, box + "failed: record checksum error in " + bad + "; loaded up to it\n");

    const std::string nothing = "failed: record checksum error in " + bad +
                                "; nothing written or sent\n";
    const std::vector<std::vector<std::string>> commands = {
        {"convert", bad, out, "--to", "s19"},
        {"download", bad, "--yes", "--port", app.file("no-port")}, // no Writer is looked for
        {"program", bad, "--yes", "--port", app.file("no-port")},
    };
    for (const auto& args : commands) {
        const ProcessResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 9) << args[0];
        EXPECT_EQ(r.err, box + nothing) << args[0];
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliFileTest, ReadChecksItsOutputBeforeTalkingToTheWriter)
{
    const std::string out = app.file("no-such-folder/read.S19");
    // The named port does not exist: reaching for it would exit 4.
    const ProcessResult r = RunCli({"read", out, "--port", app.file("no-port")});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.err.rfind("error: 无法写入文件 " + out + "：open (No such file or directory)\n", 0),
              0u) << r.err;
}

TEST_F(CliFileTest, DoubleDashEndsTheOptions)
{
    const std::string file = app.file("--odd.S19");
    WriteText(file, Golden("program.S19"));
    const ProcessResult r = RunCli({"--model", "QK128", "info", "--", file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, InfoGolden(file));
    const ProcessResult twice = RunCli({"info", "--", "--", "--json"});
    EXPECT_EQ(twice.exitCode, 2);
    EXPECT_TRUE(Has(twice.err, "info takes 1 file name(s)")) << twice.err;
}

TEST_F(CliFileTest, InfoInJsonIsOneObjectWithTheSameFacts)
{
    const ProcessResult r = RunCli({"info", Program(), "--model", "QK128", "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    for (const auto& line : lines)
        EXPECT_TRUE(IsJson(line)) << line;
    EXPECT_EQ(lines[0].rfind(R"({"type":"info","model":"QK128","package":"20",)"
                             R"("programArea":"0000..1FFF","optionCopies":["2100","2120"],)"
                             R"("chipData":"7D00..7FFF","options":{"WDT":)", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(R"(,"memo":[")"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], R"({"type":"result","command":"info","ok":true,"exit":0,"detail":""})");
}

} // namespace
} // namespace orvane::test
