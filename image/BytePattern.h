// The find of the hex view: a pattern typed as hexadecimal bytes or as text, searched in a byte
// buffer from a position, wrapping once at the end.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace orvane {

// "A5 5A", "a55a": pairs of hexadecimal digits, blanks between the pairs. None for an empty text,
// an odd digit or any other character.
std::optional<std::vector<std::uint8_t>> ParseHexPattern(std::string_view text);

// The first position at or after from where pattern starts, else the first before it; none when
// pattern is empty or occurs nowhere. A match never runs past the end of data.
std::optional<std::size_t> FindPattern(std::span<const std::uint8_t> data,
                                       std::span<const std::uint8_t> pattern, std::size_t from);

} // namespace orvane
