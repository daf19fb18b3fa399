#include "writer/TransferChoices.h"

#include "catalogue/Catalogue.h"

#include <array>
#include <numeric>

namespace orvane {

namespace {

constexpr TransferChoices kCommon{0x0000, 0x2100, 4, 0x2120};

// Index slot - 1. Slots 17, 18, 19 and 21 keep their options at 0x4100 but the download report
// shows the File Option bytes of 0x2120 for them, as it always has.
constexpr std::array<TransferChoices, kSlotCount> kChoices = {{
    kCommon,                    // 1
    kCommon,                    // 2
    kCommon,                    // 3
    kCommon,                    // 4
    kCommon,                    // 5
    kCommon,                    // 6
    kCommon,                    // 7
    kCommon,                    // 8
    kCommon,                    // 9
    kCommon,                    // 10
    kCommon,                    // 11
    kCommon,                    // 12
    kCommon,                    // 13
    {0x0000, 0x4100, 1, 0x4120}, // 14
    kCommon,                    // 15
    kCommon,                    // 16
    {0x0000, 0x4100, 1, 0x2120}, // 17
    {0x0000, 0x4100, 1, 0x2120}, // 18
    {0x0000, 0x4100, 1, 0x2120}, // 19
    {0x4000, 0x2100, 4, 0x2120}, // 20
    {0x4000, 0x4100, 1, 0x2120}, // 21
    {0xFFFF, 0x2100, 4, 0x2120}, // 22
    {0x3FE0, 0x4100, 1, 0x4120}, // 23
    {0xFFFF, 0x4100, 1, 0x4120}, // 24
    {0xFFFF, 0x2100, 4, 0x2120}, // 25
    {0xFFFF, 0x2100, 4, 0x2120}, // 26
    {0xFFFF, 0x2100, 4, 0x2120}, // 27
    {0xFFFF, 0x4100, 1, 0x4120}, // 28
    {0xFFFF, 0x2100, 4, 0x2120}, // 29
    {0xFFFF, 0x2100, 4, 0x2120}, // 30
    {0xFFFF, 0x8100, 1, 0x8120}, // 31
}};

constexpr std::array<int, kSlotCount> kSlotOrder = [] {
    std::array<int, kSlotCount> order{};
    std::iota(order.begin(), order.end(), 1);
    return order;
}();

} // namespace

const TransferChoices& TransferChoicesFor(const AppState& s)
{
    const int slot = FirstMatchingSlot(s, kSlotOrder);
    return slot == 0 ? kCommon : kChoices[static_cast<std::size_t>(slot - 1)];
}

} // namespace orvane
