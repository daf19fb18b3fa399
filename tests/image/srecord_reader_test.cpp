#include "app/Errors.h"
#include "catalogue/Catalogue.h"
#include "image/SRecordFiles.h"
#include "tests/image/srecord_support.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::test {
namespace {

class S19ReadTest : public testing::Test {
protected:
    // Loads text as a fresh image's S19 file over low..high; the FileError text, "" when none.
    std::string Load(const std::string& text, std::int32_t low = 0, std::int32_t high = 0xFFFF)
    {
        s = BlankState();
        WriteText(path, text);
        try {
            LoadS19Range(*s, low, high, path);
        } catch (const FileError& e) {
            return e.what();
        }
        return "";
    }

    TempDir dir;
    std::string path = dir.file("prog.S19");
    std::unique_ptr<AppState> s;
};

TEST_F(S19ReadTest, LoadsTheBytesOfAcceptedFiles)
{
    const std::string a = S1(0x1000, {0xAB, 0xCD}), b = S1(0x1010, {0xEF});
    const Bytes ab = {{0x1000, 0xAB}, {0x1001, 0xCD}, {0x1010, 0xEF}};
    const std::tuple<std::string, std::int32_t, std::int32_t, Bytes> cases[] = {
        // A record is kept, whole, when its address lies in low..high+15.
        {S1(0x0FF, {1, 2}) + "\r\n" + S1(0x20E, {3, 4}) + "\r\n" + S1(0x20F, {5}), 0x100, 0x1FF,
         {{0x20E, 3}, {0x20F, 4}}},
        {a + "\r\n" + b + "\r\nS9030000FC\r\nS1 is not read after S9\r\n", 0, 0xFFFF, ab},
        {a + "\n" + b + "\n", 0, 0xFFFF, ab}, // LF, no S9 (srec_cat)
        {a + "\n" + b, 0, 0xFFFF, ab},         // no last line end
        {"S1051000abcd72\n" + b, 0, 0xFFFF, ab},
        {"S00600004844521B\r\n" + a + "\r\n\r\n" + b + "\r\nS5030002FA\r\n", 0, 0xFFFF, ab},
        {"", 0, 0xFFFF, {}},
        {"05QK128\r\n20\r\n" + a, 0, 0xFFFF, {}}, // a WRT file opened as S19
        {S1(0xFFFE, {1, 2, 3}) + "\r\n" + S1(0x10, {7}, 1), 0, 0xFFFF,
         {{0x10, 7}, {0xFFFE, 1}, {0xFFFF, 2}}},
    };
    for (const auto& [text, low, high, bytes] : cases) {
        EXPECT_EQ(Load(text, low, high), "") << text;
        EXPECT_EQ(NonBlank(*s), bytes) << text;
        EXPECT_EQ(s->FileChecksum, 0) << "written past the image, into the field after it";
    }
}

TEST_F(S19ReadTest, MalformedLinesNameFileAndLineAndKeepEarlierBytes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"S1060000010G03F3\r\n", "第 12 列不是十六进制数字"},
        {"S1G60000010203F3\r\n", "第 3 列不是十六进制数字"},
        {"S1070000010203F3\r\n", "字节数 07 与本行的长度不符"},
        {"S1050000010203F3\r\n", "字节数 05 与本行的长度不符"},
        {"S1020000FD\r\n", "字节数 02 小于 03（地址两字节加校验和一字节）"},
        {"S1\r\n", "记录缺少字节数"},
        {"S10600000102", "记录不完整，文件意外结束"},
        {"S2080000000102F4\r\n", "不支持 S2/S3 记录（地址超过 16 位），只能读取 S1 记录"},
        {"S30900000000000102F3\r\n", "不支持 S2/S3 记录（地址超过 16 位），只能读取 S1 记录"},
        {"S4030000FC\r\n", "无法识别的记录类型"},
        {"S\r\n", "无法识别的记录类型"},
        {":10000000\r\n", "不是 S 记录"},
    };
    for (const auto& [line, message] : cases) {
        EXPECT_EQ(Load("S0030000FC\n" + S1(0x10, {0xAA}) + "\n" + line),
                  "文件 " + path + " 第 3 行：" + message);
        EXPECT_EQ(NonBlank(*s), (Bytes{{0x10, 0xAA}})) << line;
    }
}

TEST_F(S19ReadTest, UnreadableFilesNameTheFile)
{
    WriteText(dir.file("huge.S19"), "S1");
    std::filesystem::resize_file(dir.file("huge.S19"), (16u << 20) + 1);
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("none.S19"), "无法打开文件 " + dir.file("none.S19") + "：No such file or directory"},
        {dir.path(), "无法读取文件 " + dir.path() + "：Is a directory"},
        {dir.file("huge.S19"), "无法读取文件 " + dir.file("huge.S19") + "：文件过大"},
    };
    for (const auto& [file, message] : cases) {
        try {
            LoadS19Range(*BlankState(), 0, 0xFFFF, file);
            ADD_FAILURE() << file;
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

// device.name and the chip files are the shipped ones, except QK128's, whose content the tests
// know. QK101 is selected before each load.
class WrtReadTest : public testing::Test {
protected:
    void SetUp() override
    {
        CopyDataFiles(dir.path());
        WriteText(dir.file("QK128_20.S19"), S1(0x7D00, {0x5A}) + "\r\n");
    }

    void Load(const std::string& text)
    {
        s = BlankState();
        s->AppDir = dir.path();
        LoadModelNames(*s);
        s->ChipName = "QK101";
        s->ChipPin = "20";
        messages.shown.clear();
        WriteText(path, text);
        LoadWrtFile(*s, path, messages);
    }

    std::string LoadError(const std::string& text)
    {
        try {
            Load(text);
        } catch (const FileError& e) {
            return e.what();
        }
        return "";
    }

    TempDir dir;
    std::string path = dir.file("prog.WRT");
    std::unique_ptr<AppState> s;
    MessageRecorder messages;
};

TEST_F(WrtReadTest, HeaderSelectsModelRecordsFillProgramAndOptionsOnly)
{
    Load("05QK128\r\n20\r\n" + S1(0, {1, 2}) + "\r\n" + S1(0x2130, {0x11}) + "\r\n" +
         S1(0x2140, {0x33}) + "\r\n" + S1(0x7D10, {0x44}) + "\r\nS9030000FC\r\n");
    EXPECT_EQ(s->ChipName + "_" + s->ChipPin, "QK128_20");
    EXPECT_EQ(NonBlank(*s), (Bytes{{0, 1}, {1, 2}, {0x2130, 0x11}, {0x7D00, 0x5A}}));
    EXPECT_TRUE(messages.shown.empty());
}

// The box names the line after the record's (the first record, on line 3, is "line 4").
TEST_F(WrtReadTest, ChecksumErrorReportsItsLineAndEndsTheRecords)
{
    const std::string bad = S1(0x10, {2}, 1), after = S1(0x20, {3});
    for (const auto& [text, message] : {
             std::pair{"05QK128\r\n20\r\n" + S1(0, {1}) + "\r\n" + bad + "\r\n" + after,
                       "File  Error!E9 in line 5"},
             {"05QK128\n20\nS0030000FC\n" + S1(0, {1}) + "\n" + bad + "\n" + after,
              "File  Error!E9 in line 6"},
         }) {
        Load(text);
        EXPECT_EQ(messages.shown, (decltype(messages.shown){{MessageKind::Plain, message}}));
        EXPECT_EQ(NonBlank(*s), (Bytes{{0, 1}, {0x10, 2}, {0x7D00, 0x5A}}));
    }
}

TEST_F(WrtReadTest, BadHeaderLeavesModelAndImageAlone)
{
    const std::tuple<std::string, int, const char*> cases[] = {
        {S1(0, {1}) + "\r\nS9030000FC\r\n", 1, "第一行应以两位十六进制数字（型号名称的长度）开头"},
        {"", 1, "第一行应以两位十六进制数字（型号名称的长度）开头"},
        {"07QK12", 1, "型号名称不完整，文件意外结束"},
        {"04QK128\r\n20\r\n", 1, "型号名称之后应换行（名称与长度不符）"},
        {"08../QK128\r\n20\r\n", 1, "型号名称含有控制字符或路径分隔符"},
        {"05QK128\r\n2", 2, "第二行应为两个字符的封装代码"},
        {"05QK128\r\n\r\n\r\n", 2, "第二行应为两个字符的封装代码"},
        {"05QK128\r\n201\r\n", 2, "封装代码之后应换行"},
    };
    for (const auto& [text, line, message] : cases) {
        EXPECT_EQ(LoadError(text),
                  "文件 " + path + " 第 " + std::to_string(line) + " 行：不是 WRT 文件：" + message);
        EXPECT_EQ(s->ChipName + "_" + s->ChipPin, "QK101_20");
        EXPECT_EQ(NonBlank(*s), Bytes{});
    }
}

TEST_F(WrtReadTest, RoundTripRestoresProgramOptionsAndModel)
{
    std::filesystem::copy_file(dir.file("QK128_20.S19"), dir.file("QK128_28.S19"));
    Load("05QK128\r\n28");
    for (int a = 0; a < 0x800; ++a)
        s->RomImage[a] = std::uint8_t(a * 7 % 255);
    for (int a = 0x2100; a < 0x2140; ++a)
        s->RomImage[a] = std::uint8_t(a);
    const Bytes written = NonBlank(*s);
    WriteWrtFile(*s, s->RomStart, s->OptionAddr2Last, dir.file("back.WRT"));
    Load(ReadText(dir.file("back.WRT")));
    EXPECT_EQ(s->ChipName + "_" + s->ChipPin, "QK128_28");
    EXPECT_EQ(NonBlank(*s), written);
}

} // namespace
} // namespace orvane::test
