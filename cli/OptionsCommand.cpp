#include "cli/OptionsCommand.h"

#include "app/ProgramFiles.h"
#include "catalogue/Catalogue.h"
#include "cli/Commands.h"
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
        throw UsageError("未知芯片: " + s.ChipName);
    return *layout;
}

bool Keyed(const OptionItem& item)
{
    return !item.key.empty();
}

// What the operator sees for the item's choice: the entry, the box, or nothing.
std::string EntryOf(const OptionItem& item, std::size_t choice)
{
    switch (item.kind) {
    case ControlKind::CheckBox:
        return std::string(choice ? "[x] " : "[ ] ") + std::string(item.caption);
    case ControlKind::None:
        return "(no control)";
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
}

// The texts a key may take in this layout, in the order the layout lists them.
std::vector<std::string_view> AllowedTexts(const OptionLayout& layout, std::string_view key)
{
    std::vector<std::string_view> texts;
    for (const OptionItem& item : layout.items) {
        if (item.key != key)
            continue;
        for (const std::string_view t : item.texts) {
            if (std::find(texts.begin(), texts.end(), t) == texts.end())
                texts.push_back(t);
        }
    }
    return texts;
}

std::string Joined(const std::vector<std::string_view>& words)
{
    std::string out;
    for (const std::string_view w : words)
        out += (out.empty() ? "" : " ") + (w.empty() ? std::string("''") : std::string(w));
    return out;
}

void ApplySettings(AppState& s, const OptionLayout& layout, const Arguments& a)
{
    std::vector<std::string_view> keys;
    for (const OptionItem& item : layout.items) {
        if (Keyed(item) && std::find(keys.begin(), keys.end(), item.key) == keys.end())
            keys.push_back(item.key);
    }
    for (const auto& [key, text] : a.sets) {
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            throw UsageError("the options of " + std::string(layout.name) + " have no key '" + key +
                             "'; keys: " + Joined(keys));
        const auto allowed = AllowedTexts(layout, key);
        if (std::find(allowed.begin(), allowed.end(), text) == allowed.end())
            throw UsageError(key + " of " + std::string(layout.name) + " takes " + Joined(allowed) +
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
