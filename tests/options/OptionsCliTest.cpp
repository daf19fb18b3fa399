// orvane-cli options: the dialog's encoder from the command line, its refusals, and the fields that
// do not map one text to one control: a key two controls share, fields the dialog has no control for.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace orvane::test {
namespace {

class OptionsCliTest : public ::testing::Test, public CliFixture {
protected:
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
        std::vector<std::string> args = {"options", Put(c.golden, c.input), out};
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
    const std::string in = Put("program.S19", "in.S19");
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

const std::string kSharedCw = "兼容性选择 and OSCM share the key CW; OSCM is written last and "
                              "stores 00 01 10 11 only";

TEST_F(OptionsCliTest, AKeyTwoControlsShareTakesOnlyWhatTheLastOneStores)
{
    const std::string in = Put("program_QK128.WRT", "in.WRT"), out = app.file("out.WRT");
    const struct { std::string set; std::string err; } refused[] = {
        // The compatibility choice would be overwritten by the oscillator mode.
        {"CW=OFF", "orvane-cli: QK128 cannot store CW=OFF: " + kSharedCw + "\n"},
        {"CW=1", "orvane-cli: CW of QK128 takes 00 01 10 11, not '1'\n"},
    };
    for (const auto& c : refused) {
        const ProcessResult r = RunCli({"options", in, out, "--set", "CW=01", "--set", c.set});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, c.err);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    const ProcessResult r = RunCli({"options", in, out, "--set", "CW=11"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // B3: oscillator mode 10 in bits 4..3, compatibility (its default) in bit 2.
    EXPECT_TRUE(Has(ReadText(out), "\nS1232100FF3FFFF7")) << ReadText(out);
}

// The keys of the lines --list marks; "note" for a note on a shared key.
std::set<std::string> MarkedKeys(const std::string& list)
{
    std::set<std::string> keys;
    for (const std::string& line : Lines(list)) {
        if (line.starts_with("  note: "))
            keys.insert("note");
        else if (Has(line, "(no control"))
            keys.insert(line.substr(2, line.find('=') - 2));
    }
    return keys;
}

// Each stored text with the entry it stands for; the lines of shared keys and of fields without a
// control marked.
TEST_F(OptionsCliTest, ListsTheStoredTextsAndMarksSharedKeysAndFieldsWithoutAControl)
{
    const std::string fromText = "  (no control; the bits come from the stored text as written)";
    const struct { std::string model; std::set<std::string> marked;
                   std::vector<std::string> lines; } cases[] = {
        {"QK128", {"note"}, {"  note: " + kSharedCw + "; 兼容性选择 shows the entry of the stored "
                             "text, or 兼容QK-A系列\n"}},
        {"QK130", {"P12F", "TempAdj", "Fs"}, {"  P12F=OFF" + fromText + "  (default)\n"}},
        {"QK133", {"TempAdj"}, {"  TempAdj=15" + fromText + "\n"}},
        {"QK137", {"TempAdj"}, {"  TempAdj=31" + fromText + "\n"}},
        {"QK126", {"Freq"}, {"  Freq=1" + fromText + "\n"}}, // slot 12, layout QK123
        // QK129 stores the QK128 voltage texts by position, whatever its own list shows.
        {"QK129", {"TempAdj", "OptExtra"},
         {"QK129 (TfrmCfgQK129)\n", "  lvrs=1.5V  000:3.6V\n  lvrs=1.8V  001:1.5V\n",
          "  lvrs=3.6V  111:保留  (default)\n", "  OptExtra=ON  (no control; stored as text only)\n"}},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunCli({"options", "--model", c.model, "--list"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(MarkedKeys(r.out), c.marked) << c.model;
        for (const std::string& line : c.lines)
            EXPECT_TRUE(Has(r.out, line)) << c.model << " lacks " << line << "in\n" << r.out;
    }
}

} // namespace
} // namespace orvane::test
