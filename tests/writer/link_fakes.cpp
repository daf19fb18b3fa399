#include "link_fakes.h"

#include "app/Errors.h"
#include "writer/Frame.h"

#include <cstdio>
#include <sstream>

namespace orvane::test {

Bytes HexBytes(const std::string& text)
{
    Bytes bytes;
    std::istringstream in(text);
    std::string item;
    while (in >> item)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(item, nullptr, 16)));
    return bytes;
}

std::string ToHex(const Bytes& bytes)
{
    std::string text;
    char digits[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        if (!text.empty())
            text += ' ';
        text += digits;
    }
    return text;
}

Bytes Reply(std::uint8_t code, const Bytes& payload)
{
    return BuildFrame(code, payload);
}

void VirtualLoop::QueueDueTimers()
{
    while (!timers_.empty() && timers_.begin()->first <= now_) {
        queue_.push_back(std::move(timers_.begin()->second));
        timers_.erase(timers_.begin());
    }
}

void VirtualLoop::ProcessPending()
{
    QueueDueTimers();
    std::deque<std::function<void()>> batch;
    batch.swap(queue_);
    for (auto& event : batch)
        event();
}

bool VirtualLoop::RunOne(Clock::time_point deadline)
{
    QueueDueTimers();
    if (queue_.empty()) {
        if (timers_.empty() || timers_.begin()->first > deadline) {
            now_ = std::max(now_, deadline); // the sleep until the deadline costs nothing
            return false;
        }
        now_ = std::max(now_, timers_.begin()->first);
        QueueDueTimers();
    }
    auto event = std::move(queue_.front());
    queue_.pop_front();
    event();
    return true;
}

void VirtualLoop::After(int ms, std::function<void()> event)
{
    timers_.emplace(now_ + std::chrono::milliseconds(ms), std::move(event));
}

long long VirtualLoop::ElapsedMs() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(now_ - start_).count();
}

void FakePort::OpenPort()
{
    if (const auto error = openErrors.find(name_); error != openErrors.end())
        throw ECommsError(error->second);
    isOpen = true;
    ++session_;
    log.push_back("open " + name_);
}

void FakePort::ClosePort()
{
    if (isOpen)
        log.push_back("close");
    isOpen = false;
}

bool FakePort::WriteData(const std::uint8_t* buffer, std::uint16_t length)
{
    if (!isOpen || length == 0)
        return false;
    if (refuseWrites > 0) {
        --refuseWrites;
        log.push_back("refused");
        return false;
    }
    Bytes frame(buffer, buffer + length);
    sent.push_back(frame);
    sentAtMs.push_back(loop_.ElapsedMs());
    if (responder)
        for (Chunk& chunk : responder(frame))
            Deliver(chunk.delayMs, std::move(chunk.bytes));
    return true;
}

void FakePort::Deliver(int ms, Bytes bytes)
{
    loop_.After(ms, [this, session = session_, bytes = std::move(bytes)] {
        if (isOpen && session == session_ && onReceiveData_)
            onReceiveData_(bytes.data(), static_cast<std::uint16_t>(bytes.size()));
    });
}

ScriptedWriter::ScriptedWriter()
{
    chip.fill(0xFF);
}

std::vector<Chunk> ScriptedWriter::operator()(const Bytes& frame)
{
    ++commands;
    const std::uint8_t code = frame.at(2);
    std::optional<Bytes> reply;
    if (const auto rule = byNumber.find(commands); rule != byNumber.end())
        reply = rule->second;
    else if (const auto byCodeRule = byCode.find(code); byCodeRule != byCode.end())
        reply = byCodeRule->second;
    else if (code == ReadBlock) {
        const std::size_t address = frame.at(3) * 256u + frame.at(4);
        Bytes data;
        for (std::size_t i = 0; i < 32; ++i)
            data.push_back(chip[(address + i) & 0xFFFF]);
        reply = Reply(BlockData, data);
    } else if (code == CheckBlank)
        reply = Reply(Blank);
    else if (code == ProgramChip)
        reply = Reply(Done);
    else if (code == FinishDownload)
        reply = Reply(Downloaded, finishPayload);
    else if (code == GetVersion)
        reply = Reply(VersionInfo, version);
    else
        reply = Reply(static_cast<std::uint8_t>(code + 1));
    if (!reply)
        return {};
    return {Chunk{delayMs, *reply}};
}

bool LoggingMessages::Show(MessageKind kind, const std::string& text)
{
    log_.push_back("box " + KindName(kind) + " " + text);
    return MessageRecorder::Show(kind, text);
}

std::string KindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information: return "info";
    case MessageKind::Error: return "error";
    case MessageKind::Plain: return "plain";
    case MessageKind::Question: return "question";
    }
    return "?";
}

void RecordingView::SetEnabled(Control control, bool on)
{
    enabled[control] = on;
    static const char* const names[] = {"main", "blank-check", "read", "download", "dialog"};
    Log(std::string(on ? "on " : "off ") + names[static_cast<int>(control)]);
}

void RecordingView::SetWindowShown(BusyWindow window, bool isShown)
{
    shown[window] = isShown;
    Log(std::string(isShown ? "show " : "hide ") +
        (window == BusyWindow::Wait ? "wait" : "notice"));
}

void RecordingView::SetDownloadBox(bool ticked, bool isEnabled)
{
    Log(std::string("download-box ") + (ticked ? "ticked" : "clear") +
        (isEnabled ? " on" : " off"));
}

void RecordingView::ShowChipInfo(const std::array<std::string, 4>& lines)
{
    Log("info " + lines[0]);
}

void RecordingView::ScrollHexView(int currentRow, std::optional<int> topRow)
{
    Log("scroll " + std::to_string(currentRow) +
        (topRow ? " top " + std::to_string(*topRow) : std::string()));
}

bool RecordingView::AllIdle() const
{
    for (const auto& [control, on] : enabled)
        if (!on)
            return false;
    for (const auto& [window, isShown] : shown)
        if (isShown)
            return false;
    return true;
}

std::vector<std::string> RecordingView::Lines(const std::string& prefix) const
{
    std::vector<std::string> lines;
    for (const auto& line : log)
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line);
    return lines;
}

} // namespace orvane::test
