// The termios record TComm writes, the gap arithmetic of the receive thread and the texts of
// failed opens.
#include "writer/GapReader.h"
#include "writer/LineSettings.h"
#include "writer/TComm.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace orvane {
namespace {

TCommLineSettings Comm1Line() // the main window's instance
{
    TCommLineSettings s;
    s.BaudRate = 19200;
    s.Outx_XonXoffFlow = false;
    s.Inx_XonXoffFlow = false;
    return s;
}

termios Dirty() // every flag set, as a terminal left in some unknown state could be
{
    termios t;
    std::memset(&t, 0xFF, sizeof t);
    cfsetspeed(&t, B1200);
    return t;
}

TEST(TCommSettings, TheWriterLinkGetsRawBytesEightNoneOneWithoutFlowControl)
{
    termios t = Dirty();
    ASSERT_TRUE(ApplyToTermios(Comm1Line(), t));
    EXPECT_EQ(cfgetispeed(&t), B19200);
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CMSPAR | CSTOPB | CRTSCTS | HUPCL | CREAD | CLOCAL),
              tcflag_t(CS8 | CREAD | CLOCAL));
    // No byte may be translated, dropped, flow-controlled, echoed or turned into a signal.
    EXPECT_EQ(t.c_iflag & (IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR
                           | ICRNL | IUCLC | IXON | IXANY | IXOFF | IMAXBEL), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(TCommSettings, BaudRatesTermiosCannotExpressLeaveTheRecordAlone)
{
    for (std::uint32_t baud : {0u, 19201u, 250000u, 5000000u}) {
        TCommLineSettings s = Comm1Line();
        s.BaudRate = baud;
        termios t = Dirty();
        const termios before = t;
        EXPECT_FALSE(ApplyToTermios(s, t)) << baud;
        EXPECT_EQ(std::memcmp(&t, &before, sizeof t), 0) << baud;
    }
}

TEST(TCommGap, PollTimeoutRoundsUpSoTheGapNeverEndsEarly)
{
    using namespace std::chrono;
    const std::pair<steady_clock::duration, int> cases[] = {
        {-milliseconds(3), 0}, {steady_clock::duration::zero(), 0}, {nanoseconds(1), 1},
        {microseconds(3200), 4}, {milliseconds(4), 4}, {milliseconds(4) + nanoseconds(1), 5},
        {hours(24 * 365), INT_MAX},
    };
    for (const auto& [remaining, ms] : cases)
        EXPECT_EQ(PollTimeoutMs(remaining), ms) << remaining.count();
}

TEST(TCommOpenFailure, TextsNameTheDeviceWhereTheUserCanAct)
{
    const std::string denied = "Error opening serial port\n/dev/ttyUSB0："
                               "没有访问权限，请把当前用户加入 dialout 组后重新登录";
    const std::pair<int, std::string> cases[] = {
        {ENOENT, "Error opening serial port"},
        {EIO, "Error opening serial port"},
        {EACCES, denied},
        {EPERM, denied},
        {EBUSY, "Error opening serial port\n/dev/ttyUSB0：端口正被其他程序使用"},
    };
    for (const auto& [error, text] : cases)
        EXPECT_EQ(OpenFailureText("/dev/ttyUSB0", error), text) << error;
}

} // namespace
} // namespace orvane
