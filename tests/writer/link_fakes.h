// In-process stand-ins for the Writer link's surroundings: an event loop on a virtual clock (a
// wait that times out costs no real time), a port whose replies are scheduled on that clock, a
// scripted Writer, and a view that records every effect in order.
#pragma once

#include "../support/MessageRecorder.h"
#include "writer/CommPort.h"
#include "writer/EventLoop.h"
#include "writer/OperationView.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvane::test {

using Bytes = std::vector<std::uint8_t>;

// "68 01 E1 E2 16" -> bytes.
Bytes HexBytes(const std::string& text);
std::string ToHex(const Bytes& bytes);
// A reply frame as the Writer sends it.
Bytes Reply(std::uint8_t code, const Bytes& payload = {});

class VirtualLoop final : public EventLoop {
public:
    void Post(std::function<void()> event) override { queue_.push_back(std::move(event)); }
    void ProcessPending() override;
    bool RunOne(Clock::time_point deadline) override;
    Clock::time_point Now() const override { return now_; }

    // Runs event once the virtual clock reaches now + ms.
    void After(int ms, std::function<void()> event);
    // Virtual milliseconds since the loop was made.
    long long ElapsedMs() const;

private:
    void QueueDueTimers();

    Clock::time_point start_{};
    Clock::time_point now_{};
    std::deque<std::function<void()>> queue_;
    std::multimap<Clock::time_point, std::function<void()>> timers_; // equal times keep order
};

// A chunk the Writer sends, delayMs after the command was queued.
struct Chunk {
    int delayMs = 10;
    Bytes bytes;
};

class FakePort final : public CommPort {
public:
    using Responder = std::function<std::vector<Chunk>(const Bytes& frame)>;

    explicit FakePort(VirtualLoop& loop) : loop_(loop) {}

    void SetCommName(const std::string& name) override { name_ = name; }
    std::string CommName() const override { return name_; }
    void SetBaudRate(std::uint32_t baud) override { baud_ = baud; }
    void SetStopBitsOne() override {}
    void SetParityCheck(bool) override {}
    void OpenPort() override;
    void ClosePort() override;
    bool WriteData(const std::uint8_t* buffer, std::uint16_t length) override;
    bool PortExists(const std::string& name) override { return existing.count(name) != 0; }

    // Delivers a chunk now + ms, if the port is still open then.
    void Deliver(int ms, Bytes bytes);

    Responder responder;                // answers each frame; none: silence
    std::set<std::string> existing;     // names PortExists accepts
    std::map<std::string, std::string> openErrors; // name -> ECommsError text
    int refuseWrites = 0;               // the next n WriteData calls fail

    std::vector<Bytes> sent;            // frames queued, in order
    std::vector<long long> sentAtMs;    // virtual time of each
    std::vector<std::string> log;       // "open COM1", "close", "refused"
    bool isOpen = false;
    std::uint32_t baud_ = 0;

private:
    VirtualLoop& loop_;
    std::string name_ = "COM2";
    int session_ = 0; // chunks of an earlier opening are never delivered
};

// A Writer by table: every command gets its success reply after delayMs, unless a rule for its
// 1-based number or its code says otherwise (nullopt: no reply).
class ScriptedWriter {
public:
    ScriptedWriter();
    std::vector<Chunk> operator()(const Bytes& frame);

    std::array<std::uint8_t, 0x10000> chip{}; // what ReadBlock returns; blank at start
    Bytes version{1, 2, 11, 5, 17};
    Bytes finishPayload{0x12, 0x34, 0xA1, 0xA2, 0xA3, 0xA4};
    int delayMs = 10;
    std::map<int, std::optional<Bytes>> byNumber;
    std::map<std::uint8_t, std::optional<Bytes>> byCode;
    int commands = 0;
};

// Messages that also land in the view's log.
class LoggingMessages final : public MessageRecorder {
public:
    explicit LoggingMessages(std::vector<std::string>& log) : log_(log) {}
    bool Show(MessageKind kind, const std::string& text) override;

private:
    std::vector<std::string>& log_;
};

std::string KindName(MessageKind kind);

class RecordingView final : public OperationView {
public:
    OperatorMessages& Messages() override { return messages; }
    void SetEnabled(Control control, bool on) override;
    void SetWindowShown(BusyWindow window, bool shown) override;
    void SetDownloadBox(bool ticked, bool enabled) override;
    void SetStatusLabel(const std::string& text) override { Log("label " + text); }
    void SetStatusLine(const std::string& text) override { Log("line " + text); }
    void SetFirmwarePanel(const std::string& text) override { Log("panel " + text); }
    void ShowNextID(const std::string& text) override { Log("next " + text); }
    void AdvanceProgress() override { ++progress; }
    void ResetProgress() override { Log("progress reset"); }
    void AppendMemoLine(const std::string& line) override { Log("memo " + line); }
    void ShowChipInfo(const std::array<std::string, 4>& lines) override;
    void RefreshHexView() override { Log("hex refresh"); }
    void ScrollHexView(int currentRow, std::optional<int> topRow) override;

    // Every switch and window is back in its idle state.
    bool AllIdle() const;
    // Log lines that start with prefix.
    std::vector<std::string> Lines(const std::string& prefix) const;

    std::vector<std::string> log;
    LoggingMessages messages{log};
    std::map<Control, bool> enabled;
    std::map<BusyWindow, bool> shown;
    int progress = 0;

private:
    void Log(std::string line) { log.push_back(std::move(line)); }
};

} // namespace orvane::test
