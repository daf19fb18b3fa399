// The Intel HEX reader and writer: hand-made records with the exact bytes they leave in the image,
// every refusal with its text.
#include "foundation/Errors.h"
#include "image/IntelHex.h"
#include "image/RomImage.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvane::test {
namespace {

// ":" record of type at address with data and its checksum (bad added to it); no line end.
std::string Rec(int type, unsigned address, std::vector<int> data = {}, int bad = 0)
{
    data.insert(data.begin(), {int(data.size()), int(address >> 8), int(address & 0xFF), type});
    std::string line = ":";
    int sum = 0;
    for (const int b : data)
        line += Hex(b, 2), sum += b;
    return line + Hex((0x100 - sum % 256 + bad) & 0xFF, 2);
}

const std::string kEnd = ":00000001FF\r\n";

class IntelHexTest : public testing::Test {
protected:
    // text read into a blank image over low..high: the error's text, if any, then " address:value"
    // for every byte that is not 0xFF and " outside N" for the bytes left out.
    std::string Load(const std::string& text, int low = 0, int high = 0x1FFF)
    {
        image->fill(kBlank);
        std::string result;
        try {
            const std::size_t outside = StoreIntelHex(*image, text, "f.hex", low, high);
            result = " outside " + std::to_string(outside);
        } catch (const RecordChecksumError& e) {
            result = std::string("checksum ") + e.what();
        } catch (const FileError& e) {
            result = e.what();
        }
        for (int a = 0; a < kImageSize; ++a)
            if ((*image)[a] != kBlank)
                result += " " + Hex(a, 4) + ":" + Hex((*image)[a], 2);
        return result;
    }

    std::unique_ptr<ImageBytes> image = std::make_unique<ImageBytes>();
};

TEST_F(IntelHexTest, RecordsFillTheImageWithinTheRange)
{
    const struct {
        std::string text;
        int low, high;
        std::string expected;
    } cases[] = {
        // Blank lines and the start-address records (03, 05) are passed over.
        {Rec(0, 0x10, {1, 2}) + "\r\n\r\n" + Rec(3, 0, {0, 0, 1, 0}) + "\r\n" +
             Rec(5, 0, {0, 0, 1, 0}) + "\r\n" + Rec(0, 0x1FFF, {3}) + "\r\n" + kEnd,
         0, 0x1FFF, " outside 0 0010:01 0011:02 1FFF:03"},
        // Lower-case digits, LF only, no line end after the end record, data after it ignored.
        {":02001000abcd76\n:00000001ff\n:0100200011CE", 0, 0x1FFF, " outside 0 0010:AB 0011:CD"},
        // Segment 0100 moves what follows up by 0x1000; linear 0001 puts it above 64 KiB.
        {":020000020100FB\n" + Rec(0, 0x0010, {5}) + "\n" + kEnd, 0, 0x1FFF, " outside 0 1010:05"},
        {":020000040001F9\n" + Rec(0, 0, {5}) + "\n:020000040000FA\n" + Rec(0, 1, {6}) + "\n" +
             kEnd, 0, 0xFFFF, " outside 1 0001:06"},
        // Each byte by its own address: a record straddling the range keeps its inner bytes.
        {Rec(0, 0x0FFE, {1, 2, 3, 4}) + "\n" + kEnd, 0x0FFF, 0x1000, " outside 2 0FFF:02 1000:03"},
        // A record running past FFFF is cut there, never wrapped to 0000.
        {Rec(0, 0xFFFE, {1, 2, 3}) + "\n" + kEnd, 0, 0xFFFF, " outside 1 FFFE:01 FFFF:02"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Load(c.text, c.low, c.high), c.expected) << c.text;
}

TEST_F(IntelHexTest, AFaultyRecordRefusesTheFileNamingItsLine)
{
    const std::string ok = Rec(0, 0, {1}) + "\r\n";
    const std::string at2 = "文件 f.hex 第 2 行：";
    const std::pair<std::string, std::string> cases[] = {
        {ok + Rec(0, 0x10, {2}, 1) + "\r\n" + kEnd,
         "checksum " + at2 + "校验和错误：记录中为 EE，应为 ED 0000:01"},
        {ok + ":0200100001FF\r\n" + kEnd, at2 + "字节数 02 与本行的长度不符 0000:01"},
        {ok + Rec(6, 0, {}) + "\r\n" + kEnd, at2 + "无法识别的记录类型 06 0000:01"},
        {ok + Rec(2, 0, {1}) + "\r\n" + kEnd,
         at2 + "扩展地址记录（类型 02）的字节数应为 02，而不是 01 0000:01"},
        {ok + Rec(4, 0, {0, 0, 1}) + "\r\n" + kEnd,
         at2 + "扩展地址记录（类型 04）的字节数应为 02，而不是 03 0000:01"},
        {ok + ":0100100002E\r\n" + kEnd, at2 + "十六进制数字的个数是奇数 0000:01"},
        {ok + ":01001000G2ED\r\n" + kEnd, at2 + "第 10 列不是十六进制数字 0000:01"},
        {ok + ":010010000GED\r\n" + kEnd, at2 + "第 11 列不是十六进制数字 0000:01"},
        {ok + ":00000001\r\n", at2 + "记录不完整：应有字节数、地址、类型和校验和 0000:01"},
        {ok + "S1040010EB\r\n", at2 + "不是 Intel HEX 记录（应以 ':' 开头） 0000:01"},
        {ok + ok, "文件 f.hex 第 3 行：文件意外结束，缺少结束记录（类型 01） 0000:01"},
        {"", "文件 f.hex 第 1 行：文件意外结束，缺少结束记录（类型 01）"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Load(text), expected) << text;
}

TEST_F(IntelHexTest, WriterLeavesOutBlankRowsAndEndsWithTheEndRecord)
{
    image->fill(kBlank);
    (*image)[0x0011] = 0x12;
    (*image)[0x0040] = 0x00;
    (*image)[0xFFFF] = 0x34;
    std::string out;
    AppendIntelHexRecords(out, *image, 0, 0x4F);
    EXPECT_EQ(out, ":10001000FF12" + std::string(28, 'F') + "DD\r\n:1000400000" +
                       std::string(30, 'F') + "BF\r\n" + kEnd);
    // A range that ends off the 16-byte grid gives a shorter last record; none runs past FFFF.
    out.clear();
    AppendIntelHexRecords(out, *image, 0xFFF8, 0x1FFFF);
    EXPECT_EQ(out, ":08FFF800" + std::string(14, 'F') + "34D4\r\n" + kEnd);
    out.clear();
    AppendIntelHexRecords(out, *image, 0x100, 0x1FF);
    EXPECT_EQ(out, kEnd);
}

} // namespace
} // namespace orvane::test
