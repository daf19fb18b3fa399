// The Writer protocol on a fake port and a virtual clock: frames on the wire, the receive state,
// the waits' timing, the port search and the version query.
#include "link_fakes.h"

#include "app/Errors.h"
#include "writer/Frame.h"
#include "writer/WriterLink.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port.responder = std::ref(writer);
        port.OpenPort();
        port.log.clear();
    }

    // Queues a chunk that arrives ms from now.
    void Arrive(int ms, const std::string& hex) { port.Deliver(ms, HexBytes(hex)); }

    AppState s;
    VirtualLoop loop;
    FakePort port{loop};
    ScriptedWriter writer;
    WriterLink link{s, port, loop};
    RecordingView view;
};

struct FrameCase {
    std::uint8_t L;
    std::int32_t address;
    std::uint8_t code;
    const char* wire;
};

TEST_F(LinkTest, CommandFramesCarryAddressImageBytesAndChecksum)
{
    for (int i = 0; i < 16; ++i)
        s.RomImage[0x100 + i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 8; ++i)
        s.RomImage[0xFFF8 + i] = static_cast<std::uint8_t>(i + 1);
    const std::string zeros32 = " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                                " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
    const std::string load = "68 23 21 7D 00" + zeros32 + " C1 16";
    const FrameCase cases[] = {
        {1, 0, Hello, "68 01 E1 E2 16"},
        {1, 0, GetVersion, "68 01 45 46 16"},
        {1, 0, ProgramChip, "68 01 01 02 16"},
        {3, 0x0120, ReadBlock, "68 03 38 01 20 5C 16"},
        {3, 0xFFFF, ReadBlock, "68 03 38 FF FF 39 16"},
        {19, 0x0100, WriteBlock,
         "68 13 11 01 00 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 9D 16"},
        // The image ends at 0xFFFF: what lies beyond goes out blank.
        {19, 0xFFF8, WriteBlock,
         "68 13 11 FF F8 01 02 03 04 05 06 07 08 FF FF FF FF FF FF FF FF 37 16"},
        {35, 0x7D00, LoadChipData, load.c_str()},
    };
    for (const FrameCase& c : cases) {
        port.sent.clear();
        link.SendCommand(c.L, c.address, c.code);
        ASSERT_EQ(port.sent.size(), 1u);
        EXPECT_EQ(ToHex(port.sent[0]), c.wire) << "L=" << int(c.L) << " code=" << int(c.code);
    }
}

TEST_F(LinkTest, RefusedSendIsOfferedSixTimesWithEventsRunBetween)
{
    port.refuseWrites = 5;
    Arrive(0, "68 01 E2 E3 16"); // already due: only the retries' event processing takes it
    link.SendCommand(1, 0, Hello);
    EXPECT_EQ(port.sent.size(), 1u);
    EXPECT_EQ(std::count(port.log.begin(), port.log.end(), "refused"), 5);
    EXPECT_EQ(link.RxCount, 5);

    port.sent.clear();
    port.log.clear();
    port.refuseWrites = 7;
    link.SendCommand(1, 0, Hello);
    EXPECT_TRUE(port.sent.empty());
    EXPECT_EQ(port.log.size(), 6u) << "given up after the sixth attempt";
}

TEST_F(LinkTest, EachChunkReplacesThePreviousOne)
{
    Bytes block = Reply(BlockData, Bytes(32, 0xAA));
    Arrive(1, ToHex(block));
    Arrive(2, "68 01 E2 E3 16");
    link.WaitFull(5);
    EXPECT_EQ(link.RxCount, 5);
    EXPECT_EQ(link.RxBuf[2], 0xE2);
    EXPECT_EQ(link.RxBuf[5], 0xAA) << "the rest of the longer chunk stays behind it";
    link.ParseReply();
    EXPECT_EQ(link.RxCode, HelloAck);
}

TEST_F(LinkTest, ChunkLongerThanTheBufferIsDroppedWhole)
{
    Arrive(1, "68 01 E2 E3 16");
    link.WaitFull(2);
    const auto before = link.RxBuf;

    for (std::size_t length : {101u, 300u, 65535u}) {
        Bytes big(length, 0x11);
        link.Comm1ReceiveData(big.data(), static_cast<std::uint16_t>(big.size()));
        EXPECT_EQ(link.RxCount, 5) << length;
        EXPECT_EQ(link.RxBuf, before) << length;
    }
    Bytes full(100, 0x22);
    link.Comm1ReceiveData(full.data(), 100);
    EXPECT_EQ(link.RxCount, 100);
    EXPECT_EQ(link.RxBuf[99], 0x22);
}

struct ParseCase {
    const char* name;
    Bytes chunk;
    std::uint8_t code; // 0: treated as no reply
    int payload;
};

TEST_F(LinkTest, ParseReplyTakesOnlyFramesThatFitTheChunk)
{
    Bytes tooLong{0x68, 0x22, 0x39}; // L = 34: 33 payload bytes
    tooLong.resize(37, 0);
    tooLong.push_back(0x16);
    Bytes fullBuffer(100, 0x39);
    fullBuffer[0] = 0x68;
    fullBuffer[1] = 0xFF;
    const ParseCase cases[] = {
        {"hello ack", HexBytes("68 01 E2 E3 16"), HelloAck, 0},
        {"block data of 32 bytes", Reply(BlockData, Bytes(32, 0x5A)), BlockData, 32},
        {"failure kind 3", HexBytes("68 06 F2 03 7C FF 12 34 00 16"), Failure, 5},
        {"end byte beyond the chunk", HexBytes("68 01 E2 E3"), 0, 0},
        {"L past the chunk", HexBytes("68 05 F2 01 02"), 0, 0},
        {"33 payload bytes", tooLong, 0, 0},
        {"L of zero", HexBytes("68 00 E2 16 00"), 0, 0},
        {"L of 255 in a full buffer", fullBuffer, 0, 0},
        {"two bytes", HexBytes("68 01"), 0, 0},
    };
    for (const ParseCase& c : cases) {
        link.RxData.fill(0x77);
        link.Comm1ReceiveData(c.chunk.data(), static_cast<std::uint16_t>(c.chunk.size()));
        link.ParseReply();
        EXPECT_EQ(link.RxCode, c.code) << c.name;
        EXPECT_EQ(link.RxPayloadLength(), c.payload) << c.name;
        EXPECT_EQ(link.RxCount, c.chunk.size()) << c.name << ": parsing leaves the count alone";
        for (std::size_t i = static_cast<std::size_t>(c.payload); i < link.RxData.size(); ++i)
            ASSERT_EQ(link.RxData[i], 0) << c.name << ": no stale payload byte " << i;
        if (c.code == 0) {
            EXPECT_EQ(link.RxHead, 0) << c.name;
            EXPECT_EQ(link.RxLen, 0) << c.name;
        }
    }
}

TEST_F(LinkTest, SkipHelloAckKeepsWhatFollowsInTheChunk)
{
    Arrive(1, "68 01 E2 E3 16 68 01 12 13 16");
    link.WaitReply(10);
    EXPECT_TRUE(link.SkipHelloAck());
    EXPECT_EQ(link.RxCount, 5);
    link.ParseReply();
    EXPECT_EQ(link.RxCode, BlockAck);

    link.RxCount = 0;
    Arrive(1, "68 01 E2 E3 16");
    link.WaitReply(10);
    EXPECT_TRUE(link.SkipHelloAck());
    EXPECT_EQ(link.RxCount, 0);
    link.ParseReply();
    EXPECT_EQ(link.RxCode, 0) << "nothing left to parse";

    for (const char* other : {"68 01 12 13 16", "68 01 E2 E3", "68 02 E2 00 E4 16"}) {
        link.RxCount = 0;
        Arrive(1, other);
        link.WaitReply(10);
        const std::uint8_t count = link.RxCount;
        EXPECT_FALSE(link.SkipHelloAck()) << other;
        EXPECT_EQ(link.RxCount, count) << other;
    }
}

TEST_F(LinkTest, ParseReplyConsumesTheBuffer)
{
    Arrive(1, "68 06 F2 03 7C FF 12 34 00 16");
    link.WaitReply(100);
    link.ParseReply();
    EXPECT_EQ(link.RxCode, Failure);
    EXPECT_EQ((Bytes{link.RxData.begin(), link.RxData.begin() + 5}), HexBytes("03 7C FF 12 34"));
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(link.RxBuf[i], 0);
    link.ParseReply(); // nothing new: zeros decode as code 0
    EXPECT_EQ(link.RxCode, 0);
    EXPECT_EQ(link.RxCount, 10);
}

TEST_F(LinkTest, WaitEndsWithTheReplyOrRunsToItsTime)
{
    link.SendCommand(1, 0, Hello);
    link.WaitReply(1000);
    EXPECT_EQ(loop.ElapsedMs(), 10);
    EXPECT_EQ(link.RxCount, 5);

    writer.byCode[Hello] = std::nullopt;
    link.RxCount = 0;
    link.SendCommand(1, 0, Hello);
    link.WaitReply(1000);
    EXPECT_EQ(loop.ElapsedMs(), 1010);
    EXPECT_EQ(link.RxCount, 0);

    // A count left from before ends the wait at once.
    Arrive(5, "68 01 E2 E3 16");
    link.WaitFull(5);
    link.WaitReply(2000);
    EXPECT_EQ(loop.ElapsedMs(), 1015);
}

TEST_F(LinkTest, SplitReplyIsLost)
{
    Arrive(10, "68 07 06 12");
    Arrive(30, "34 A1 A2 A3 A4 DD 16"); // the second half replaces the first
    link.WaitReply(3000, 6);
    EXPECT_EQ(loop.ElapsedMs(), 30);
    EXPECT_EQ(link.RxCount, 7);
    link.ParseReply();
    EXPECT_EQ(link.RxCode, 0);
}

TEST_F(LinkTest, ThresholdWaitNeedsOneLongEnoughChunk)
{
    Arrive(10, "68 07 06 12 34 A1");
    Arrive(30, "A2 A3 A4 DD 16");
    link.WaitReply(3000, 6);
    EXPECT_EQ(loop.ElapsedMs(), 3000);
    EXPECT_EQ(link.RxCount, 5);

    link.RxCount = 0;
    Arrive(10, "68 02 06 12 1A 16");
    Arrive(20, "68 07 06 12 34 A1 A2 A3 A4 DD 16");
    link.WaitReply(3000, 6);
    EXPECT_EQ(loop.ElapsedMs(), 3020);
    EXPECT_EQ(link.RxCount, 11);
}

TEST_F(LinkTest, FullWaitRunsEventsButIgnoresTheCount)
{
    Arrive(10, "68 01 E2 E3 16");
    link.WaitFull(3000);
    EXPECT_EQ(loop.ElapsedMs(), 3000);
    EXPECT_EQ(link.RxCount, 5);
}

TEST_F(LinkTest, BlockWaitStopsAtTheFirstChunkWhereTheGeneralWaitTakesAllQueued)
{
    Arrive(10, "68 01 12 13 16");
    Arrive(10, "68 02 F2 01 F5 16");
    link.WaitBlockReply(600);
    EXPECT_EQ(link.RxCount, 5);
    EXPECT_EQ(loop.ElapsedMs(), 10);

    link.RxCount = 0;
    link.WaitBlockReply(600); // the second chunk is still queued
    EXPECT_EQ(link.RxCount, 6);

    link.RxCount = 0;
    Arrive(10, "68 01 12 13 16");
    Arrive(10, "68 02 F2 01 F5 16");
    link.WaitReply(600);
    EXPECT_EQ(link.RxCount, 6);
    EXPECT_EQ(loop.ElapsedMs(), 20);
}

TEST_F(LinkTest, BlockWaitWithoutReplyTakesItsFullTime)
{
    link.WaitBlockReply(600);
    EXPECT_EQ(loop.ElapsedMs(), 600);
    EXPECT_EQ(link.RxCount, 0);
}

TEST_F(LinkTest, LateReplyIsTakenForTheCurrentCommand)
{
    writer.byCode[Hello] = std::nullopt;
    link.SendCommand(1, 0, Hello);
    Arrive(1200, "68 01 E2 E3 16");
    link.WaitReply(1000);
    EXPECT_EQ(link.RxCount, 0);

    writer.byCode[CheckBlank] = std::nullopt;
    link.RxCount = 0;
    link.SendCommand(1, 0, CheckBlank);
    link.WaitReply(3000);
    EXPECT_EQ(loop.ElapsedMs(), 1200);
    link.ParseReply();
    EXPECT_EQ(link.RxCode, HelloAck);
}

TEST_F(LinkTest, EndlessStreamOfChunksDoesNotStretchTheWaits)
{
    std::function<void()> chatter = [&] {
        Bytes junk{0x68, 0x01};
        link.Comm1ReceiveData(junk.data(), 2);
        loop.After(1, chatter);
    };
    loop.After(0, chatter);
    link.WaitReply(100, 50);
    EXPECT_EQ(loop.ElapsedMs(), 100);
    link.WaitFull(100);
    EXPECT_EQ(loop.ElapsedMs(), 200);
}

TEST(FirmwareVersionTextTest, NumbersAreDecimalWithoutPadding)
{
    const std::pair<std::array<std::uint8_t, 5>, const char*> cases[] = {
        {{1, 2, 11, 5, 17}, "固件版本:  V1.2---2011.5.17"},
        {{0, 0, 5, 3, 1}, "固件版本:  V0.0---2005.3.1"},
        {{255, 10, 99, 12, 31}, "固件版本:  V255.10---2099.12.31"},
        {{1, 0, 255, 0, 0}, "固件版本:  V1.0---2255.0.0"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FirmwareVersionText(bytes), text);
}

class PortSearchTest : public LinkTest {
protected:
    void SetUp() override
    {
        port.responder = [this](const Bytes& frame) {
            const auto answer = answers.find(port.CommName());
            if (answer == answers.end())
                return std::vector<Chunk>{};
            if (answer->second == "writer")
                return writer(frame);
            return std::vector<Chunk>{Chunk{10, HexBytes(answer->second)}};
        };
    }

    std::map<std::string, std::string> answers; // port -> "writer" or a fixed chunk
};

TEST_F(PortSearchTest, NoPortAtAll)
{
    EXPECT_FALSE(link.ConnectWriter(view));
    EXPECT_EQ(view.log, std::vector<std::string>{"panel 固件版本：读取失败！"});
    EXPECT_TRUE(port.log.empty());
    EXPECT_EQ(loop.ElapsedMs(), 0);
}

TEST_F(PortSearchTest, SkipsPortsThatAnswerOtherwiseAndStopsAtTheWriter)
{
    port.existing = {"COM2", "COM4", "COM5", "COM7", "COM20"};
    port.openErrors["COM4"] = "Error opening serial port";
    answers["COM2"] = "68 01 55 56 16";
    answers["COM5"] = "writer";
    answers["COM7"] = "writer";

    EXPECT_TRUE(link.ConnectWriter(view));
    EXPECT_EQ(port.log, (std::vector<std::string>{"open COM2", "close", "open COM5", "close",
                                                  "open COM5", "close"}));
    EXPECT_EQ(view.log, std::vector<std::string>{"panel 固件版本:  V1.2---2011.5.17"});
    EXPECT_EQ(s.ComName, "COM5");
    EXPECT_EQ(port.CommName(), "COM5");
    EXPECT_EQ(port.baud_, 19200u);
    // Two probes per port, each answered at once; then Hello and GetVersion.
    std::vector<std::string> wire;
    for (const Bytes& frame : port.sent)
        wire.push_back(ToHex(frame));
    EXPECT_EQ(wire, (std::vector<std::string>{"68 01 E1 E2 16", "68 01 E1 E2 16", "68 01 E1 E2 16",
                                              "68 01 E1 E2 16", "68 01 E1 E2 16",
                                              "68 01 45 46 16"}));
    EXPECT_EQ(port.sentAtMs, (std::vector<long long>{0, 10, 10, 20, 20, 30}));
}

TEST_F(PortSearchTest, SilentPortsCostTwoSecondsEach)
{
    port.existing = {"COM1", "COM3"};
    link.RxCode = HelloAck; // left over from before: no reply here must not count as the Writer
    EXPECT_FALSE(link.ConnectWriter(view));
    EXPECT_EQ(loop.ElapsedMs(), 4000);
    EXPECT_EQ(port.sent.size(), 4u);
    EXPECT_EQ(view.log, std::vector<std::string>{"panel 固件版本：读取失败！"});
    EXPECT_EQ(s.ComName, "COM3");
}

TEST_F(PortSearchTest, FirstProbeLostSecondAnswered)
{
    port.existing = {"COM1"};
    answers["COM1"] = "writer";
    port.refuseWrites = 1; // the transmit side is not ready right after opening
    EXPECT_TRUE(link.ConnectWriter(view));
    EXPECT_EQ(port.sentAtMs.front(), 1000);
}

TEST_F(PortSearchTest, WriterWithoutVersionLeavesThePanel)
{
    port.existing = {"COM1"};
    answers["COM1"] = "writer";
    writer.byCode[GetVersion] = std::nullopt;
    EXPECT_TRUE(link.ConnectWriter(view));
    EXPECT_TRUE(view.log.empty());
}

TEST_F(LinkTest, VersionQueryWaitsForMoreThanSevenBytes)
{
    port.ClosePort();
    EXPECT_EQ(link.QueryFirmwareVersion(), (std::array<std::uint8_t, 5>{1, 2, 11, 5, 17}));
    EXPECT_EQ(loop.ElapsedMs(), 20);
    EXPECT_FALSE(port.isOpen);

    writer.byCode[GetVersion] = HexBytes("68 03 46 01 02 4C 16");
    EXPECT_EQ(link.QueryFirmwareVersion(), std::nullopt);
    EXPECT_EQ(loop.ElapsedMs(), 20 + 10 + 3000);

    writer.byCode[GetVersion] = std::nullopt;
    EXPECT_EQ(link.QueryFirmwareVersion(), std::nullopt);
    EXPECT_EQ(link.RxCode, HelloAck) << "the parse decodes Hello's answer still in the buffer";
}

TEST_F(LinkTest, VersionQueryOnAPortThatCannotOpen)
{
    port.ClosePort();
    port.openErrors["COM2"] = "Error opening serial port";
    EXPECT_THROW(
        {
            try {
                link.QueryFirmwareVersion();
            } catch (const ECommsError& e) {
                EXPECT_STREQ(e.what(), "Error opening serial port");
                throw;
            }
        },
        ECommsError);
    EXPECT_TRUE(port.sent.empty());
}

} // namespace
} // namespace orvane::test
