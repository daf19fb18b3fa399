#include "writer/LineSettings.h"

#include <algorithm>
#include <array>
#include <utility>

#include <sys/ioctl.h>

namespace orvane {
namespace {

constexpr std::array<std::pair<std::uint32_t, speed_t>, 30> kSpeeds{{
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
    {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
    {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
}};

constexpr std::array<tcflag_t, 4> kDataBits{CS5, CS6, CS7, CS8}; // by TByteSize

constexpr std::array<tcflag_t, 5> kParityBits{
    0,                        // None
    PARENB | PARODD,          // Odd
    PARENB,                   // Even
    PARENB | CMSPAR | PARODD, // Mark
    PARENB | CMSPAR,          // Space
};

} // namespace

bool ApplyToTermios(const TCommLineSettings& settings, termios& tio)
{
    const auto speed = std::find_if(kSpeeds.begin(), kSpeeds.end(),
                                    [&](const auto& s) { return s.first == settings.BaudRate; });
    if (speed == kSpeeds.end())
        return false;

    termios t = tio;
    if (cfsetispeed(&t, speed->second) != 0 || cfsetospeed(&t, speed->second) != 0)
        return false;

    // Every byte passes unchanged. With INPCK a byte that fails the parity check arrives as
    // 0x00, which is the default ReplacedChar; the driver offers no other replacement and no
    // way to drop NUL bytes, so ReplacedChar and IgnoreNullChar have no effect here.
    t.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL
                   | IUCLC | IXON | IXANY | IXOFF | IMAXBEL);
    if (settings.ParityCheck)
        t.c_iflag |= INPCK;
    if (settings.Outx_XonXoffFlow)
        t.c_iflag |= IXON;
    if (settings.Inx_XonXoffFlow)
        t.c_iflag |= IXOFF;

    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);

    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CREAD | CLOCAL | kDataBits[static_cast<std::size_t>(settings.ByteSize)]
                 | kParityBits[static_cast<std::size_t>(settings.Parity)];
    if (settings.StopBits != TStopBits::_1)
        t.c_cflag |= CSTOPB; // 1.5 stop bits is what the UART sends for CSTOPB with 5 data bits
    if (settings.Outx_CtsFlow || settings.RtsControl == TRtsControl::RtsHandshake)
        t.c_cflag |= CRTSCTS;

    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    t.c_cc[VSTART] = static_cast<cc_t>(settings.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(settings.XoffChar);
    tio = t;
    return true;
}

ModemLines ModemLinesFor(const TCommLineSettings& settings)
{
    ModemLines lines;
    (settings.DtrControl == TDtrControl::DtrDisable ? lines.drop : lines.raise) |= TIOCM_DTR;
    (settings.RtsControl == TRtsControl::RtsDisable ? lines.drop : lines.raise) |= TIOCM_RTS;
    return lines;
}

} // namespace orvane
