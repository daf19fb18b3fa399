#include "options/OptionLayout.h"

#include "catalogue/Catalogue.h"
#include "options/OptionKeys.h"

#include <algorithm>
#include <stdexcept>

namespace orvane {

int OptionItem::ChoiceCount() const
{
    switch (kind) {
    case ControlKind::CheckBox:
        return 2;
    case ControlKind::Radio:
    case ControlKind::List:
    case ControlKind::OneLineList:
        return static_cast<int>(entries.size());
    case ControlKind::None:
        break;
    }
    return static_cast<int>(texts.size());
}

namespace {

// AppState or const AppState: the text field of key, nullptr for none.
template <class State>
auto TextField(State& s, std::string_view key) -> decltype(&s.RcName)
{
    if (key == "OptExtra")
        return &s.OptExtra;
    if (key == "RC_NAME")
        return &s.RcName;
    for (const OptionKey& k : kOptionKeys) {
        if (k.key == key)
            return &OptionText(s, k);
    }
    return nullptr;
}

} // namespace

std::string* OptionTextOf(AppState& s, std::string_view key)
{
    return TextField(s, key);
}

const std::string* OptionTextOf(const AppState& s, std::string_view key)
{
    return TextField(s, key);
}

const OptionLayout* FindOptionLayout(std::string_view name)
{
    for (const OptionLayout& layout : OptionLayouts()) {
        if (layout.name == name)
            return &layout;
    }
    return nullptr;
}

const OptionLayout* LayoutOfSlot(int slot)
{
    if (slot < 1 || slot > kSlotCount)
        return nullptr;
    return FindOptionLayout(SlotTable()[static_cast<std::size_t>(slot - 1)].layout);
}

int CaptionSlot(const OptionLayout& layout)
{
    for (const SlotInfo& info : SlotTable()) {
        if (info.layout == layout.name)
            return info.slot;
    }
    return 0;
}

namespace {

bool Applies(const OptionItem& item, const OptionChoices& choices)
{
    return item.onlyIfItem < 0 ||
           choices[static_cast<std::size_t>(item.onlyIfItem)] == item.onlyIfChoice;
}

void Put(AppState& s, const ByteWrite& w)
{
    std::uint8_t& b = w.chipData
                          ? s.RomImage[static_cast<std::size_t>(s.ChipDataAddr1 + w.offset)]
                          : s.OptionBytes[static_cast<std::size_t>(w.offset)];
    b = static_cast<std::uint8_t>((b & ~w.mask) | (w.value & w.mask));
}

void PutBits(AppState& s, const std::vector<BitRef>& bits, unsigned code)
{
    const std::size_t n = bits.size();
    for (std::size_t i = 0; i < n; ++i) {
        const bool one = (code >> (n - 1 - i)) & 1u;
        const auto mask = static_cast<std::uint8_t>(1u << bits[i].bit);
        Put(s, {false, bits[i].byte, mask, one ? mask : std::uint8_t{0}});
    }
}

void CopyTo(AppState& s, std::int32_t address)
{
    for (std::int32_t i = 0; i < 32; ++i) {
        const std::int64_t at = std::int64_t{address} + i;
        if (at >= 0 && at < kImageSize)
            s.RomImage[static_cast<std::size_t>(at)] = s.OptionBytes[static_cast<std::size_t>(i)];
    }
}

void ClearProtection(AppState& s, const OptionLayout& layout)
{
    if (s.OptSEC == "ON")
        s.OptionBytes[static_cast<std::size_t>(layout.protection.byte)] &=
            static_cast<std::uint8_t>(~(1u << layout.protection.bit));
}

} // namespace

OptionChoices ShowChoices(const AppState& s, const OptionLayout& layout)
{
    OptionChoices choices;
    for (const OptionItem& item : layout.items) {
        int choice = item.defaultChoice;
        if (!item.key.empty()) {
            const std::string& text = *OptionTextOf(s, item.key);
            const auto it = std::find(item.texts.begin(), item.texts.end(), text);
            if (it != item.texts.end())
                choice = static_cast<int>(it - item.texts.begin());
        }
        choices.push_back(choice);
    }
    return choices;
}

void EncodeOptions(AppState& s, const OptionLayout& layout, const OptionChoices& choices)
{
    if (choices.size() != layout.items.size())
        throw std::invalid_argument("option choices do not fit the layout");
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const int count = layout.items[i].ChoiceCount();
        if (count > 0 && (choices[i] < 0 || choices[i] >= count))
            throw std::invalid_argument("option choice out of range");
    }
    s.OptionBytes.fill(kBlank);
    for (std::size_t i = 0; i < layout.items.size(); ++i) {
        const OptionItem& item = layout.items[i];
        if (!Applies(item, choices))
            continue;
        const int choice = choices[static_cast<std::size_t>(item.choiceOf < 0 ? static_cast<int>(i)
                                                                               : item.choiceOf)];
        const auto c = static_cast<std::size_t>(choice);
        if (!item.bits.empty())
            PutBits(s, item.bits, item.codes.empty() ? static_cast<unsigned>(choice)
                                                     : item.codes[c]);
        if (!item.key.empty())
            *OptionTextOf(s, item.key) = std::string(item.texts[c]);
        for (const auto& [key, text] : item.alsoStore)
            *OptionTextOf(s, key) = std::string(text);
        for (const ByteWrite& w : item.always)
            Put(s, w);
        if (c < item.writes.size()) {
            for (const ByteWrite& w : item.writes[c])
                Put(s, w);
        }
    }
    if (layout.codec)
        layout.codec(s, s.OptionBytes[0]);
    if (layout.copy != CopyRule::TwoCopies)
        ClearProtection(s, layout);
}

void CopyOptionBlock(AppState& s, const OptionLayout& layout)
{
    if (layout.copy != CopyRule::SecondOnly)
        CopyTo(s, s.OptionAddr1);
    if (layout.copy == CopyRule::TwoCopies)
        ClearProtection(s, layout);
    CopyTo(s, s.OptionAddr2);
}

bool IsOneByteLayout(const OptionLayout& layout)
{
    for (const OptionItem& item : layout.items) {
        for (const BitRef& b : item.bits) {
            if (b.byte != 0)
                return false;
        }
        for (const ByteWrite& w : item.always) {
            if (!w.chipData && w.offset != 0)
                return false;
        }
        for (const auto& choiceWrites : item.writes) {
            for (const ByteWrite& w : choiceWrites) {
                if (!w.chipData && w.offset != 0)
                    return false;
            }
        }
    }
    return true;
}

} // namespace orvane
