// The termios record TComm writes for its settings, the gap arithmetic of the receive thread and
// the texts of failed opens.
#include "writer/GapReader.h"
#include "writer/LineSettings.h"
#include "writer/TComm.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include <sys/ioctl.h>

namespace orvane {
namespace {

// The main window's instance: what the Writer link needs.
TCommLineSettings Comm1Line()
{
    TCommLineSettings s;
    s.BaudRate = 19200;
    s.Outx_XonXoffFlow = false;
    s.Inx_XonXoffFlow = false;
    return s;
}

// Every flag set, as a terminal left in some unknown state would be.
termios Dirty()
{
    termios t;
    std::memset(&t, 0xFF, sizeof t);
    cfsetispeed(&t, B1200);
    cfsetospeed(&t, B1200);
    return t;
}

TEST(TCommSettings, Comm1GivesRawEightNoneOneWithoutFlowControl)
{
    termios t = Dirty();
    ASSERT_TRUE(ApplyToTermios(Comm1Line(), t));

    EXPECT_EQ(cfgetispeed(&t), B19200);
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    for (tcflag_t off : {tcflag_t(PARENB), tcflag_t(PARODD), tcflag_t(CMSPAR), tcflag_t(CSTOPB),
                         tcflag_t(CRTSCTS), tcflag_t(HUPCL)})
        EXPECT_EQ(t.c_cflag & off, 0u) << std::hex << off;
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
    // No byte may be translated, dropped, flow-controlled or turned into a signal.
    for (tcflag_t off : {IGNBRK, BRKINT, IGNPAR, PARMRK, INPCK, ISTRIP, INLCR, IGNCR, ICRNL, IUCLC,
                         IXON, IXANY, IXOFF, IMAXBEL})
        EXPECT_EQ(t.c_iflag & off, 0u) << std::hex << off;
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    for (tcflag_t off : {ECHO, ECHOE, ECHOK, ECHONL, ICANON, ISIG, IEXTEN})
        EXPECT_EQ(t.c_lflag & off, 0u) << std::hex << off;
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(TCommSettings, DefaultsOfANewComponent)
{
    const TCommLineSettings s;
    EXPECT_EQ(s.BaudRate, 9600u);
    EXPECT_TRUE(s.Outx_XonXoffFlow);
    EXPECT_TRUE(s.Inx_XonXoffFlow);
    EXPECT_TRUE(s.TxContinueOnXoff);
    EXPECT_EQ(s.XonLimit, 500);
    EXPECT_EQ(s.XonChar, 0x11);
    EXPECT_EQ(s.XoffChar, 0x13);
    EXPECT_EQ(TCommTimeouts{}.ReadIntervalTimeout, 100u);

    termios t = Dirty();
    ASSERT_TRUE(ApplyToTermios(s, t));
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
}

TEST(TCommSettings, FrameFormatAndFlowControlFields)
{
    struct Case {
        const char* what;
        void (*change)(TCommLineSettings&);
        tcflag_t termios::*field;
        tcflag_t mask;
        tcflag_t expected;
    };
    constexpr auto C = &termios::c_cflag;
    constexpr auto I = &termios::c_iflag;
    constexpr tcflag_t kParity = PARENB | PARODD | CMSPAR;
    const Case cases[] = {
        {"5 bits", [](auto& s) { s.ByteSize = TByteSize::_5; }, C, CSIZE, CS5},
        {"6 bits", [](auto& s) { s.ByteSize = TByteSize::_6; }, C, CSIZE, CS6},
        {"7 bits", [](auto& s) { s.ByteSize = TByteSize::_7; }, C, CSIZE, CS7},
        {"odd", [](auto& s) { s.Parity = TParity::Odd; }, C, kParity, PARENB | PARODD},
        {"even", [](auto& s) { s.Parity = TParity::Even; }, C, kParity, PARENB},
        {"mark", [](auto& s) { s.Parity = TParity::Mark; }, C, kParity, kParity},
        {"space", [](auto& s) { s.Parity = TParity::Space; }, C, kParity, PARENB | CMSPAR},
        {"1.5 stop", [](auto& s) { s.StopBits = TStopBits::_1_5; }, C, CSTOPB, CSTOPB},
        {"2 stop", [](auto& s) { s.StopBits = TStopBits::_2; }, C, CSTOPB, CSTOPB},
        {"cts flow", [](auto& s) { s.Outx_CtsFlow = true; }, C, CRTSCTS, CRTSCTS},
        {"rts handshake", [](auto& s) { s.RtsControl = TRtsControl::RtsHandshake; }, C, CRTSCTS,
         CRTSCTS},
        {"parity check", [](auto& s) { s.ParityCheck = true; }, I, INPCK, INPCK},
        {"xon out", [](auto& s) { s.Outx_XonXoffFlow = true; }, I, IXON | IXOFF, IXON},
        {"xon in", [](auto& s) { s.Inx_XonXoffFlow = true; }, I, IXON | IXOFF, IXOFF},
    };
    for (const Case& c : cases) {
        TCommLineSettings s = Comm1Line();
        c.change(s);
        termios t = Dirty();
        ASSERT_TRUE(ApplyToTermios(s, t)) << c.what;
        EXPECT_EQ(t.*c.field & c.mask, c.expected) << c.what;
    }
}

TEST(TCommSettings, BaudRatesTermiosCannotExpressLeaveTheRecordAlone)
{
    for (std::uint32_t baud : {0u, 1u, 19201u, 250000u, 5000000u}) {
        TCommLineSettings s = Comm1Line();
        s.BaudRate = baud;
        termios t = Dirty();
        const termios before = t;
        EXPECT_FALSE(ApplyToTermios(s, t)) << baud;
        EXPECT_EQ(std::memcmp(&t, &before, sizeof t), 0) << baud;
    }
    const std::pair<std::uint32_t, speed_t> known[] = {
        {50, B50}, {9600, B9600}, {115200, B115200}, {921600, B921600}, {4000000, B4000000}};
    for (const auto& [baud, speed] : known) {
        TCommLineSettings s = Comm1Line();
        s.BaudRate = baud;
        termios t = Dirty();
        ASSERT_TRUE(ApplyToTermios(s, t)) << baud;
        EXPECT_EQ(cfgetospeed(&t), speed) << baud;
    }
}

TEST(TCommSettings, ModemLinesFollowDtrAndRtsControl)
{
    struct Case {
        TDtrControl dtr;
        TRtsControl rts;
        int raise;
        int drop;
    };
    const Case cases[] = {
        {TDtrControl::DtrEnable, TRtsControl::RtsEnable, TIOCM_DTR | TIOCM_RTS, 0},
        {TDtrControl::DtrDisable, TRtsControl::RtsEnable, TIOCM_RTS, TIOCM_DTR},
        {TDtrControl::DtrEnable, TRtsControl::RtsDisable, TIOCM_DTR, TIOCM_RTS},
        {TDtrControl::DtrDisable, TRtsControl::RtsDisable, 0, TIOCM_DTR | TIOCM_RTS},
        {TDtrControl::DtrHandshake, TRtsControl::RtsHandshake, TIOCM_DTR | TIOCM_RTS, 0},
        {TDtrControl::DtrEnable, TRtsControl::RtsTransmissionAvailable, TIOCM_DTR | TIOCM_RTS, 0},
    };
    for (const Case& c : cases) {
        TCommLineSettings s;
        s.DtrControl = c.dtr;
        s.RtsControl = c.rts;
        const ModemLines lines = ModemLinesFor(s);
        EXPECT_EQ(lines.raise, c.raise);
        EXPECT_EQ(lines.drop, c.drop);
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
    const std::string path = "/dev/ttyUSB0";
    const std::string denied = "Error opening serial port\n/dev/ttyUSB0："
                               "没有访问权限，请把当前用户加入 dialout 组后重新登录";
    const std::pair<int, std::string> cases[] = {
        {ENOENT, "Error opening serial port"},
        {ENXIO, "Error opening serial port"},
        {EIO, "Error opening serial port"},
        {EACCES, denied},
        {EPERM, denied},
        {EBUSY, "Error opening serial port\n/dev/ttyUSB0：端口正被其他程序使用"},
    };
    for (const auto& [error, text] : cases)
        EXPECT_EQ(OpenFailureText(path, error), text) << error;
}

} // namespace
} // namespace orvane
