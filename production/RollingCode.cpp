#include "production/RollingCode.h"

#include "catalogue/Catalogue.h"
#include "foundation/Errors.h"
#include "foundation/Translate.h"
#include "image/RomImage.h"

#include <algorithm>
#include <charconv>

namespace orvane {
namespace {

constexpr std::size_t kStateOffset = 0;
constexpr std::size_t kLengthOffset = 1;
constexpr std::size_t kAddrOffset = 2;     // four big-endian words, code byte 0 first
constexpr std::size_t kValueOffset = 10;   // four bytes, most significant first
constexpr std::size_t kStepOffset = 14;
constexpr std::size_t kCounterOffset = 15;
constexpr std::size_t kZeroOffset = 19;    // four bytes the Writer keeps for itself
constexpr std::size_t kValueCopyOffset = 23;
constexpr std::size_t kMaxIdOffset = 27;

constexpr std::int32_t kBlockAt = 0x7DC0;
constexpr std::int32_t kBlockAtSlot31 = 0x8DC0;

void PutBigEndian(RollingCodeBytes& block, std::size_t at, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        block[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
}

std::uint32_t GetBigEndian(const RollingCodeBytes& block, std::size_t at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | block[at + static_cast<std::size_t>(i)];
    return value;
}

std::uint32_t Checked(const std::string& text, std::uint32_t max, const char* message)
{
    const std::uint32_t value = RollingCodeNumber(text);
    if (value > max)
        throw RollingCodeRangeError(message);
    return value;
}

} // namespace

std::uint32_t RollingCodeNumber(const std::string& text)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    if (hex) {
        std::uint32_t value = 0; // eight digits at most: the bits of a signed 32-bit value
        const auto [end, error] = std::from_chars(first, last, value, 16);
        if (error == std::errc() && end == last)
            return value;
    } else {
        std::int32_t value = 0;
        const auto [end, error] = std::from_chars(first, last, value, 10);
        if (error == std::errc() && end == last && first != last)
            return static_cast<std::uint32_t>(value);
    }
    throw ConversionError("'" + text + "' is not a valid integer value");
}

RollingCodeBytes BuildRollingCodeBlock(const RollingCodeForm& form,
                                       const RollingCodeBytes& current)
{
    if (!form.enabled) {
        RollingCodeBytes block = current;
        block[kStateOffset] = kRollingCodeOff;
        PutBigEndian(block, kZeroOffset, 0, 4);
        return block;
    }

    std::array<std::uint32_t, 4> addr{};
    for (std::size_t i = 0; i < addr.size(); ++i)
        addr[i] = Checked(form.addr[i], 0xFFFF, Tr("数值不能大于0xffff"));
    std::array<std::uint32_t, 4> value{};
    for (std::size_t i = value.size(); i-- > 0;) // Va3 first
        value[i] = Checked(form.value[i], 0xFF, Tr("数值不能大于0xff"));
    const std::uint32_t step = Checked(form.step, 0xFF, Tr("步进数不能大于255"));
    const std::uint32_t counter = RollingCodeNumber(form.counter);
    const std::uint32_t maxId = RollingCodeNumber(form.maxId);

    RollingCodeBytes block{};
    block[kStateOffset] = kRollingCodeOn;
    block[kLengthOffset] = static_cast<std::uint8_t>(form.length);
    for (std::size_t i = 0; i < addr.size(); ++i)
        PutBigEndian(block, kAddrOffset + 2 * i, addr[i], 2);
    for (std::size_t i = 0; i < value.size(); ++i)
        block[kValueOffset + 3 - i] = static_cast<std::uint8_t>(value[i]);
    block[kStepOffset] = static_cast<std::uint8_t>(step);
    PutBigEndian(block, kCounterOffset, counter, 4);
    std::copy_n(block.begin() + kValueOffset, 4, block.begin() + kValueCopyOffset);
    PutBigEndian(block, kMaxIdOffset, maxId, 4);
    return block;
}

std::string DescribeRollingCodeBlock(const RollingCodeBytes& b)
{
    if (b[kStateOffset] != kRollingCodeOn)
        return "off (state " + Hex(b[kStateOffset], 2) + ")";
    const int length = b[kLengthOffset];
    std::string addresses;
    for (int i = std::clamp(length, 1, 4) - 1; i >= 0; --i)
        addresses += Hex(GetBigEndian(b, kAddrOffset + 2 * static_cast<std::size_t>(i), 2), 4) +
                     (i > 0 ? "," : "");
    return "on, " + std::to_string(length) + " byte(s) at " + addresses + ", initial " +
           Hex(GetBigEndian(b, kValueOffset, 4), 8) + ", step " + std::to_string(b[kStepOffset]) +
           ", max " + Hex(GetBigEndian(b, kMaxIdOffset, 4), 8) + ", limit " +
           Hex(GetBigEndian(b, kCounterOffset, 4), 8);
}

void PlaceRollingCodeBlock(AppState& s)
{
    const std::int32_t at = IsSlot(s, kSlotCount) ? kBlockAtSlot31 : kBlockAt;
    std::copy(s.RollingCodeBlock.begin(), s.RollingCodeBlock.end(), s.RomImage.begin() + at);
}

bool RollingCodeOn(const AppState& s)
{
    return s.ChipDataAddr2 >= 0 && s.ChipDataAddr2 < kImageSize &&
           s.RomImage[static_cast<std::size_t>(s.ChipDataAddr2)] == kRollingCodeOn;
}

std::vector<std::int32_t> RollingCodeAddresses(const AppState& s)
{
    if (!RollingCodeOn(s))
        return {};
    RollingCodeBytes block; // a block cut off by the end of the image reads blank there
    block.fill(kBlank);
    const auto at = static_cast<std::size_t>(s.ChipDataAddr2);
    std::copy_n(s.RomImage.begin() + static_cast<std::ptrdiff_t>(at),
                std::min(block.size(), s.RomImage.size() - at), block.begin());
    std::vector<std::int32_t> addresses;
    for (int i = 0; i < std::clamp<int>(block[kLengthOffset], 1, 4); ++i)
        addresses.push_back(static_cast<std::int32_t>(
            GetBigEndian(block, kAddrOffset + 2 * static_cast<std::size_t>(i), 2)));
    return addresses;
}

} // namespace orvane
