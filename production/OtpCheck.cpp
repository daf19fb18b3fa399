#include "production/OtpCheck.h"

#include "image/RomImage.h"

#include <algorithm>

namespace orvane {

std::vector<OtpConflict> FindOtpConflicts(std::span<const std::uint8_t> wanted,
                                          std::span<const std::uint8_t> chip, std::int32_t first,
                                          std::int32_t last)
{
    std::vector<OtpConflict> conflicts;
    const auto size = static_cast<std::int32_t>(std::min(wanted.size(), chip.size()));
    for (std::int32_t a = std::max(first, 0); a <= std::min(last, size - 1); ++a) {
        const auto at = static_cast<std::size_t>(a);
        if ((chip[at] & wanted[at]) != wanted[at])
            conflicts.push_back({static_cast<std::uint16_t>(a), chip[at], wanted[at]});
    }
    return conflicts;
}

std::string OtpConflictText(const std::vector<OtpConflict>& conflicts, std::size_t shown)
{
    std::string out;
    for (std::size_t i = 0; i < std::min(shown, conflicts.size()); ++i) {
        const OtpConflict& c = conflicts[i];
        out += Hex(c.address, 4) + ": chip " + Hex(c.chip, 2) + ", image " + Hex(c.wanted, 2) + "\n";
    }
    if (conflicts.size() > shown)
        out += "... and " + std::to_string(conflicts.size() - shown) + " more\n";
    return out;
}

} // namespace orvane
