#include "cli/OptionsCommand.h"

#include "app/ProgramFiles.h"
#include "catalogue/Catalogue.h"
#include "cli/Commands.h"
#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "options/OptionLayout.h"

#include <algorithm>
#include <iostream>

namespace orvane::cli {
namespace {

const OptionLayout& LayoutOf(const AppState& s)
{
    const OptionLayout* layout = LayoutOfSlot(FirstMatchingSlot(s, kConfigButtonOrder));
    if (!layout)
        throw UsageError(Tr("未知芯片: ") + s.ChipName);
    return *layout;
}

bool Keyed(const OptionItem& item)
{
    return !item.key.empty();
}

bool Lists(const std::vector<std::string_view>& texts, std::string_view text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The items that store their text under key, in the order OK writes them: the last one's text
// is the one that stays.
std::vector<const OptionItem*> ItemsWithKey(const OptionLayout& layout, std::string_view key)
{
    std::vector<const OptionItem*> items;
    for (const OptionItem& item : layout.items) {
        if (item.key == key)
            items.push_back(&item);
    }
    return items;
}

// The keys of the layout, each once, in layout order.
std::vector<std::string_view> Keys(const OptionLayout& layout)
{
    std::vector<std::string_view> keys;
    for (const OptionItem& item : layout.items) {
        if (Keyed(item) && !Lists(keys, item.key))
            keys.push_back(item.key);
    }
    return keys;
}

std::string Joined(const std::vector<std::string_view>& words)
{
    std::string out;
    for (const std::string_view w : words)
        out += (out.empty() ? "" : " ") + (w.empty() ? std::string("''") : std::string(w));
    return out;
}

// How the operator knows the control: its group's caption, or a check box's own.
std::string_view NameOf(const OptionItem& item)
{
    return item.group.empty() ? item.caption : item.group;
}

// "兼容性选择 and OSCM share the key CW; OSCM is written last and stores 00 01 10 11 only".
std::string SharedKeyText(const std::vector<const OptionItem*>& items, std::string_view key)
{
    std::string names;
    for (std::size_t i = 0; i < items.size(); ++i)
        names += std::string(i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") +
                 std::string(NameOf(*items[i]));
    const OptionItem& last = *items.back();
    return names + " share the key " + std::string(key) + "; " + std::string(NameOf(last)) +
           " is written last and stores " + Joined(last.texts) + " only";
}

// What the operator sees for the item's choice: the entry, the box, or why there is nothing.
std::string EntryOf(const OptionItem& item, std::size_t choice)
{
    switch (item.kind) {
    case ControlKind::CheckBox:
        return std::string(choice ? "[x] " : "[ ] ") + std::string(item.caption);
    case ControlKind::None:
        return item.bits.empty() ? "(no control; stored as text only)"
                                 : "(no control; the bits come from the stored text as written)";
    default:
        return std::string(item.entries[choice]);
    }
}

void PrintFields(const OptionLayout& layout)
{
    std::cout << layout.name << " (" << layout.className << ")\n";
    for (const OptionItem& item : layout.items) {
        if (!Keyed(item))
            continue;
        for (std::size_t c = 0; c < item.texts.size(); ++c) {
            std::cout << "  " << item.key << '=' << item.texts[c] << "  " << EntryOf(item, c)
                      << (static_cast<int>(c) == item.defaultChoice ? "  (default)" : "") << '\n';
        }
    }
    for (const std::string_view key : Keys(layout)) {
        const auto items = ItemsWithKey(layout, key);
        if (items.size() > 1) {
            const OptionItem& first = *items.front();
            std::cout << "  note: " << SharedKeyText(items, key) << "; " << NameOf(first)
                      << " shows the entry of the stored text, or "
                      << EntryOf(first, static_cast<std::size_t>(first.defaultChoice)) << '\n';
        }
    }
}

void ApplySettings(AppState& s, const OptionLayout& layout, const Arguments& a)
{
    for (const auto& [key, text] : a.sets) {
        const auto items = ItemsWithKey(layout, key);
        if (items.empty())
            throw UsageError("the options of " + std::string(layout.name) + " have no key '" + key +
                             "'; keys: " + Joined(Keys(layout)));
        const std::vector<std::string_view>& stored = items.back()->texts;
        if (Lists(stored, text))
            continue;
        bool earlier = false;
        for (std::size_t i = 0; i + 1 < items.size(); ++i)
            earlier = earlier || Lists(items[i]->texts, text);
        if (earlier)
            throw UsageError(std::string(layout.name) + " cannot store " + key + '=' + text +
                             ": " + SharedKeyText(items, key));
        throw UsageError(key + " of " + std::string(layout.name) + " takes " + Joined(stored) +
                         ", not '" + text + "'");
    }
    for (const auto& [key, text] : a.sets)
        *OptionTextOf(s, key) = text;
}

} // namespace

int RunOptionsCommand(AppState& s, const Arguments& a, ConsoleView& view)
{
    const OptionLayout& layout = LayoutOf(s);
    if (a.list) {
        PrintFields(layout);
        view.Result(a.command, kOk, "");
        return kOk;
    }
    ApplySettings(s, layout, a);
    EncodeOptions(s, layout, ShowChoices(s, layout));
    CopyOptionBlock(s, layout);
    ComputeChecksum(s);
    const std::string& out = a.operands[1];
    SaveProgramFile(s, out, FileFormat::Wrt);
    view.Result(a.command, kOk, "wrote " + out);
    return kOk;
}

} // namespace orvane::cli
