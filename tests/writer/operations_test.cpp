// Blank check, read and download against a scripted Writer: the commands in order, the waits,
// and what the operator sees for each answer.
#include "operations_fixture.h"

#include "app/Errors.h"
#include "image/RomImage.h"
#include "writer/Frame.h"

namespace orvane::test {
namespace {

using Lines = std::vector<std::string>;

// Every operation's switches come back on, also when the port cannot be opened.
struct OpenFailureCase {
    const char* name;
    OperationResult (ChipOperations::*run)();
    Lines switches;
};

TEST_F(OperationsTest, PortThatCannotOpenEndsTheOperationWithEverythingSwitchedOnAgain)
{
    const OpenFailureCase cases[] = {
        {"blank check", &ChipOperations::DoBlankCheck,
         {"off blank-check", "off main", "on main", "on blank-check"}},
        {"read", &ChipOperations::ReadChip,
         {"show wait", "off read", "label Waitting...", "off main", "label ", "hide wait",
          "on read", "on main"}},
        {"download", &ChipOperations::DownloadProgram,
         {"box question 请确认电源，USB线已经连接好!", "off download", "off main", "show notice",
          "hide notice", "on main", "on download"}},
    };
    for (const OpenFailureCase& c : cases) {
        view.log.clear();
        view.messages.answers = {true};
        port.openErrors["COM2"] = "Error opening serial port";
        s.RomImage[0x0123] = 0x42;
        try {
            (ops.*c.run)();
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const ECommsError& e) {
            EXPECT_STREQ(e.what(), "Error opening serial port") << c.name;
        }
        EXPECT_EQ(view.log, c.switches) << c.name;
        EXPECT_TRUE(view.AllIdle()) << c.name;
        EXPECT_TRUE(port.sent.empty()) << c.name;
        EXPECT_EQ(s.RomImage[0x0123], 0x42) << c.name << ": a read that never started keeps the image";
    }
}

struct BlankCheckCase {
    const char* name;
    std::optional<Bytes> reply; // nullopt: no reply
    Lines reports;
    long long elapsedMs;
    bool blank;
};

TEST_F(OperationsTest, BlankCheckReportsEachAnswer)
{
    const BlankCheckCase cases[] = {
        {"blank", Reply(Blank), {"memo 0405", "box info 芯片为空!"}, 3040, true},
        {"done", Reply(Done), {}, 40, false},
        {"rejected", Reply(Failure, {1}), {"box plain Command error!"}, 40, false},
        {"pin failure", Reply(Failure, {3, 0x7D, 0x00, 0x11, 0x22}),
         {"box info 引脚错误2,检查芯片是否正确!"}, 40, false},
        {"not blank", Reply(Failure, {3, 0x7C, 0xFF, 0x11, 0x2E}),
         {"box info Chip not blank!\nChip Addr:7CFF Data:2E"}, 40, false},
        {"checksum", Reply(Failure, {5}), {"box info Check_sum error!"}, 40, false},
        {"other kind", Reply(Failure, {9}), {}, 40, false},
        {"unknown code", Reply(0x99, {1, 2}), {"memo 9907"}, 3040, false},
        // Without an answer the line shows LoadChipData's answer, still unparsed in the buffer.
        {"no reply", std::nullopt, {"memo 2200"}, 6030, false},
    };
    for (const BlankCheckCase& c : cases) {
        loop = VirtualLoop();
        port.sent.clear();
        view.log.clear();
        writer.byCode[CheckBlank] = c.reply;
        const OperationResult result = ops.DoBlankCheck();
        EXPECT_EQ(Commands(), (Lines{"E1", "21@7D00", "03", "E1"})) << c.name;
        EXPECT_EQ(Reports(), c.reports) << c.name;
        EXPECT_EQ(loop.ElapsedMs(), c.elapsedMs) << c.name;
        EXPECT_EQ(result.succeeded, c.blank) << c.name;
        EXPECT_EQ(view.log.front(), "off blank-check") << c.name;
        EXPECT_EQ(view.log.back(), "on blank-check") << c.name;
        EXPECT_FALSE(port.isOpen) << c.name;
    }
}

TEST_F(OperationsTest, BlankCheckSendsTheSelectedModelsChipData)
{
    for (int slot : {20, 31}) {
        SelectModel(s, slot);
        port.sent.clear();
        for (int i = 0; i < 40; ++i)
            s.RomImage[static_cast<std::size_t>(s.ChipDataAddr1 + i)] = static_cast<std::uint8_t>(0x80 + i);
        ops.DoBlankCheck();
        const Bytes& load = port.sent.at(1);
        ASSERT_EQ(load.size(), 39u);
        EXPECT_EQ(load[1], 35);
        EXPECT_EQ(load[3] * 256 + load[4], s.ChipDataAddr1) << slot;
        const auto data = s.RomImage.begin() + s.ChipDataAddr1;
        EXPECT_EQ(Bytes(load.begin() + 5, load.begin() + 37), Bytes(data, data + 32)) << slot;
    }
}

TEST_F(OperationsTest, ReadTakesProgramAreaAndOptionRow)
{
    for (std::size_t a = 0; a < 0x800; ++a)
        writer.chip[a] = static_cast<std::uint8_t>(a * 7);
    for (std::size_t i = 0; i < 32; ++i)
        writer.chip[0x4000 + i] = static_cast<std::uint8_t>(0xC0 + i);
    s.RomImage[0x3000] = 0x12; // below the chip data, not read back: ends blank
    const auto chipData = Bytes(s.RomImage.begin() + 0x7D00, s.RomImage.end());

    const OperationResult result = ops.ReadChip();

    Lines expected{"E1", "21@7D00", "37"};
    char text[16];
    for (int a = 0; a < 0x800; a += 32) {
        std::snprintf(text, sizeof text, "38@%04X", a);
        expected.push_back(text);
    }
    for (const char* tail : {"38@4000", "40", "E1"})
        expected.push_back(tail);
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(port.sent[1].size(), 59u) << "52 bytes of chip data";
    EXPECT_EQ(loop.ElapsedMs(), 3 * 10 + 65 * 10 + 2 * 10);
    EXPECT_TRUE(result.succeeded);

    EXPECT_TRUE(std::equal(s.RomImage.begin(), s.RomImage.begin() + 0x800, writer.chip.begin()));
    EXPECT_TRUE(std::equal(s.RomImage.begin() + 0x2100, s.RomImage.begin() + 0x2120,
                           writer.chip.begin() + 0x4000));
    EXPECT_EQ(Bytes(s.RomImage.begin() + 0x2120, s.RomImage.begin() + 0x2125),
              HexBytes("C0 C1 C2 C3 FF"));
    EXPECT_EQ(s.RomImage[0x3000], 0xFF);
    EXPECT_EQ(Bytes(s.RomImage.begin() + 0x7D00, s.RomImage.end()), chipData);

    EXPECT_EQ(view.log, (Lines{"show wait", "off read", "label Waitting...", "off main", "label ",
                               "hide wait", "on read", "on main", "info 芯片信息：QK128",
                               "hex refresh", "scroll 6 top 0"}));
}

struct OptionRowCase {
    int slot;
    std::int32_t row;
    std::int32_t copyAt;
    int copiedAgain;
};

TEST_F(OperationsTest, ReadPlacesTheOptionRowByModel)
{
    const OptionRowCase cases[] = {
        {1, 0x0000, 0x2100, 4},  {14, 0x0000, 0x4100, 1}, {17, 0x0000, 0x4100, 1},
        {20, 0x4000, 0x2100, 4}, {21, 0x4000, 0x4100, 1}, {22, 0xFFFF, 0x2100, 4},
        {23, 0x3FE0, 0x4100, 1}, {28, 0xFFFF, 0x4100, 1}, {30, 0xFFFF, 0x2100, 4},
        {31, 0xFFFF, 0x8100, 1},
    };
    for (const OptionRowCase& c : cases) {
        SelectModel(s, c.slot, 0x0800, 0x083F); // away from every row asked for
        port.sent.clear();
        writer.chip.fill(0xFF);
        for (std::size_t i = 0; i < 32; ++i)
            writer.chip[(c.row + i) & 0xFFFF] = static_cast<std::uint8_t>(0x40 + i);
        ASSERT_TRUE(ops.ReadChip().succeeded) << c.slot;
        char row[16];
        std::snprintf(row, sizeof row, "38@%04X", c.row);
        EXPECT_EQ(Commands(ReadBlock), (Lines{"38@0800", "38@0820", row})) << c.slot;
        const auto copy1 = s.RomImage.begin() + c.copyAt;
        for (int i = 0; i < 32; ++i)
            ASSERT_EQ(copy1[i], 0x40 + i) << c.slot << " byte " << i;
        for (int i = 0; i < c.copiedAgain; ++i)
            EXPECT_EQ(copy1[0x20 + i], 0x40 + i) << c.slot;
        EXPECT_EQ(copy1[0x20 + c.copiedAgain], 0xFF) << c.slot;
    }
}

struct ReadFailureCase {
    const char* name;
    int command; // 1-based; the program blocks are commands 4.. (Hello, LoadChipData, StartRead)
    std::optional<Bytes> reply;
    int readBlocks; // ReadBlock frames sent, option row included
};

TEST_F(OperationsTest, ReadFailsWheneverABlockOrTheOptionRowFails)
{
    const ReadFailureCase cases[] = {
        {"wrong code, later blocks good", 6, Reply(Failure, {1}), 65},
        {"short block data", 6, Reply(BlockData, Bytes(16, 0x00)), 65},
        {"no reply", 6, std::nullopt, 4},
        {"option row wrong code", 68, Reply(Done), 65},
        {"option row without reply", 68, std::nullopt, 65},
    };
    for (const ReadFailureCase& c : cases) {
        port.sent.clear();
        view.log.clear();
        writer = ScriptedWriter();
        for (std::size_t a = 0; a < 0x800; ++a)
            writer.chip[a] = 0x00;
        for (std::size_t i = 0; i < 32; ++i)
            writer.chip[0x4000 + i] = 0x55;
        writer.byNumber[c.command] = c.reply;

        const OperationResult result = ops.ReadChip();

        EXPECT_FALSE(result.succeeded) << c.name;
        EXPECT_TRUE(result.transferFailed) << c.name;
        EXPECT_EQ(Reports(), Lines{"box error 开始读取！"}) << c.name;
        EXPECT_EQ(Commands(ReadBlock).size(), static_cast<std::size_t>(c.readBlocks)) << c.name;
        // The failed block stays blank; the blocks after a wrong code are still stored.
        if (c.command == 6) {
            EXPECT_EQ(s.RomImage[0x40], 0xFF) << c.name;
            EXPECT_EQ(s.RomImage[0x60], c.reply ? 0x00 : 0xFF) << c.name;
        } else {
            EXPECT_EQ(s.RomImage[0x2100], 0xFF) << c.name << ": nothing copied into option copy 1";
            EXPECT_EQ(s.RomImage[0x2120], 0xFF) << c.name;
        }
        EXPECT_TRUE(view.AllIdle()) << c.name;
    }
}

TEST_F(OperationsTest, ReadAtTheTopOfTheImageStopsAtItsEnd)
{
    for (std::size_t a = 0xFF00; a <= 0xFFFF; ++a)
        writer.chip[a] = static_cast<std::uint8_t>(a);
    const std::pair<std::int32_t, std::int32_t> areas[] = {{0xFFE0, 0xFFFF}, {0xFFF0, 0xFFFF}};
    for (const auto& [first, last] : areas) {
        s.RomStart = first;
        s.RomEnd = last;
        port.OpenPort();
        port.sent.clear();
        EXPECT_TRUE(ops.ReadImage());
        EXPECT_EQ(Commands(ReadBlock).front(), first == 0xFFE0 ? "38@FFE0" : "38@FFF0");
        EXPECT_EQ(Commands(ReadBlock).size(), 2u);
        for (std::int32_t a = first; a <= last; ++a)
            ASSERT_EQ(s.RomImage[static_cast<std::size_t>(a)], static_cast<std::uint8_t>(a));
    }
}

TEST_F(OperationsTest, DownloadSendsEveryAreaAndReportsTheWritersSums)
{
    std::fill_n(s.RomImage.begin(), 0x800, 0x01);
    const Bytes options = HexBytes("3C A5 0F F0");
    std::copy(options.begin(), options.end(), s.RomImage.begin() + 0x2120);
    ComputeChecksum(s);
    view.messages.answers = {true};

    const OperationResult result = ops.DownloadProgram();

    const Lines commands = Commands();
    ASSERT_EQ(commands.size(), 4u + 180u + 2u);
    EXPECT_EQ(Lines(commands.begin(), commands.begin() + 5),
              (Lines{"E1", "04@7DC0", "07", "E1", "11@0000"}));
    EXPECT_EQ(Lines(commands.end() - 2, commands.end()), (Lines{"E1", "05"}));
    const Lines blocks = Commands(WriteBlock);
    const auto at = [&](const char* address) {
        return std::find(blocks.begin(), blocks.end(), std::string("11@") + address) - blocks.begin();
    };
    EXPECT_EQ(at("07F0"), 127);
    EXPECT_EQ(at("2100"), 128);
    EXPECT_EQ(at("2110"), 129);
    EXPECT_EQ(at("2120"), 130);
    EXPECT_EQ(at("2130"), 131);
    EXPECT_EQ(at("7D00"), 132);
    EXPECT_EQ(at("7DB0"), 143);
    EXPECT_EQ(at("7DC0"), 144);
    EXPECT_EQ(at("7FF0"), 179);
    EXPECT_EQ(port.sent[1].size(), 49u) << "42 bytes of the rolling-code block";
    EXPECT_EQ(Bytes(port.sent[4 + 130].begin() + 5, port.sent[4 + 130].begin() + 9), options);

    // The first Hello waits its full second; the final wait ends with the last block's answer.
    EXPECT_EQ(loop.ElapsedMs(), 1000 + 10 + 10 + 180 * 10 + 10 + 10);
    const std::string report = "box info 程序下载完毕,请检查File Check_sum与Flash Check_sum是否相同！\n\n"
                               "File Check_sum=0800\nFlash Check_sum=1234\n"
                               "File Option=3CA50FF0\nFlash Option =A1A2A3A4";
    EXPECT_EQ(view.log, (Lines{"box question 请确认电源，USB线已经连接好!", "off download", "off main",
                               "show notice", "hide notice", report, "on main", "on download"}));
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(view.progress, 0) << "no programming dialog open";
    EXPECT_EQ(port.log.back(), "close");
}

TEST_F(OperationsTest, DownloadDeclinedTouchesNothing)
{
    view.messages.answers = {false};
    const OperationResult result = ops.DownloadProgram();
    EXPECT_TRUE(result.declined);
    EXPECT_TRUE(port.sent.empty());
    EXPECT_TRUE(port.log.empty());
    EXPECT_EQ(view.log, (Lines{"box question 请确认电源，USB线已经连接好!", "on main", "on download"}));
}

struct DownloadReportCase {
    const char* name;
    std::optional<Bytes> reply;
    Lines reports;
};

TEST_F(OperationsTest, DownloadReportsTheWritersFailure)
{
    const DownloadReportCase cases[] = {
        {"rejected", Reply(Failure, {1}), {"box plain Command error!"}},
        {"pin failure", Reply(Failure, {3, 0x7D, 0x00, 0, 0}), {"box info 引脚错误,检查芯片是否正确!"}},
        {"content", Reply(Failure, {3, 0x01, 0x23, 0x34, 0x12}),
         {"box info Chip not blank!\nChip Addr:0123 Data:1234"}},
        {"checksum", Reply(Failure, {5}), {"box info Check_sum error!"}},
        {"no reply", std::nullopt, {}},
        {"too short to count", HexBytes("68 01 06 07 16"), {}},
    };
    for (const DownloadReportCase& c : cases) {
        view.log.clear();
        view.messages.answers = {true};
        writer.byCode[FinishDownload] = c.reply;
        const OperationResult result = ops.DownloadProgram();
        EXPECT_EQ(Reports(), c.reports) << c.name;
        EXPECT_FALSE(result.succeeded) << c.name;
    }
}

struct BlockFailureCase {
    const char* name;
    int command; // the program area's blocks are commands 5.. (Hello, LoadChipData2, StartDownload, Hello)
    std::optional<Bytes> reply;
    int blocksSent;
};

TEST_F(OperationsTest, DownloadStopsAtTheFirstFailedArea)
{
    const BlockFailureCase cases[] = {
        {"wrong code, later blocks of the area good", 7, Reply(Failure, {1}), 128},
        {"no reply", 7, std::nullopt, 3},
        {"last block of option copy 2 wrong", 5 + 131, Reply(BlockAck + 1), 132},
        {"first chip-data block silent", 5 + 132, std::nullopt, 133},
    };
    for (const BlockFailureCase& c : cases) {
        port.sent.clear();
        view.log.clear();
        view.messages.answers = {true};
        writer = ScriptedWriter();
        writer.byNumber[c.command] = c.reply;
        const OperationResult result = ops.DownloadProgram();
        EXPECT_EQ(Commands(WriteBlock).size(), static_cast<std::size_t>(c.blocksSent)) << c.name;
        // The operation goes on: the Writer's report still comes.
        const Lines commands = Commands();
        EXPECT_EQ(Lines(commands.end() - 2, commands.end()), (Lines{"E1", "05"})) << c.name;
        ASSERT_EQ(Reports().size(), 2u) << c.name;
        EXPECT_EQ(Reports()[0], "box error 通信错误2请检查烧写器是否连接正确！") << c.name;
        EXPECT_TRUE(result.transferFailed) << c.name;
        EXPECT_FALSE(result.succeeded) << c.name;
    }
}

TEST_F(OperationsTest, HelloAnswerAheadOfTheFirstBlocksAckIsNotTheBlocks)
{
    // Commands 4 and 5 are DownloadImage's Hello and its first block.
    const std::pair<std::optional<Bytes>, std::optional<Bytes>> answers[] = {
        {std::nullopt, HexBytes("68 01 E2 E3 16 68 01 12 13 16")}, // one chunk
        {Reply(HelloAck), Reply(BlockAck)},                         // two chunks
        {std::nullopt, Reply(BlockAck)},                            // Hello unanswered
    };
    for (const auto& [hello, block] : answers) {
        writer = ScriptedWriter();
        writer.byNumber[4] = hello;
        writer.byNumber[5] = block;
        view.log.clear();
        view.messages.answers = {true};
        EXPECT_TRUE(ops.DownloadProgram().succeeded);
        EXPECT_EQ(Reports().size(), 1u);
    }
    // A first block answered by the Hello's answer alone gets no reply of its own.
    writer = ScriptedWriter();
    writer.byNumber[5] = std::nullopt;
    port.sent.clear();
    view.messages.answers = {true};
    EXPECT_TRUE(ops.DownloadProgram().transferFailed);
    EXPECT_EQ(Commands(WriteBlock), Lines{"11@0000"});
}

TEST_F(OperationsTest, EmptyProgramAreaFailsBeforeAnyBlock)
{
    SelectModel(s, 20, 0x0800, 0x07FF);
    port.OpenPort();
    EXPECT_FALSE(ops.DownloadImage());
    EXPECT_EQ(Commands(), Lines{"E1"});
    EXPECT_EQ(Reports(), Lines{"box error 通信错误2请检查烧写器是否连接正确！"});
}

TEST_F(OperationsTest, DownloadAdvancesTheDialogsProgressPerBlock)
{
    s.ProgramDialogOpen = true;
    port.OpenPort();
    EXPECT_TRUE(ops.DownloadImage());
    EXPECT_EQ(view.progress, 180);
}

struct FileOptionCase {
    int slot;
    const char* fileOption;
};

TEST_F(OperationsTest, DownloadReportTakesFileOptionBytesByModel)
{
    const FileOptionCase cases[] = {{2, "21212122"}, {14, "41414142"}, {17, "21212122"},
                                    {24, "41414142"}, {31, "81818182"}};
    for (const FileOptionCase& c : cases) {
        SelectModel(s, c.slot);
        for (std::uint8_t base : {0x21, 0x41, 0x81})
            for (int i = 0; i < 4; ++i)
                s.RomImage[static_cast<std::size_t>(base * 256 + 0x20 + i)] =
                    static_cast<std::uint8_t>(base + (i == 3));
        view.log.clear();
        view.messages.answers = {true};
        ops.DownloadProgram();
        ASSERT_EQ(Reports().size(), 1u) << c.slot;
        EXPECT_NE(Reports()[0].find(std::string("\nFile Option=") + c.fileOption + "\n"),
                  std::string::npos)
            << c.slot << ": " << Reports()[0];
    }
}

TEST_F(OperationsTest, DownloadOfTheLastSlotUsesItsOwnChipDataAddresses)
{
    SelectModel(s, 31);
    view.messages.answers = {true};
    ops.DownloadProgram();
    const Lines blocks = Commands(WriteBlock);
    EXPECT_EQ(Commands()[1], "04@8DC0");
    EXPECT_EQ(blocks[128], "11@8100");
    EXPECT_EQ(blocks[132], "11@8D00");
    EXPECT_EQ(blocks.back(), "11@8FF0");
}

} // namespace
} // namespace orvane::test
