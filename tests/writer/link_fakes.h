// In-process stand-ins around the Writer link: an event loop on a virtual clock (a wait that
// times out costs no real time), a port whose Writer is the simulator's WriterModel answering
// 10 ms after each command, and a fixture with a selected model and a view that logs every effect.
#pragma once

#include "foundation/Errors.h"
#include "image/RomImage.h"
#include "tests/support/RecordingView.h"
#include "tools/writer-sim/WriterModel.h"
#include "writer/ChipOperations.h"
#include "writer/Frame.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>

namespace orvane::test {

using Bytes = std::vector<std::uint8_t>;

inline const std::string kTransferError = "box error 通信错误2请检查烧写器是否连接正确！";
inline Bytes HexBytes(const std::string& text) // "68 01 E1 E2 16"
{
    Bytes bytes;
    for (std::size_t at = 0; at + 1 < text.size(); at += 3)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(at, 2), nullptr, 16)));
    return bytes;
}
inline Bytes Reply(std::uint8_t code, Bytes payload = {}) { return BuildFrame(code, payload); }

class VirtualLoop final : public EventLoop {
public:
    void Post(std::function<void()> event) override { After(0, std::move(event)); }
    void ProcessPending() override
    {
        while (!events_.empty() && events_.begin()->first <= now_)
            RunOne(now_);
    }
    bool RunOne(Clock::time_point deadline) override;
    Clock::time_point Now() const override { return now_; }
    void After(int ms, std::function<void()> event) // after those due at the same time
    {
        events_.emplace(now_ + std::chrono::milliseconds(ms), std::move(event));
    }
    long long Ms() const { return (now_ - Clock::time_point{}) / std::chrono::milliseconds(1); }

private:
    Clock::time_point now_{};
    std::multimap<Clock::time_point, std::function<void()>> events_;
};

class FakePort final : public CommPort {
public:
    explicit FakePort(VirtualLoop& loop) : loop_(loop) {}
    void SetCommName(const std::string& name) override { name_ = name; }
    std::string CommName() const override { return name_; }
    void SetBaudRate(std::uint32_t) override {}
    void SetStopBitsOne() override {}
    void SetParityCheck(bool) override {}
    void OpenPort() override
    {
        if (unopenable.count(name_))
            throw ECommsError("Error opening serial port");
        log.push_back("open " + name_);
        isOpen = true;
        ++session_;
    }
    void ClosePort() override
    {
        if (std::exchange(isOpen, false))
            log.push_back("close");
    }
    bool WriteData(const std::uint8_t* buffer, std::uint16_t length) override;
    bool PortExists(const std::string& name) override { return existing.count(name) != 0; }
    bool PortInUse(const std::string& name) override { return busy.count(name) != 0; }
    void Deliver(int ms, Bytes bytes) // a chunk ms from now, if this opening still lasts
    {
        loop_.After(ms, [this, session = session_, bytes = std::move(bytes)] {
            if (isOpen && session == session_ && onReceiveData_)
                onReceiveData_(bytes.data(), static_cast<std::uint16_t>(bytes.size()));
        });
    }

    WriterModel model{{.freshChipAfterProgram = true, .faults = {}, .garbageSeed = 1}};
    // Replies instead of the model's, by 1-based command number or by code; nullopt: silence.
    std::map<int, std::optional<Bytes>> byNumber, byCode;
    std::set<std::string> existing, unopenable, busy;
    int refuseWrites = 0; // the next n writes fail
    std::vector<Bytes> sent;
    std::vector<long long> sentAt; // virtual ms of each frame in sent
    Lines log; // "open COM1", "close", "refused"
    bool isOpen = false;

private:
    VirtualLoop& loop_;
    std::string name_ = "COM2";
    int session_ = 0;
};

// The model of slot with the program area 0x0000..0x07FF in its chip data, the rest blank.
void SelectModel(AppState& s, int slot);

class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override { SelectModel(s, 20); }
    Lines Commands(int code = -1) const // "E1", "11@0100"; of one code only when given
    {
        Lines out;
        for (const Bytes& f : port.sent)
            if (code < 0 || f[2] == code)
                out.push_back(Hex(f[2], 2) + (f[1] == 1 ? "" : "@" + Hex(f[3] * 256 + f[4], 4)));
        return out;
    }

    AppState s;
    VirtualLoop loop;
    FakePort port{loop};
    WriterLink link{s, port, loop};
    RecordingView view;
    ChipOperations ops{s, link, view};
};

} // namespace orvane::test
