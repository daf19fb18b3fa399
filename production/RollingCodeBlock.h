// The 64-byte rolling-code block the Writer reads at ChipDataAddr2: built from the rolling-code
// dialog's fields, and decoded again for display.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace orvane {

using RollingCodeBytes = std::array<std::uint8_t, 64>;

inline constexpr std::uint8_t kRollingCodeOn = 0x0A;
inline constexpr std::uint8_t kRollingCodeOff = 0xFF;

// The dialog's entries as typed: decimal, or hexadecimal with "0x".
struct RollingCodeFields {
    bool enabled = false; // "使能滚动码"
    int length = 1;       // the length button, 1..4
    std::string addr0 = "0x8d00", addr1 = "0x8d01", addr2 = "0x8d02", addr3 = "0x8d03";
    std::string va3 = "0x00", va2 = "0x00", va1 = "0x00", va0 = "0x01";
    std::string vindex = "0x01";
    std::string counter = "0xffffffff";
    std::string maxId = "0xffffffff";
};

// A field out of its range; what() is the dialog's message ("数值不能大于0xffff", "数值不能大于0xff",
// "步进数不能大于255"), shown in a box titled "出错".
class RollingCodeRangeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
inline constexpr const char* kRollingCodeErrorTitle = "出错";

// A field as the dialog converts it: a signed 32-bit number in decimal, or hexadecimal after
// "0x", taken as unsigned 32 bits (so "-1" is 0xFFFFFFFF). Throws ConversionError.
std::uint32_t RollingCodeNumber(const std::string& text);

// The block OK builds. Disabled: previous with state 0xFF and offsets 19..22 zero. Enabled: the
// fields checked in the dialog's order (Addr0..Addr3, Va3..Va0, Vindex, Counter, MaxID), each
// error thrown before anything is built.
RollingCodeBytes BuildRollingCodeBlock(const RollingCodeFields& fields,
                                       const RollingCodeBytes& previous);

// The block in words: "off", or its length, addresses (high to low), initial value, step,
// maximum and limit.
std::string DescribeRollingCodeBlock(const RollingCodeBytes& block);

} // namespace orvane
