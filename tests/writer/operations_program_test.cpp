// The programming run and its device-ID write, and a round trip on the simulator's Writer logic.
#include "link_fakes.h"

#include "image/RomImage.h"
#include "writer/Frame.h"

#include <algorithm>
#include <climits>

namespace orvane::test {
namespace {

TEST(DeviceIdTest, WritesTheLowBytesMostSignificantFirstAndOnlyInsideTheImage)
{
    const struct {
        std::int32_t len, addr;
        std::int64_t next;
        std::size_t from;  // first address looked at
        const char* bytes; // expected from there
    } cases[] = {
        {2, 0x1800, 0x0005, 0x17FF, "FF 00 05 FF"},
        {3, 0x1800, 0x1234, 0x17FF, "FF 00 12 34 FF"},
        {2, 0x1800, 0x123456, 0x1800, "34 56 FF"},
        {2, 0x1800, -1, 0x1800, "FF FF FF"},
        {3, 0x1800, -2, 0x1800, "FF FF FE"},
        {6, 0x1800, 0x11223344, 0x1800, "00 00 11 22 33 44 FF"},
        {6, 0x1800, -1, 0x1800, "00 00 FF FF FF FF"}, // the low 32 bits
        {2, 0xFFFF, 0x1234, 0xFFFE, "FF 12"},          // the low byte would fall past the end
        {3, -1, 0xABCDEF, 0x0000, "CD EF FF"},         // the high byte would fall below 0
        {0, 0x1800, 0x12, 0x17FF, "FF FF"},
        {-5, 0x1800, 0x12, 0x17FF, "FF FF"},
        {2, INT_MAX, 0x12, 0xFFFE, "FF FF"},
        {INT_MAX, 4 - INT_MAX, 0x12345678, 0x0000, "12 34 56 78 FF"},
        {INT_MAX, 0xFFF0, 0x12345678, 0xFFEF, "FF 00 00"},
    };
    for (const auto& c : cases) {
        AppState s;
        s.RomImage.fill(0xFF);
        s.IDLen = c.len;
        s.IDAddr = c.addr;
        s.NextID = c.next;
        WriteDeviceID(s);
        const auto at = s.RomImage.begin() + static_cast<std::ptrdiff_t>(c.from);
        EXPECT_EQ(ToHex(Bytes(at, at + static_cast<std::ptrdiff_t>(HexBytes(c.bytes).size()))), c.bytes)
            << "IDLen " << c.len << " IDAddr " << c.addr << " NextID " << c.next;
    }
    const std::tuple<std::int32_t, std::int64_t, const char*> texts[] = {
        {2, 6, "0006"}, {3, 0x1234, "001234"}, {2, 0x123456, "123456"},
        {2, -1, "FFFFFFFFFFFFFFFF"}, {1000, 5, "0000000000000005"},
    };
    for (const auto& [len, next, text] : texts) {
        AppState s;
        s.IDLen = len;
        s.NextID = next;
        EXPECT_EQ(NextIDText(s), text);
    }
}

class ProgramRunTest : public LinkFixture {
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        s.IDLen = 2;
        s.IDAddr = 0x0100;
        s.NextID = 5;
        s.IDStep = 1;
    }

    OperationResult Run(ProgramRunOptions options)
    {
        view.log.clear();
        port.sent.clear();
        return ops.RunProgramming(options);
    }
};

TEST_F(ProgramRunTest, WithIdDownloadsProgramsAndStepsTheId)
{
    ProgramRunOptions options{true, true, false};
    EXPECT_TRUE(ops.RunProgramming(options).succeeded);
    EXPECT_TRUE(options.download);
    const Lines commands = Commands();
    ASSERT_EQ(commands.size(), 3u + 180u + 3u);
    EXPECT_EQ(Lines(commands.begin(), commands.begin() + 3), (Lines{"E1", "07", "E1"}));
    EXPECT_EQ(Lines(commands.end() - 3, commands.end()), (Lines{"E1", "01", "E1"}));
    EXPECT_EQ(ToHex(Bytes(port.sent[3 + 16].begin() + 3, port.sent[3 + 16].begin() + 8)),
              "01 00 00 05 FF") << "the block at 0x0100 carries the ID";
    EXPECT_EQ(s.NextID, 6);
    EXPECT_EQ(port.model.Chip()[0x101], 0x05);
    EXPECT_EQ(loop.ElapsedMs(), 10 + 10 + 180 * 10 + 10 + 10 + 10);
    EXPECT_EQ(view.log, (Lines{"off dialog", "hex refresh", "scroll 16", "download-box ticked off",
                               "line 数据下载中......", "progress reset", "line 下载完毕!",
                               "line 编程完毕!", "progress reset", "next 0006", "on dialog"}));
    EXPECT_EQ(port.log, (Lines{"open COM2", "close"}));

    s.NextID = -1; // stepped back below zero
    port.model.InsertChip(SocketChip::Blank);
    EXPECT_TRUE(Run({true, true, true}).succeeded);
    EXPECT_EQ(ToHex(Bytes(s.RomImage.begin() + 0x100, s.RomImage.begin() + 0x102)), "FF FF");
    EXPECT_EQ(s.NextID, 0);
    EXPECT_EQ(view.log[view.log.size() - 2], "next 0000");

    port.model.InsertChip(SocketChip::Blank);
    EXPECT_TRUE(Run({true, false, true}).succeeded);
    EXPECT_EQ(s.NextID, 0) << "no step without ID自动加";
}

TEST_F(ProgramRunTest, WithoutDownloadAsksFirst)
{
    view.answers = {false};
    EXPECT_TRUE(Run({false, true, false}).declined);
    EXPECT_EQ(Commands(), Lines{"E1"});
    EXPECT_EQ(view.log, (Lines{"off dialog", "download-box clear on",
                               "box question 烧写程序将为上次下载内容!", "on dialog"}));
    EXPECT_EQ(s.RomImage[0x100], 0xFF) << "no ID without 烧录器件ID";

    view.answers = {true};
    EXPECT_TRUE(Run({false, true, false}).succeeded);
    EXPECT_EQ(Commands(), (Lines{"E1", "E1", "01", "E1"}));
    EXPECT_EQ(s.NextID, 5);
}

TEST_F(ProgramRunTest, ReportsTheWritersAnswerToProgramChip)
{
    s.RomImage[0x0010] = 0x3E;
    const struct {
        const char* name;
        std::optional<Bytes> reply;
        Lines reports;
    } cases[] = {
        {"rejected", Reply(Failure, {1}), {"box plain Command error!"}},
        {"pin failure", Reply(Failure, {3, 0x7D, 0x00, 0, 0}),
         {"box plain 管脚检测错误,请查看芯片是否插入正确!"}},
        {"pin failure high", Reply(Failure, {3, 0xFF, 0xFF, 0, 0}),
         {"box plain 管脚检测错误,请查看芯片是否插入正确!"}},
        {"content", Reply(Failure, {3, 0x00, 0x10, 0xCD, 0xAB}),
         {"box info Chip Addr:0010 Data:AB\nFlash_buffer data:CD\nfile_buffer data:3E"}},
        {"content below the chip data", Reply(Failure, {3, 0x7C, 0xFF, 0x01, 0x02}),
         {"box info Chip Addr:7CFF Data:02\nFlash_buffer data:01\nfile_buffer data:FF"}},
        {"checksum", Reply(Failure, {5}), {"box plain Check_sum error!"}},
        {"no reply", std::nullopt, {}},
    };
    for (const auto& c : cases) {
        loop = VirtualLoop();
        port.byCode[ProgramChip] = c.reply;
        const OperationResult result = Run({true, true, true});
        EXPECT_EQ(view.Reports(), c.reports) << c.name;
        EXPECT_FALSE(result.succeeded) << c.name;
        EXPECT_EQ(s.NextID, 5) << c.name;
        const auto status = std::find_if(view.log.rbegin(), view.log.rend(),
                                         [](const std::string& l) { return l.rfind("line ", 0) == 0; });
        EXPECT_EQ(*status, "line 下载完毕!") << c.name;
        EXPECT_EQ(loop.ElapsedMs(), 1850 + (c.reply ? 0 : 4990)) << c.name;
    }
}

TEST_F(ProgramRunTest, FailedDownloadStillProgramsButIsNoSuccess)
{
    port.byNumber[5] = Reply(Failure, {1}); // the program area's second block
    const OperationResult result = Run({true, true, true});
    EXPECT_EQ(view.Reports(), Lines{"box error 通信错误2请检查烧写器是否连接正确！"});
    EXPECT_EQ(Commands(ProgramChip).size(), 1u);
    EXPECT_TRUE(result.transferFailed);
    EXPECT_FALSE(result.succeeded);
}

TEST_F(ProgramRunTest, RoundTripOnTheWritersOtpChip)
{
    for (std::size_t a = 0; a < 0x800; ++a)
        s.RomImage[a] = static_cast<std::uint8_t>(a * 13 + 1);
    ASSERT_TRUE(Run({false, true, true}).succeeded);
    const Bytes program(s.RomImage.begin(), s.RomImage.begin() + 0x800);

    SelectModel(s, 20);
    ASSERT_TRUE(ops.ReadChip().succeeded);
    EXPECT_EQ(Bytes(s.RomImage.begin(), s.RomImage.begin() + 0x800), program);
    view.log.clear();
    EXPECT_FALSE(ops.DoBlankCheck().succeeded);
    EXPECT_EQ(view.Reports(), Lines{"box info Chip not blank!\nChip Addr:0000 Data:01"});

    // The Writer cannot turn the programmed zeros back into ones, and says where.
    s.RomImage[0x0001] = 0xFF;
    EXPECT_FALSE(Run({false, true, true}).succeeded);
    EXPECT_EQ(view.Reports(), (Lines{"box info Chip Addr:0001 Data:0E\nFlash_buffer data:FF\n"
                                     "file_buffer data:FF"}));
}

} // namespace
} // namespace orvane::test
