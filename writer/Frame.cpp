#include "writer/Frame.h"

namespace orvane {

std::uint8_t FrameChecksum(std::uint8_t code, std::span<const std::uint8_t> params)
{
    unsigned sum = 1u + static_cast<unsigned>(params.size()) + code;
    for (std::uint8_t b : params)
        sum += b;
    return static_cast<std::uint8_t>(sum);
}

std::vector<std::uint8_t> BuildFrame(std::uint8_t code, std::span<const std::uint8_t> params)
{
    std::vector<std::uint8_t> frame;
    frame.reserve(params.size() + 5);
    frame.push_back(kFrameStart);
    frame.push_back(static_cast<std::uint8_t>(1 + params.size()));
    frame.push_back(code);
    frame.insert(frame.end(), params.begin(), params.end());
    frame.push_back(FrameChecksum(code, params));
    frame.push_back(kFrameEnd);
    return frame;
}

} // namespace orvane
