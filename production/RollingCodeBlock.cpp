#include "production/RollingCodeBlock.h"

#include "foundation/Errors.h"
#include "image/RomImage.h"

#include <charconv>
#include <cstdint>

namespace orvane {
namespace {

// Offsets of the block's fields; numbers are big-endian.
constexpr std::size_t kState = 0, kLength = 1, kAddr0 = 2, kInitial = 10, kStep = 14,
                      kLimit = 15, kWriterCount = 19, kInitialCopy = 23, kMax = 27;

void PutBig(RollingCodeBytes& b, std::size_t at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b[at + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
}

std::uint32_t GetBig(const RollingCodeBytes& b, std::size_t at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | b[at + static_cast<std::size_t>(i)];
    return value;
}

std::uint32_t Checked(const std::string& text, std::uint32_t max, const char* message)
{
    const std::uint32_t value = RollingCodeNumber(text);
    if (value > max)
        throw RollingCodeRangeError(message);
    return value;
}

} // namespace

std::uint32_t RollingCodeNumber(const std::string& text)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    if (hex) {
        std::uint32_t value = 0;
        const auto [end, ec] = std::from_chars(first, last, value, 16);
        if (ec == std::errc() && end == last)
            return value;
    } else {
        std::int32_t value = 0;
        const auto [end, ec] = std::from_chars(first, last, value, 10);
        if (ec == std::errc() && end == last && first != last)
            return static_cast<std::uint32_t>(value);
    }
    throw ConversionError("'" + text + "' is not a valid integer value");
}

RollingCodeBytes BuildRollingCodeBlock(const RollingCodeFields& f, const RollingCodeBytes& previous)
{
    RollingCodeBytes b = previous;
    PutBig(b, kWriterCount, 0, 4);
    if (!f.enabled) {
        b[kState] = kRollingCodeOff;
        return b;
    }
    const char* kAddressMessage = "数值不能大于0xffff";
    const char* kByteMessage = "数值不能大于0xff";
    const std::uint32_t addr[4] = {Checked(f.addr0, 0xFFFF, kAddressMessage),
                                   Checked(f.addr1, 0xFFFF, kAddressMessage),
                                   Checked(f.addr2, 0xFFFF, kAddressMessage),
                                   Checked(f.addr3, 0xFFFF, kAddressMessage)};
    const std::uint32_t va[4] = {
        Checked(f.va3, 0xFF, kByteMessage), Checked(f.va2, 0xFF, kByteMessage),
        Checked(f.va1, 0xFF, kByteMessage), Checked(f.va0, 0xFF, kByteMessage)};
    const std::uint32_t step = Checked(f.vindex, 255, "步进数不能大于255");
    const std::uint32_t limit = RollingCodeNumber(f.counter);
    const std::uint32_t max = RollingCodeNumber(f.maxId);

    b[kState] = kRollingCodeOn;
    b[kLength] = static_cast<std::uint8_t>(f.length);
    for (std::size_t i = 0; i < 4; ++i) {
        PutBig(b, kAddr0 + 2 * i, addr[i], 2);
        b[kInitial + i] = static_cast<std::uint8_t>(va[i]);
        b[kInitialCopy + i] = static_cast<std::uint8_t>(va[i]);
    }
    b[kStep] = static_cast<std::uint8_t>(step);
    PutBig(b, kLimit, limit, 4);
    PutBig(b, kMax, max, 4);
    std::fill(b.begin() + kMax + 4, b.end(), 0);
    return b;
}

std::string DescribeRollingCodeBlock(const RollingCodeBytes& b)
{
    if (b[kState] != kRollingCodeOn)
        return "off (state " + Hex(b[kState], 2) + ")";
    const int length = b[kLength];
    std::string addresses;
    for (int i = std::min(std::max(length, 1), 4) - 1; i >= 0; --i)
        addresses += Hex(GetBig(b, kAddr0 + 2 * static_cast<std::size_t>(i), 2), 4) +
                     (i > 0 ? "," : "");
    return "on, " + std::to_string(length) + " byte(s) at " + addresses + ", initial " +
           Hex(GetBig(b, kInitial, 4), 8) + ", step " + std::to_string(b[kStep]) + ", max " +
           Hex(GetBig(b, kMax, 4), 8) + ", limit " + Hex(GetBig(b, kLimit, 4), 8);
}

} // namespace orvane
