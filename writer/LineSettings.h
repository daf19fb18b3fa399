// The line settings and timeouts of TComm, with the defaults of a new component, and their
// translation into a termios record.
#pragma once

#include <cstdint>

#include <termios.h>

namespace orvane {

enum class TDtrControl { DtrEnable, DtrDisable, DtrHandshake };
enum class TRtsControl { RtsEnable, RtsDisable, RtsHandshake, RtsTransmissionAvailable };
enum class TByteSize { _5, _6, _7, _8 }; // data bits = value + 5
enum class TParity { None, Odd, Even, Mark, Space };
enum class TStopBits { _1, _1_5, _2 };

struct TCommLineSettings {
    std::uint32_t BaudRate = 9600;
    bool ParityCheck = false;
    bool Outx_CtsFlow = false;
    bool Outx_DsrFlow = false;
    TDtrControl DtrControl = TDtrControl::DtrEnable;
    bool DsrSensitivity = false;
    bool TxContinueOnXoff = true;
    bool Outx_XonXoffFlow = true;
    bool Inx_XonXoffFlow = true;
    bool ReplaceWhenParityError = false;
    bool IgnoreNullChar = false;
    TRtsControl RtsControl = TRtsControl::RtsEnable;
    std::uint16_t XonLimit = 500;
    std::uint16_t XoffLimit = 500;
    TByteSize ByteSize = TByteSize::_8;
    TParity Parity = TParity::None;
    TStopBits StopBits = TStopBits::_1;
    char XonChar = 0x11;
    char XoffChar = 0x13;
    char ReplacedChar = 0x00;
};

// In milliseconds. The POSIX receive thread measures ReadIntervalTimeout itself (termios counts
// tenths of a second); the total timeouts are kept for the owner but a read still waits without
// limit for its first byte and a write always finishes its block.
struct TCommTimeouts {
    std::uint32_t ReadIntervalTimeout = 100;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// Overwrites the fields of tio that the settings decide: raw bytes in both directions, no
// hang-up on close, reads that return at once (VMIN = VTIME = 0), speed, frame format, parity
// checking and flow control. False, with tio unchanged, for a baud rate termios cannot express.
bool ApplyToTermios(const TCommLineSettings& settings, termios& tio);

// Modem lines to raise and to drop (TIOCM_DTR / TIOCM_RTS bits) for the DTR and RTS settings.
// Handshake and transmit-toggle modes keep the line raised: the terminal driver has no such modes
// apart from RTS/CTS, which ApplyToTermios sets.
struct ModemLines {
    int raise = 0;
    int drop = 0;
};
ModemLines ModemLinesFor(const TCommLineSettings& settings);

} // namespace orvane
