// TComm on a pseudo-terminal, where the test holds the master side and plays the Writer; the
// termios record it writes, the gap arithmetic of the receive thread and the texts of failed opens.
#include "writer/TComm.h"

#include "foundation/Errors.h"
#include "writer/Comm1Settings.h"
#include "writer/GapReader.h"
#include "writer/LineSettings.h"

#include <gmock/gmock.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <numeric>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace orvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

class TCommPty : public testing::Test {
protected:
    TCommPty()
    {
        EXPECT_TRUE(pty >= 0 && grantpt(pty) == 0 && unlockpt(pty) == 0);
        comm.SetCommName(ptsname(pty));
        ConfigureComm1(comm);
        comm.SetOnReceiveData([this](const std::uint8_t* bytes, std::uint16_t length) {
            events.emplace_back(bytes, bytes + length);
        });
        comm.SetOnRequestHangup([this] { events.push_back("hangup"); });
    }
    ~TCommPty() override { close(pty); }

    bool Write(const std::string& s)
    {
        return comm.WriteData(reinterpret_cast<const std::uint8_t*>(s.data()), s.size() & 0xFFFF);
    }
    void Send(const std::string& s) { ASSERT_EQ(write(pty, s.data(), s.size()), std::ssize(s)); }
    std::string Receive(std::size_t count, int limitMs = 2000) // what the master side reads
    {
        std::string got;
        char buffer[4096];
        for (pollfd p{pty, POLLIN, 0}; got.size() < count && poll(&p, 1, limitMs) > 0;) {
            const ssize_t n = read(pty, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }
    // Runs events on this thread, the loop's, for the time given.
    void PumpFor(int ms) { for (const auto end = Clock::now() + ms * 1ms; loop.RunOne(end);) {} }

    int pty = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC); // the master side
    QueueEventLoop loop;
    TComm comm{loop};
    Strings events; // received chunks and "hangup", in order
};

TEST_F(TCommPty, TheQueueEmptyEventComesOnceAfterOpeningAndOnceAfterEachSending)
{
    comm.SetOnSendDataEmpty([this] { events.push_back("empty"); });
    comm.OpenPort();
    PumpFor(50);
    EXPECT_EQ(events, Strings{"empty"});
    ASSERT_TRUE(Write("abc"));
    EXPECT_EQ(Receive(3), "abc");
    PumpFor(50);
    EXPECT_EQ(events, (Strings{"empty", "empty"}));
    comm.ClosePort();
    comm.OpenPort();
    PumpFor(50);
    EXPECT_EQ(events, (Strings{"empty", "empty", "empty"}));
}

// Pauses well beyond the 4 ms gap, so that a busy machine (ctest -j, ThreadSanitizer) still wakes
// the receive thread in time.
TEST_F(TCommPty, ABurstIsOneChunkAndAPauseWellAboveTheGapSplitsItUnlessTheGapIsLonger)
{
    std::string all(256, '\0'); // every byte value passes both ways
    std::iota(all.begin(), all.end(), '\0');
    comm.OpenPort();
    ASSERT_TRUE(Write(all));
    EXPECT_EQ(Receive(all.size()), all);
    PumpFor(20);
    events.clear();
    Send(all);
    PumpFor(100);
    std::this_thread::sleep_for(40ms);
    Send("ab");
    std::this_thread::sleep_for(40ms);
    Send("cd");
    PumpFor(100);
    EXPECT_EQ(events, (Strings{all, "ab", "cd"}));

    events.clear();
    comm.SetReadIntervalTimeout(300); // the receive thread takes the new gap at once
    Send("ab");
    std::this_thread::sleep_for(40ms);
    Send("cd");
    PumpFor(500);
    EXPECT_EQ(events, Strings{"abcd"});
}

TEST_F(TCommPty, WriteNeedsAnOpenPortOpenTwiceFailsAndCloseIsQuickWhileThePeerIsSilent)
{
    EXPECT_FALSE(Write("hello"));
    comm.OpenPort();
    EXPECT_THAT([&] { comm.OpenPort(); },
                testing::ThrowsMessage<ECommsError>("This serial port already opened"));
    EXPECT_FALSE(Write(""));
    EXPECT_TRUE(Write("hello") && Write("world"));
    EXPECT_EQ(Receive(11, 100), "helloworld");
    // The peer reads no more: the transmit thread waits for room, the receive thread for a byte.
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(Write(std::string(60000, 'U')));
    std::this_thread::sleep_for(50ms);
    const auto start = Clock::now();
    comm.ClosePort();
    EXPECT_LT(Clock::now() - start, 200ms);
    comm.ClosePort(); // twice: harmless
    EXPECT_FALSE(Write("hello"));
}

TEST_F(TCommPty, PeerHangUpIsReportedOnceAfterTheBytesBeforeItWithoutSpinning)
{
    comm.SetReadIntervalTimeout(1000); // "last" is still an open chunk when the peer goes
    comm.OpenPort();
    Send("last");
    std::this_thread::sleep_for(50ms); // the hang-up flushes what the receive thread has not read
    close(std::exchange(pty, -1));
    const std::clock_t cpu = std::clock(); // the threads must not spin on the hung-up descriptor
    PumpFor(300);
    EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC / 10);
    Write("x"); // its failure reports nothing further
    PumpFor(50);
    EXPECT_EQ(events, (Strings{"last", "hangup"}));
    EXPECT_FALSE(Write("y"));
}

TEST_F(TCommPty, OpenPortNamesWhatIsWrongWithTheDevice)
{
    const std::string pts = ptsname(pty);
    const std::pair<std::string, std::string> cases[] = {
        {"/nonexistent/ttyUSB0", "Error opening serial port"},
        {"COM7", "Error opening serial port"}, // the resolver knows no such port
        {"/dev/null", "File handle is not a comm handle "},
        {pts, "Error opening serial port\n" + pts + "：端口正被其他程序使用"},
    };
    TComm other(loop, [](const std::string& name) { return name[0] == '/' ? name : ""; });
    comm.OpenPort();
    for (const auto& [name, text] : cases) {
        other.SetCommName(name);
        EXPECT_THAT([&] { other.OpenPort(); }, testing::ThrowsMessage<ECommsError>(text)) << name;
    }
}

TEST_F(TCommPty, OpenSetsTheLineAndCloseGivesItsStateBack)
{
    // The slave's settings (termios calls on the master reach them) as a new terminal has them:
    // 38400 baud, canonical input, echo and hang-up on close.
    termios before{}, line{};
    tcgetattr(pty, &before);
    comm.OpenPort();
    comm.SetBaudRate(1200); // applies to the open port at once
    tcgetattr(pty, &line);
    EXPECT_EQ(cfgetospeed(&line), B1200);
    EXPECT_EQ((line.c_lflag & (ICANON | ECHO)) | (line.c_cflag & HUPCL), 0u);
    comm.ClosePort();
    tcgetattr(pty, &line);
    EXPECT_EQ(std::memcmp(&line, &before, sizeof line), 0);
}

// The Writer link's port: 19200 baud, eight data bits, no parity, one stop bit, no flow control,
// reads that return at once, and a 4 ms gap between a reply's bytes. A pseudo-terminal ignores the
// frame format and the flow control: they are checked on the termios record here.
TEST(TCommSettings, TheWriterLinkIsEightNoneOneWithoutFlowControlAndReadsReturnAtOnce)
{
    QueueEventLoop loop;
    TComm comm(loop);
    ConfigureComm1(comm);
    EXPECT_EQ(comm.Timeouts().ReadIntervalTimeout, 4u);
    TCommLineSettings s = comm.LineSettings();
    termios t;
    std::memset(&t, 0xFF, sizeof t); // every flag set, as a terminal left in some unknown state
    const termios dirty = t;
    ASSERT_TRUE(ApplyToTermios(s, t));
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CMSPAR | CSTOPB | CRTSCTS | HUPCL | CREAD | CLOCAL),
              tcflag_t(CS8 | CREAD | CLOCAL));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | INPCK | ISTRIP), 0u);
    EXPECT_EQ(t.c_cc[VMIN] | t.c_cc[VTIME], 0);
    s.BaudRate = 19201; // termios cannot express it
    t = dirty;
    EXPECT_FALSE(ApplyToTermios(s, t));
    EXPECT_EQ(std::memcmp(&t, &dirty, sizeof t), 0);
}

TEST(TCommGap, PollTimeoutRoundsUpSoTheGapNeverEndsEarly)
{
    const std::pair<Clock::duration, int> cases[] = {
        {-3ms, 0}, {1ns, 1}, {3200us, 4}, {4ms, 4}, {4ms + 1ns, 5}, {8760h, INT_MAX}};
    for (const auto& [remaining, ms] : cases)
        EXPECT_EQ(PollTimeoutMs(remaining), ms) << remaining.count();
}

TEST(TCommOpenFailure, NoAccessRightsNameTheDeviceAndTheRemedy)
{
    const std::string denied = "Error opening serial port\n/dev/ttyUSB0："
                               "没有访问权限，请把当前用户加入 dialout 组后重新登录";
    EXPECT_EQ(OpenFailureText("/dev/ttyUSB0", EACCES), denied);
    EXPECT_EQ(OpenFailureText("/dev/ttyUSB0", EPERM), denied);
    EXPECT_EQ(OpenFailureText("/dev/ttyUSB0", EIO), "Error opening serial port");
}

} // namespace
} // namespace orvane
