// The rolling-code block: 64 bytes at ChipDataAddr2 of the image that tell the Writer to write a
// serial number of its own into every chip it programs, and step it from chip to chip.
#pragma once

#include "foundation/AppState.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvane {

using RollingCodeBytes = std::array<std::uint8_t, 64>;

inline constexpr std::uint8_t kRollingCodeOn = 0x0A;
inline constexpr std::uint8_t kRollingCodeOff = 0xFF;

// The rolling-code dialog's entries as typed, decimal or hexadecimal after "0x", with the texts
// the dialog starts with. Index i of addr and value is code byte i (0 least significant):
// Addr0..Addr3 and Va0..Va3.
struct RollingCodeForm {
    bool enabled = false; // "使能滚动码"
    int length = 4;       // selected length button, 1..4
    std::array<std::string, 4> addr{"0x8d00", "0x8d01", "0x8d02", "0x8d03"};
    std::array<std::string, 4> value{"0x01", "0x00", "0x00", "0x00"};
    std::string step = "0x01";          // Vindex
    std::string counter = "0xffffffff"; // limit on the number of chips
    std::string maxId = "0xffffffff";   // MaxID
};

// A field out of its range; what() is the operator's text ("数值不能大于0xffff" ...).
class RollingCodeRangeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The block the dialog's OK stores. Disabled: current with the state byte 0xFF and offsets 19..22
// zero. Enabled: every field is converted and checked, in the dialog's field order, before the
// new block is made, so a bad field changes nothing. Throws ConversionError for a text that is
// not a number and RollingCodeRangeError for a number out of range.
RollingCodeBytes BuildRollingCodeBlock(const RollingCodeForm& form,
                                       const RollingCodeBytes& current);

// A dialog entry: a signed 32-bit integer in decimal, or in hexadecimal after "0x"; the bits as
// unsigned 32 (a negative entry is therefore larger than any positive one).
std::uint32_t RollingCodeNumber(const std::string& text);

// The block in words: "off", or its length, addresses (high to low), initial value, step,
// maximum and limit.
std::string DescribeRollingCodeBlock(const RollingCodeBytes& block);

// Copies RollingCodeBlock into the image at 0x8DC0 for the model of slot 31, else at 0x7DC0.
void PlaceRollingCodeBlock(AppState& s);

// The image's block at ChipDataAddr2 makes the Writer burn rolling codes: its state byte is 0x0A.
bool RollingCodeOn(const AppState& s);

// Where the Writer burns the code's bytes, least significant first, as the image's block names
// them; none while the block is off.
std::vector<std::int32_t> RollingCodeAddresses(const AppState& s);

} // namespace orvane
