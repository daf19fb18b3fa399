#include "writer/DeviceIdLimit.h"

#include "foundation/Translate.h"
#include "image/RomImage.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace orvane {
namespace {

constexpr int kMaxIdBytes = 8; // a 64-bit value has no more

} // namespace

std::int64_t LastDeviceID(int idLen)
{
    const int bits = 8 * std::clamp(idLen, 0, kMaxIdBytes);
    return bits == 64 ? std::numeric_limits<std::int64_t>::max()
                      : static_cast<std::int64_t>((std::uint64_t{1} << bits) - 1);
}

std::string DeviceIDRangeRefusal(std::int64_t id, int idLen)
{
    if (id < 0)
        return Tr("下一个ID ") + DeviceIDText(id, idLen) + Tr(" 小于0,器件ID未烧录!");
    if (id > LastDeviceID(idLen))
        return Tr("下一个ID ") + DeviceIDText(id, idLen) + Tr(" 超出") + std::to_string(idLen) +
               Tr("字节ID的最大值") + DeviceIDText(LastDeviceID(idLen), idLen) + Tr(",器件ID未烧录!");
    return "";
}

std::int64_t DeviceIDFromText(std::string_view hex)
{
    constexpr std::size_t kSignedDigits = 8;
    if (hex.size() <= kSignedDigits)
        return static_cast<std::int32_t>(HexToInt(hex));
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
    return error == std::errc::result_out_of_range ? std::numeric_limits<std::int64_t>::max()
                                                   : value;
}

std::string DeviceIDText(std::int64_t id, int idLen)
{
    const int digits = 2 * std::clamp(idLen, 0, kMaxIdBytes);
    const auto value = static_cast<std::uint64_t>(id);
    return id < 0 ? "-" + Hex(0 - value, digits) : Hex(value, digits);
}

} // namespace orvane
