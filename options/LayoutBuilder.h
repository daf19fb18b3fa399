// Shorthand for writing the layout descriptions: controls, their fields and byte writes.
#pragma once

#include "foundation/Translate.h"
#include "options/OptionLayout.h"

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace orvane::layout {

using Texts = std::vector<std::string_view>;

// Texts that live as long as the program: "0".."count-1", or binary numbers of `digits` digits
// from 0 to count-1.
const Texts& Numbers(int count);
const Texts& BinaryNumbers(int digits, int count);

// Bits hi..lo of one byte, most significant first.
inline std::vector<BitRef> Bits(int byte, int hi, int lo)
{
    std::vector<BitRef> bits;
    for (int b = hi; b >= lo; --b)
        bits.push_back({byte, b});
    return bits;
}

// Binary codes as the tables print them, separated by spaces: "111 110 101".
inline std::vector<unsigned> Codes(std::string_view binary)
{
    std::vector<unsigned> codes;
    bool inCode = false;
    for (const char c : binary) {
        if (c == ' ') {
            inCode = false;
            continue;
        }
        if (!inCode)
            codes.push_back(0);
        inCode = true;
        codes.back() = codes.back() * 2 + (c == '1' ? 1u : 0u);
    }
    return codes;
}

inline ByteWrite Block(int offset, std::uint8_t value, std::uint8_t mask = 0xFF)
{
    return {false, offset, mask, value};
}

inline ByteWrite Chip(int offset, std::uint8_t value, std::uint8_t mask = 0xFF)
{
    return {true, offset, mask, value};
}

// 16-bit values, high byte first, from chip-data offset on.
inline std::vector<ByteWrite> ChipWords(int offset, std::initializer_list<std::uint16_t> words)
{
    std::vector<ByteWrite> writes;
    for (const std::uint16_t w : words) {
        writes.push_back(Chip(offset++, static_cast<std::uint8_t>(w >> 8)));
        writes.push_back(Chip(offset++, static_cast<std::uint8_t>(w & 0xFF)));
    }
    return writes;
}

// Built in one expression: Radio(...).Key(...).At(...); converts to the OptionItem.
class Item {
public:
    explicit Item(ControlKind kind, std::string_view group = {})
    {
        item_.kind = kind;
        item_.group = group;
    }

    Item& Caption(std::string_view caption) { item_.caption = caption; return *this; }
    Item& Entries(Texts entries) { item_.entries = std::move(entries); return *this; }
    Item& Key(std::string_view key, Texts texts)
    {
        item_.key = key;
        item_.texts = std::move(texts);
        return *this;
    }
    Item& At(std::vector<BitRef> bits) { item_.bits = std::move(bits); return *this; }
    Item& At(int byte, int hi, int lo) { return At(Bits(byte, hi, lo)); }
    Item& At(int byte, int bit) { return At(Bits(byte, bit, bit)); }
    Item& Codes(std::string_view binary) { item_.codes = layout::Codes(binary); return *this; }
    Item& Default(int choice) { item_.defaultChoice = choice; return *this; }
    Item& EnabledBy(int item) { item_.enabledBy = item; return *this; }
    Item& Hidden() { item_.hidden = true; return *this; }
    Item& Warning(std::string_view text) { item_.warning = text; return *this; }
    Item& Writes(std::vector<std::vector<ByteWrite>> writes)
    {
        item_.writes = std::move(writes);
        return *this;
    }
    Item& Always(std::vector<ByteWrite> writes) { item_.always = std::move(writes); return *this; }
    Item& AlsoStore(std::string_view key, std::string_view text)
    {
        item_.alsoStore.emplace_back(key, text);
        return *this;
    }
    Item& ChoiceOf(int item) { item_.choiceOf = item; return *this; }
    Item& OnlyIf(int item, int choice)
    {
        item_.onlyIfItem = item;
        item_.onlyIfChoice = choice;
        return *this;
    }

    operator OptionItem() const { return item_; }

private:
    OptionItem item_;
};

inline Item Check(std::string_view group, std::string_view caption)
{
    return Item(ControlKind::CheckBox, group).Caption(caption);
}
inline Item Radio(std::string_view group, Texts entries)
{
    return Item(ControlKind::Radio, group).Entries(entries);
}
inline Item List(std::string_view group, Texts entries)
{
    return Item(ControlKind::List, group).Entries(entries);
}
// A field without a control: kept from its stored text.
inline Item Stored(std::string_view key, Texts texts)
{
    return Item(ControlKind::None).Key(key, texts);
}
// Fixed writes at this point of the order.
inline Item Fixed(std::vector<ByteWrite> writes)
{
    return Item(ControlKind::None).Always(std::move(writes));
}
// Writes chosen by another item's choice.
inline Item Rule(int item, std::vector<std::vector<ByteWrite>> writes)
{
    return Item(ControlKind::None).ChoiceOf(item).Writes(std::move(writes));
}

inline OptionLayout Layout(std::string_view name, std::string_view className,
                           CopyRule copy = CopyRule::TwoCopies, BitRef protection = {0, 7})
{
    OptionLayout l;
    l.name = name;
    l.className = className;
    l.copy = copy;
    l.protection = protection;
    return l;
}

inline const Texts kOffOn = {"OFF", "ON"};
inline const Texts kOnOff = {"ON", "OFF"};
// LVR texts stored by code 000..111 (or by list position where a layout says so).
inline const Texts kLvrTexts = {"1.5V", "1.8V", "2.0V", "2.2V", "2.4V", "2.6V", "3.0V", "3.6V"};

// Protection as a check box, or as the radio pair of the larger dialogs.
inline Item ProtectCheck(std::string_view group, std::string_view caption)
{
    return Check(group, caption).Key("SEC", kOffOn);
}
inline Item ProtectRadios(Texts entries = {TrNoop("程序加密"), TrNoop("程序不加密")})
{
    return Radio(TrNoop("加密设置"), std::move(entries)).Key("SEC", kOnOff).Default(1);
}

} // namespace orvane::layout
