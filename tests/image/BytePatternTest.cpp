// The hex view's find: hostile hexadecimal patterns, and the ends of the buffer (the window's find
// test covers the ordinary wrap).
#include "image/BytePattern.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(BytePatternTest, HexPatternsAreWholeBytes)
{
    const struct {
        const char* text;
        std::optional<Bytes> bytes;
    } cases[] = {
        {"A5 5A", Bytes{0xA5, 0x5A}},
        {"  00\tff ", Bytes{0x00, 0xFF}},
        {"", std::nullopt},
        {"A5 5", std::nullopt},  // odd digit
        {"A 55", std::nullopt},  // a blank inside a byte
        {"A5G0", std::nullopt},
        {"0xA5", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseHexPattern(c.text), c.bytes) << '"' << c.text << '"';
}

TEST(BytePatternTest, FindsFromAPositionAndWrapsOnce)
{
    const Bytes data{0x11, 0xA5, 0x5A, 0x22, 0xA5, 0x5A, 0xA5};
    const struct {
        Bytes pattern;
        std::size_t from;
        std::optional<std::size_t> hit;
    } cases[] = {
        {{0xA5, 0x5A}, 1, 1},   // the position itself counts
        {{0xA5, 0x5A}, 5, 1},   // wraps to the start
        {{0xA5, 0x5A}, 99, 1},  // past the end: from the start
        {{0x5A, 0xA5}, 6, 5},   // a match ending at the last byte
        {{0xA5, 0x11}, 6, std::nullopt}, // never across the end
        {{}, 0, std::nullopt},
        {Bytes(8, 0x11), 0, std::nullopt}, // longer than the data
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindPattern(data, c.pattern, c.from), c.hit) << "from " << c.from;
}

} // namespace
} // namespace orvane
