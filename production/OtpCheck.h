// Whether a one-time-programmable chip can still take an image: its cells only go from 1 to 0,
// so a byte can be burned over what the chip holds when every 1 bit it needs is still 1.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvane {

struct OtpConflict {
    std::uint16_t address;
    std::uint8_t chip;   // what the chip holds
    std::uint8_t wanted; // what the image needs there
};

// Every address in first..last (inclusive) where wanted needs a 1 over a 0 of chip, in address
// order. Both spans cover the whole 64 KiB address space.
std::vector<OtpConflict> FindOtpConflicts(std::span<const std::uint8_t> wanted,
                                          std::span<const std::uint8_t> chip, std::int32_t first,
                                          std::int32_t last);

// The report: one line per conflict ("0123: chip 00, image 01"), the first `shown` of them, then
// "... and N more"; "" when there is none.
std::string OtpConflictText(const std::vector<OtpConflict>& conflicts, std::size_t shown = 20);

} // namespace orvane
