// How far a device ID of IDLen bytes goes. The chip receives the ID's low IDLen bytes only, so an
// ID below 0 or past the last value of its length would repeat one an earlier chip carries: no
// such ID is burned, and none is cut to its low digits where it is kept, stepped or reserved.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// The last ID idLen bytes hold: FFFF for 2, FFFFFF for 3.
std::int64_t LastDeviceID(int idLen);

// Why id cannot be burned as an ID of idLen bytes, "" when it can.
std::string DeviceIDRangeRefusal(std::int64_t id, int idLen);

// The ID a hexadecimal text stands for: up to 8 digits the 32-bit value widened with its sign,
// as the settings file keeps a negative ID; a longer text every digit (saturating past 63 bits),
// so that no digit is lost before the range check. "" gives 0.
std::int64_t DeviceIDFromText(std::string_view hex);

// An ID as the dialog shows it: every digit in upper-case hexadecimal, at least 2 × idLen of
// them, a minus sign before a negative one.
std::string DeviceIDText(std::int64_t id, int idLen);

} // namespace orvane
