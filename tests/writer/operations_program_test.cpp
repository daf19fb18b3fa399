// The programming run and its device-ID write.
#include "operations_fixture.h"

#include "app/Errors.h"
#include "image/RomImage.h"
#include "writer/Frame.h"

#include <climits>

namespace orvane::test {
namespace {

using Lines = std::vector<std::string>;

struct IdCase {
    std::int32_t len;
    std::int32_t addr;
    std::int64_t next;
    std::int32_t from; // first address to look at
    const char* bytes; // expected there
};

TEST(DeviceIdTest, WritesTheLowBytesMostSignificantFirstAndOnlyInsideTheImage)
{
    const IdCase cases[] = {
        {2, 0x1800, 0x0005, 0x17FF, "FF 00 05 FF"},
        {3, 0x1800, 0x1234, 0x17FF, "FF 00 12 34 FF"},
        {2, 0x1800, 0x123456, 0x1800, "34 56 FF"},
        {2, 0x1800, -1, 0x1800, "FF FF FF"},
        {3, 0x1800, -2, 0x1800, "FF FF FE"},
        {4, 0x1800, -0x100, 0x1800, "FF FF FF 00"},
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
    for (const IdCase& c : cases) {
        AppState s;
        s.RomImage.fill(0xFF);
        s.IDLen = c.len;
        s.IDAddr = c.addr;
        s.NextID = c.next;
        WriteDeviceID(s);
        const Bytes expected = HexBytes(c.bytes);
        const auto at = s.RomImage.begin() + c.from;
        EXPECT_EQ(ToHex(Bytes(at, at + static_cast<std::ptrdiff_t>(expected.size()))), c.bytes)
            << "IDLen " << c.len << " IDAddr " << c.addr << " NextID " << c.next;
    }
}

TEST(DeviceIdTest, NextIdTextHasTwoDigitsPerByteAndShowsEveryDigit)
{
    const std::tuple<std::int32_t, std::int64_t, const char*> cases[] = {
        {2, 6, "0006"},           {3, 0x1234, "001234"},
        {2, 0x123456, "123456"}, {2, -1, "FFFFFFFFFFFFFFFF"},
        {0, 5, "5"},             {1000, 5, "0000000000000005"},
    };
    for (const auto& [len, next, text] : cases) {
        AppState s;
        s.IDLen = len;
        s.NextID = next;
        EXPECT_EQ(NextIDText(s), text);
    }
}

class ProgramRunTest : public OperationsTest {
protected:
    void SetUp() override
    {
        OperationsTest::SetUp();
        s.IDLen = 2;
        s.IDAddr = 0x0100;
        s.NextID = 5;
        s.IDStep = 1;
    }

    ProgramRunOptions options;
};

TEST_F(ProgramRunTest, WithIdDownloadsProgramsAndStepsTheId)
{
    options = {true, true, false};
    const OperationResult result = ops.RunProgramming(options);

    const Lines commands = Commands();
    ASSERT_EQ(commands.size(), 3u + 180u + 3u);
    EXPECT_EQ(Lines(commands.begin(), commands.begin() + 3), (Lines{"E1", "07", "E1"}));
    EXPECT_EQ(Lines(commands.end() - 3, commands.end()), (Lines{"E1", "01", "E1"}));
    const Bytes& idBlock = port.sent[3 + 16]; // the block at 0x0100
    EXPECT_EQ(ToHex(Bytes(idBlock.begin() + 3, idBlock.begin() + 8)), "01 00 00 05 FF");

    EXPECT_TRUE(options.download);
    EXPECT_EQ(s.NextID, 6);
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(loop.ElapsedMs(), 10 + 10 + 180 * 10 + 10 + 10 + 10);
    EXPECT_EQ(view.log, (Lines{"off dialog", "hex refresh", "scroll 16", "download-box ticked off",
                               "line 数据下载中......", "progress reset", "line 下载完毕!",
                               "line 编程完毕!", "progress reset", "next 0006", "on dialog"}));
    EXPECT_EQ(port.log, (Lines{"open COM2", "close"}));
}

TEST_F(ProgramRunTest, IdStepsOnlyWithAutoIncrement)
{
    options = {true, false, true};
    EXPECT_TRUE(ops.RunProgramming(options).succeeded);
    EXPECT_EQ(s.NextID, 5);
    EXPECT_TRUE(view.Lines("next").empty());
}

TEST_F(ProgramRunTest, NegativeIdIsWrittenAsTwosComplementAndStepsThroughZero)
{
    s.NextID = -1;
    options = {true, true, true};
    ops.RunProgramming(options);
    EXPECT_EQ(s.RomImage[0x100], 0xFF);
    EXPECT_EQ(s.RomImage[0x101], 0xFF);
    EXPECT_EQ(s.NextID, 0);
    EXPECT_EQ(view.Lines("next"), Lines{"next 0000"});
}

TEST_F(ProgramRunTest, WithoutDownloadAsksFirst)
{
    options = {false, true, false};
    view.messages.answers = {false};
    OperationResult result = ops.RunProgramming(options);
    EXPECT_TRUE(result.declined);
    EXPECT_EQ(Commands(), Lines{"E1"});
    EXPECT_EQ(view.log, (Lines{"off dialog", "download-box clear on",
                               "box question 烧写程序将为上次下载内容!", "on dialog"}));
    EXPECT_EQ(s.RomImage[0x100], 0xFF) << "no ID without the ID box";

    port.sent.clear();
    view.messages.answers = {true};
    result = ops.RunProgramming(options);
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(Commands(), (Lines{"E1", "E1", "01", "E1"}));
    EXPECT_EQ(s.NextID, 5);
}

struct ProgramFailureCase {
    const char* name;
    std::optional<Bytes> reply;
    Lines reports;
};

TEST_F(ProgramRunTest, ReportsTheWritersAnswerToProgramChip)
{
    s.RomImage[0x0010] = 0x3E;
    const ProgramFailureCase cases[] = {
        {"rejected", Reply(Failure, {1}), {"box plain Command error!"}},
        {"pin failure", Reply(Failure, {3, 0x7D, 0x00, 0, 0}),
         {"box plain 管脚检测错误,请查看芯片是否插入正确!"}},
        {"pin failure above", Reply(Failure, {3, 0xFF, 0xFF, 0, 0}),
         {"box plain 管脚检测错误,请查看芯片是否插入正确!"}},
        {"content", Reply(Failure, {3, 0x00, 0x10, 0xCD, 0xAB}),
         {"box info Chip Addr:0010 Data:AB\nFlash_buffer data:CD\nfile_buffer data:3E"}},
        {"content just below the chip data", Reply(Failure, {3, 0x7C, 0xFF, 0x01, 0x02}),
         {"box info Chip Addr:7CFF Data:02\nFlash_buffer data:01\nfile_buffer data:FF"}},
        {"checksum", Reply(Failure, {5}), {"box plain Check_sum error!"}},
        {"no reply", std::nullopt, {}},
    };
    for (const ProgramFailureCase& c : cases) {
        view.log.clear();
        loop = VirtualLoop();
        writer.byCode[ProgramChip] = c.reply;
        options = {true, true, true};
        const OperationResult result = ops.RunProgramming(options);
        EXPECT_EQ(Reports(), c.reports) << c.name;
        EXPECT_EQ(s.NextID, 5) << c.name;
        EXPECT_FALSE(result.succeeded) << c.name;
        EXPECT_EQ(view.Lines("line").back(), "line 下载完毕!") << c.name;
        EXPECT_EQ(loop.ElapsedMs(), 1850 + (c.reply ? 0 : 4990)) << c.name;
    }
}

TEST_F(ProgramRunTest, FailedDownloadStillProgramsButIsNoSuccess)
{
    writer.byNumber[5] = Reply(Failure, {1}); // the second block of the program area
    options = {true, true, true};
    const OperationResult result = ops.RunProgramming(options);
    EXPECT_EQ(Reports(), Lines{"box error 通信错误2请检查烧写器是否连接正确！"});
    EXPECT_EQ(Commands(ProgramChip).size(), 1u);
    EXPECT_TRUE(result.transferFailed);
    EXPECT_FALSE(result.succeeded);
}

TEST_F(ProgramRunTest, PortThatCannotOpenLeavesTheDialogUsable)
{
    port.openErrors["COM2"] = "Error opening serial port";
    options = {true, true, true};
    EXPECT_THROW(ops.RunProgramming(options), ECommsError);
    EXPECT_EQ(view.log, (Lines{"off dialog", "on dialog"}));
    EXPECT_EQ(s.RomImage[0x100], 0xFF);
    EXPECT_TRUE(port.sent.empty());
}

} // namespace
} // namespace orvane::test
