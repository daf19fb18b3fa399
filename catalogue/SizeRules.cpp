#include "catalogue/Catalogue.h"

#include <optional>

namespace orvane {

namespace {

// One rule: for the models of `slots`, the option byte at `inputAddr`, masked, selects a row, and
// the row's values go to the chip-data bytes D + offsets[i]. Without a matching row the bytes keep
// the chip file's values unless the rule has a value set for every other input.
struct SizeRow {
    std::uint8_t input;
    std::array<std::uint8_t, 6> values;
};
struct SizeRule {
    std::span<const int> slots;
    std::int32_t inputAddr;
    std::uint8_t mask;
    std::int32_t chipDataBase;
    std::span<const std::uint8_t> offsets;
    std::span<const SizeRow> rows;
    std::optional<std::array<std::uint8_t, 6>> otherwise;
};

constexpr std::array<int, 1> kQK139 = {30};
constexpr std::array<int, 2> kQK139AndQK129 = {30, 29};
constexpr std::array<int, 1> kQK134 = {31};

constexpr std::array<std::uint8_t, 4> kEndAndSizeOffsets = {0x06, 0x07, 0x08, 0x09};
constexpr std::array<std::uint8_t, 3> kSizeAndEndOffsets = {0x09, 0x06, 0x07};
constexpr std::array<std::uint8_t, 6> kTrimWordOffsets = {0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13};

// QK139: program size from option byte 6 (area end, then the size bytes).
constexpr std::array<SizeRow, 4> kQK139SizeRows = {{
    {0xF0, {0x03, 0xFF, 0x80, 0x01}},
    {0xF1, {0x03, 0xFF, 0x80, 0x05}},
    {0xF3, {0x03, 0xFF, 0x80, 0x09}},
    {0xFF, {0x07, 0xFF, 0x80, 0x0D}},
}};
constexpr std::array<std::uint8_t, 6> kTrimLow = {0x04, 0xED, 0x04, 0xD7, 0x04, 0xE2};
constexpr std::array<std::uint8_t, 6> kTrimHigh = {0x08, 0xF8, 0x08, 0xCE, 0x08, 0xE3};
// QK139 and QK129: three trim words from the oscillator bits of option byte 0.
constexpr std::array<SizeRow, 6> kTrimRows = {{
    {0x00, kTrimLow},
    {0x10, kTrimLow},
    {0x20, kTrimLow},
    {0x30, kTrimLow},
    {0x40, kTrimLow},
    {0x50, kTrimHigh},
}};
// QK134: size code and program area end from option byte 0.
constexpr std::array<SizeRow, 7> kQK134SizeRows = {{
    {0xB7, {0x02, 0x7F, 0xFF}},
    {0xD3, {0x05, 0x3F, 0xFF}},
    {0xD7, {0x02, 0x3F, 0xFF}},
    {0xE0, {0x0B, 0x1F, 0xFF}},
    {0xE1, {0x08, 0x1F, 0xFF}},
    {0xE3, {0x05, 0x1F, 0xFF}},
    {0xE7, {0x02, 0x1F, 0xFF}},
}};
// QK134: trim words from option byte 9, always written.
constexpr std::array<SizeRow, 1> kQK134TrimRows = {{
    {0x05, {0x08, 0xF9, 0x08, 0xCA, 0x08, 0xE3}},
}};
constexpr std::array<std::uint8_t, 6> kQK134TrimOtherwise = {0x09, 0xCC, 0x09, 0xBC, 0x09, 0xC4};

// In this order: the QK139 size rule runs before the trim rule it shares with QK129.
constexpr std::array<SizeRule, 4> kSizeRules = {{
    {kQK139, 0x2106, 0xFF, 0x7D00, kEndAndSizeOffsets, kQK139SizeRows, std::nullopt},
    {kQK139AndQK129, 0x2100, 0x70, 0x7D00, kTrimWordOffsets, kTrimRows, std::nullopt},
    {kQK134, 0x8100, 0xFF, 0x8D00, kSizeAndEndOffsets, kQK134SizeRows, std::nullopt},
    {kQK134, 0x8109, 0x07, 0x8D00, kTrimWordOffsets, kQK134TrimRows, kQK134TrimOtherwise},
}};

void Apply(AppState& s, const SizeRule& rule)
{
    const auto input = static_cast<std::uint8_t>(s.RomImage[static_cast<std::size_t>(rule.inputAddr)] &
                                                 rule.mask);
    const std::array<std::uint8_t, 6>* values = rule.otherwise ? &*rule.otherwise : nullptr;
    for (const SizeRow& row : rule.rows) {
        if (row.input == input) {
            values = &row.values;
            break;
        }
    }
    if (!values)
        return;
    for (std::size_t i = 0; i < rule.offsets.size(); ++i)
        s.RomImage[static_cast<std::size_t>(rule.chipDataBase + rule.offsets[i])] = (*values)[i];
}

} // namespace

void ApplySizeRules(AppState& s)
{
    for (const SizeRule& rule : kSizeRules) {
        if (FirstMatchingSlot(s, rule.slots) != 0)
            Apply(s, rule);
    }
}

} // namespace orvane
