// Intel HEX files on the command line: chosen by extension (.ihx) or content (.hex), read to the
// image of the S19 with the same bytes, refused with the right exit status.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::test {
namespace {

class CliIntelHexTest : public ::testing::Test, public CliFixture {
protected:
    CliIntelHexTest() { WriteText(s19, Golden("program.S19")); }

    const std::string s19 = app.file("program.S19");
};

TEST_F(CliIntelHexTest, AFileConvertedToIntelHexReadsBackToTheSameImage)
{
    const std::string ihx = app.file("program.ihx"), hex = app.file("program.hex");
    ASSERT_EQ(RunCli({"convert", s19, ihx, "--to", "ihex", "--model", "QK128"}).exitCode, 0);
    const std::string text = ReadText(ihx);
    EXPECT_EQ(text.substr(0, 9) + text.substr(text.size() - 13), ":10000000:00000001FF\r\n");
    std::filesystem::copy_file(ihx, hex);

    // A .hex file that holds records is read as Intel HEX: info shows the image of the S19.
    const ProcessResult info = RunCli({"info", hex, "--model", "QK128"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    std::string golden = Golden("info_QK128.txt");
    EXPECT_EQ(info.out, golden.replace(golden.find("@FILE@"), 6, hex));
}

TEST_F(CliIntelHexTest, FaultsEndWithTheirStatusAndBytesOutsideAreNoted)
{
    const std::string raw = app.file("raw.hex"), bad = app.file("bad.ihx"),
                      cut = app.file("cut.ihx"), wide = app.file("wide.ihx");
    ASSERT_EQ(RunCli({"convert", s19, raw, "--to", "hex", "--model", "QK128"}).exitCode, 0);
    WriteText(bad, ":0100000012EE\r\n:00000001FF\r\n");
    WriteText(cut, ":0100000012ED\r\n");
    WriteText(wide, ":0100000012ED\r\n:01212000F0CE\r\n:020000040001F9\r\n:0100000012ED\r\n"
                    ":00000001FF\r\n");
    const struct {
        std::string file;
        int exitCode;
        std::string says;
    } cases[] = {
        {raw, 2, "cannot tell the format of '" + raw + "': give --format s19|wrt|ihex"},
        {bad, 9, "error: 文件 " + bad + " 第 1 行：校验和错误：记录中为 EE，应为 ED\n"},
        {cut, 3, "error: 文件 " + cut + " 第 2 行：文件意外结束，缺少结束记录（类型 01）\n"},
        {wide, 0, "memo: 已忽略程序区以外的 2 个字节\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunCli({"info", c.file, "--model", "QK128"});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.file;
        EXPECT_TRUE(Has(r.err, c.says)) << r.err;
    }
}

} // namespace
} // namespace orvane::test
