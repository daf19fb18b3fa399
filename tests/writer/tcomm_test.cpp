// TComm on a pseudo-terminal: the test holds the master side and plays the Writer.
#include "writer/TComm.h"

#include "app/Errors.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace orvane {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slavePath_ = ::ptsname(master_);
    }
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return slavePath_; }

    void Send(const Bytes& bytes)
    {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0) << std::strerror(errno);
            done += static_cast<std::size_t>(n);
        }
    }

    // What the slave side sent, once count bytes arrived or the time ran out.
    Bytes Receive(std::size_t count, std::chrono::milliseconds limit = 2000ms)
    {
        Bytes got;
        const auto deadline = Clock::now() + limit;
        while (got.size() < count && Clock::now() < deadline) {
            pollfd fd{master_, POLLIN, 0};
            if (::poll(&fd, 1, 10) <= 0)
                continue;
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0)
                got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    // Termios ioctls on the master act on the slave.
    termios SlaveTermios() const
    {
        termios t{};
        ::tcgetattr(master_, &t);
        return t;
    }
    void SetSlaveTermios(const termios& t) { ::tcsetattr(master_, TCSANOW, &t); }

    void CloseMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

double ProcessCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Posts counted, so that a test can wait until the threads have handed something over without
// running it.
class CountingLoop final : public EventLoop {
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
    template <class Done>
    bool PumpUntil(Done done, std::chrono::milliseconds limit = 2000ms)
    {
        const auto deadline = Clock::now() + limit;
        while (!done()) {
            if (!loop.RunOne(deadline))
                return done();
        }
        return true;
    }
    void PumpFor(std::chrono::milliseconds span)
    {
        PumpUntil([] { return false; }, span);
    }

    std::size_t ReceivedSize() const
    {
        std::size_t n = 0;
        for (const auto& c : chunks)
            n += c.size();
        return n;
    }
    Bytes Received() const
    {
        Bytes all;
        for (const auto& c : chunks)
            all.insert(all.end(), c.begin(), c.end());
        return all;
    }

    PseudoTerminal pty;
    CountingLoop loop;
    TComm comm{loop};
    std::vector<Bytes> chunks;
    std::vector<std::string> log;
};

TEST_F(TCommPty, EveryByteValuePassesUnchangedBothWays)
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    comm.OpenPort();

    ASSERT_TRUE(comm.WriteData(all.data(), static_cast<std::uint16_t>(all.size())));
    EXPECT_EQ(pty.Receive(all.size()), all);

    pty.Send(all);
    ASSERT_TRUE(PumpUntil([&] { return ReceivedSize() >= all.size(); }));
    EXPECT_EQ(Received(), all);
}

TEST_F(TCommPty, ABurstIsOneChunkAndAPauseStartsTheNext)
{
    comm.OpenPort();
    pty.Send(Text("\x68\x01\xE2\xE3\x16"));
    PumpFor(60ms);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0], Text("\x68\x01\xE2\xE3\x16"));

    chunks.clear();
    pty.Send(Text("first"));
    std::this_thread::sleep_for(20ms);
    pty.Send(Text("second"));
    std::this_thread::sleep_for(20ms);
    pty.Send(Text("third"));
    ASSERT_TRUE(PumpUntil([&] { return chunks.size() >= 3; }));
    PumpFor(30ms);
    EXPECT_EQ(chunks, (std::vector<Bytes>{Text("first"), Text("second"), Text("third")}));
}

TEST_F(TCommPty, ALongerIntervalJoinsWhatAShortOneSplits)
{
    comm.OpenPort();
    comm.SetReadIntervalTimeout(80); // applies at once to the open port
    pty.Send(Text("ab"));
    std::this_thread::sleep_for(20ms);
    pty.Send(Text("cd"));
    ASSERT_TRUE(PumpUntil([&] { return !chunks.empty(); }));
    PumpFor(100ms);
    EXPECT_EQ(chunks, std::vector<Bytes>{Text("abcd")});
}

TEST_F(TCommPty, ALargeBurstArrivesWholeInChunksOfAtMost2048)
{
    Bytes burst(4100);
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    comm.OpenPort();
    pty.Send(burst);
    ASSERT_TRUE(PumpUntil([&] { return ReceivedSize() >= burst.size(); }));
    EXPECT_EQ(Received(), burst);
    EXPECT_GE(chunks.size(), 3u);
    for (const auto& c : chunks)
        EXPECT_LE(c.size(), 2048u);
}

TEST_F(TCommPty, WriteDataRefusesWhenClosedOrEmptyAndReportsTheQueueRunningEmpty)
{
    const Bytes hello = Text("\x68\x01\xE1\xE2\x16");
    EXPECT_FALSE(comm.WriteData(hello.data(), 5));
    EXPECT_TRUE(comm.SendDataEmpty());

    comm.OpenPort();
    EXPECT_TRUE(comm.SendDataEmpty());
    EXPECT_FALSE(comm.WriteData(hello.data(), 0));
    ASSERT_TRUE(comm.WriteData(hello.data(), 5));
    ASSERT_TRUE(comm.WriteData(hello.data(), 5));
    EXPECT_EQ(pty.Receive(10), Text("\x68\x01\xE1\xE2\x16\x68\x01\xE1\xE2\x16"));
    ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }));
    PumpFor(20ms);
    EXPECT_EQ(log, std::vector<std::string>{"empty"});
    EXPECT_TRUE(comm.SendDataEmpty());

    comm.ClosePort();
    EXPECT_FALSE(comm.WriteData(hello.data(), 5));
    EXPECT_TRUE(pty.Receive(1, 50ms).empty());
}

TEST_F(TCommPty, OpeningTwiceFailsAndTheOpenPortKeepsWorking)
{
    comm.OpenPort();
    try {
        comm.OpenPort();
        FAIL() << "second OpenPort succeeded";
    } catch (const ECommsError& e) {
        EXPECT_STREQ(e.what(), "This serial port already opened");
    }
    EXPECT_TRUE(comm.IsOpen());
    ASSERT_TRUE(comm.WriteData(Text("ping").data(), 4));
    EXPECT_EQ(pty.Receive(4), Text("ping"));
    pty.Send(Text("pong"));
    ASSERT_TRUE(PumpUntil([&] { return !chunks.empty(); }));
    EXPECT_EQ(chunks[0], Text("pong"));
}

TEST_F(TCommPty, ClosingTwiceIsHarmlessAndThePortReopens)
{
    comm.ClosePort();
    for (int round = 0; round < 3; ++round) {
        comm.OpenPort();
        const Bytes word = Text("r" + std::to_string(round));
        pty.Send(word);
        ASSERT_TRUE(PumpUntil([&] { return !chunks.empty(); })) << round;
        EXPECT_EQ(chunks.back(), word);
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
    auto start = Clock::now();
    comm.ClosePort();
    EXPECT_LT(Clock::now() - start, 200ms);

    // The peer reads nothing: the transmit thread waits for room in the driver's buffer.
    comm.OpenPort();
    const Bytes block(60000, 0x55);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(comm.WriteData(block.data(), static_cast<std::uint16_t>(block.size())));
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(comm.SendDataEmpty());
    start = Clock::now();
    comm.ClosePort();
    EXPECT_LT(Clock::now() - start, 200ms);
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

    // The threads must not spin on the hung-up descriptor.
    const double cpuBefore = ProcessCpuMs();
    PumpFor(200ms);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 60.0);

    // A write that fails now reports nothing further.
    comm.WriteData(Text("x").data(), 1);
    PumpFor(50ms);
    EXPECT_EQ(log, (std::vector<std::string>{"data 4", "hangup"}));
    EXPECT_EQ(chunks.at(0), Text("last"));
    EXPECT_FALSE(comm.WriteData(Text("y").data(), 1));

    const auto start = Clock::now();
    comm.ClosePort();
    EXPECT_LT(Clock::now() - start, 200ms);
}

TEST(TCommOpen, DevicesThatAreNoSerialPortAreRefusedWithTheirMessages)
{
    test::TempDir dir;
    test::WriteText(dir.file("plain"), "not a tty");
    struct Case {
        std::string name;
        std::string message;
    };
    const Case cases[] = {
        {dir.file("missing"), "Error opening serial port"},
        {dir.path(), "Error opening serial port"},
        {"COM7", "Error opening serial port"}, // the resolver knows no such port
        {"", "Error opening serial port"},
        {dir.file("plain"), "File handle is not a comm handle "},
        {"/dev/null", "File handle is not a comm handle "},
    };
    QueueEventLoop loop;
    TComm comm(loop, [](const std::string& name) { return name.rfind("COM", 0) == 0 ? "" : name; });
    for (const Case& c : cases) {
        comm.SetCommName(c.name);
        try {
            comm.OpenPort();
            ADD_FAILURE() << c.name << " opened";
        } catch (const ECommsError& e) {
            EXPECT_EQ(e.what(), c.message) << c.name;
        }
        EXPECT_FALSE(comm.IsOpen()) << c.name;
        EXPECT_EQ(comm.PortExists(c.name), c.message != "Error opening serial port") << c.name;
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
    pty.Send(Text("still mine"));
    ASSERT_TRUE(PumpUntil([&] { return !chunks.empty(); }));
    EXPECT_EQ(chunks[0], Text("still mine"));

    comm.ClosePort();
    EXPECT_NO_THROW(second.OpenPort());
}

// A pseudo-terminal forces 8 data bits without parity, so the frame format cannot be seen here.
TEST_F(TCommPty, SettersReconfigureTheOpenPort)
{
    comm.OpenPort();
    termios t = pty.SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_EQ(t.c_iflag & (INPCK | IXON | IXOFF), 0u);

    comm.SetBaudRate(38400);
    comm.SetParityCheck(true);
    comm.SetOutx_XonXoffFlow(true);
    t = pty.SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B38400);
    EXPECT_EQ(t.c_iflag & (INPCK | IXON | IXOFF), tcflag_t(INPCK | IXON));

    comm.ClosePort();
    comm.SetBaudRate(115200); // stored only while closed
    t = pty.SlaveTermios();
    EXPECT_NE(cfgetospeed(&t), B115200);
    comm.OpenPort();
    t = pty.SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B115200);
}

TEST_F(TCommPty, CloseGivesTheDeviceBackItsLineState)
{
    termios before = pty.SlaveTermios();
    cfsetospeed(&before, B1200);
    cfsetispeed(&before, B1200);
    before.c_lflag |= ICANON | ECHO;
    before.c_cflag |= HUPCL;
    pty.SetSlaveTermios(before);
    before = pty.SlaveTermios();

    comm.OpenPort();
    const termios open = pty.SlaveTermios();
    EXPECT_EQ(open.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(open.c_cflag & HUPCL, 0u);

    comm.ClosePort();
    const termios after = pty.SlaveTermios();
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
    named.SetReadIntervalTimeout(4);
    named.SetOnReceiveData([this](const std::uint8_t* buffer, std::uint16_t length) {
        chunks.emplace_back(buffer, buffer + length);
    });
    EXPECT_TRUE(named.PortExists("COM1"));
    EXPECT_FALSE(named.PortExists("COM2"));
    named.SetCommName("COM1");
    named.OpenPort();
    pty.Send(Text("via COM1"));
    ASSERT_TRUE(PumpUntil([&] { return !chunks.empty(); }));
    EXPECT_EQ(chunks[0], Text("via COM1"));
}

TEST_F(TCommPty, EventsQueuedAtCloseStillRunButNotAfterTheComponentIsGone)
{
    comm.OpenPort();
    pty.Send(Text("late"));
    const auto deadline = Clock::now() + 2s;
    while (loop.posted == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(loop.posted, 1);
    comm.ClosePort();
    loop.ProcessPending();
    EXPECT_EQ(chunks, std::vector<Bytes>{Text("late")});

    auto gone = std::make_unique<TComm>(loop);
    bool called = false;
    gone->SetCommName(pty.SlavePath());
    gone->SetReadIntervalTimeout(0);
    gone->SetOnReceiveData([&](const std::uint8_t*, std::uint16_t) { called = true; });
    gone->OpenPort();
    pty.Send(Text("orphan"));
    while (loop.posted == 1 && Clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_GE(loop.posted, 2);
    gone.reset();
    loop.ProcessPending();
    EXPECT_FALSE(called);
}

} // namespace
} // namespace orvane
