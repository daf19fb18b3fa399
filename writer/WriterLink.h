// The host side of the Writer protocol: building and sending command frames, the receive state
// the replies land in, the waits on the event loop, the port search at start-up and the firmware
// version query. Everything here runs on the user-interface thread; received chunks arrive as
// events of the loop, so the waits run those events while they sleep for the next one.
#pragma once

#include "foundation/AppState.h"
#include "foundation/Translate.h"
#include "writer/CommPort.h"
#include "writer/EventLoop.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

class OperationView;

// Status-bar texts of the port search.
inline constexpr const char* kFirmwareUnknownText = TrNoop("固件版本：读取失败！");
// "固件版本:  V1.2---2011.5.17" for the bytes 1, 2, 11, 5, 17; numbers are not padded.
std::string FirmwareVersionText(const std::array<std::uint8_t, 5>& version);

class WriterLink {
public:
    static constexpr std::size_t kRxBufSize = 100;
    static constexpr std::size_t kRxDataSize = 32;
    static constexpr int kPortSearchCount = 20; // COM1..COM20

    // Registers itself as the port's receive handler; port and loop outlive the link.
    WriterLink(AppState& state, CommPort& port, EventLoop& loop);
    WriterLink(const WriterLink&) = delete;
    WriterLink& operator=(const WriterLink&) = delete;

    // Receive state. RxBuf holds the last received chunk at its start; RxCount is the chunk's
    // length (0: nothing since the operation last cleared it). RxHead, RxLen, RxCode and RxData
    // are the last parsed reply; RxData holds its payload followed by zeros.
    std::array<std::uint8_t, kRxBufSize> RxBuf{};
    std::uint8_t RxCount = 0;
    std::uint8_t RxHead = 0;
    std::uint8_t RxLen = 0;
    std::uint8_t RxCode = 0;
    std::array<std::uint8_t, kRxDataSize> RxData{};
    std::uint8_t RxChecksum = 0; // kept, never examined
    std::uint8_t RxEnd = 0;      // kept, never examined

    // Each chunk replaces the previous one. A chunk longer than RxBuf cannot be a reply and is
    // dropped whole: RxBuf and RxCount stay as they were, as if nothing had arrived.
    void Comm1ReceiveData(const std::uint8_t* buffer, std::uint16_t length);

    // Sends 0x68, L, code, address high, address low, RomImage[address..address+L-4], checksum,
    // 0x16 (L = 1: no address). Image bytes beyond 0xFFFF go out as 0xFF. A frame the port does
    // not take is offered again after the pending events ran, 6 attempts in all, then dropped.
    void SendCommand(std::uint8_t L, std::int32_t address, std::uint8_t code);

    // Splits RxBuf into RxHead, RxLen, RxCode and RxData, then zeroes RxBuf[0..31]; RxCount is
    // left alone. A frame whose L is 0, above 33 (more than 32 payload bytes) or reaches past the
    // chunk that was received is no reply: RxHead, RxLen, RxCode, RxData, RxChecksum and RxEnd
    // all become 0, exactly as parsing an empty buffer does.
    void ParseReply();

    // Runs events until RxCount > threshold or ms have passed (events queued together are run
    // together, then the count is looked at).
    void WaitReply(int ms, int threshold = 0);
    // The block transfers' variant: one event at a time, RxCount looked at after each.
    void WaitBlockReply(int ms);
    // Runs events for the full ms without looking at RxCount.
    void WaitFull(int ms);

    // Takes a HelloAck frame off the front of the received chunk; what came after it in the same
    // chunk stays as the chunk (a chunk of only the HelloAck leaves RxCount 0). False when the
    // chunk does not start with one.
    bool SkipHelloAck();

    // The address of a 0xF2 kind-3 reply; from 0x7D00 on it reports a pin (contact) failure.
    int FailureAddress() const { return RxData[1] * 256 + RxData[2]; }
    bool IsPinFailure() const { return FailureAddress() >= 0x7D00; }

    // Number of payload bytes of the last parsed reply (L - 1, or 0).
    int RxPayloadLength() const { return RxLen > 1 ? RxLen - 1 : 0; }

    bool PortExists(const std::string& name) { return port_.PortExists(name); }

    // Start-up search of COM1..COM20 with two Hello probes per port; sets the status panel and
    // returns whether a port answered 0xE2. Comm1's name (and ComName) stay at the port tried last.
    bool ConnectWriter(OperationView& view);
    // The ports of the last search that another program held, so that a failed search can say
    // why (a second program on the Writer's port).
    const std::vector<std::string>& BusyPorts() const { return busyPorts_; }

    // Hello, then GetVersion on the port already named; the five version bytes when the Writer
    // answered 0x46 with all of them. Throws ECommsError when the port cannot be opened.
    std::optional<std::array<std::uint8_t, 5>> QueryFirmwareVersion();

    CommPort& Comm1() { return port_; }
    EventLoop& Loop() { return loop_; }

private:
    bool ProbePort(const std::string& name);

    AppState& state_;
    CommPort& port_;
    EventLoop& loop_;
    std::size_t chunkLength_ = 0; // bytes of RxBuf that came with the last chunk
    std::vector<std::string> busyPorts_;
};

} // namespace orvane
