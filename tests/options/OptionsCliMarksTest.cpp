// orvane-cli options and the fields that do not map one text to one control: a key two controls
// share, and fields the dialog shows no control for.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace orvane::test {
namespace {

class OptionsCliMarksTest : public ::testing::Test, public CliFixture {};

const std::string kSharedCw = "兼容性选择 and OSCM share the key CW; OSCM is written last and "
                              "stores 00 01 10 11 only";

TEST_F(OptionsCliMarksTest, AKeyTwoControlsShareTakesOnlyWhatTheLastOneStores)
{
    const std::string in = app.file("in.WRT"), out = app.file("out.WRT");
    WriteText(in, Golden("program_QK128.WRT"));
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

TEST_F(OptionsCliMarksTest, ListMarksSharedKeysAndFieldsWithoutAControl)
{
    const std::string fromText = "  (no control; the bits come from the stored text as written)";
    const struct { std::string model; std::set<std::string> marked; std::string line; } cases[] = {
        {"QK128", {"note"}, "  note: " + kSharedCw + "; 兼容性选择 shows the entry of the stored "
                            "text, or 兼容QK-A系列\n"},
        {"QK130", {"P12F", "TempAdj", "Fs"}, "  P12F=OFF" + fromText + "  (default)\n"},
        {"QK133", {"TempAdj"}, "  TempAdj=15" + fromText + "\n"},
        {"QK137", {"TempAdj"}, "  TempAdj=31" + fromText + "\n"},
        {"QK126", {"Freq"}, "  Freq=1" + fromText + "\n"}, // slot 12, layout QK123
        {"QK129", {"TempAdj", "OptExtra"}, "  OptExtra=ON  (no control; stored as text only)\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunCli({"options", "--model", c.model, "--list"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(MarkedKeys(r.out), c.marked) << c.model;
        EXPECT_TRUE(Has(r.out, c.line)) << c.model << " lacks " << c.line << "in\n" << r.out;
    }
}

} // namespace
} // namespace orvane::test
