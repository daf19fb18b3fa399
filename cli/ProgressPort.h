// A port that passes everything through to the real one and counts the block frames sent
// (WriteBlock, ReadBlock), so the CLI can show the progress of a transfer.
#pragma once

#include "writer/CommPort.h"

#include <functional>

namespace orvane::cli {

class ProgressPort final : public CommPort {
public:
    ProgressPort(CommPort& inner, std::function<void()> onBlockSent);

    void SetCommName(const std::string& name) override { inner_.SetCommName(name); }
    std::string CommName() const override { return inner_.CommName(); }
    void SetBaudRate(std::uint32_t baud) override { inner_.SetBaudRate(baud); }
    void SetStopBitsOne() override { inner_.SetStopBitsOne(); }
    void SetParityCheck(bool on) override { inner_.SetParityCheck(on); }
    void OpenPort() override { inner_.OpenPort(); }
    void ClosePort() override { inner_.ClosePort(); }
    bool WriteData(const std::uint8_t* buffer, std::uint16_t length) override;
    bool PortExists(const std::string& name) override { return inner_.PortExists(name); }

private:
    CommPort& inner_;
    std::function<void()> onBlockSent_;
};

} // namespace orvane::cli
