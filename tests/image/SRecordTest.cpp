#include "foundation/Errors.h"
#include "image/RomImage.h"
#include "image/SRecordFiles.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/SRecords.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::test {
namespace {

class SRecordTest : public testing::Test {
protected:
    // Writes text to `path` and loads it as S19 (low..high) or WRT into a blank image, QK101_20
    // selected and a known QK128 chip file beside it. Gives the FileError text, if any, followed by
    // " address:value" for every byte that is not 0xFF.
    std::string Load(const std::string& text, bool wrt = false, int low = 0, int high = 0xFFFF)
    {
        WriteText(dir.file("QK128_20.S19"), S1(0x7D00, {0x5A}) + "\r\n");
        s->AppDir = dir.path();
        s->ChipName = "QK101";
        s->ChipPin = "20";
        s->RomImage.fill(kBlank);
        messages.shown.clear();
        WriteText(path, text);
        std::string result;
        try {
            if (wrt)
                LoadWrtFile(*s, path, messages);
            else
                LoadS19Range(*s, low, high, path);
        } catch (const FileError& e) {
            result = e.what();
        }
        for (int a = 0; a < kImageSize; ++a)
            if (s->RomImage[a] != kBlank)
                result += " " + Hex(a, 4) + ":" + Hex(s->RomImage[a], 2);
        return result;
    }

    TempDir dir;
    std::string path = dir.file("prog");
    std::unique_ptr<AppState> s = std::make_unique<AppState>();
    MessageRecorder messages;
};

TEST_F(SRecordTest, WrittenFilesAreExactAndNoneWithAHeaderTheReaderWouldRefuse)
{
    Load("");
    for (int a = 0; a < 32; ++a)
        s->RomImage[a] = std::uint8_t(a);
    s->RomImage[0x40] = 0x12;
    s->RomImage[0xFFF0] = 0xA5;
    s->ChipName = "QK128";
    const std::string r0 =
        "S1230000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FEC\r\n";
    const std::string r40 = "S123004012" + std::string(62, 'F') + "A9\r\n", end = "S9030000FC\r\n";
    using Writer = void (*)(const AppState&, std::int32_t, std::int32_t, const std::string&);
    const std::tuple<Writer, std::int32_t, std::int32_t, std::string> cases[] = {
        {WriteS19File, 0, 0x41, r0 + r40 + end}, // 0x20: blank; 0x40 reaches past `to`
        {WriteS19File, 0, 0x40, r0 + end},       // a record at `to` is not written
        {WriteS19File, 0xFFF0, 0x7FFFFFFF, "S113FFF0A5" + std::string(30, 'F') + "67\r\n" + end},
        {WriteS19File, -40, 0, "S11B0000" + r0.substr(8, 48) + "D0\r\n" + end}, // 32-byte grid
        {WriteWrtFile, 0, 0x20, "05QK128\r\n20\r\n" + r0 + end},
    };
    for (const auto& [write, from, to, text] : cases) {
        write(*s, from, to, path);
        EXPECT_EQ(ReadText(path), text) << std::hex << from << ".." << to;
    }
    WriteBinFile(*s, path);
    EXPECT_EQ(ReadText(path), std::string(s->RomImage.begin(), s->RomImage.end()));

    // A header the reader would refuse is never written.
    std::filesystem::remove(path);
    const std::pair<std::string, std::string> refused[] = {
        {std::string(256, 'Q'), "20"}, {"QK/128", "20"}, {"QK128", "2"}, {"QK128", "\r\n"}};
    for (const auto& [name, pin] : refused) {
        s->ChipName = name, s->ChipPin = pin;
        EXPECT_THROW(WriteWrtFile(*s, 0, 0x20, path), FileError) << name << pin;
    }
    EXPECT_FALSE(std::filesystem::exists(path));

}

TEST_F(SRecordTest, S19ReaderLoadsRecordsAndNamesFileAndLineOfTheFirstFault)
{
    const std::string a = S1(0x1000, {0xAB, 0xCD}), b = S1(0x1010, {0xEF});
    const std::string ab = " 1000:AB 1001:CD 1010:EF";
    const std::tuple<std::string, int, int, std::string> cases[] = {
        // A record is kept, whole, when its address lies in low..high+15.
        {S1(0x0FF, {1, 2}) + "\r\n" + S1(0x20E, {3, 4}) + "\r\n" + S1(0x20F, {5}), 0x100, 0x1FF,
         " 020E:03 020F:04"},
        {"S1051000abcd72\n" + b, 0, 0xFFFF, ab}, // LF, lower case, no S9, no last line end
        // S0, S5 and blank lines are skipped; S9 ends the records.
        {"S0030000FC\n" + a + "\n\n" + b + "\nS5030002FA\nS9030000FC\nS1", 0, 0xFFFF, ab},
        {"05QK128\r\n20\r\n" + a, 0, 0xFFFF, ""}, // a WRT file opened as S19
        // Clipped at the end of the image; checksums are not checked.
        {S1(0xFFFE, {1, 2, 3}) + "\n" + S1(0x10, {7}, 1), 0, 0xFFFF, " 0010:07 FFFE:01 FFFF:02"},
    };
    for (const auto& [text, low, high, bytes] : cases) {
        EXPECT_EQ(Load(text, false, low, high), bytes) << text;
        EXPECT_EQ(s->FileChecksum, 0) << "written past the image";
    }
    const std::pair<const char*, const char*> faults[] = {
        {"S1060000010G03F3", "第 12 列不是十六进制数字"},
        {"S1G60000010203F3", "第 3 列不是十六进制数字"},
        {"S1070000010203F3\r\n", "字节数 07 与本行的长度不符"},
        {"S1050000ABCD8200", "字节数 05 与本行的长度不符"}, // longer than its count
        {"S1020000FD", "字节数 02 小于 03（地址两字节加校验和一字节）"},
        {"S10600000102", "记录不完整，文件意外结束"},
        {"S2080000000102F4", "不支持 S2/S3 记录（地址超过 16 位），只能读取 S1 记录"},
        {":10000000", "不是 S 记录"},
    };
    for (const auto& [line, message] : faults) {
        const std::string text = "S0030000FC\n" + S1(0x10, {0xAA}) + "\n" + line;
        EXPECT_EQ(Load(text), "文件 " + path + " 第 3 行：" + message + " 0010:AA");
    }
    std::filesystem::resize_file(path, (16u << 20) + 1); // program files are read up to 16 MiB
    EXPECT_THAT([&] { LoadS19Range(*s, 0, 0xFFFF, path); },
                testing::ThrowsMessage<FileError>("无法读取文件 " + path +
                                                  "：文件过大（超过 16777216 字节）"));
}

TEST_F(SRecordTest, WrtFileSelectsModelFillsProgramAndOptionsAndStopsAtAChecksumError)
{
    EXPECT_EQ(Load("05QK128\r\n20\r\n" + S1(0, {1, 2}) + "\r\n" + S1(0x2130, {0x11}) + "\r\n" +
                       S1(0x2140, {0x33}) + "\r\n" + S1(0x7D10, {0x44}) + "\r\nS9030000FC\r\n",
                   true),
              " 0000:01 0001:02 2130:11 7D00:5A");
    EXPECT_EQ(s->ChipName + "_" + s->ChipPin, "QK128_20");
    EXPECT_TRUE(messages.shown.empty());

    // A checksum error ends the records; the box names the line after the record's.
    const std::string bad = S1(0x10, {2}, 1) + "\n" + S1(0x20, {3});
    for (const auto& [text, message] :
         {std::pair{"05QK128\r\n20\r\n" + S1(0, {1}) + "\r\n" + bad, "File  Error!E9 in line 5"},
          {"05QK128\n20\nS0030000FC\n" + S1(0, {1}) + "\n" + bad, "File  Error!E9 in line 6"}}) {
        EXPECT_EQ(Load(text, true), " 0000:01 0010:02 7D00:5A");
        EXPECT_EQ(messages.shown, (decltype(messages.shown){{MessageKind::Plain, message}}));
    }

    // A bad header leaves model and image alone.
    const std::tuple<std::string, int, const char*> badHeaders[] = {
        {S1(0, {1}) + "\r\n", 1, "第一行应以两位十六进制数字（型号名称的长度）开头"},
        {"07QK12", 1, "型号名称不完整，文件意外结束"},
        {"08../QK128\r\n20\r\n", 1, "型号名称含有控制字符或路径分隔符"},
        {"05QK128\r\n\r\n\r\n", 2, "第二行应为两个字符的封装代码"},
    };
    for (const auto& [text, line, message] : badHeaders) {
        EXPECT_EQ(Load(text, true),
                  "文件 " + path + " 第 " + std::to_string(line) + " 行：不是 WRT 文件：" + message);
        EXPECT_EQ(s->ChipName + "_" + s->ChipPin, "QK101_20");
    }
}

} // namespace
} // namespace orvane::test
