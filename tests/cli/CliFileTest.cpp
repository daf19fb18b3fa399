// orvane-cli's file commands against golden outputs (S19, WRT and Intel HEX: .ihx by extension,
// .hex by content), and its usage and file errors.
#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::test {
namespace {

class CliFileTest : public ::testing::Test, public CliFixture {};

TEST_F(CliFileTest, InfoPrintsModelMapOptionsAndMemoAlsoForAWrtThatSelectsItsModel)
{
    const std::string s19 = Put("program.S19", "--odd.S19"), wrt = Put("program_QK128.WRT", "in.WRT");
    const std::string hex = app.file("program.hex");
    ASSERT_EQ(RunCli({"convert", Put("program.S19", "p.S19"), hex, "--to", "ihex", "--model", "QK128"})
                  .exitCode, 0);
    // The settings file names no model, so without the WRT header the model would be QK106.
    for (const auto& [args, file] : {std::pair{std::vector<std::string>{"--model", "QK128", "info",
                                                                        "--", s19}, s19},
                                     std::pair{std::vector<std::string>{"info", wrt}, wrt},
                                     std::pair{std::vector<std::string>{"info", hex, "--model",
                                                                        "QK128"}, hex}}) {
        const ProcessResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, InfoOf(file));
    }
    EXPECT_FALSE(std::filesystem::exists(app.file("Udate_VX.ini"))); // never written by the CLI

    const ProcessResult json = RunCli({"info", s19, "--model", "QK128", "--json"});
    const auto lines = Lines(json.out);
    ASSERT_EQ(lines.size(), 2u) << json.out;
    EXPECT_EQ(lines[0].rfind(R"({"type":"info","model":"QK128","package":"20",)"
                             R"("programArea":"0000..1FFF","optionCopies":["2100","2120"],)"
                             R"("chipData":"7D00..7FFF","options":{"WDT":)", 0), 0u) << lines[0];
    EXPECT_TRUE(Has(lines[0], R"(},"memo":["芯片信息：QK128","程序信息：)" + s19 + R"(","check sum=)"))
        << lines[0];
    EXPECT_EQ(lines[1], R"({"type":"result","command":"info","ok":true,"exit":0,"detail":""})");
}

TEST_F(CliFileTest, ConvertWritesTheWrtFileOfSaveAsTheWholeImageAndBack)
{
    const std::string s19 = Put("program.S19", "program.S19"), wrt = app.file("out.WRT");
    ASSERT_EQ(RunCli({"convert", s19, wrt, "--to", "wrt", "--model", "QK128"}).exitCode, 0);
    EXPECT_EQ(ReadText(wrt), Golden("program_QK128.WRT"));
    const std::string back = app.file("back.S19");
    ASSERT_EQ(RunCli({"convert", wrt, back, "--to", "s19"}).exitCode, 0);
    const std::string wrtBody = Golden("program_QK128.WRT");
    EXPECT_EQ(ReadText(back), wrtBody.substr(wrtBody.find("S1"))); // records without the header

    const std::string bin = app.file("image.bin");
    ASSERT_EQ(RunCli({"convert", s19, bin, "--to", "bin", "--model", "QK128"}).exitCode, 0);
    const std::string bytes = ReadText(bin);
    ASSERT_EQ(bytes.size(), 0x10000u);
    // 0x7D05 comes from the chip file: program start 0000.
    EXPECT_EQ(std::string({bytes[0x01], bytes[0x1800], bytes[0x0060], bytes[0x7D05]}),
              std::string("\x07\x10\xFF\x00", 4));
}

TEST_F(CliFileTest, UsageErrorsExitWithTwoAndFileErrorsWithThreeSayingWhatIsWrong)
{
    const std::string missing = app.file("missing.S19"), out = app.file("no-such-folder/read.S19");
    const std::string raw = app.file("raw.hex");
    ASSERT_EQ(RunCli({"convert", Put("program.S19", "p.S19"), raw, "--to", "hex", "--model", "QK128"})
                  .exitCode, 0);
    WriteText(app.file("bad.ihx"), ":0100000012EE\r\n:00000001FF\r\n");
    WriteText(app.file("cut.ihx"), ":0100000012ED\r\n");
    WriteText(app.file("wide.ihx"),
              ":0100000012ED\r\n:020000040001F9\r\n:0100000012ED\r\n:00000001FF\r\n");
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
        {{}, 2, "no command given"},
        {{"flash"}, 2, "unknown command 'flash'"},
        {{"info"}, 2, "info takes 1 file name(s)"},
        {{"info", "--", "--", "--json"}, 2, "info takes 1 file name(s)"}, // only the first ends options
        {{"convert", "a.S19", "b.WRT"}, 2, "convert needs --to"},
        {{"info", "a.S19", "--bogus"}, 2, "unknown option --bogus"},
        {{"info", "a.txt"}, 2, "cannot tell the format of 'a.txt'"},
        {{"program", "--id-len", "4", "a.S19"}, 2, "--id-len takes 2 or 3"},
        {{"program"}, 2, "program takes one FILE, or none with --no-download"},
        {{"info", "a.S19", "--model", "qk128"}, 2, "unknown model 'qk128'"},
        {{"program", "--no-download", "--count", "0"}, 2, "--count takes a number from 1"},
        {{"info", missing}, 3, "error: 无法打开文件 " + missing},
        // The output is checked before the Writer is looked for: the missing port would give 4.
        {{"read", out, "--port", app.file("no-port")}, 3,
         "error: 无法写入文件 " + out + "：open (No such file or directory)\n"},
        {{"info", raw, "--model", "QK128"}, 2,
         "cannot tell the format of '" + raw + "': give --format s19|wrt|ihex"},
        {{"info", app.file("bad.ihx"), "--model", "QK128"}, 9,
         "第 1 行：校验和错误：记录中为 EE，应为 ED\n"},
        {{"info", app.file("cut.ihx"), "--model", "QK128"}, 3,
         "第 2 行：文件意外结束，缺少结束记录（类型 01）\n"},
        {{"info", app.file("wide.ihx"), "--model", "QK128"}, 0, "memo: 已忽略程序区以外的 1 个字节\n"},
    };
    for (const auto& [args, exitCode, says] : cases) {
        const ProcessResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, exitCode) << says;
        EXPECT_TRUE(Has(r.err, says)) << r.err;
    }
    const auto json = JsonLines(RunCli({"info", missing, "--json"}).out);
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(std::tuple(json[0].at("type"), json[0].at("kind"), json[1].at("type"),
                         json[1].at("ok"), json[1].at("exit")),
              std::tuple("message", "error", "result", "false", "3"));
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

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"convert", bad, out, "--to", "s19"},
             {"download", bad, "--yes", "--port", app.file("no-port")}, // no Writer is looked for
             {"program", bad, "--yes", "--port", app.file("no-port")}}) {
        const ProcessResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 9) << args[0];
        EXPECT_EQ(r.err, box + "failed: record checksum error in " + bad +
                             "; nothing written or sent\n") << args[0];
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
} // namespace orvane::test
