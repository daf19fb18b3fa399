// Blank check, read, download and the programming run against the simulator's Writer logic on a
// virtual clock: what the operator sees for each answer, the waits, the block-transfer failure
// rules, the ID write and the recovery when the port cannot open. The commands each slot sends are
// in the golden slot traces.
#include "link_fakes.h"

#include <gmock/gmock.h>

#include <climits>
#include <numeric>

namespace orvane::test {
namespace {

class OperationsTest : public LinkFixture {
protected:
    void Clear() { port.sent.clear(); port.sentAt.clear(); view.log.clear(); }
    // Each command with the time until the next one (or until the operation returned): "E1+1000".
    Lines Waits() const
    {
        Lines out = Commands();
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] += "+" + std::to_string((i + 1 < out.size() ? port.sentAt[i + 1] : loop.Ms()) -
                                           port.sentAt[i]);
        return out;
    }
    OperationResult Program(ProgramRunOptions options) { return ops.RunProgramming(options); }
};

TEST_F(OperationsTest, PortThatCannotOpenEndsTheOperationWithEverythingSwitchedOnAgain)
{
    s.IDLen = 2;
    port.unopenable = {"COM2"};
    s.RomImage[0x0000] = 0x42;
    EXPECT_THROW(ops.DoBlankCheck(), ECommsError);
    EXPECT_THROW(ops.ReadChip(), ECommsError);
    EXPECT_THROW(ops.DownloadProgram(), ECommsError);
    EXPECT_THROW(Program({true, true, true}), ECommsError);
    EXPECT_EQ(view.log, (Lines{"off blank-check", "off main", "on main", "on blank-check",
                               "show", "off read", "label Waitting...", "off main", "label ",
                               "hide", "on read", "on main",
                               "box question 请确认电源，USB线已经连接好!", "off download",
                               "off main", "show", "hide", "on main", "on download",
                               "off dialog", "on dialog"}));
    EXPECT_EQ(s.RomImage[0x0000], 0x42) << "the image is as before";
}

TEST_F(OperationsTest, EachOperationReportsTheWritersAnswers)
{
    EXPECT_TRUE(ops.DoBlankCheck().succeeded); // the commands are in the golden slot traces
    EXPECT_EQ(view.Reports(), (Lines{"memo 0405", "box info 芯片为空!"}));
    EXPECT_EQ(loop.Ms(), 3040) << "a full wait after an answer other than Done or Failure";

    // The result is this command's reply, never an earlier one: silence shows the code of
    // LoadChipData's answer still in the buffer; bytes that are no frame count as no reply.
    const std::pair<std::optional<Bytes>, ReplyKind> replies[] = {
        {Reply(Failure, {1}), ReplyKind::Frame},
        {Reply(Failure, {3, 0x7D, 0, 0, 0}), ReplyKind::Frame},
        {Reply(Failure, {3, 0x7C, 0xFF, 0x11, 0x2E}), ReplyKind::Frame},
        {Reply(Failure, {5}), ReplyKind::Frame}, {std::nullopt, ReplyKind::None},
        {HexBytes("68 05 03 16"), ReplyKind::Garbled}, // L past the chunk
        {HexBytes("68 00 03 16"), ReplyKind::Garbled}, {Reply(0x55), ReplyKind::Frame}};
    const std::string pin = "检查芯片是否正确!", notBlank = "box info Chip not blank!\nChip Addr:7CFF";
    const std::tuple<std::uint8_t, std::function<OperationResult()>, Lines> cases[] = {
        {CheckBlank, [&] { return ops.DoBlankCheck(); },
         {"box plain Command error!", "box info 引脚错误2," + pin, notBlank + " Data:2E",
          "box info Check_sum error!", "memo 2200", "memo 0000", "memo 0000", "memo 5505"}},
        {FinishDownload, [&] { return ops.DownloadProgram(); },
         {"box plain Command error!", "box info 引脚错误," + pin, notBlank + " Data:2E11",
          "box info Check_sum error!", ""}},
        {ProgramChip, [&] { return Program({true, true, true}); },
         {"box plain Command error!", "box plain 管脚检测错误,请查看芯片是否插入正确!",
          "box info Chip Addr:7CFF Data:2E\nFlash_buffer data:11\nfile_buffer data:FF",
          "box plain Check_sum error!", ""}},
    };
    std::tie(s.IDLen, s.NextID, s.IDStep) = std::tuple(2, 5, 1);
    for (const auto& [code, run, reports] : cases)
        for (std::size_t i = 0; i < reports.size(); ++i) {
            const auto& [reply, kind] = replies[i];
            port.byCode = {{code, reply}};
            Clear();
            const OperationResult r = run();
            EXPECT_FALSE(r.succeeded);
            EXPECT_EQ(view.Reports(), reports[i].empty() ? Lines{} : Lines{reports[i]});
            EXPECT_EQ(std::tuple(r.reply, r.replyCode),
                      std::tuple(kind, kind == ReplyKind::Frame ? (*reply)[2] : 0));
        }
    EXPECT_EQ(s.NextID, 5);
    // A Blank code left by LoadChipData's answer is no blank chip.
    port.byCode = {{LoadChipData, Reply(Blank)}, {CheckBlank, std::nullopt}};
    Clear();
    EXPECT_FALSE(ops.DoBlankCheck().succeeded);
    EXPECT_EQ(view.Reports(), Lines{"memo 0400"});
}

TEST_F(OperationsTest, ReadTakesProgramAreaAndOptionRowAndFailsWhenEitherFails)
{
    WriterModel::Buffer& chip = port.model.Chip();
    std::iota(chip.begin(), chip.begin() + 0x800, 7);
    std::iota(chip.begin() + 0x4000, chip.begin() + 0x4020, 0xC0);
    EXPECT_TRUE(ops.ReadChip().succeeded); // the commands are in the golden slot traces
    EXPECT_TRUE(std::equal(s.RomImage.begin(), s.RomImage.begin() + 0x800, chip.begin()));
    EXPECT_EQ(Bytes(s.RomImage.begin() + 0x211F, s.RomImage.begin() + 0x2125),
              HexBytes("DF C0 C1 C2 C3 FF"));

    // Commands: 1 Hello, 2 LoadChipData, 3 StartRead, 4..67 the program blocks, 68 the option row.
    const std::tuple<int, std::optional<Bytes>, std::size_t, const char*> cases[] = {
        {6, Reply(Failure, {1}), 65, "FF 00 55"}, // the later blocks' answers do not replace it
        {6, Reply(BlockData, Bytes(16, 0x00)), 65, "FF 00 55"},
        {6, std::nullopt, 4, "FF FF 55"},
        {68, std::nullopt, 65, "00 00 FF"},
    };
    std::fill_n(port.model.Chip().begin(), 0x800, 0x00);
    std::fill_n(port.model.Chip().begin() + 0x4000, 32, 0x55);
    for (const auto& [command, reply, readBlocks, bytes] : cases) {
        port.byNumber = {{command, reply}};
        Clear();
        EXPECT_TRUE(ops.ReadChip().transferFailed);
        EXPECT_EQ(view.Reports(), Lines{"box error 开始读取！"});
        EXPECT_EQ(Commands(ReadBlock).size(), readBlocks);
        EXPECT_EQ((Bytes{s.RomImage[0x40], s.RomImage[0x60], s.RomImage[0x2100]}), HexBytes(bytes));
    }
}

TEST_F(OperationsTest, DownloadSendsEveryAreaAndFailsAnAreaWithAFailedBlock)
{
    std::fill_n(s.RomImage.begin(), 0x800, 0x01);
    std::copy_n(HexBytes("3C A5 0F F0").begin(), 4, s.RomImage.begin() + 0x2120);
    ComputeChecksum(s);
    EXPECT_TRUE(ops.DownloadProgram().succeeded); // the commands are in the golden slot traces
    EXPECT_TRUE(std::equal(s.RomImage.begin(), s.RomImage.end(), port.model.Memory().begin()));
    // Hello waits its full second; the final wait ends with the last block's answer.
    EXPECT_EQ(loop.Ms(), 1000 + 10 + 10 + 180 * 10 + 10 + 10);
    EXPECT_EQ(view.Reports(),
              Lines{"box info 程序下载完毕,请检查File Check_sum与Flash Check_sum是否相同！\n\n"
                    "File Check_sum=0800\nFlash Check_sum=0800\n"
                    "File Option=3CA50FF0\nFlash Option =3CA50FF0"});

    // Commands: 1 Hello, 2 LoadChipData2, 3 StartDownload, 4 Hello, 5..132 the program blocks,
    // 133..136 the option copies, 137.. the chip data, then Hello and FinishDownload (05).
    const std::tuple<std::map<int, std::optional<Bytes>>, std::size_t, bool> cases[] = {
        {{{7, Reply(Failure, {1})}}, 128, false}, // the area still runs to its end
        {{{7, std::nullopt}}, 3, false},
        {{{137, Bytes(101, 0x68)}}, 133, false},
        {{{4, std::nullopt}, {5, HexBytes("68 01 E2 E3 16 68 01 12 13 16")}}, 180, true},
        {{{4, std::nullopt}, {5, Reply(BlockAck)}}, 180, true},
        {{{5, std::nullopt}}, 1, false}, // the Hello's answer is not the block's
    };
    for (const auto& [byNumber, blocks, good] : cases) {
        port.byNumber = byNumber;
        Clear();
        EXPECT_EQ(ops.DownloadProgram().transferFailed, !good);
        EXPECT_EQ(Commands(WriteBlock).size(), blocks);
        // A failed transfer never ends in the finished report, whatever FinishDownload got.
        if (good)
            EXPECT_EQ(view.Reports().front().rfind("box info 程序下载完毕", 0), 0u);
        else
            EXPECT_EQ(view.Reports(), (Lines{kTransferError, "memo 程序下载失败!"}));
    }
}

TEST_F(OperationsTest, EveryCommandWaitsItsOwnTimeForASilentWriter)
{
    for (int code = 0; code < 256; ++code)
        port.byCode[code] = std::nullopt;
    const std::pair<std::function<void()>, Lines> cases[] = {
        // CheckBlank: 3000 ms, then the full 3000 ms after an answer other than Done or Failure.
        {[&] { ops.DoBlankCheck(); }, {"E1+1000", "21@7D00+2000", "03+6000", "E1+1000"}},
        // The option row's 1000 ms, then up to 2000 ms for the last block's answer.
        {[&] { ops.ReadChip(); },
         {"E1+1000", "21@7D00+2000", "37+1000", "38@0000+1000", "38@4000+3000", "40+1000",
          "E1+1000"}},
        // A block 600 ms, then up to 2000 ms; FinishDownload 3000 ms.
        {[&] { ops.DownloadProgram(); },
         {"E1+1000", "04@7DC0+5000", "07+5000", "E1+0", "11@0000+2600", "E1+1000", "05+3000"}},
        {[&] { Program({false, true, true}); },
         {"E1+1000", "07+1000", "E1+0", "11@0000+600", "E1+500"}},
        {[&] { link.QueryFirmwareVersion(); }, {"E1+1000", "45+3000"}},
    };
    for (const auto& [run, waits] : cases) {
        Clear();
        run();
        EXPECT_EQ(Waits(), waits);
    }

    // ProgramChip waits 5000 ms; FinishDownload's wait goes on until more than 6 bytes came.
    port.byCode = {{ProgramChip, std::nullopt}};
    Clear();
    Program({false, true, true});
    EXPECT_EQ(Waits().end()[-2], "01+5000");
    for (const auto& [reply, wait] : {std::pair("68 02 06 00 16", "05+3000"),
                                      std::pair("68 03 06 00 00 09 16", "05+10")}) {
        port.byCode = {{FinishDownload, HexBytes(reply)}};
        Clear();
        ops.DownloadProgram();
        EXPECT_EQ(Waits().back(), wait);
    }
    port.byCode.clear();
    port.byNumber = {{2, std::nullopt}}; // the Hello before ProgramChip waits 500 ms
    Clear();
    Program({false, true, false});
    EXPECT_EQ(Waits(), (Lines{"E1+10", "E1+500", "01+10", "E1+10"}));
}

TEST(DeviceIdTest, WritesTheLowBytesMostSignificantFirstAndOnlyInsideTheImage)
{
    const std::tuple<std::int32_t, std::int32_t, std::int64_t, std::size_t, const char*> cases[] = {
        {3, 0x1800, 0x1234, 0x17FF, "FF 00 12 34 FF"},
        {6, 0x1800, -1, 0x1800, "00 00 FF FF FF FF"}, // the low 32 bits
        {2, 0xFFFF, 0x1234, 0xFFFE, "FF 12"},          // the low byte would fall past the end
        {3, -1, 0xABCDEF, 0x0000, "CD EF FF"},         // the high byte would fall below 0
        {INT_MAX, 4 - INT_MAX, 0x12345678, 0x0000, "12 34 56 78 FF"},
    };
    for (const auto& [len, addr, next, from, bytes] : cases) {
        AppState s;
        s.RomImage.fill(0xFF);
        std::tie(s.IDLen, s.IDAddr, s.NextID) = std::tuple(len, addr, next);
        WriteDeviceID(s);
        const auto at = s.RomImage.begin() + static_cast<std::ptrdiff_t>(from);
        const Bytes expected = HexBytes(bytes);
        EXPECT_EQ(Bytes(at, at + static_cast<std::ptrdiff_t>(expected.size())), expected) << bytes;
    }
}

TEST_F(OperationsTest, AnIdThatCannotReachTheChipRefusesTheRunBeforeThePortOpens)
{
    ASSERT_EQ(std::tuple(s.RomStart, s.RomEnd), std::tuple(0x0000, 0x07FF));
    const std::tuple<std::int32_t, std::int32_t, const char*> cases[] = {
        {2, 0x1800, "ID地址1800超出程序区0000-07FF,器件ID不会烧入芯片!"},
        {3, 0x07FE, "ID地址07FE超出程序区0000-07FF,器件ID不会烧入芯片!"},
        {2, -1, "ID地址FFFFFFFF超出程序区0000-07FF,器件ID不会烧入芯片!"},
        {4, 0x0100, "ID长度只能为2或3,器件ID未烧录!"},
        {0, 0x0100, "ID长度只能为2或3,器件ID未烧录!"},
        {2, 0x07FE, nullptr},
        {3, 0x0000, nullptr},
    };
    for (const auto& [len, addr, refusal] : cases) {
        std::tie(s.IDLen, s.IDAddr, s.NextID, s.IDStep) = std::tuple(len, addr, 5, 1);
        Clear();
        const OperationResult result = Program({true, true, true});
        EXPECT_EQ(result.refused, refusal != nullptr) << addr;
        if (refusal) {
            EXPECT_EQ(view.log, Lines{std::string("box plain ") + refusal});
            EXPECT_TRUE(port.sent.empty());
            EXPECT_EQ(s.NextID, 5);
        }
    }
    s.IDLen = 0; // only a run that writes an ID looks at it
    EXPECT_FALSE(Program({false, true, true}).refused);
}

TEST(DeviceIdTest, StepIsADecimalNumberUpTo255)
{
    for (const auto& [text, step] : {std::pair("0", 0), std::pair("255", 255)})
        EXPECT_EQ(IDStepFromText(text), step);
    const std::pair<const char*, const char*> refused[] = {
        {"256", "ID步进值只能为0到255!"}, {"-1", "ID步进值只能为0到255!"},
        {"99999999999", "'99999999999' is not a valid integer value"},
        {"", "'' is not a valid integer value"}, {"1x", "'1x' is not a valid integer value"}};
    for (const auto& c : refused) // not a structured binding: clang 14 cannot capture one
        EXPECT_THAT([&] { IDStepFromText(c.first); },
                    testing::ThrowsMessage<ConversionError>(c.second));
}

TEST_F(OperationsTest, ProgrammingRun)
{
    std::tie(s.IDLen, s.IDAddr, s.NextID, s.IDStep) = std::tuple(2, 0x0100, 5, 3);
    EXPECT_TRUE(Program({true, true, false}).succeeded);
    Lines commands = Commands();
    ASSERT_EQ(commands.size(), 3u + 180u + 3u);
    commands.erase(commands.begin() + 3, commands.end() - 3);
    EXPECT_EQ(commands, (Lines{"E1", "07", "E1", "E1", "01", "E1"}));
    EXPECT_EQ(Bytes(port.sent[3 + 16].begin() + 3, port.sent[3 + 16].begin() + 8),
              HexBytes("01 00 00 05 FF")) << "the block at 0x0100 carries the ID";
    EXPECT_EQ(loop.Ms(), 10 + 10 + 180 * 10 + 10 + 10 + 10);
    EXPECT_EQ(view.log, (Lines{"off dialog", "refresh", "row 010", "ticked off",
                               "line 数据下载中......", "line 下载完毕!", "line 编程完毕!",
                               "next 0008", "on dialog"}));
    EXPECT_TRUE(Program({true, false, true}).succeeded);
    EXPECT_EQ(s.NextID, 8) << "stepped by IDStep, and not without ID自动加";

    port.byNumber[5] = Reply(Failure, {1}); // the Writer keeps its older image: no chip burnt
    Clear();
    EXPECT_FALSE(Program({true, true, true}).succeeded);
    EXPECT_EQ(view.Reports(), Lines{kTransferError});
    EXPECT_TRUE(Commands(ProgramChip).empty());
    EXPECT_EQ(Commands().back(), "E1");
    EXPECT_EQ(s.NextID, 8) << "the ID steps only with a burnt chip";

    view.answer = false; // without download it asks first
    port.byNumber.clear();
    Clear();
    EXPECT_TRUE(Program({false, true, false}).declined);
    EXPECT_EQ(Commands(), Lines{"E1"});
    EXPECT_EQ(view.log, (Lines{"off dialog", "clear on",
                               "box info-question 烧写程序将为上次下载内容!", "on dialog"}));
    view.answer = true;
    Clear();
    EXPECT_TRUE(Program({false, true, false}).succeeded);
    EXPECT_EQ(Commands(), (Lines{"E1", "E1", "01", "E1"}));
    EXPECT_EQ(s.NextID, 8) << "no step without 烧录器件ID";
}

} // namespace
} // namespace orvane::test
