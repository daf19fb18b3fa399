#include "writer/WriterLink.h"

#include "foundation/Errors.h"
#include "foundation/Translate.h"
#include "writer/Frame.h"
#include "writer/OperationView.h"

#include <algorithm>
#include <vector>

namespace orvane {

namespace {

constexpr int kSendAttempts = 6;
constexpr int kProbeWaitMs = 1000;
constexpr std::uint32_t kWriterBaud = 19200;

EventLoop::Clock::time_point DeadlineAfter(const EventLoop& loop, int ms)
{
    return loop.Now() + std::chrono::milliseconds(ms);
}

} // namespace

std::string FirmwareVersionText(const std::array<std::uint8_t, 5>& version)
{
    return Tr("固件版本:  V") + std::to_string(version[0]) + "." + std::to_string(version[1]) + "---" +
           std::to_string(2000 + version[2]) + "." + std::to_string(version[3]) + "." +
           std::to_string(version[4]);
}

WriterLink::WriterLink(AppState& state, CommPort& port, EventLoop& loop)
    : state_(state), port_(port), loop_(loop)
{
    port_.SetOnReceiveData([this](const std::uint8_t* buffer, std::uint16_t length) {
        Comm1ReceiveData(buffer, length);
    });
}

void WriterLink::Comm1ReceiveData(const std::uint8_t* buffer, std::uint16_t length)
{
    if (length > kRxBufSize)
        return;
    std::copy_n(buffer, length, RxBuf.begin());
    chunkLength_ = length;
    RxCount = static_cast<std::uint8_t>(length);
}

void WriterLink::SendCommand(std::uint8_t L, std::int32_t address, std::uint8_t code)
{
    // Parameters: address high and low byte (truncating division, as the Writer's firmware
    // expects for 0..0xFFFF), then the image bytes from the address.
    std::vector<std::uint8_t> params;
    if (L > 1)
        params.push_back(static_cast<std::uint8_t>(address / 256));
    if (L > 2)
        params.push_back(static_cast<std::uint8_t>(address % 256));
    for (int i = 0; i + 3 < L; ++i) {
        const std::int64_t at = static_cast<std::int64_t>(address) + i;
        params.push_back(at >= 0 && at < kImageSize ? state_.RomImage[static_cast<std::size_t>(at)]
                                                    : kBlank);
    }
    const std::vector<std::uint8_t> frame = BuildFrame(code, params);
    const auto size = static_cast<std::uint16_t>(frame.size());
    // Right after OpenPort the transmit thread may not yet take blocks.
    for (int attempt = 1; attempt <= kSendAttempts; ++attempt) {
        if (port_.WriteData(frame.data(), size))
            return;
        if (attempt < kSendAttempts)
            loop_.ProcessPending();
    }
}

void WriterLink::ParseReply()
{
    const std::size_t len = RxBuf[1];
    const bool isFrame = len >= 1 && len <= kRxDataSize + 1 && len + 4 <= chunkLength_;
    RxData.fill(0);
    if (isFrame) {
        RxHead = RxBuf[0];
        RxLen = RxBuf[1];
        RxCode = RxBuf[2];
        std::copy_n(RxBuf.begin() + 3, len - 1, RxData.begin());
        RxChecksum = RxBuf[len + 2];
        RxEnd = RxBuf[len + 3];
    } else {
        RxHead = RxLen = RxCode = RxChecksum = RxEnd = 0;
    }
    std::fill_n(RxBuf.begin(), kRxDataSize, 0);
}

bool WriterLink::SkipHelloAck()
{
    static const std::array<std::uint8_t, 3> head{kFrameStart, 1, HelloAck};
    constexpr std::size_t kHelloAckSize = 5;
    if (RxCount == 0 || chunkLength_ < kHelloAckSize || RxBuf[4] != kFrameEnd ||
        !std::equal(head.begin(), head.end(), RxBuf.begin()))
        return false;
    std::copy(RxBuf.begin() + kHelloAckSize, RxBuf.begin() + chunkLength_, RxBuf.begin());
    chunkLength_ -= kHelloAckSize;
    RxCount = static_cast<std::uint8_t>(chunkLength_);
    return true;
}

void WriterLink::WaitReply(int ms, int threshold)
{
    const auto deadline = DeadlineAfter(loop_, ms);
    for (;;) {
        loop_.ProcessPending();
        if (RxCount > threshold || loop_.Now() >= deadline || !loop_.RunOne(deadline))
            return;
    }
}

void WriterLink::WaitBlockReply(int ms)
{
    const auto deadline = DeadlineAfter(loop_, ms);
    while (RxCount == 0 && loop_.Now() < deadline && loop_.RunOne(deadline)) {
    }
}

void WriterLink::WaitFull(int ms)
{
    const auto deadline = DeadlineAfter(loop_, ms);
    while (loop_.Now() < deadline)
        loop_.RunOne(deadline);
}

bool WriterLink::ProbePort(const std::string& name)
{
    port_.SetCommName(name);
    state_.ComName = name;
    port_.SetBaudRate(kWriterBaud);
    port_.SetStopBitsOne();
    port_.SetParityCheck(false);
    try {
        port_.OpenPort();
    } catch (const ECommsError&) {
        busyPorts_.push_back(name); // taken by another program since PortExists
        return false;
    }
    RxCount = 0;
    // Raw probes without SendCommand's retries: when the first cannot be queued right after
    // opening, the second still goes out.
    const std::vector<std::uint8_t> hello = BuildFrame(Hello);
    const auto size = static_cast<std::uint16_t>(hello.size());
    port_.WriteData(hello.data(), size);
    WaitReply(kProbeWaitMs);
    port_.WriteData(hello.data(), size);
    WaitReply(kProbeWaitMs);
    const bool answered = RxCount != 0;
    if (answered)
        ParseReply();
    port_.ClosePort();
    return answered && RxCode == HelloAck;
}

bool WriterLink::ConnectWriter(OperationView& view)
{
    bool found = false;
    busyPorts_.clear();
    for (int n = 1; n <= kPortSearchCount && !found; ++n) {
        const std::string name = "COM" + std::to_string(n);
        if (PortExists(name))
            found = ProbePort(name);
        else if (port_.PortInUse(name))
            busyPorts_.push_back(name);
    }
    if (!found) {
        view.SetFirmwarePanel(Tr(kFirmwareUnknownText));
        return false;
    }
    if (const auto version = QueryFirmwareVersion())
        view.SetFirmwarePanel(FirmwareVersionText(*version));
    return true;
}

std::optional<std::array<std::uint8_t, 5>> WriterLink::QueryFirmwareVersion()
{
    port_.OpenPort();
    RxCount = 0;
    SendCommand(1, 0, Hello);
    WaitReply(1000);
    RxCount = 0;
    SendCommand(1, 0, GetVersion);
    RxCode = 0;
    WaitReply(3000, 7);
    ParseReply(); // also without a reply: RxBuf then holds Hello's answer, never 0x46
    port_.ClosePort();
    if (RxCode != VersionInfo || RxPayloadLength() < 5)
        return std::nullopt;
    return std::array<std::uint8_t, 5>{RxData[0], RxData[1], RxData[2], RxData[3], RxData[4]};
}

} // namespace orvane
