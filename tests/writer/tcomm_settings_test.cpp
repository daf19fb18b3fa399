// The termios record TComm writes, the gap arithmetic of the receive thread and the texts of
// failed opens.
#include "writer/Comm1Settings.h"
#include "writer/GapReader.h"
#include "writer/LineSettings.h"
#include "writer/TComm.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace orvane {
namespace {

// The Writer link's port: 19200 baud, no XON/XOFF, and a 4 ms gap between a reply's bytes.
TEST(TCommSettings, Comm1IsSetUpForTheWriter)
{
    QueueEventLoop loop;
    TComm comm(loop);
    ConfigureComm1(comm);
    const TCommLineSettings& line = comm.LineSettings();
    EXPECT_EQ(std::tuple(line.BaudRate, line.Outx_XonXoffFlow, line.Inx_XonXoffFlow,
                         comm.Timeouts().ReadIntervalTimeout),
              std::tuple(19200u, false, false, 4u));
}

// A pseudo-terminal ignores the frame format and the flow control: they are checked here.
TEST(TCommSettings, TheWriterLinkIsEightNoneOneWithoutFlowControlAndReadsReturnAtOnce)
{
    TCommLineSettings s; // as the main window sets it
    s.BaudRate = 19200, s.Outx_XonXoffFlow = false, s.Inx_XonXoffFlow = false;
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
    using namespace std::chrono_literals;
    const std::pair<std::chrono::steady_clock::duration, int> cases[] = {
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
