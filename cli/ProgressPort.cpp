#include "cli/ProgressPort.h"

#include "writer/Frame.h"

namespace orvane::cli {

ProgressPort::ProgressPort(CommPort& inner, std::function<void()> onBlockSent)
    : inner_(inner), onBlockSent_(std::move(onBlockSent))
{
    inner_.SetOnReceiveData([this](const std::uint8_t* buffer, std::uint16_t length) {
        if (onReceiveData_)
            onReceiveData_(buffer, length);
    });
}

bool ProgressPort::WriteData(const std::uint8_t* buffer, std::uint16_t length)
{
    const bool queued = inner_.WriteData(buffer, length);
    const bool block = length > 2 && (buffer[2] == WriteBlock || buffer[2] == ReadBlock);
    if (queued && block)
        onBlockSent_();
    return queued;
}

} // namespace orvane::cli
