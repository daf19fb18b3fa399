// The Writer protocol on a fake port and a virtual clock: frames on the wire, the receive state
// on hostile chunks, the waits' timing, the port search and the version query.
#include "link_fakes.h"

#include "app/Errors.h"
#include "writer/Frame.h"

namespace orvane::test {
namespace {

class LinkTest : public LinkFixture {
protected:
    void Arrive(int ms, const std::string& hex) { port.Deliver(ms, HexBytes(hex)); }
    void Receive(const Bytes& chunk)
    {
        link.Comm1ReceiveData(chunk.data(), static_cast<std::uint16_t>(chunk.size()));
    }
};

TEST_F(LinkTest, CommandFramesCarryAddressImageBytesAndChecksum)
{
    for (int i = 0; i < 16; ++i)
        s.RomImage[0x100 + i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 8; ++i)
        s.RomImage[0xFFF8 + i] = static_cast<std::uint8_t>(i + 1);
    std::fill_n(s.RomImage.begin() + 0x7D00, 32, 0);
    const struct {
        std::uint8_t L;
        std::int32_t address;
        std::uint8_t code;
        std::string wire;
    } cases[] = {
        {1, 0, Hello, "68 01 E1 E2 16"},
        {1, 0, GetVersion, "68 01 45 46 16"},
        {3, 0x0120, ReadBlock, "68 03 38 01 20 5C 16"},
        {3, 0xFFFF, ReadBlock, "68 03 38 FF FF 39 16"},
        {19, 0x0100, WriteBlock,
         "68 13 11 01 00 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 9D 16"},
        // Beyond 0xFFFF nothing is read: those bytes go out blank.
        {19, 0xFFF8, WriteBlock,
         "68 13 11 FF F8 01 02 03 04 05 06 07 08 FF FF FF FF FF FF FF FF 37 16"},
        {35, 0x7D00, LoadChipData, "68 23 21 7D 00 " + ToHex(Bytes(32, 0)) + " C1 16"},
    };
    port.OpenPort();
    for (const auto& c : cases) {
        port.sent.clear();
        link.SendCommand(c.L, c.address, c.code);
        ASSERT_EQ(port.sent.size(), 1u);
        EXPECT_EQ(ToHex(port.sent[0]), c.wire);
    }
}

TEST_F(LinkTest, RefusedSendIsOfferedSixTimesWithEventsRunBetween)
{
    port.OpenPort();
    port.refuseWrites = 5;
    Arrive(0, "68 01 E2 E3 16"); // already due: only the events run between attempts take it
    link.SendCommand(1, 0, Hello);
    EXPECT_EQ(port.sent.size(), 1u);
    EXPECT_EQ(link.RxCount, 5);

    port.log.clear();
    port.refuseWrites = 7;
    link.SendCommand(1, 0, Hello);
    EXPECT_EQ(port.sent.size(), 1u);
    EXPECT_EQ(port.log, Lines(6, "refused"));
}

TEST_F(LinkTest, EachChunkReplacesTheLastUnlessItCannotFit)
{
    Receive(Reply(BlockData, Bytes(32, 0xAA)));
    Receive(HexBytes("68 01 E2 E3 16"));
    EXPECT_EQ(link.RxCount, 5);
    EXPECT_EQ(link.RxBuf[5], 0xAA) << "the rest of the longer chunk stays behind it";
    const auto before = link.RxBuf;
    for (std::size_t length : {101u, 300u, 65535u}) {
        Receive(Bytes(length, 0x11));
        EXPECT_EQ(link.RxCount, 5) << length;
        EXPECT_EQ(link.RxBuf, before) << length;
    }
    Receive(Bytes(100, 0x22));
    EXPECT_EQ(link.RxCount, 100);
}

TEST_F(LinkTest, ParseReplyTakesOnlyFramesThatFitTheChunk)
{
    Bytes tooLong{0x68, 0x22, 0x39}; // 33 payload bytes
    tooLong.resize(38, 0x16);
    Bytes fullBuffer(100, 0x39);
    fullBuffer[0] = 0x68;
    fullBuffer[1] = 0xFF;
    const struct {
        const char* name;
        Bytes chunk;
        std::uint8_t code; // 0: treated as no reply
        int payload;
    } cases[] = {
        {"hello ack", HexBytes("68 01 E2 E3 16"), HelloAck, 0},
        {"block data", Reply(BlockData, Bytes(32, 0x5A)), BlockData, 32},
        {"failure kind 3", HexBytes("68 06 F2 03 7C FF 12 34 00 16"), Failure, 5},
        {"end byte beyond the chunk", HexBytes("68 01 E2 E3"), 0, 0},
        {"L past the chunk", HexBytes("68 05 F2 01 02"), 0, 0},
        {"33 payload bytes", tooLong, 0, 0},
        {"L of zero", HexBytes("68 00 E2 16 00"), 0, 0},
        {"L of 255 in a full buffer", fullBuffer, 0, 0},
        {"two bytes", HexBytes("68 01"), 0, 0},
    };
    for (const auto& c : cases) {
        link.RxData.fill(0x77);
        Receive(c.chunk);
        link.ParseReply();
        EXPECT_EQ(link.RxCode, c.code) << c.name;
        EXPECT_EQ(link.RxPayloadLength(), c.payload) << c.name;
        EXPECT_EQ(link.RxCount, c.chunk.size()) << c.name << ": parsing leaves the count alone";
        for (std::size_t i = static_cast<std::size_t>(c.payload); i < link.RxData.size(); ++i)
            ASSERT_EQ(link.RxData[i], 0) << c.name << ": no stale payload byte " << i;
        link.ParseReply();
        EXPECT_EQ(link.RxCode, 0) << c.name << ": the parse zeroed the buffer";
    }
}

TEST_F(LinkTest, SkipHelloAckKeepsWhatFollowsInTheChunk)
{
    Receive(HexBytes("68 01 E2 E3 16 68 01 12 13 16"));
    EXPECT_TRUE(link.SkipHelloAck());
    link.ParseReply();
    EXPECT_EQ(link.RxCode, BlockAck);
    Receive(HexBytes("68 01 E2 E3 16"));
    EXPECT_TRUE(link.SkipHelloAck());
    EXPECT_EQ(link.RxCount, 0);
    for (const char* other : {"68 01 12 13 16", "68 01 E2 E3", "68 02 E2 00 E4 16"}) {
        Receive(HexBytes(other));
        EXPECT_FALSE(link.SkipHelloAck()) << other;
        EXPECT_EQ(link.RxCount, HexBytes(other).size()) << other;
    }
}

enum class Wait { Reply, Block, Full };

TEST_F(LinkTest, WaitsEndWithTheReplyOrRunToTheirTime)
{
    const struct {
        const char* name;
        std::vector<std::pair<int, std::string>> chunks;
        Wait wait;
        int ms, threshold;
        long long elapsedMs;
        int count;
    } cases[] = {
        {"reply", {{10, "68 01 E2 E3 16"}}, Wait::Reply, 1000, 0, 10, 5},
        {"silence", {}, Wait::Reply, 1000, 0, 1000, 0},
        {"silent block", {}, Wait::Block, 600, 0, 600, 0},
        {"full wait", {{10, "68 01 E2 E3 16"}}, Wait::Full, 3000, 0, 3000, 5},
        {"split, second half long enough", {{10, "68 07 06 12"}, {30, "34 A1 A2 A3 A4 DD 16"}},
         Wait::Reply, 3000, 6, 30, 7},
        {"split, no half long enough", {{10, "68 07 06 12 34 A1"}, {30, "A2 A3 A4 DD 16"}},
         Wait::Reply, 3000, 6, 3000, 5},
        {"short then long", {{10, "68 02 06 12 1A 16"}, {20, "68 07 06 12 34 A1 A2 A3 A4 DD 16"}},
         Wait::Reply, 3000, 6, 20, 11},
        {"two queued, block wait", {{10, "68 01 12 13 16"}, {10, "68 02 F2 01 F5 16"}},
         Wait::Block, 600, 0, 10, 5},
        {"two queued, general wait", {{10, "68 01 12 13 16"}, {10, "68 02 F2 01 F5 16"}},
         Wait::Reply, 600, 0, 10, 6},
    };
    port.OpenPort();
    for (const auto& c : cases) {
        loop = VirtualLoop();
        link.RxCount = 0;
        for (const auto& [ms, hex] : c.chunks)
            Arrive(ms, hex);
        if (c.wait == Wait::Reply)
            link.WaitReply(c.ms, c.threshold);
        else if (c.wait == Wait::Block)
            link.WaitBlockReply(c.ms);
        else
            link.WaitFull(c.ms);
        EXPECT_EQ(loop.ElapsedMs(), c.elapsedMs) << c.name;
        EXPECT_EQ(link.RxCount, c.count) << c.name;
    }
}

TEST_F(LinkTest, LateReplyCountsForTheNextCommandAndChatterDoesNotStretchAWait)
{
    port.OpenPort();
    port.byCode[Hello] = std::nullopt;
    port.byCode[CheckBlank] = std::nullopt;
    link.SendCommand(1, 0, Hello);
    Arrive(1200, "68 01 E2 E3 16");
    link.WaitReply(1000);
    link.RxCount = 0;
    link.SendCommand(1, 0, CheckBlank);
    link.WaitReply(3000);
    EXPECT_EQ(loop.ElapsedMs(), 1200);
    link.ParseReply();
    EXPECT_EQ(link.RxCode, HelloAck);

    std::function<void()> chatter = [&] {
        Receive({0x68, 0x01});
        loop.After(1, chatter);
    };
    loop.After(0, chatter);
    link.WaitReply(100, 50);
    link.WaitFull(100);
    EXPECT_EQ(loop.ElapsedMs(), 1400);
}

TEST(FirmwareVersionTextTest, NumbersAreDecimalWithoutPadding)
{
    EXPECT_EQ(FirmwareVersionText({1, 2, 11, 5, 17}), "固件版本:  V1.2---2011.5.17");
    EXPECT_EQ(FirmwareVersionText({0, 0, 5, 3, 1}), "固件版本:  V0.0---2005.3.1");
    EXPECT_EQ(FirmwareVersionText({255, 10, 255, 12, 31}), "固件版本:  V255.10---2255.12.31");
}

TEST_F(LinkTest, PortSearchSkipsStrangersAndStopsAtTheWriter)
{
    port.existing = {"COM2", "COM4", "COM5", "COM7"};
    port.openErrors["COM4"] = "Error opening serial port";
    port.foreign["COM2"] = HexBytes("68 01 55 56 16");
    EXPECT_TRUE(link.ConnectWriter(view));
    EXPECT_EQ(port.log, (Lines{"open COM2", "close", "open COM5", "close", "open COM5", "close"}));
    EXPECT_EQ(view.log, Lines{"panel 固件版本:  V1.2---2011.5.17"});
    EXPECT_EQ(s.ComName, "COM5");
    EXPECT_EQ(port.baud_, 19200u);
    // Two probes per port, the second answered at once; then Hello and GetVersion.
    EXPECT_EQ(Commands(), (Lines{"E1", "E1", "E1", "E1", "E1", "45"}));
    EXPECT_EQ(port.sentAtMs, (std::vector<long long>{0, 10, 10, 20, 20, 30}));
}

TEST_F(LinkTest, PortSearchWithoutWriter)
{
    EXPECT_FALSE(link.ConnectWriter(view));
    EXPECT_TRUE(port.log.empty());
    port.existing = {"COM1", "COM3"};
    port.foreign = {{"COM1", std::nullopt}, {"COM3", std::nullopt}};
    link.RxCode = HelloAck; // left from before: silence must not count as the Writer
    EXPECT_FALSE(link.ConnectWriter(view));
    EXPECT_EQ(loop.ElapsedMs(), 4000);
    EXPECT_EQ(view.log, Lines(2, "panel 固件版本：读取失败！"));
}

TEST_F(LinkTest, PortSearchFirstProbeLostAndNoVersion)
{
    port.existing = {"COM1"};
    port.refuseWrites = 1; // the transmit side not ready right after opening
    port.byCode[GetVersion] = std::nullopt;
    EXPECT_TRUE(link.ConnectWriter(view));
    EXPECT_EQ(port.sentAtMs.front(), 1000);
    EXPECT_TRUE(view.log.empty()) << "the panel keeps its text";
}

TEST_F(LinkTest, VersionQueryWaitsForMoreThanSevenBytes)
{
    EXPECT_EQ(link.QueryFirmwareVersion(), (std::array<std::uint8_t, 5>{1, 2, 11, 5, 17}));
    EXPECT_EQ(loop.ElapsedMs(), 20);
    port.byCode[GetVersion] = HexBytes("68 03 46 01 02 4C 16");
    EXPECT_EQ(link.QueryFirmwareVersion(), std::nullopt);
    EXPECT_EQ(loop.ElapsedMs(), 20 + 10 + 3000);
    port.byCode[GetVersion] = std::nullopt;
    EXPECT_EQ(link.QueryFirmwareVersion(), std::nullopt);
    EXPECT_EQ(link.RxCode, HelloAck) << "the parse decodes Hello's answer still in the buffer";
    EXPECT_EQ(port.log.back(), "close");
    port.openErrors["COM2"] = "Error opening serial port";
    EXPECT_THROW(link.QueryFirmwareVersion(), ECommsError);
}

} // namespace
} // namespace orvane::test
