// orvane-cli in English: its messages translated, its JSON keys and stored texts as they were.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace orvane::test {
namespace {

std::vector<std::string> JsonKeys(const std::string& out)
{
    static const std::regex key(R"re("([A-Za-z]+)":)re");
    std::vector<std::string> keys;
    for (std::sregex_iterator it(out.begin(), out.end(), key), end; it != end; ++it)
        keys.push_back((*it)[1]);
    return keys;
}

class CliEnglishTest : public ::testing::Test, public CliFixture {};

TEST_F(CliEnglishTest, ErrorInEnglishByFlagOrSettingsAndWrittenByDefault)
{
    const std::string missing = app.file("missing.S19");
    const std::vector<std::string> command = {"info", missing, "--model", "QK128"};
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), command.begin(), command.end());
        return RunCli(extra);
    };
    const ProcessResult english = with({"--lang", "en"});
    EXPECT_EQ(english.exitCode, 3);
    EXPECT_TRUE(Has(english.err, "error: Cannot open file " + missing + ": ")) << english.err;
    EXPECT_TRUE(Has(with({}).err, "error: 无法打开文件 " + missing + "："));
    EXPECT_TRUE(Has(with({"--lang", "zh"}).err, "error: 无法打开文件 "));
    EXPECT_EQ(with({"--lang", "fr"}).exitCode, 2);

    WriteText(app.file("Udate_VX.ini"), "[UI]\nLANG=en\n");
    EXPECT_TRUE(Has(with({}).err, "error: Cannot open file ")) << with({}).err;
    EXPECT_TRUE(Has(with({"--lang", "zh"}).err, "error: 无法打开文件 "));
}

TEST_F(CliEnglishTest, InfoJsonKeysAndStoredTextsUnchanged)
{
    const std::string program = app.file("program.S19");
    WriteText(program, Golden("program.S19"));
    const std::vector<std::string> info = {"info", program, "--model", "QK128", "--json"};
    ProcessResult written = RunCli(info);
    std::vector<std::string> english = info;
    english.insert(english.end(), {"--lang", "en"});
    const ProcessResult translated = RunCli(english);
    ASSERT_EQ(written.exitCode, 0) << written.err;
    ASSERT_EQ(translated.exitCode, 0) << translated.err;
    EXPECT_EQ(JsonKeys(translated.out), JsonKeys(written.out));
    EXPECT_TRUE(Has(translated.out, "Chip: QK128")) << translated.out;
    // The stored option texts are data and stay byte for byte.
    const auto options = [](const std::string& out) {
        const auto at = out.find(R"("options":{)");
        return at == std::string::npos ? "" : out.substr(at, out.find('}', at) - at);
    };
    EXPECT_NE(options(written.out), "");
    EXPECT_EQ(options(translated.out), options(written.out));
}

} // namespace
} // namespace orvane::test
