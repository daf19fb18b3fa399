// orvane-cli options: the dialog's encoder from the command line, and its refusals.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::test {
namespace {

class OptionsCliTest : public ::testing::Test, public CliFixture {
protected:
    std::string Input(const char* golden, const char* name)
    {
        const std::string path = app.file(name);
        WriteText(path, Golden(golden));
        return path;
    }
    bool SettingsWritten() const { return std::filesystem::exists(app.file("Udate_VX.ini")); }
};

TEST_F(OptionsCliTest, EncodesTheDialogBlockIntoBothCopies)
{
    const struct { const char* golden; const char* input; std::vector<std::string> extra;
                   const char* block; } cases[] = {
        // S19 with --model; page "01" takes effect: B6 = 0xF1. Unset texts ("READ ERROR") take
        // the dialog's defaults.
        {"program.S19", "in.S19", {"--model", "QK139", "--set", "XT=455KHZ", "--set", "Fsys=01",
                                   "--set", "SEC=ON"},
         "DFEFFF07FFF8F1FF"},
        // A WRT names its own model.
        {"program_QK128.WRT", "in.WRT", {"--set", "XT=1M"}, "CF3FFFFFFFFFFFFF"},
    };
    for (const auto& c : cases) {
        const std::string out = app.file("out.WRT");
        std::vector<std::string> args = {"options", Input(c.golden, c.input), out};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const ProcessResult r = RunCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        // The WRT rows of both copies start with the block.
        const std::string text = ReadText(out);
        EXPECT_TRUE(Has(text, std::string("\nS1232100") + c.block)) << text;
        EXPECT_TRUE(Has(text, std::string("\nS1232120") + c.block)) << text;
        EXPECT_FALSE(SettingsWritten());
    }
}

TEST_F(OptionsCliTest, RefusesUnknownKeysAndTextsNamingTheAllowedOnes)
{
    const std::string in = Input("program.S19", "in.S19");
    const std::string out = app.file("out.WRT");
    const std::string keys = "; keys: P12F WDT Fs SEC lvrs XT Freq LVR oFreq CW DIVSEL SMTSEL "
                             "ROTP ODSEL VDSEL RCSMT TempAdj OptExtra LCD Fsys osc\n";
    const struct { std::string set; std::string message; } cases[] = {
        {"FOO=1", "orvane-cli: the options of QK139 have no key 'FOO'" + keys},
        {"XT=9M", "orvane-cli: XT of QK139 takes 16M 8M 4M 2M 1M 455KHZ, not '9M'\n"},
        {"LOCK3=1", "orvane-cli: the options of QK139 have no key 'LOCK3'" + keys},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunCli({"options", in, out, "--model", "QK139", "--set", c.set});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, c.message);
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_FALSE(SettingsWritten());
    }
    const ProcessResult noModel = RunCli({"options", "--list"});
    EXPECT_EQ(noModel.exitCode, 2);
    EXPECT_TRUE(noModel.err.starts_with(
        "orvane-cli: options takes IN OUT.WRT [--set KEY=TEXT ...], or --model M --list\n"));
    EXPECT_EQ(RunCli({"options", in, out, "--set", "XT"}).exitCode, 2);
}

TEST_F(OptionsCliTest, ListsTheStoredTextsWithTheEntryEachStandsFor)
{
    const ProcessResult r = RunCli({"options", "--model", "QK129", "--list"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // QK129 stores the QK128 voltage texts by position, whatever its own list shows.
    EXPECT_NE(r.out.find("  lvrs=1.5V  000:3.6V\n  lvrs=1.8V  001:1.5V\n"), std::string::npos);
    EXPECT_NE(r.out.find("  lvrs=3.6V  111:保留  (default)\n"), std::string::npos);
    EXPECT_TRUE(r.out.starts_with("QK129 (TfrmCfgQK129)\n"));
}

} // namespace
} // namespace orvane::test
