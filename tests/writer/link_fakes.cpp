#include "link_fakes.h"

#include "app/Errors.h"
#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "writer/Frame.h"

#include <algorithm>
#include <sstream>

namespace orvane::test {

Bytes HexBytes(const std::string& text)
{
    Bytes bytes;
    std::istringstream in(text);
    for (std::string item; in >> item;)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(item, nullptr, 16)));
    return bytes;
}

std::string ToHex(const Bytes& bytes)
{
    std::string text;
    for (std::uint8_t b : bytes)
        text += (text.empty() ? "" : " ") + Hex(b, 2);
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
            now_ = std::max(now_, deadline); // sleeping until the deadline costs nothing
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
    const Bytes frame(buffer, buffer + length);
    sent.push_back(frame);
    sentAtMs.push_back(loop_.ElapsedMs());
    const auto number = static_cast<int>(sent.size());
    if (const auto other = foreign.find(name_); other != foreign.end()) {
        if (other->second)
            Deliver(10, *other->second);
        return true;
    }
    for (const WriterReply& reply : model.Feed(frame)) {
        std::optional<Bytes> bytes = reply.bytes;
        int at = 10;
        if (const auto rule = byNumber.find(number); rule != byNumber.end())
            bytes = rule->second;
        else if (const auto byCodeRule = byCode.find(frame[2]); byCodeRule != byCode.end())
            bytes = byCodeRule->second;
        else if (reply.splitAfter > 0) { // the second piece after a pause
            const auto cut = reply.bytes.begin() + static_cast<std::ptrdiff_t>(reply.splitAfter);
            Deliver(at, Bytes(reply.bytes.begin(), cut));
            bytes = Bytes(cut, reply.bytes.end());
            at += 20;
        }
        if (bytes && !bytes->empty())
            Deliver(at, *bytes);
    }
    return true;
}

void FakePort::Deliver(int ms, Bytes bytes)
{
    loop_.After(ms, [this, session = session_, bytes = std::move(bytes)] {
        if (isOpen && session == session_ && onReceiveData_)
            onReceiveData_(bytes.data(), static_cast<std::uint16_t>(bytes.size()));
    });
}

bool RecordingView::Show(MessageKind kind, const std::string& text)
{
    static const char* const kinds[] = {"info", "error", "plain", "question"};
    log.push_back(std::string("box ") + kinds[static_cast<int>(kind)] + " " + text);
    if (kind != MessageKind::Question)
        return true;
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty())
        answers.pop_front();
    return yes;
}

void RecordingView::SetEnabled(Control control, bool on)
{
    static const char* const names[] = {"main", "blank-check", "read", "download", "dialog"};
    const std::string name = names[static_cast<int>(control)];
    busy[name] = !on;
    log.push_back((on ? "on " : "off ") + name);
}

void RecordingView::SetWindowShown(BusyWindow window, bool shown)
{
    const std::string name = window == BusyWindow::Wait ? "wait" : "notice";
    busy[name] = shown;
    log.push_back((shown ? "show " : "hide ") + name);
}

void RecordingView::SetDownloadBox(bool ticked, bool enabled)
{
    log.push_back(std::string("download-box ") + (ticked ? "ticked" : "clear") +
                  (enabled ? " on" : " off"));
}

void RecordingView::ShowChipInfo(const std::array<std::string, 4>& lines)
{
    log.push_back("info " + lines[0]);
}

void RecordingView::ScrollHexView(int currentRow, std::optional<int> topRow)
{
    log.push_back("scroll " + std::to_string(currentRow) +
                  (topRow ? " top " + std::to_string(*topRow) : ""));
}

bool RecordingView::AllIdle() const
{
    return std::none_of(busy.begin(), busy.end(), [](const auto& entry) { return entry.second; });
}

Lines RecordingView::Reports() const
{
    Lines reports;
    for (const std::string& line : log)
        if ((line.rfind("box ", 0) == 0 && line.rfind("box question ", 0) != 0) ||
            line.rfind("memo ", 0) == 0)
            reports.push_back(line);
    return reports;
}

void SelectModel(AppState& s, int slot, std::int32_t first, std::int32_t last)
{
    static const char* const names[kSlotCount] = {
        "QK101", "QK106", "QK105", "QK104", "QK116", "QK103", "QK111", "QK122", "QK115", "QK113",
        "QK109", "QK126", "QK117", "QK124", "QK120", "QK118", "QK114", "QK125", "QK127", "QK128",
        "QK110", "QK131", "QK135", "QK138", "QK132", "QK130", "QK133", "QK137", "QK129", "QK139",
        "QK134"};
    for (int n = 1; n <= kSlotCount; ++n)
        s.ModelName[n] = names[n - 1];
    s.ChipName = s.ModelName[slot];
    ClearImage(s);
    SetChipDataAddresses(s);
    const auto base = static_cast<std::size_t>(s.ChipDataAddr1);
    for (int i = 0; i < 2; ++i) {
        s.RomImage[base + 4 + i] = static_cast<std::uint8_t>(first >> (8 - 8 * i));
        s.RomImage[base + 6 + i] = static_cast<std::uint8_t>(last >> (8 - 8 * i));
    }
    UpdateAddressMap(s);
    ComputeChecksum(s);
}

Lines LinkFixture::Commands(int code) const
{
    Lines commands;
    for (const Bytes& f : port.sent)
        if (code < 0 || f[2] == code)
            commands.push_back(Hex(f[2], 2) + (f[1] == 1 ? "" : "@" + Hex(f[3] * 256 + f[4], 4)));
    return commands;
}

} // namespace orvane::test
