// What the Writer link needs of a serial port. TComm implements it on termios; the tests use an
// in-process fake Writer. Received chunks arrive through OnReceiveData on the event loop's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace orvane {

class CommPort {
public:
    // Called on the user-interface thread for each received chunk; the bytes are valid only
    // during the call.
    using ReceiveHandler = std::function<void(const std::uint8_t* buffer, std::uint16_t length)>;

    virtual ~CommPort() = default;

    virtual void SetCommName(const std::string& name) = 0; // "COM1".."COM20" or a device path
    virtual std::string CommName() const = 0;
    virtual void SetBaudRate(std::uint32_t baud) = 0;
    virtual void SetStopBitsOne() = 0;
    virtual void SetParityCheck(bool on) = 0;

    // Opens the port named by CommName; throws ECommsError.
    virtual void OpenPort() = 0;
    virtual void ClosePort() = 0; // nothing when closed
    // Queues a copy of the bytes; false (nothing queued) when closed, length 0 or hand-over failed.
    virtual bool WriteData(const std::uint8_t* buffer, std::uint16_t length) = 0;

    // Opens the named device exclusively and closes it at once.
    virtual bool PortExists(const std::string& name) = 0;
    // True when the named device exists but another program holds it.
    virtual bool PortInUse(const std::string& name) = 0;

    void SetOnReceiveData(ReceiveHandler handler) { onReceiveData_ = std::move(handler); }

protected:
    ReceiveHandler onReceiveData_;
};

} // namespace orvane
