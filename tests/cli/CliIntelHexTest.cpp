// Intel HEX files on the command line: .ihx by extension, .hex by content, read to the image of
// the S19 with the same bytes; refused with the exit status of their fault.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

TEST(CliIntelHexTest, IntelHexIsReadWhereS19IsAndRefusedWithTheRightStatus)
{
    CliFixture cli;
    const auto file = [&](const char* name) { return cli.app.file(name); };
    const std::string s19 = file("program.S19"), hex = file("program.hex"), raw = file("raw.hex");
    WriteText(s19, Golden("program.S19"));
    ASSERT_EQ(cli.RunCli({"convert", s19, hex, "--to", "ihex", "--model", "QK128"}).exitCode, 0);
    ASSERT_EQ(cli.RunCli({"convert", s19, raw, "--to", "hex", "--model", "QK128"}).exitCode, 0);
    WriteText(file("bad.ihx"), ":0100000012EE\r\n:00000001FF\r\n");
    WriteText(file("cut.ihx"), ":0100000012ED\r\n");
    WriteText(file("wide.ihx"), ":0100000012ED\r\n:020000040001F9\r\n:0100000012ED\r\n:00000001FF\r\n");

    const struct {
        std::string file;
        int exitCode;
        std::string says; // in stderr
    } cases[] = {
        {raw, 2, "cannot tell the format of '" + raw + "': give --format s19|wrt|ihex"},
        {file("bad.ihx"), 9, "第 1 行：校验和错误：记录中为 EE，应为 ED\n"},
        {file("cut.ihx"), 3, "第 2 行：文件意外结束，缺少结束记录（类型 01）\n"},
        {file("wide.ihx"), 0, "memo: 已忽略程序区以外的 1 个字节\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = cli.RunCli({"info", c.file, "--model", "QK128"});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.file;
        EXPECT_TRUE(Has(r.err, c.says)) << r.err;
    }
    // The image read from the Intel HEX file is that of the S19.
    std::string golden = Golden("info_QK128.txt");
    golden.replace(golden.find("@FILE@"), 6, hex);
    golden.replace(golden.find("@APP@"), 5, cli.app.path());
    EXPECT_EQ(cli.RunCli({"info", hex, "--model", "QK128"}).out, golden);
}

} // namespace
} // namespace orvane::test
