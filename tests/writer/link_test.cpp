// The Writer protocol on a fake port and a virtual clock: frames on the wire, the receive state
// on hostile chunks, the waits' timing, the port search and the version query.
#include "link_fakes.h"

namespace orvane::test {
namespace {

TEST_F(LinkFixture, CommandFramesOnTheWire)
{
    s.RomImage.fill(0x01);
    const std::tuple<std::uint8_t, std::int32_t, std::uint8_t, const char*> cases[] = {
        {1, 0, Hello, "68 01 E1 E2 16"},
        {3, 0x0120, ReadBlock, "68 03 38 01 20 5C 16"},
        {19, 0xFFF8, WriteBlock, // nothing beyond 0xFFFF is read: those bytes go out blank
         "68 13 11 FF F8 01 01 01 01 01 01 01 01 FF FF FF FF FF FF FF FF 1B 16"},
    };
    port.OpenPort();
    for (const auto& [L, address, code, wire] : cases) {
        link.SendCommand(L, address, code);
        EXPECT_EQ(port.sent.back(), HexBytes(wire));
    }
    port.refuseWrites = 7; // offered six times with the pending events run between, then dropped
    port.Deliver(0, HexBytes("68 01 E2 E3 16"));
    link.SendCommand(1, 0, Hello);
    EXPECT_EQ(std::count(port.log.begin(), port.log.end(), "refused"), 6);
    EXPECT_EQ(link.RxCount, 5);
}

TEST_F(LinkFixture, HostileChunksNeitherCountAsRepliesNorOverrun)
{
    const auto receive = [&](const Bytes& b) { link.Comm1ReceiveData(b.data(), b.size()); };
    receive(HexBytes("68 01 E2 E3 16"));
    receive(Bytes(101, 0x68)); // longer than the buffer: dropped whole
    EXPECT_EQ(link.RxCount, 5);
    link.ParseReply();
    EXPECT_EQ(link.RxCode, HelloAck);
    Bytes tooLong(38, 0x16); // L of 34: 33 payload bytes
    tooLong[1] = 0x22;
    // L too big for the payload, L past the chunk, L of 0, the end byte missing.
    for (const Bytes& chunk : {tooLong, HexBytes("68 05 F2 01 02"), HexBytes("68 00 E2 16 00"),
                               HexBytes("68 01 E2 E3")}) {
        receive(HexBytes("68 07 39 11 22 33 44 55 66 1A 16")); // leaves payload behind
        link.ParseReply();
        receive(chunk);
        link.ParseReply();
        EXPECT_EQ(link.RxCode, 0) << chunk.size();
        EXPECT_EQ(link.RxData, decltype(link.RxData){}) << chunk.size();
    }
}

TEST_F(LinkFixture, WaitsEndWithTheReplyOrRunToTheirTime)
{
    enum Wait { Reply, Block, Full };
    using Chunks = std::vector<std::pair<int, const char*>>;
    // Chunks by arrival, the wait, its time and threshold, then the time it took and RxCount.
    const std::tuple<Chunks, Wait, int, int, long long, int> cases[] = {
        {{{10, "68 01 E2 E3 16"}}, Reply, 1000, 0, 10, 5},
        {{}, Block, 600, 0, 600, 0},
        {{{10, "68 01 E2 E3 16"}}, Full, 3000, 0, 3000, 5},
        {{{10, "68 07 06 12"}, {30, "34 A1 A2 A3 A4 DD 16"}}, Reply, 3000, 6, 30, 7},
        {{{10, "68 07 06 12 34 A1"}, {30, "A2 A3 A4 DD 16"}}, Reply, 3000, 6, 3000, 5}, // lost
        {{{10, "68 01 12 13 16"}, {10, "68 02 F2 01 F5 16"}}, Block, 600, 0, 10, 5},
        {{{10, "68 01 12 13 16"}, {10, "68 02 F2 01 F5 16"}}, Reply, 600, 0, 10, 6},
        {{{1200, "68 01 E2 E3 16"}}, Reply, 1000, 0, 1000, 0}, // late: taken by the next wait
    };
    port.OpenPort();
    for (const auto& [chunks, wait, ms, threshold, elapsedMs, count] : cases) {
        loop = VirtualLoop();
        link.RxCount = 0;
        for (const auto& [at, hex] : chunks)
            port.Deliver(at, HexBytes(hex));
        wait == Reply   ? link.WaitReply(ms, threshold)
        : wait == Block ? link.WaitBlockReply(ms)
                        : link.WaitFull(ms);
        EXPECT_EQ(loop.Ms(), elapsedMs) << chunks.size() << wait;
        EXPECT_EQ(link.RxCount, count) << chunks.size() << wait;
    }
    link.WaitReply(3000);
    EXPECT_EQ(loop.Ms(), 1200);
    EXPECT_EQ(link.RxCount, 5);
}

TEST_F(LinkFixture, PortSearchAndVersionQuery)
{
    EXPECT_FALSE(link.ConnectWriter(view)); // no ports
    port.existing = {"COM1", "COM2", "COM3", "COM4"};
    // COM1 silent, its first probe not taken and HelloAck left from before; a stranger on COM2.
    port.byNumber = {{1, std::nullopt}, {2, Reply(0x55)}};
    port.refuseWrites = 1;
    link.RxCode = HelloAck;
    EXPECT_TRUE(link.ConnectWriter(view));
    EXPECT_EQ(port.log, (Lines{"open COM1", "refused", "close", "open COM2", "close", "open COM3",
                               "close", "open COM3", "close"}));
    EXPECT_EQ(Commands(), (Lines{"E1", "E1", "E1", "E1", "E1", "E1", "45"}));
    EXPECT_EQ(s.ComName, "COM3");
    EXPECT_EQ(view.log, (Lines{"panel 固件版本：读取失败！", "panel 固件版本:  V1.2---2011.5.17"}));
    port.byCode[GetVersion] = HexBytes("68 03 46 01 02 4C 16"); // too short
    EXPECT_EQ(link.QueryFirmwareVersion(), std::nullopt);
    EXPECT_EQ(loop.Ms(), 2040 + 10 + 3000) << "waits for more than 7 bytes";
    port.unopenable = {"COM3"};
    EXPECT_THROW(link.QueryFirmwareVersion(), ECommsError);

    // Ports that another program holds are named after a failed search: one refused by the
    // exclusive open, one taken between that open and the probe's.
    port.existing = {"COM5"};
    port.unopenable = {"COM5"};
    port.busy = {"COM2", "COM7"};
    EXPECT_FALSE(link.ConnectWriter(view));
    EXPECT_EQ(link.BusyPorts(), (Lines{"COM2", "COM5", "COM7"}));
    port.busy.clear();
    port.existing.clear();
    EXPECT_FALSE(link.ConnectWriter(view));
    EXPECT_TRUE(link.BusyPorts().empty()) << "each search starts afresh";
}

} // namespace
} // namespace orvane::test
