#include "app/Errors.h"
#include "catalogue/Catalogue.h"
#include "image/SRecordFiles.h"
#include "tests/image/srecord_support.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace orvane::test {
namespace {

class S19ReadTest : public testing::Test {
protected:
    // Loads text as an S19 file over low..high and returns the FileError text, "" when none.
    std::string Load(const std::string& text, std::int32_t low = 0, std::int32_t high = 0xFFFF)
    {
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
    std::unique_ptr<AppState> s = BlankState();
};

TEST_F(S19ReadTest, KeepsWholeRecordsWhoseStartLiesInRange)
{
    struct Case { unsigned address; bool kept; };
    for (const Case c : {Case{0x0FF, false}, {0x100, true}, {0x20E, true}, {0x20F, false}}) {
        s = BlankState();
        ASSERT_EQ(Load(S1(c.address, {1, 2, 3, 4}) + "\r\nS9030000FC\r\n", 0x100, 0x1FF), "");
        auto expected = BlankState();
        if (c.kept)
            for (unsigned i = 0; i < 4; ++i)
                expected->RomImage[c.address + i] = std::uint8_t(i + 1);
        EXPECT_EQ(s->RomImage, expected->RomImage) << std::hex << c.address;
    }
}

TEST_F(S19ReadTest, LineEndsCaseHeadersAndMissingS9GiveTheSameImage)
{
    const std::string a = S1(0x1000, {0xAB, 0xCD}), b = S1(0x1010, {0xEF});
    ASSERT_EQ(Load(a + "\r\n" + b + "\r\nS9030000FC\r\n"), "");
    const auto reference = s->RomImage;
    std::string lower = a + "\n" + b + "\n";
    for (char& c : lower)
        c = c == 'S' ? c : char(std::tolower(c));
    for (const std::string& text : {
             a + "\n" + b + "\n",                                       // srec_cat: LF, no S9
             a + "\n" + b,                                              // no final line end
             lower,                                                     // lower-case digits
             "S00F000068656C6C6F202020202000003C\r\n" + a + "\r\n\r\n" + b + "\r\nS5030002FA\r\n",
             a + "\r\n" + b + "\r\nS9030000FC\r\n" + "S1 not read after S9\r\n",
         }) {
        s = BlankState();
        ASSERT_EQ(Load(text), "") << text;
        EXPECT_EQ(s->RomImage, reference) << text;
    }
}

TEST_F(S19ReadTest, LoadsNothingWithoutALeadingS)
{
    for (const std::string& text : {std::string(), "07QK128\r\n20\r\n" + S1(0, {1}) + "\r\n"}) {
        EXPECT_EQ(Load(text), "");
        EXPECT_EQ(s->RomImage, BlankState()->RomImage);
    }
}

TEST_F(S19ReadTest, DropsBytesPastTheTopAndIgnoresChecksums)
{
    ASSERT_EQ(Load(S1(0xFFFE, {1, 2, 3, 4}) + "\r\n" + S1(0x10, {7}, 1) + "\r\n"), "");
    auto expected = BlankState();
    expected->RomImage[0xFFFE] = 1;
    expected->RomImage[0xFFFF] = 2;
    expected->RomImage[0x10] = 7;
    EXPECT_EQ(s->RomImage, expected->RomImage);
}

TEST_F(S19ReadTest, MalformedLinesNameFileAndLineAndKeepEarlierBytes)
{
    struct Case { const char* line; const char* message; };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        s = BlankState();
        EXPECT_EQ(Load("S0030000FC\n" + S1(0x10, {0xAA}) + "\n" + c.line),
                  "文件 " + path + " 第 3 行：" + c.message);
        EXPECT_EQ(s->RomImage[0x10], 0xAA) << c.line;
    }
}

TEST_F(S19ReadTest, UnreadableFilesAreFileErrors)
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
            LoadS19Range(*s, 0, 0xFFFF, file);
            ADD_FAILURE() << file;
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

// WRT files select their model: device.name and the chip files come from the shipped data, the
// chip file of QK128 is replaced by one whose content the tests know.
class WrtReadTest : public testing::Test {
protected:
    void SetUp() override
    {
        CopyDataFiles(dir.path());
        s->AppDir = dir.path();
        LoadModelNames(*s);
        s->ChipName = "QK101";
        s->ChipPin = "20";
        WriteText(dir.file("QK128_20.S19"), S1(0x7D00, {0x5A, 0, 0, 0, 0, 0, 0x07, 0xFF}) + "\r\n");
    }

    void Load(const std::string& text)
    {
        WriteText(path, text);
        LoadWrtFile(*s, path, messages);
    }

    TempDir dir;
    std::string path = dir.file("prog.WRT");
    std::unique_ptr<AppState> s = BlankState();
    MessageRecorder messages;
};

TEST_F(WrtReadTest, HeaderSelectsModelAndRecordsFillProgramAndOptions)
{
    Load("05QK128\r\n20\r\n" + S1(0, {1, 2, 3}) + "\r\n" + S1(0x2130, {0x11}) + "\r\n" +
         S1(0x2140, {0x33}) + "\r\n" + S1(0x7D10, {0x44}) + "\r\nS9030000FC\r\n");
    EXPECT_EQ(s->ChipName, "QK128");
    EXPECT_EQ(s->ChipPin, "20");
    EXPECT_EQ(s->OptionAddr2Last, 0x2130);
    EXPECT_EQ(s->RomImage[2], 3);
    EXPECT_EQ(s->RomImage[0x2130], 0x11);
    EXPECT_EQ(s->RomImage[0x2140], 0xFF); // past OptionAddr2Last + 15
    EXPECT_EQ(s->RomImage[0x7D00], 0x5A); // chip data from the chip file ...
    EXPECT_EQ(s->RomImage[0x7D10], 0xFF); // ... never from the program file
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WrtReadTest, ChecksumErrorNamesTheRealLineAndEndsTheRecords)
{
    struct Case { std::string text; const char* message; };
    const std::string bad = S1(0x10, {2}, 1), after = S1(0x20, {3});
    const Case cases[] = {
        {"05QK128\r\n20\r\n" + S1(0, {1}) + "\r\n" + bad + "\r\n" + after + "\r\n", "File  Error!E9 in line 4"},
        {"05QK128\n20\nS0030000FC\n" + S1(0, {1}) + "\n" + bad + "\n" + after + "\n", "File  Error!E9 in line 5"},
    };
    for (const Case& c : cases) {
        s->RomImage.fill(kBlank);
        messages.shown.clear();
        Load(c.text);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].first, MessageKind::Plain);
        EXPECT_EQ(messages.shown[0].second, c.message);
        EXPECT_EQ(s->RomImage[0x10], 2);    // the failing record's bytes stay
        EXPECT_EQ(s->RomImage[0x20], 0xFF); // nothing after it is read
    }
}

TEST_F(WrtReadTest, SizeRulesStillRunAfterAChecksumError)
{
    WriteText(dir.file("QK139_20.S19"), S1(0x7D00, {0, 0, 0, 0, 0, 0, 0x07, 0xFF}) + "\r\n");
    Load("05QK139\r\n20\r\n" + S1(0x2100, {0x50, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF1}) + "\r\n" +
         S1(0x30, {1}, 1) + "\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(std::vector<int>(s->RomImage.begin() + 0x7D06, s->RomImage.begin() + 0x7D0A),
              (std::vector<int>{0x03, 0xFF, 0x80, 0x05}));
}

TEST_F(WrtReadTest, HeaderOnlyFileSelectsTheModel)
{
    Load("05QK128\r\n20");
    EXPECT_EQ(s->ChipName, "QK128");
    EXPECT_EQ(s->RomImage[0x7D00], 0x5A);
}

TEST_F(WrtReadTest, BadHeaderLeavesModelAndImageAlone)
{
    struct Case { std::string text; int line; const char* message; };
    const Case cases[] = {
        {S1(0, {1}) + "\r\nS9030000FC\r\n", 1, "第一行应以两位十六进制数字（型号名称的长度）开头"},
        {"", 1, "第一行应以两位十六进制数字（型号名称的长度）开头"},
        {"07QK12", 1, "型号名称不完整，文件意外结束"},
        {"04QK128\r\n20\r\n", 1, "型号名称之后应换行（名称与长度不符）"},
        {"08../QK128\r\n20\r\n", 1, "型号名称含有控制字符或路径分隔符"},
        {"05QK128\r\n2", 2, "第二行应为两个字符的封装代码"},
        {"05QK128\r\n\r\n\r\n", 2, "第二行应为两个字符的封装代码"},
        {"05QK128\r\n201\r\n", 2, "封装代码之后应换行"},
    };
    for (const Case& c : cases) {
        try {
            Load(c.text);
            ADD_FAILURE() << c.text;
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()), "文件 " + path + " 第 " + std::to_string(c.line) +
                                                 " 行：不是 WRT 文件：" + c.message);
        }
        EXPECT_EQ(s->ChipName, "QK101");
        EXPECT_EQ(s->ChipPin, "20");
        EXPECT_EQ(s->RomImage, BlankState()->RomImage);
    }
}

TEST_F(WrtReadTest, RoundTripRestoresProgramOptionsAndModel)
{
    for (int a = 0; a < 0x800; ++a)
        s->RomImage[a] = std::uint8_t(a * 7 + 1);
    for (int a = 0x2100; a < 0x2140; ++a)
        s->RomImage[a] = std::uint8_t(a);
    s->ChipName = "QK128";
    s->ChipPin = "28";
    std::rename(dir.file("QK128_20.S19").c_str(), dir.file("QK128_28.S19").c_str());
    const auto written = s->RomImage;
    WriteWrtFile(*s, 0, 0x2130, path);

    s = BlankState();
    s->AppDir = dir.path();
    LoadModelNames(*s);
    LoadWrtFile(*s, path, messages);
    EXPECT_EQ(s->ChipName, "QK128");
    EXPECT_EQ(s->ChipPin, "28");
    EXPECT_TRUE(std::equal(written.begin(), written.begin() + 0x800, s->RomImage.begin()));
    EXPECT_TRUE(std::equal(written.begin() + 0x2100, written.begin() + 0x2140,
                           s->RomImage.begin() + 0x2100));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WrtReadTest, MissingChipFileStopsAfterTheHeader)
{
    EXPECT_THROW(Load("05QK999\r\n20\r\n" + S1(0, {1}) + "\r\n"), FileError);
    EXPECT_EQ(s->ChipName, "QK999");
    EXPECT_EQ(s->RomImage[0], 0xFF);
}

} // namespace
} // namespace orvane::test
