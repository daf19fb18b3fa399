// Arbitrary chunks from the port through the Writer link's receive path: each chunk goes through
// Comm1ReceiveData, then SkipHelloAck and ParseReply as the operations call them. Nothing may
// read past the chunk, and a parsed reply is a frame that lay wholly within it, or nothing.
//
// Input: chunks, each a length byte followed by up to that many bytes.
#include "writer/WriterLink.h"

#include <cstdint>
#include <cstdlib>

namespace {

// A port that is never opened: the receive path is driven directly.
class NoPort final : public orvane::CommPort {
public:
    void SetCommName(const std::string&) override {}
    std::string CommName() const override { return {}; }
    void SetBaudRate(std::uint32_t) override {}
    void SetStopBitsOne() override {}
    void SetParityCheck(bool) override {}
    void OpenPort() override {}
    void ClosePort() override {}
    bool WriteData(const std::uint8_t*, std::uint16_t) override { return false; }
    bool PortExists(const std::string&) override { return false; }
    bool PortInUse(const std::string&) override { return false; }
};

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static orvane::AppState state;
    static NoPort port;
    static orvane::QueueEventLoop loop;
    orvane::WriterLink link(state, port, loop);

    for (std::size_t at = 0; at < size;) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        const std::uint8_t* chunk = data + at + 1;
        at += 1 + length;

        const std::uint8_t countBefore = link.RxCount;
        link.Comm1ReceiveData(chunk, static_cast<std::uint16_t>(length));
        if (length > orvane::WriterLink::kRxBufSize) {
            Check(link.RxCount == countBefore); // dropped whole
            continue;
        }
        Check(link.RxCount == length);
        std::size_t offset = 0;
        if (link.SkipHelloAck()) {
            offset = 5;
            Check(link.RxCount == length - 5);
        }
        link.ParseReply();
        const std::size_t l = link.RxLen;
        if (l == 0) {
            Check(link.RxHead == 0 && link.RxCode == 0 && link.RxPayloadLength() == 0);
            continue;
        }
        Check(l <= orvane::WriterLink::kRxDataSize + 1 && offset + l + 4 <= length);
        Check(link.RxHead == chunk[offset] && link.RxCode == chunk[offset + 2]);
        for (std::size_t i = 0; i < orvane::WriterLink::kRxDataSize; ++i)
            Check(link.RxData[i] == (i + 1 < l ? chunk[offset + 3 + i] : 0));
    }
    return 0;
}
