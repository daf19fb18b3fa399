// TComm on a pseudo-terminal: the test holds the master side and plays the Writer.
#include "writer/TComm.h"

#include "app/Errors.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

namespace orvane {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

class PseudoTerminal {
public:
    PseudoTerminal() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slavePath_ = ::ptsname(master_);
    }
    ~PseudoTerminal() { ::close(master_); }

    const std::string& SlavePath() const { return slavePath_; }
    void Send(const Bytes& bytes)
    {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0) << std::strerror(errno);
            done += static_cast<std::size_t>(n);
        }
    }
    Bytes Receive(std::size_t count, std::chrono::milliseconds limit = 2000ms)
    {
        Bytes got(count);
        std::size_t n = 0;
        for (const auto end = Clock::now() + limit; n < count && Clock::now() < end;) {
            pollfd fd{master_, POLLIN, 0};
            if (::poll(&fd, 1, 10) > 0)
                n += std::max<ssize_t>(0, ::read(master_, got.data() + n, count - n));
        }
        got.resize(n);
        return got;
    }
    termios Termios() const // the slave's: termios calls on the master reach it
    {
        termios t{};
        ::tcgetattr(master_, &t);
        return t;
    }
    void SetTermios(const termios& t) { ::tcsetattr(master_, TCSANOW, &t); }
    void CloseMaster() { ::close(std::exchange(master_, -1)); }

private:
    int master_;
    std::string slavePath_;
};

class CountingLoop final : public EventLoop { // lets a test see a post without running it
public:
    void Post(std::function<void()> event) override
    {
        ++posted;
        inner_.Post(std::move(event));
    }
    void ProcessPending() override { inner_.ProcessPending(); }
    bool RunOne(Clock::time_point deadline) override { return inner_.RunOne(deadline); }
    Clock::time_point Now() const override { return inner_.Now(); }
    std::atomic<int> posted{0};

private:
    QueueEventLoop inner_;
};

class TCommPty : public testing::Test {
protected:
    TCommPty()
    {
        comm.SetCommName(pty.SlavePath());
        comm.SetBaudRate(19200);
        comm.SetOutx_XonXoffFlow(false);
        comm.SetInx_XonXoffFlow(false);
        comm.SetReadIntervalTimeout(4);
        comm.SetOnReceiveData([this](const std::uint8_t* buffer, std::uint16_t length) {
            chunks.emplace_back(buffer, buffer + length);
            log.push_back("data " + std::to_string(length));
        });
        comm.SetOnRequestHangup([this] { log.push_back("hangup"); });
        comm.SetOnSendDataEmpty([this] { log.push_back("empty"); });
    }

    // Runs events on this thread, the loop's, until done() or the time ran out.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 2000ms)
    {
        const auto deadline = Clock::now() + limit;
        while (!done() && loop.RunOne(deadline)) {
        }
        return done();
    }
    void PumpFor(std::chrono::milliseconds span) { PumpUntil([] { return false; }, span); }
    Bytes Received() const
    {
        Bytes all;
        for (const auto& c : chunks)
            all.insert(all.end(), c.begin(), c.end());
        return all;
    }
    template <class F>
    Clock::duration Timed(F f)
    {
        const auto start = Clock::now();
        f();
        return Clock::now() - start;
    }

    PseudoTerminal pty;
    CountingLoop loop;
    TComm comm{loop};
    std::vector<Bytes> chunks;
    std::vector<std::string> log;
};

TEST_F(TCommPty, EveryByteValuePassesUnchangedBothWaysInChunksOfAtMost2048)
{
    Bytes burst(4100);
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<std::uint8_t>(i + i / 256);
    comm.OpenPort();
    ASSERT_TRUE(comm.WriteData(burst.data(), static_cast<std::uint16_t>(burst.size())));
    EXPECT_EQ(pty.Receive(burst.size()), burst);
    pty.Send(burst);
    ASSERT_TRUE(PumpUntil([&] { return Received().size() >= burst.size(); }));
    EXPECT_EQ(Received(), burst);
    EXPECT_GE(chunks.size(), 3u);
    for (const auto& c : chunks)
        EXPECT_LE(c.size(), 2048u);
}

TEST_F(TCommPty, ChunksEndAtTheInterByteGap)
{
    // Pauses well beyond the 4 ms gap, so that a busy machine (ctest -j, ThreadSanitizer) still
    // wakes the receive thread in time.
    comm.OpenPort();
    pty.Send(Text("\x68\x01\xE2\xE3\x16"));
    std::this_thread::sleep_for(50ms);
    pty.Send(Text("second"));
    std::this_thread::sleep_for(50ms);
    pty.Send(Text("third"));
    ASSERT_TRUE(PumpUntil([&] { return chunks.size() >= 3; }));
    PumpFor(30ms);
    EXPECT_EQ(chunks, (std::vector<Bytes>{Text("\x68\x01\xE2\xE3\x16"), Text("second"),
                                          Text("third")}));

    chunks.clear();
    comm.SetReadIntervalTimeout(300); // applies to the open port at once
    pty.Send(Text("ab"));
    std::this_thread::sleep_for(20ms);
    pty.Send(Text("cd"));
    ASSERT_TRUE(PumpUntil([&] { return !chunks.empty(); }));
    PumpFor(50ms);
    EXPECT_EQ(chunks, std::vector<Bytes>{Text("abcd")});
}

TEST_F(TCommPty, WriteDataRefusesWhenClosedOrEmptyAndReportsTheQueueRunningEmpty)
{
    const Bytes hello = Text("\x68\x01\xE1\xE2\x16");
    EXPECT_FALSE(comm.WriteData(hello.data(), 5));
    comm.OpenPort();
    EXPECT_FALSE(comm.WriteData(hello.data(), 0));
    ASSERT_TRUE(comm.WriteData(hello.data(), 5));
    ASSERT_TRUE(comm.WriteData(hello.data(), 5));
    EXPECT_EQ(pty.Receive(11, 100ms), Text("\x68\x01\xE1\xE2\x16\x68\x01\xE1\xE2\x16"));
    ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }));
    PumpFor(20ms);
    EXPECT_EQ(log, std::vector<std::string>{"empty"});
    EXPECT_TRUE(comm.SendDataEmpty());
    comm.ClosePort();
    EXPECT_FALSE(comm.WriteData(hello.data(), 5));
    EXPECT_TRUE(pty.Receive(1, 50ms).empty());
}

TEST_F(TCommPty, OpenTwiceFailsAndCloseTwiceIsHarmless)
{
    comm.ClosePort();
    for (int round = 0; round < 2; ++round) {
        comm.OpenPort();
        try {
            comm.OpenPort();
            ADD_FAILURE() << "second OpenPort succeeded";
        } catch (const ECommsError& e) {
            EXPECT_STREQ(e.what(), "This serial port already opened");
        }
        ASSERT_TRUE(comm.WriteData(Text("ping").data(), 4));
        EXPECT_EQ(pty.Receive(4), Text("ping"));
        pty.Send(Text("pong"));
        ASSERT_TRUE(PumpUntil([&] { return !chunks.empty(); }));
        EXPECT_EQ(chunks, std::vector<Bytes>{Text("pong")});
        chunks.clear();
        comm.ClosePort();
        comm.ClosePort();
        EXPECT_FALSE(comm.IsOpen());
    }
}

TEST_F(TCommPty, CloseReturnsAtOnceWhileThePeerIsSilentOrNotReading)
{
    comm.OpenPort();
    std::this_thread::sleep_for(20ms);
    EXPECT_LT(Timed([&] { comm.ClosePort(); }), 200ms);

    comm.OpenPort(); // the peer reads nothing: the transmit thread waits for room
    const Bytes block(60000, 0x55);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(comm.WriteData(block.data(), static_cast<std::uint16_t>(block.size())));
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(comm.SendDataEmpty());
    EXPECT_LT(Timed([&] { comm.ClosePort(); }), 200ms);
    EXPECT_TRUE(comm.SendDataEmpty());
}

TEST_F(TCommPty, PeerHangUpIsReportedOnceAfterTheBytesBeforeIt)
{
    comm.SetReadIntervalTimeout(1000); // "last" is still an open chunk when the peer goes
    comm.OpenPort();
    pty.Send(Text("last"));
    std::this_thread::sleep_for(50ms); // the hang-up flushes what the receive thread has not read
    pty.CloseMaster();
    ASSERT_TRUE(PumpUntil([&] { return !log.empty() && log.back() == "hangup"; }, 500ms));

    timespec before{}, after{}; // the threads must not spin on the hung-up descriptor
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    PumpFor(200ms);
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    EXPECT_LT((after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6, 60);

    comm.WriteData(Text("x").data(), 1); // its failure reports nothing further
    PumpFor(50ms);
    EXPECT_EQ(log, (std::vector<std::string>{"data 4", "hangup"}));
    EXPECT_EQ(Received(), Text("last"));
    EXPECT_FALSE(comm.WriteData(Text("y").data(), 1));
    EXPECT_LT(Timed([&] { comm.ClosePort(); }), 200ms);
}

TEST(TCommOpen, DevicesThatAreNoSerialPortAreRefusedWithTheirMessages)
{
    test::TempDir dir;
    test::WriteText(dir.file("plain"), "not a tty");
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("missing"), "Error opening serial port"},
        {dir.path(), "Error opening serial port"},
        {"COM7", "Error opening serial port"}, // the resolver knows no such port
        {dir.file("plain"), "File handle is not a comm handle "},
        {"/dev/null", "File handle is not a comm handle "},
    };
    QueueEventLoop loop;
    TComm comm(loop, [](const std::string& name) { return name[0] == '/' ? name : ""; });
    for (const auto& [name, message] : cases) {
        comm.SetCommName(name);
        try {
            comm.OpenPort();
            ADD_FAILURE() << name << " opened";
        } catch (const ECommsError& e) {
            EXPECT_EQ(e.what(), message) << name;
        }
        EXPECT_FALSE(comm.IsOpen()) << name;
    }
    EXPECT_EQ(test::ReadText(dir.file("plain")), "not a tty");
}

TEST_F(TCommPty, APortInUseIsRefusedToASecondComponent)
{
    EXPECT_TRUE(comm.PortExists(pty.SlavePath()));
    comm.OpenPort();
    EXPECT_FALSE(comm.PortExists(pty.SlavePath()));
    TComm second(loop);
    second.SetCommName(pty.SlavePath());
    try {
        second.OpenPort();
        FAIL() << "opened a port in use";
    } catch (const ECommsError& e) {
        EXPECT_EQ(e.what(),
                  "Error opening serial port\n" + pty.SlavePath() + "：端口正被其他程序使用");
    }
    comm.ClosePort();
    EXPECT_NO_THROW(second.OpenPort());
}

// A pseudo-terminal forces 8 data bits without parity, so the frame format cannot be seen here.
TEST_F(TCommPty, SettersReconfigureTheOpenPortAndCloseGivesTheLineStateBack)
{
    termios before = pty.Termios();
    cfsetspeed(&before, B1200);
    before.c_lflag |= ICANON | ECHO;
    before.c_cflag |= HUPCL;
    pty.SetTermios(before);
    before = pty.Termios();

    comm.OpenPort();
    termios t = pty.Termios();
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(t.c_cflag & HUPCL, 0u);
    comm.SetBaudRate(38400);
    comm.SetParityCheck(true);
    t = pty.Termios();
    EXPECT_EQ(cfgetospeed(&t), B38400);
    EXPECT_EQ(t.c_iflag & INPCK, tcflag_t(INPCK));

    comm.ClosePort();
    const termios after = pty.Termios();
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(std::memcmp(after.c_cc, before.c_cc, sizeof after.c_cc), 0);
}

TEST_F(TCommPty, ComNamesReachTheDeviceThroughTheResolver)
{
    test::TempDir dev;
    std::filesystem::create_symlink(pty.SlavePath(), dev.file("ttyUSB0"));
    TComm named(loop, MakePortResolver({dev.path(), "", {}}));
    EXPECT_TRUE(named.PortExists("COM1"));
    EXPECT_FALSE(named.PortExists("COM2"));
    named.SetCommName("COM1");
    named.OpenPort();
    ASSERT_TRUE(named.WriteData(Text("via COM1").data(), 8));
    EXPECT_EQ(pty.Receive(8), Text("via COM1"));
}

TEST_F(TCommPty, EventsQueuedAtCloseStillRunButNotAfterTheComponentIsGone)
{
    const auto waitForPost = [&](int count) {
        for (const auto end = Clock::now() + 2s; loop.posted < count && Clock::now() < end;)
            std::this_thread::sleep_for(1ms);
        return loop.posted >= count;
    };
    comm.OpenPort();
    pty.Send(Text("late"));
    ASSERT_TRUE(waitForPost(1));
    comm.ClosePort();
    loop.ProcessPending();
    EXPECT_EQ(chunks, std::vector<Bytes>{Text("late")});

    auto gone = std::make_unique<TComm>(loop);
    bool called = false;
    gone->SetCommName(pty.SlavePath());
    gone->SetOnReceiveData([&](const std::uint8_t*, std::uint16_t) { called = true; });
    gone->SetReadIntervalTimeout(0);
    gone->OpenPort();
    pty.Send(Text("orphan"));
    ASSERT_TRUE(waitForPost(2));
    gone.reset();
    loop.ProcessPending();
    EXPECT_FALSE(called);
}

} // namespace
} // namespace orvane
