#include "image/BytePattern.h"

#include "image/RomImage.h"

#include <algorithm>
#include <cctype>

namespace orvane {

std::optional<std::vector<std::uint8_t>> ParseHexPattern(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
        const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (blank && high < 0)
            continue;
        if (blank || !IsHexText({&c, 1}))
            return std::nullopt; // a blank inside a pair, or no digit at all
        if (high < 0) {
            high = HexDigitValue(c);
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | HexDigitValue(c)));
            high = -1;
        }
    }
    if (high >= 0 || bytes.empty())
        return std::nullopt;
    return bytes;
}

std::optional<std::size_t> FindPattern(std::span<const std::uint8_t> data,
                                       std::span<const std::uint8_t> pattern, std::size_t from)
{
    if (pattern.empty() || pattern.size() > data.size())
        return std::nullopt;
    const auto search = [&](std::size_t first, std::size_t last) -> std::optional<std::size_t> {
        // Starts first..last-1; the match itself may run up to the end of data.
        const auto end = data.begin() + static_cast<std::ptrdiff_t>(
                                            std::min(last + pattern.size() - 1, data.size()));
        const auto hit = std::search(data.begin() + static_cast<std::ptrdiff_t>(first), end,
                                     pattern.begin(), pattern.end());
        if (hit == end)
            return std::nullopt;
        return static_cast<std::size_t>(hit - data.begin());
    };
    const std::size_t starts = data.size() - pattern.size() + 1;
    from = std::min(from, starts);
    if (const auto hit = search(from, starts))
        return hit;
    return from > 0 ? search(0, from) : std::nullopt;
}

} // namespace orvane
