// In-process stand-ins around the Writer link: an event loop on a virtual clock (a wait that
// times out costs no real time), a port whose Writer is the simulator's WriterModel answering
// 10 ms after each command (with overrides per command), a view that logs every effect, and a
// fixture with a selected model.
#pragma once

#include "app/AppState.h"
#include "tools/writer-sim/WriterModel.h"
#include "writer/ChipOperations.h"
#include "writer/CommPort.h"
#include "writer/EventLoop.h"
#include "writer/OperationView.h"
#include "writer/WriterLink.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvane::test {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

Bytes HexBytes(const std::string& text); // "68 01 E1 E2 16"
std::string ToHex(const Bytes& bytes);
Bytes Reply(std::uint8_t code, const Bytes& payload = {});

class VirtualLoop final : public EventLoop {
public:
    void Post(std::function<void()> event) override { queue_.push_back(std::move(event)); }
    void ProcessPending() override;
    bool RunOne(Clock::time_point deadline) override;
    Clock::time_point Now() const override { return now_; }

    void After(int ms, std::function<void()> event); // runs once the clock reaches now + ms
    long long ElapsedMs() const { return (now_ - Clock::time_point{}) / std::chrono::milliseconds(1); }

private:
    void QueueDueTimers();

    Clock::time_point now_{};
    std::deque<std::function<void()>> queue_;
    std::multimap<Clock::time_point, std::function<void()>> timers_; // equal times keep order
};

class FakePort final : public CommPort {
public:
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

    // A chunk arriving ms from now, if this opening of the port still lasts then.
    void Deliver(int ms, Bytes bytes);

    WriterModel model;
    // Replies instead of the model's, by 1-based command number or by code; nullopt: silence.
    std::map<int, std::optional<Bytes>> byNumber;
    std::map<std::uint8_t, std::optional<Bytes>> byCode;
    std::map<std::string, std::optional<Bytes>> foreign; // ports that are not the Writer
    std::set<std::string> existing;
    std::map<std::string, std::string> openErrors; // port -> ECommsError text
    int refuseWrites = 0;                          // the next n WriteData calls fail

    std::vector<Bytes> sent;
    std::vector<long long> sentAtMs;
    std::vector<std::string> log; // "open COM1", "close", "refused"
    bool isOpen = false;
    std::uint32_t baud_ = 0;

private:
    VirtualLoop& loop_;
    std::string name_ = "COM2";
    int session_ = 0;
};

class RecordingView final : public OperationView, public OperatorMessages {
public:
    OperatorMessages& Messages() override { return *this; }
    bool Show(MessageKind kind, const std::string& text) override;
    void SetEnabled(Control control, bool on) override;
    void SetWindowShown(BusyWindow window, bool shown) override;
    void SetDownloadBox(bool ticked, bool enabled) override;
    void SetStatusLabel(const std::string& text) override { log.push_back("label " + text); }
    void SetStatusLine(const std::string& text) override { log.push_back("line " + text); }
    void SetFirmwarePanel(const std::string& text) override { log.push_back("panel " + text); }
    void ShowNextID(const std::string& text) override { log.push_back("next " + text); }
    void AdvanceProgress() override { ++progress; }
    void ResetProgress() override { log.push_back("progress reset"); }
    void AppendMemoLine(const std::string& line) override { log.push_back("memo " + line); }
    void ShowChipInfo(const std::array<std::string, 4>& lines) override;
    void RefreshHexView() override { log.push_back("hex refresh"); }
    void ScrollHexView(int currentRow, std::optional<int> topRow) override;

    bool AllIdle() const; // nothing left switched off or shown
    Lines Reports() const; // boxes other than questions, and memo lines

    Lines log;
    std::deque<bool> answers; // to questions; No when exhausted
    std::map<std::string, bool> busy;
    int progress = 0;
};

// The model of slot with a program area first..last in its chip data, the rest blank.
void SelectModel(AppState& s, int slot, std::int32_t first = 0x0000, std::int32_t last = 0x07FF);

class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override { SelectModel(s, 20); }

    Lines Commands(int code = -1) const; // "E1", "11@0100"; of one code only when given

    AppState s;
    VirtualLoop loop;
    FakePort port{loop};
    WriterLink link{s, port, loop};
    RecordingView view;
    ChipOperations ops{s, link, view};
};

} // namespace orvane::test
