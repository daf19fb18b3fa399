// The operations against the simulator's Writer logic, in process: the same fake port and
// virtual clock, but every frame goes through WriterModel, which checks our checksums, keeps
// what we download and holds a chip with OTP behaviour.
#include "operations_fixture.h"

#include "image/RomImage.h"
#include "tools/writer-sim/WriterModel.h"
#include "writer/Frame.h"

#include <regex>

namespace orvane::test {
namespace {

using Lines = std::vector<std::string>;

class ModelTest : public OperationsTest {
protected:
    void SetUp() override
    {
        OperationsTest::SetUp();
        port.responder = [this](const Bytes& frame) { return Answer(frame); };
        for (std::size_t a = 0; a < 0x800; ++a)
            s.RomImage[a] = static_cast<std::uint8_t>(a * 13 + 1);
        for (std::size_t i = 0; i < 0x40; ++i)
            s.RomImage[0x2100 + i] = static_cast<std::uint8_t>(0xF0 | (i & 0x0F));
        ComputeChecksum(s);
    }

    // Each reply arrives after the command and the reply have crossed the wire at 19200 baud.
    std::vector<Chunk> Answer(const Bytes& frame)
    {
        std::vector<Chunk> chunks;
        for (const WriterReply& reply : model.Feed(frame)) {
            if (reply.bytes.empty())
                continue;
            const int wireMs = 1 + static_cast<int>((frame.size() + reply.bytes.size()) * 52 / 100);
            if (reply.splitAfter == 0) {
                chunks.push_back({wireMs, reply.bytes});
                continue;
            }
            const auto cut = reply.bytes.begin() + static_cast<std::ptrdiff_t>(reply.splitAfter);
            chunks.push_back({wireMs, Bytes(reply.bytes.begin(), cut)});
            chunks.push_back({wireMs + static_cast<int>(reply.splitPause.count()), Bytes(cut, reply.bytes.end())});
        }
        return chunks;
    }

    void UseModel(WriterConfig config) { model = WriterModel(std::move(config)); }

    bool SameAsImage(std::int32_t first, std::int32_t last) const
    {
        return std::equal(s.RomImage.begin() + first, s.RomImage.begin() + last + 1,
                          model.Memory().begin() + first);
    }

    WriterModel model;
};

TEST_F(ModelTest, DownloadStoresEveryAreaAndTheWriterAgreesOnSumAndOptions)
{
    view.messages.answers = {true};
    const OperationResult result = ops.DownloadProgram();
    ASSERT_TRUE(result.succeeded);
    EXPECT_TRUE(SameAsImage(0x0000, 0x07FF));
    EXPECT_TRUE(SameAsImage(0x2100, 0x213F));
    EXPECT_TRUE(SameAsImage(0x7D00, 0x7FFF));

    ASSERT_EQ(Reports().size(), 1u);
    std::smatch m;
    const std::regex sums("File Check_sum=(\\w+)\nFlash Check_sum=(\\w+)\nFile Option=(\\w+)\n"
                          "Flash Option =(\\w+)$");
    ASSERT_TRUE(std::regex_search(Reports()[0], m, sums)) << Reports()[0];
    EXPECT_EQ(m[1], Hex(s.FileChecksum, 4));
    EXPECT_EQ(m[1], m[2]);
    EXPECT_EQ(m[3], "F0F1F2F3");
    EXPECT_EQ(m[3], m[4]);
}

TEST_F(ModelTest, ProgramThenReadBackGivesTheProgram)
{
    s.IDLen = 2;
    s.IDAddr = 0x0010;
    s.NextID = 0x0BAD;
    s.IDStep = 3;
    ProgramRunOptions options{true, true, true};
    ASSERT_TRUE(ops.RunProgramming(options).succeeded);
    EXPECT_EQ(s.NextID, 0x0BB0);
    EXPECT_EQ(model.ChipsProgrammed(), 1u);
    const Bytes program(s.RomImage.begin(), s.RomImage.begin() + 0x800);
    EXPECT_EQ(program[0x10], 0x0B);
    EXPECT_EQ(program[0x11], 0xAD);

    SelectModel(s, 20);
    ASSERT_TRUE(ops.ReadChip().succeeded);
    EXPECT_EQ(Bytes(s.RomImage.begin(), s.RomImage.begin() + 0x800), program);
    EXPECT_TRUE(Reports().empty());

    // The same chip again: the Writer cannot clear the zeros it wrote, and says where.
    view.log.clear();
    s.RomImage[0x0001] = 0xFF;
    options = {false, true, true};
    EXPECT_FALSE(ops.RunProgramming(options).succeeded);
    EXPECT_EQ(Reports(), (Lines{"box info Chip Addr:0001 Data:" + Hex(program[1], 2) +
                                "\nFlash_buffer data:FF\nfile_buffer data:FF"}));
}

struct BlankCase {
    SocketChip chip;
    const char* report;
};

TEST_F(ModelTest, BlankCheckOfTheChipInTheSocket)
{
    const BlankCase cases[] = {
        {SocketChip::Blank, "box info 芯片为空!"},
        {SocketChip::Programmed, "box info Chip not blank!\nChip Addr:0000 Data:A5"},
        {SocketChip::None, "box info 引脚错误2,检查芯片是否正确!"},
    };
    for (const BlankCase& c : cases) {
        WriterConfig config;
        config.chip = c.chip;
        UseModel(config);
        view.log.clear();
        const OperationResult result = ops.DoBlankCheck();
        EXPECT_EQ(Reports().back(), c.report);
        EXPECT_EQ(result.succeeded, c.chip == SocketChip::Blank);
    }
}

struct FaultCase {
    const char* fault;
    Lines reports;
};

TEST_F(ModelTest, DownloadFaultsOnTheWire)
{
    // Commands: 1 Hello, 2 LoadChipData2, 3 StartDownload, 4 Hello, 5.. blocks, then Hello and
    // FinishDownload (code 05).
    const std::string transferError = "box error 通信错误2请检查烧写器是否连接正确！";
    const FaultCase cases[] = {
        {"oversize@7", {transferError}},
        {"garbage@7", {transferError}},
        {"no-reply@7", {transferError}},
        {"split@code=05", {}},
        {"garbage@code=05", {}},
        {"oversize@code=05", {}},
        {"kind1@code=05", {"box plain Command error!"}},
        {"kind5@code=05", {"box info Check_sum error!"}},
        {"pin@code=05", {"box info 引脚错误,检查芯片是否正确!"}},
        {"not-blank@code=05", {"box info Chip not blank!\nChip Addr:0000 Data:00FF"}},
    };
    for (const FaultCase& c : cases) {
        WriterConfig config;
        config.faults = {ParseWriterFault(c.fault)};
        UseModel(config);
        view.log.clear();
        view.messages.answers = {true};
        const OperationResult result = ops.DownloadProgram();
        Lines reports = Reports();
        if (!c.reports.empty() && c.reports[0] == transferError)
            reports.resize(1); // the Writer's report still follows
        EXPECT_EQ(reports, c.reports) << c.fault;
        EXPECT_FALSE(result.succeeded) << c.fault;
    }
}

TEST_F(ModelTest, ReadFaultsOnTheWire)
{
    for (const char* fault : {"oversize@10", "garbage@10", "split@10", "no-reply@68"}) {
        WriterConfig config;
        config.faults = {ParseWriterFault(fault)};
        UseModel(config);
        view.log.clear();
        EXPECT_FALSE(ops.ReadChip().succeeded) << fault;
        EXPECT_EQ(Reports(), Lines{"box error 开始读取！"}) << fault;
    }
}

TEST_F(ModelTest, PortSearchFindsTheWriterAndItsVersion)
{
    WriterConfig config;
    config.version = ParseWriterVersion("3.14 2024.1.9");
    UseModel(config);
    port.existing = {"COM3"};
    EXPECT_TRUE(link.ConnectWriter(view));
    EXPECT_EQ(view.log, Lines{"panel 固件版本:  V3.14---2024.1.9"});
}

} // namespace
} // namespace orvane::test
