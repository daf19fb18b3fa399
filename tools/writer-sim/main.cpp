// orvane-writer-sim: serves a WriterModel on a pseudo-terminal until SIGINT or SIGTERM.
#include "tools/writer-sim/SimOptions.h"
#include "tools/writer-sim/WireTiming.h"
#include "tools/writer-sim/WriterModel.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace orvane {
namespace {

using namespace std::chrono_literals;

// A partly received frame is forgotten when the next byte comes after this much silence.
constexpr auto kInterByteTimeout = 100ms;
// While no one holds the slave side the master reports a hang-up on every poll; look again this
// often instead of spinning (it is also the delay before a newly opened port is served).
constexpr auto kHungUpRecheck = 5ms;
// The line closes this long after the last byte of a reply cut short, so that byte reaches the
// host before the hang-up does.
constexpr auto kHangUpDelay = 10ms;

int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = write(signalPipe[1], &byte, 1);
}

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// The master side of a pseudo-terminal whose slave is in raw mode at 19200 baud, optionally
// reachable through a symbolic link.
class Pty {
public:
    Pty(std::string linkPath, bool replaceLink)
        : linkPath_(std::move(linkPath)), replaceLink_(replaceLink)
    {
        Open();
    }
    ~Pty() { Close(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int Fd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

    // Closes this terminal (the host sees a hang-up) and serves on a new one.
    void Reopen()
    {
        Close();
        Open();
    }

private:
    void Open()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            Fail("cannot create a pseudo-terminal");
        slavePath_ = ptsname(master_);
        SetRawMode();
        if (!linkPath_.empty())
            PlaceLink();
        std::printf("%s\n", slavePath_.c_str());
        std::fflush(stdout);
    }

    void SetRawMode()
    {
        const int slave = open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
        if (slave < 0)
            Fail("cannot open " + slavePath_);
        termios tio{};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, B19200);
        cfsetospeed(&tio, B19200);
        const bool ok = tcsetattr(slave, TCSANOW, &tio) == 0;
        close(slave);
        if (!ok)
            Fail("cannot set raw mode on " + slavePath_);
    }

    void PlaceLink()
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        if (fs::is_symlink(fs::symlink_status(linkPath_, ec))) {
            // A link to a terminal that still exists is another simulator's, which a host may be
            // talking to; a link left dangling by one that ended is ours to replace.
            const fs::path target = fs::read_symlink(linkPath_, ec);
            if (!replaceLink_ && fs::is_character_file(fs::status(linkPath_, ec)))
                throw std::runtime_error("the link " + linkPath_ + " points at " +
                                         target.string() +
                                         ", a terminal still open (another simulator?); "
                                         "stop that one or give --replace-link");
            fs::remove(linkPath_, ec);
        }
        fs::create_symlink(slavePath_, linkPath_, ec);
        if (ec)
            throw std::runtime_error("cannot place the link " + linkPath_ + ": " + ec.message());
        linked_ = true;
    }

    void Close()
    {
        if (linked_)
            std::filesystem::remove(linkPath_);
        linked_ = false;
        if (master_ >= 0)
            close(master_);
        master_ = -1;
    }

    std::string linkPath_;
    bool replaceLink_;
    std::string slavePath_;
    int master_ = -1;
    bool linked_ = false;
};

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    for (std::uint8_t b : bytes) {
        char cell[4];
        std::snprintf(cell, sizeof cell, " %02X", b);
        text += cell;
    }
    return text;
}

class Simulator {
public:
    explicit Simulator(const SimOptions& options)
        : options_(options), model_(options.writer), pty_(options.linkPath, options.replaceLink)
    {
        if (!options.tracePath.empty()) {
            trace_.open(options.tracePath, std::ios::out | std::ios::trunc);
            if (!trace_)
                throw std::runtime_error("cannot write the trace file " + options.tracePath);
        }
    }

    void Run()
    {
        std::fprintf(stderr, "orvane-writer-sim: serving %s%s%s\n", pty_.SlavePath().c_str(),
                     options_.linkPath.empty() ? "" : " as ", options_.linkPath.c_str());
        for (;;) {
            const auto now = SimClock::now();
            SendDue(now);
            if (!Wait())
                return;
        }
    }

private:
    struct Piece {
        SimClock::time_point due;
        std::vector<std::uint8_t> bytes;
        std::optional<std::string> trace; // a trace line, written when the piece is due
        bool hangUp = false;              // after this piece, close the terminal
    };

    // Waits for input, a signal or the next deadline; false once a signal asks to stop.
    bool Wait()
    {
        std::optional<SimClock::time_point> wake;
        if (!outgoing_.empty())
            wake = outgoing_.front().due;
        if (hungUp_) {
            const auto recheck = SimClock::now() + kHungUpRecheck;
            wake = wake ? std::min(*wake, recheck) : recheck;
        }

        pollfd fds[2] = {{signalPipe[0], POLLIN, 0}, {pty_.Fd(), POLLIN, 0}};
        timespec timeout{};
        if (wake) {
            const auto left = std::max(SimClock::duration{}, *wake - SimClock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout = {static_cast<time_t>(ns / 1'000'000'000),
                       static_cast<long>(ns % 1'000'000'000)};
        }
        const nfds_t count = hungUp_ ? 1 : 2;
        hungUp_ = false;
        if (ppoll(fds, count, wake ? &timeout : nullptr, nullptr) < 0 && errno != EINTR)
            Fail("poll");
        if (fds[0].revents & POLLIN)
            return false;
        if (count == 2 && (fds[1].revents & POLLIN))
            Receive();
        else if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR)))
            HostClosed();
        return true;
    }

    void Receive()
    {
        std::uint8_t buffer[4096];
        const ssize_t n = read(pty_.Fd(), buffer, sizeof buffer);
        if (n <= 0) {
            if (n == 0 || errno == EIO)
                HostClosed();
            return;
        }
        const auto now = SimClock::now();
        if (now - lastReceive_ > kInterByteTimeout)
            model_.DropPartialFrame();
        lastReceive_ = now;
        // Byte by byte, so that a command ends at its own last byte's wire time even when the
        // host wrote several in one go: a real Writer answers the first while the next arrives.
        for (ssize_t i = 0; i < n; ++i) {
            const auto wireEnd = options_.pace ? wireClock_.Receive(now, 1) : now;
            for (WriterReply& reply : model_.Feed({&buffer[i], 1})) {
                Enqueue({wireEnd, {}, "RX" + Hex(reply.command), false});
                Schedule(reply, wireEnd);
            }
        }
    }

    // The host closed the slave: whatever it sent half-way is void. Replies still due go out
    // regardless, as a real Writer knows nothing of the port being closed.
    void HostClosed()
    {
        hungUp_ = true;
        model_.DropPartialFrame();
    }

    void Schedule(const WriterReply& reply, SimClock::time_point wireEnd)
    {
        const auto start = std::max(wireEnd, lineFreeAt_) + options_.replyDelay;
        auto pieces = ScheduleReply(reply, start, options_.pace);
        std::string note;
        if (reply.splitAfter > 0)
            note = " [split after " + std::to_string(reply.splitAfter) + "]";
        if (reply.hangUp)
            note += " [hang-up]";
        if (pieces.empty()) {
            Enqueue({start, {}, reply.hangUp ? "TX -" + note : "TX (no reply)", reply.hangUp});
            return;
        }
        Enqueue({pieces.front().due, std::move(pieces.front().bytes),
                 "TX" + Hex(reply.bytes) + note, false});
        for (std::size_t i = 1; i < pieces.size(); ++i)
            Enqueue({pieces[i].due, std::move(pieces[i].bytes), std::nullopt, false});
        lineFreeAt_ = pieces.back().due; // paced, the last byte has left the wire by then
        if (reply.hangUp)
            Enqueue({lineFreeAt_ + kHangUpDelay, {}, std::nullopt, true});
    }

    // Keeps the queue in time order; pieces due at the same time keep their order.
    void Enqueue(Piece piece)
    {
        const auto at = std::upper_bound(outgoing_.begin(), outgoing_.end(), piece.due,
                                         [](auto due, const Piece& p) { return due < p.due; });
        outgoing_.insert(at, std::move(piece));
    }

    void SendDue(SimClock::time_point now)
    {
        std::vector<std::uint8_t> burst;
        while (!outgoing_.empty() && outgoing_.front().due <= now) {
            Piece piece = std::move(outgoing_.front());
            outgoing_.pop_front();
            if (piece.trace)
                Trace(now, *piece.trace);
            burst.insert(burst.end(), piece.bytes.begin(), piece.bytes.end());
            if (piece.hangUp) {
                Write(burst);
                burst.clear();
                HangUp();
            }
        }
        Write(burst);
    }

    void Write(const std::vector<std::uint8_t>& bytes)
    {
        // A full queue or a closed slave loses the bytes, as a wire without a listener would.
        if (!bytes.empty()) [[maybe_unused]]
            const auto n = write(pty_.Fd(), bytes.data(), bytes.size());
    }

    void HangUp()
    {
        outgoing_.clear();
        model_.DropPartialFrame();
        wireClock_ = {};
        lineFreeAt_ = {};
        pty_.Reopen();
        std::fprintf(stderr, "orvane-writer-sim: hung up; now serving %s\n",
                     pty_.SlavePath().c_str());
    }

    void Trace(SimClock::time_point at, const std::string& line)
    {
        if (!trace_.is_open())
            return;
        const double seconds = std::chrono::duration<double>(at - started_).count();
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%12.6f ", seconds);
        trace_ << stamp << line << '\n' << std::flush;
    }

    const SimOptions& options_;
    WriterModel model_;
    Pty pty_;
    std::ofstream trace_;
    const SimClock::time_point started_ = SimClock::now();
    WireClock wireClock_;
    std::deque<Piece> outgoing_;
    SimClock::time_point lineFreeAt_{};
    SimClock::time_point lastReceive_{};
    bool hungUp_ = false;
};

void InstallSignalHandlers()
{
    if (pipe(signalPipe) != 0)
        Fail("pipe");
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace
} // namespace orvane

int main(int argc, char** argv)
{
    using namespace orvane;
    try {
        const SimOptions options = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::fputs(kSimUsage, stdout);
            return 0;
        }
        InstallSignalHandlers();
        Simulator simulator(options);
        simulator.Run();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvane-writer-sim: %s\n", e.what());
        return 2;
    }
}
