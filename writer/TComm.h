// TComm: one serial port on POSIX termios, with a receive thread that cuts the incoming bytes
// into chunks at the inter-byte gap and a transmit thread that writes queued blocks. Every event
// runs on the event loop's thread; HACKING.md has the thread contract.
#pragma once

#include "writer/CommPort.h"
#include "writer/EventLoop.h"
#include "writer/LineSettings.h"
#include "writer/PortNames.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvane {

// The message of the ECommsError for a device that open(2) refused with errno error: "Error
// opening serial port", plus a line naming the device when the user can do something about it
// (no access rights, or the port is in use).
std::string OpenFailureText(const std::string& path, int error);

class TComm final : public CommPort {
public:
    using ErrorHandler = std::function<void(std::uint32_t eventMask)>;
    using ModemHandler = std::function<void(std::uint32_t modemEvent)>;
    using NotifyHandler = std::function<void()>;

    // Events are posted to loop. resolver turns CommName into a device path ("" when there is
    // none); by default "COMn" goes through the default device order of /dev.
    explicit TComm(EventLoop& loop, PortResolver resolver = MakePortResolver({}));
    ~TComm() override; // closes the port; events still queued on the loop then do nothing
    TComm(const TComm&) = delete;
    TComm& operator=(const TComm&) = delete;

    // Stored only; used by the next OpenPort.
    void SetCommName(const std::string& name) override { commName_ = name; }
    std::string CommName() const override { return commName_; }
    void SetParity(TParity value) { line_.Parity = value; }

    // Stored; when the port is open and the value changed, ApplyLineSettings runs at once.
    void SetBaudRate(std::uint32_t value) override { SetLine(&TCommLineSettings::BaudRate, value); }
    void SetParityCheck(bool value) override { SetLine(&TCommLineSettings::ParityCheck, value); }
    void SetStopBitsOne() override { SetStopBits(TStopBits::_1); }
    void SetOutx_CtsFlow(bool value) { SetLine(&TCommLineSettings::Outx_CtsFlow, value); }
    void SetOutx_DsrFlow(bool value) { SetLine(&TCommLineSettings::Outx_DsrFlow, value); }
    void SetDtrControl(TDtrControl value) { SetLine(&TCommLineSettings::DtrControl, value); }
    void SetDsrSensitivity(bool value) { SetLine(&TCommLineSettings::DsrSensitivity, value); }
    void SetTxContinueOnXoff(bool value) { SetLine(&TCommLineSettings::TxContinueOnXoff, value); }
    void SetOutx_XonXoffFlow(bool value) { SetLine(&TCommLineSettings::Outx_XonXoffFlow, value); }
    void SetInx_XonXoffFlow(bool value) { SetLine(&TCommLineSettings::Inx_XonXoffFlow, value); }
    void SetReplaceWhenParityError(bool value)
    {
        SetLine(&TCommLineSettings::ReplaceWhenParityError, value);
    }
    void SetIgnoreNullChar(bool value) { SetLine(&TCommLineSettings::IgnoreNullChar, value); }
    void SetRtsControl(TRtsControl value) { SetLine(&TCommLineSettings::RtsControl, value); }
    void SetXonLimit(std::uint16_t value) { SetLine(&TCommLineSettings::XonLimit, value); }
    void SetXoffLimit(std::uint16_t value) { SetLine(&TCommLineSettings::XoffLimit, value); }
    void SetByteSize(TByteSize value) { SetLine(&TCommLineSettings::ByteSize, value); }
    void SetStopBits(TStopBits value) { SetLine(&TCommLineSettings::StopBits, value); }
    void SetXonChar(char value) { SetLine(&TCommLineSettings::XonChar, value); }
    void SetXoffChar(char value) { SetLine(&TCommLineSettings::XoffChar, value); }
    void SetReplacedChar(char value) { SetLine(&TCommLineSettings::ReplacedChar, value); }

    // Stored; when the port is open, ApplyTimeouts runs at once.
    void SetReadIntervalTimeout(std::uint32_t ms)
    {
        SetTimeout(&TCommTimeouts::ReadIntervalTimeout, ms);
    }
    void SetReadTotalTimeoutMultiplier(std::uint32_t ms)
    {
        SetTimeout(&TCommTimeouts::ReadTotalTimeoutMultiplier, ms);
    }
    void SetReadTotalTimeoutConstant(std::uint32_t ms)
    {
        SetTimeout(&TCommTimeouts::ReadTotalTimeoutConstant, ms);
    }
    void SetWriteTotalTimeoutMultiplier(std::uint32_t ms)
    {
        SetTimeout(&TCommTimeouts::WriteTotalTimeoutMultiplier, ms);
    }
    void SetWriteTotalTimeoutConstant(std::uint32_t ms)
    {
        SetTimeout(&TCommTimeouts::WriteTotalTimeoutConstant, ms);
    }

    const TCommLineSettings& LineSettings() const { return line_; }
    const TCommTimeouts& Timeouts() const { return timeouts_; }

    // Line errors and modem changes are not watched on this platform: OnReceiveError and
    // OnModemStateChange are kept for owners that set them but are never raised.
    void SetOnReceiveError(ErrorHandler handler) { onReceiveError_ = std::move(handler); }
    void SetOnModemStateChange(ModemHandler handler) { onModemStateChange_ = std::move(handler); }
    // The port hung up or a read or write failed; raised once per OpenPort. The port then
    // stays open, receiving and sending nothing, until ClosePort.
    void SetOnRequestHangup(NotifyHandler handler) { onRequestHangup_ = std::move(handler); }
    // The transmit queue ran empty after sending; also raised once after each OpenPort.
    void SetOnSendDataEmpty(NotifyHandler handler) { onSendDataEmpty_ = std::move(handler); }

    // Throws ECommsError: "This serial port already opened" (the open port is left as it is),
    // "Error opening serial port" (no device for CommName, absent, in use, no access), "File
    // handle is not a comm handle " (not a terminal), "Cannot setup comm buffer" (its line
    // state cannot be read), "Unable to create event" (no wake fd or thread).
    void OpenPort() override;
    void ClosePort() override;
    bool WriteData(const std::uint8_t* buffer, std::uint16_t length) override;
    bool PortExists(const std::string& name) override;
    bool PortInUse(const std::string& name) override;

    // Write the settings to the open port; false when closed or the driver refused them.
    bool ApplyLineSettings();
    bool ApplyTimeouts();

    bool IsOpen() const { return session_ != nullptr; }
    // True when nothing waits to be sent: when closed, after opening and whenever the transmit
    // thread has found its queue empty; false from WriteData until then.
    bool SendDataEmpty() const;

private:
    struct Session;

    template <class T>
    void SetLine(T TCommLineSettings::*field, T value)
    {
        if (line_.*field == value)
            return;
        line_.*field = value;
        if (IsOpen())
            ApplyLineSettings();
    }
    void SetTimeout(std::uint32_t TCommTimeouts::*field, std::uint32_t ms)
    {
        timeouts_.*field = ms;
        if (IsOpen())
            ApplyTimeouts();
    }

    void StartThreads(Session& session);
    void RaiseRequestHangup();
    void RaiseSendDataEmpty();

    EventLoop& loop_;
    PortResolver resolver_;
    std::string commName_ = "COM2";
    TCommLineSettings line_;
    TCommTimeouts timeouts_;
    ErrorHandler onReceiveError_;
    ModemHandler onModemStateChange_;
    NotifyHandler onRequestHangup_;
    NotifyHandler onSendDataEmpty_;
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
    std::unique_ptr<Session> session_;
};

} // namespace orvane
