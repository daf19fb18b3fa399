// Blank check, read and download against the simulator's Writer logic on a virtual clock: the
// commands in order, the waits, what the operator sees for each answer, the block-transfer
// failure rules, the model-dependent addresses and the recovery when the port cannot open.
#include "link_fakes.h"

#include "app/Errors.h"
#include "image/RomImage.h"
#include "writer/Frame.h"

namespace orvane::test {
namespace {

class OperationsTest : public LinkFixture {
protected:
    // Runs the download with the question answered Yes; the log starts empty.
    OperationResult Download()
    {
        view.log.clear();
        view.answers = {true};
        return ops.DownloadProgram();
    }

    void UseWriter(WriterConfig config) { port.model = WriterModel(std::move(config)); }
};

TEST_F(OperationsTest, PortThatCannotOpenEndsTheOperationWithEverythingSwitchedOnAgain)
{
    ProgramRunOptions options;
    const struct {
        const char* name;
        std::function<void()> run;
        Lines log;
    } cases[] = {
        {"blank check", [&] { ops.DoBlankCheck(); },
         {"off blank-check", "off main", "on main", "on blank-check"}},
        {"read", [&] { ops.ReadChip(); },
         {"show wait", "off read", "label Waitting...", "off main", "label ", "hide wait",
          "on read", "on main"}},
        {"download", [&] { view.answers = {true}; ops.DownloadProgram(); },
         {"box question 请确认电源，USB线已经连接好!", "off download", "off main", "show notice",
          "hide notice", "on main", "on download"}},
        {"programming run", [&] { ops.RunProgramming(options); }, {"off dialog", "on dialog"}},
    };
    port.openErrors["COM2"] = "Error opening serial port";
    options.writeId = true;
    s.IDLen = 2;
    s.RomImage[0x0000] = 0x42;
    for (const auto& c : cases) {
        view.log.clear();
        try {
            c.run();
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const ECommsError& e) {
            EXPECT_STREQ(e.what(), "Error opening serial port") << c.name;
        }
        EXPECT_EQ(view.log, c.log) << c.name;
        EXPECT_TRUE(view.AllIdle()) << c.name;
        EXPECT_TRUE(port.sent.empty()) << c.name;
        EXPECT_EQ(s.RomImage[0x0000], 0x42) << c.name << ": the image is as before";
    }
}

TEST_F(OperationsTest, BlankCheckReportsEachAnswer)
{
    const struct {
        const char* name;
        std::optional<Bytes> reply; // nullopt: no reply
        Lines reports;
        long long elapsedMs;
    } cases[] = {
        {"blank", Reply(Blank), {"memo 0405", "box info 芯片为空!"}, 3040},
        {"done", Reply(Done), {}, 40},
        {"rejected", Reply(Failure, {1}), {"box plain Command error!"}, 40},
        {"pin failure", Reply(Failure, {3, 0x7D, 0x00, 0x11, 0x22}),
         {"box info 引脚错误2,检查芯片是否正确!"}, 40},
        {"not blank", Reply(Failure, {3, 0x7C, 0xFF, 0x11, 0x2E}),
         {"box info Chip not blank!\nChip Addr:7CFF Data:2E"}, 40},
        {"checksum", Reply(Failure, {5}), {"box info Check_sum error!"}, 40},
        {"other kind", Reply(Failure, {9}), {}, 40},
        {"unknown code", Reply(0x99, {1, 2}), {"memo 9907"}, 3040},
        // The line shows the code of LoadChipData's answer, still unparsed in the buffer.
        {"no reply", std::nullopt, {"memo 2200"}, 6030},
    };
    for (const auto& c : cases) {
        loop = VirtualLoop();
        port.sent.clear();
        view.log.clear();
        port.byCode[CheckBlank] = c.reply;
        const OperationResult result = ops.DoBlankCheck();
        EXPECT_EQ(Commands(), (Lines{"E1", "21@7D00", "03", "E1"})) << c.name;
        EXPECT_EQ(view.Reports(), c.reports) << c.name;
        EXPECT_EQ(loop.ElapsedMs(), c.elapsedMs) << c.name;
        EXPECT_EQ(result.succeeded, c.reply && (*c.reply)[2] == Blank) << c.name;
        EXPECT_TRUE(view.AllIdle()) << c.name;
        EXPECT_FALSE(port.isOpen) << c.name;
    }
}

TEST_F(OperationsTest, ReadTakesProgramAreaAndOptionRow)
{
    WriterModel::Buffer& chip = port.model.Chip();
    for (std::size_t a = 0; a < 0x800; ++a)
        chip[a] = static_cast<std::uint8_t>(a * 7);
    for (std::size_t i = 0; i < 32; ++i)
        chip[0x4000 + i] = static_cast<std::uint8_t>(0xC0 + i);
    s.RomImage[0x3000] = 0x12; // below the chip data and not read back: ends blank
    const Bytes chipData(s.RomImage.begin() + 0x7D00, s.RomImage.end());

    EXPECT_TRUE(ops.ReadChip().succeeded);

    Lines expected{"E1", "21@7D00", "37"};
    for (int a = 0; a < 0x800; a += 32)
        expected.push_back("38@" + Hex(a, 4));
    expected.insert(expected.end(), {"38@4000", "40", "E1"});
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(port.sent[1].size(), 59u) << "52 bytes of chip data";
    EXPECT_EQ(loop.ElapsedMs(), 3 * 10 + 65 * 10 + 2 * 10) << "the final wait ends at once";
    EXPECT_TRUE(std::equal(s.RomImage.begin(), s.RomImage.begin() + 0x800, chip.begin()));
    EXPECT_TRUE(std::equal(s.RomImage.begin() + 0x2100, s.RomImage.begin() + 0x2120,
                           chip.begin() + 0x4000));
    EXPECT_EQ(ToHex(Bytes(s.RomImage.begin() + 0x2120, s.RomImage.begin() + 0x2125)),
              "C0 C1 C2 C3 FF");
    EXPECT_EQ(s.RomImage[0x3000], 0xFF);
    EXPECT_EQ(Bytes(s.RomImage.begin() + 0x7D00, s.RomImage.end()), chipData);
    EXPECT_EQ(view.log, (Lines{"show wait", "off read", "label Waitting...", "off main", "label ",
                               "hide wait", "on read", "on main", "info 芯片信息：QK128",
                               "hex refresh", "scroll 6 top 0"}));
}

TEST_F(OperationsTest, ReadFailsWheneverABlockOrTheOptionRowFails)
{
    // Commands: 1 Hello, 2 LoadChipData, 3 StartRead, 4..67 the program blocks, 68 the option row.
    const struct {
        const char* name;
        int command;
        std::optional<Bytes> reply;
        std::size_t readBlocks;
        std::uint8_t at0x40, at0x60, at0x2100;
    } cases[] = {
        {"wrong code, later blocks good", 6, Reply(Failure, {1}), 65, 0xFF, 0x00, 0x55},
        {"short block data", 6, Reply(BlockData, Bytes(16, 0x00)), 65, 0xFF, 0x00, 0x55},
        {"no reply", 6, std::nullopt, 4, 0xFF, 0xFF, 0x55},
        {"option row wrong code", 68, Reply(Done), 65, 0x00, 0x00, 0xFF},
        {"option row without reply", 68, std::nullopt, 65, 0x00, 0x00, 0xFF},
    };
    for (const auto& c : cases) {
        UseWriter({});
        std::fill_n(port.model.Chip().begin(), 0x800, 0x00);
        std::fill_n(port.model.Chip().begin() + 0x4000, 32, 0x55);
        port.byNumber = {{c.command, c.reply}};
        port.sent.clear();
        view.log.clear();
        const OperationResult result = ops.ReadChip();
        EXPECT_TRUE(result.transferFailed && !result.succeeded) << c.name;
        EXPECT_EQ(view.Reports(), Lines{"box error 开始读取！"}) << c.name;
        EXPECT_EQ(Commands(ReadBlock).size(), c.readBlocks) << c.name;
        EXPECT_EQ(s.RomImage[0x40], c.at0x40) << c.name;
        EXPECT_EQ(s.RomImage[0x60], c.at0x60) << c.name;
        EXPECT_EQ(s.RomImage[0x2100], c.at0x2100) << c.name;
        EXPECT_EQ(s.RomImage[0x2120], c.at0x2100) << c.name << ": mirrored";
    }
}

TEST_F(OperationsTest, ReadAtTheTopOfTheImageStopsAtItsEnd)
{
    for (std::size_t a = 0xFF00; a <= 0xFFFF; ++a)
        port.model.Chip()[a] = static_cast<std::uint8_t>(a);
    port.OpenPort();
    for (std::int32_t first : {0xFFE0, 0xFFF0}) {
        s.RomStart = first;
        s.RomEnd = 0xFFFF;
        port.sent.clear();
        EXPECT_TRUE(ops.ReadImage());
        EXPECT_EQ(Commands(ReadBlock), (Lines{"38@" + Hex(first, 4), "38@4000"}));
        for (std::int32_t a = first; a <= 0xFFFF; ++a)
            ASSERT_EQ(s.RomImage[static_cast<std::size_t>(a)], static_cast<std::uint8_t>(a));
    }
}

TEST_F(OperationsTest, DownloadSendsEveryAreaAndReportsTheWritersSums)
{
    std::fill_n(s.RomImage.begin(), 0x800, 0x01);
    const Bytes options = HexBytes("3C A5 0F F0");
    std::copy(options.begin(), options.end(), s.RomImage.begin() + 0x2120);
    ComputeChecksum(s);

    EXPECT_TRUE(Download().succeeded);

    const Lines commands = Commands();
    ASSERT_EQ(commands.size(), 4u + 180u + 2u);
    EXPECT_EQ(Lines(commands.begin(), commands.begin() + 4), (Lines{"E1", "04@7DC0", "07", "E1"}));
    EXPECT_EQ(Lines(commands.end() - 2, commands.end()), (Lines{"E1", "05"}));
    Lines blocks;
    for (const auto& [first, last] : {std::pair{0x0000, 0x07F0}, {0x2100, 0x2130}, {0x7D00, 0x7FF0}})
        for (int a = first; a <= last; a += 16)
            blocks.push_back("11@" + Hex(a, 4));
    EXPECT_EQ(Commands(WriteBlock), blocks);
    EXPECT_EQ(port.sent[1].size(), 49u) << "42 bytes of the rolling-code block";
    for (const auto& [first, end] : {std::pair{0x0000, 0x0800}, {0x2100, 0x2140}, {0x7D00, 0x8000}})
        EXPECT_TRUE(std::equal(s.RomImage.begin() + first, s.RomImage.begin() + end,
                               port.model.Memory().begin() + first))
            << "the Writer holds " << Hex(first, 4) << " as sent";
    // Hello waits its full second; the final wait ends with the last block's answer.
    EXPECT_EQ(loop.ElapsedMs(), 1000 + 10 + 10 + 180 * 10 + 10 + 10);
    const std::string report = "box info 程序下载完毕,请检查File Check_sum与Flash Check_sum是否相同！\n\n"
                               "File Check_sum=0800\nFlash Check_sum=0800\n"
                               "File Option=3CA50FF0\nFlash Option =3CA50FF0";
    EXPECT_EQ(view.log, (Lines{"box question 请确认电源，USB线已经连接好!", "off download", "off main",
                               "show notice", "hide notice", report, "on main", "on download"}));
    EXPECT_EQ(view.progress, 0) << "no programming dialog open";

    view.answers = {false};
    port.sent.clear();
    EXPECT_TRUE(ops.DownloadProgram().declined);
    EXPECT_TRUE(port.sent.empty());
}

TEST_F(OperationsTest, DownloadFailures)
{
    // Commands: 1 Hello, 2 LoadChipData2, 3 StartDownload, 4 Hello, 5..132 the program blocks,
    // 133..136 the option copies, 137.. the chip data, then Hello and FinishDownload (05).
    const std::string transfer = "box error 通信错误2请检查烧写器是否连接正确！";
    const std::string downloaded = "box info 程序下载完毕";
    const struct {
        const char* name;
        std::map<int, std::optional<Bytes>> byNumber;
        std::optional<Bytes> finish; // FinishDownload's answer when not the Writer's
        std::size_t blocks;
        Lines reports; // a report starting "box info 程序下载完毕" is compared by its start
    } cases[] = {
        {"wrong code, later blocks of the area good", {{7, Reply(Failure, {1})}}, {}, 128,
         {transfer, downloaded}},
        {"block without reply", {{7, std::nullopt}}, {}, 3, {transfer, downloaded}},
        {"last option block wrong", {{136, Reply(BlockAck + 1)}}, {}, 132, {transfer, downloaded}},
        {"oversize block answer", {{137, Bytes(101, 0x68)}}, {}, 133, {transfer, downloaded}},
        {"rejected", {}, Reply(Failure, {1}), 180, {"box plain Command error!"}},
        {"pin failure", {}, Reply(Failure, {3, 0x7D, 0x00, 0, 0}),
         180, {"box info 引脚错误,检查芯片是否正确!"}},
        {"content", {}, Reply(Failure, {3, 0x01, 0x23, 0x34, 0x12}),
         180, {"box info Chip not blank!\nChip Addr:0123 Data:1234"}},
        {"checksum", {}, Reply(Failure, {5}), 180, {"box info Check_sum error!"}},
        {"no report", {}, Bytes{}, 180, {}},
        {"report without its payload", {}, HexBytes("68 02 06 00 08 16 00"), 180, {}},
    };
    for (const auto& c : cases) {
        UseWriter({});
        port.byNumber = c.byNumber;
        port.byCode.clear();
        if (c.finish)
            port.byCode[FinishDownload] = *c.finish;
        port.sent.clear();
        const OperationResult result = Download();
        EXPECT_FALSE(result.succeeded) << c.name;
        EXPECT_EQ(result.transferFailed, !c.byNumber.empty()) << c.name;
        EXPECT_EQ(Commands(WriteBlock).size(), c.blocks) << c.name;
        EXPECT_EQ(Commands().back(), "05") << c.name << ": the operation goes on to the report";
        Lines reports = view.Reports();
        for (std::string& r : reports)
            if (r.rfind(downloaded, 0) == 0)
                r = downloaded;
        EXPECT_EQ(reports, c.reports) << c.name;
    }
}

TEST_F(OperationsTest, HelloAnswerAheadOfTheFirstBlocksAckIsNotTheBlocks)
{
    // Commands 4 and 5 are DownloadImage's Hello and its first block.
    const std::pair<std::optional<Bytes>, std::optional<Bytes>> answers[] = {
        {std::nullopt, HexBytes("68 01 E2 E3 16 68 01 12 13 16")}, // in one chunk
        {Reply(HelloAck), Reply(BlockAck)},                         // in two
        {std::nullopt, Reply(BlockAck)},                            // Hello unanswered
    };
    for (const auto& [hello, block] : answers) {
        port.byNumber = {{4, hello}, {5, block}};
        EXPECT_TRUE(Download().succeeded);
    }
    port.byNumber = {{5, std::nullopt}}; // the Hello's answer is not the block's
    port.sent.clear();
    EXPECT_TRUE(Download().transferFailed);
    EXPECT_EQ(Commands(WriteBlock), Lines{"11@0000"});
}

TEST_F(OperationsTest, EmptyProgramAreaFailsAtOnceAndBlocksAdvanceTheDialogsProgress)
{
    port.OpenPort();
    s.ProgramDialogOpen = true;
    EXPECT_TRUE(ops.DownloadImage());
    EXPECT_EQ(view.progress, 180);

    SelectModel(s, 20, 0x0800, 0x07FF);
    port.sent.clear();
    EXPECT_FALSE(ops.DownloadImage());
    EXPECT_EQ(Commands(), Lines{"E1"});
    EXPECT_EQ(view.Reports(), Lines{"box error 通信错误2请检查烧写器是否连接正确！"});
}

TEST_F(OperationsTest, ModelDependentAddresses)
{
    const struct {
        int slot;
        const char* chipData;   // blank check, read and download
        const char* optionRow;  // what the read asks for
        std::int32_t copyAt;    // where the read stores it
        int copiedAgain;        // bytes copied to option copy 2 after the read
        const char* fileOption; // the download report's File Option bytes, from 0x.1 20
    } cases[] = {
        {1, "7D00", "0000", 0x2100, 4, "21"},  {14, "7D00", "0000", 0x4100, 1, "41"},
        {17, "7D00", "0000", 0x4100, 1, "21"}, {20, "7D00", "4000", 0x2100, 4, "21"},
        {21, "7D00", "4000", 0x4100, 1, "21"}, {22, "7D00", "FFFF", 0x2100, 4, "21"},
        {23, "7D00", "3FE0", 0x4100, 1, "41"}, {24, "7D00", "FFFF", 0x4100, 1, "41"},
        {30, "7D00", "FFFF", 0x2100, 4, "21"}, {31, "8D00", "FFFF", 0x8100, 1, "81"},
    };
    for (const auto& c : cases) {
        SelectModel(s, c.slot, 0x0800, 0x081F);
        for (std::size_t i = 0; i < 32; ++i)
            port.model.Chip()[(HexToInt(c.optionRow) + i) & 0xFFFF] = static_cast<std::uint8_t>(0x40 + i);
        port.sent.clear();
        ops.DoBlankCheck();
        EXPECT_EQ(Commands(LoadChipData), Lines{std::string("21@") + c.chipData}) << c.slot;

        port.sent.clear();
        ASSERT_TRUE(ops.ReadChip().succeeded) << c.slot;
        EXPECT_EQ(Commands(LoadChipData), Lines{std::string("21@") + c.chipData}) << c.slot;
        EXPECT_EQ(Commands(ReadBlock).back(), std::string("38@") + c.optionRow) << c.slot;
        const auto copy1 = s.RomImage.begin() + c.copyAt;
        for (int i = 0; i < 32; ++i)
            ASSERT_EQ(copy1[i], 0x40 + i) << c.slot << " byte " << i;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(copy1[0x20 + i], i < c.copiedAgain ? 0x40 + i : 0xFF) << c.slot;

        for (std::size_t base : {0x2120u, 0x4120u, 0x8120u})
            std::fill_n(s.RomImage.begin() + base, 4, static_cast<std::uint8_t>(base >> 8));
        port.sent.clear();
        Download();
        EXPECT_NE(view.Reports().at(0).find(std::string("File Option=") + c.fileOption +
                                            c.fileOption + c.fileOption + c.fileOption + "\n"),
                  std::string::npos)
            << c.slot << view.Reports()[0];
        EXPECT_EQ(Commands(WriteBlock).at(2 + 4), "11@" + Hex(s.ChipDataAddr1, 4)) << c.slot;
        EXPECT_EQ(Commands(LoadChipData2), Lines{"04@" + Hex(s.ChipDataAddr1 + 0xC0, 4)}) << c.slot;
    }
}

} // namespace
} // namespace orvane::test
