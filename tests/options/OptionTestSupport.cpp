#include "tests/options/OptionTestSupport.h"

#include "image/RomImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace orvane::test {

AppState OptionState(const std::string& texts)
{
    AppState s;
    s.OptionAddr1 = 0x2100;
    s.OptionAddr2 = 0x2120;
    s.ChipDataAddr1 = 0x7D00;
    s.RomImage.fill(0x55);
    s.SettingsRead = true; // as after the start-up, so that OK saves
    std::istringstream words(texts);
    for (std::string word; words >> word;) {
        const auto eq = word.find('=');
        std::string* field = OptionTextOf(s, word.substr(0, eq));
        if (!field) {
            ADD_FAILURE() << "no key " << word;
            continue;
        }
        *field = word.substr(eq + 1);
    }
    return s;
}

void Choose(const OptionLayout& layout, OptionChoices& choices, std::string_view caption)
{
    for (std::size_t i = 0; i < layout.items.size(); ++i) {
        const OptionItem& item = layout.items[i];
        if (item.kind == ControlKind::CheckBox && item.caption == caption) {
            choices[i] = 1;
            return;
        }
        const auto it = std::find(item.entries.begin(), item.entries.end(), caption);
        if (it != item.entries.end()) {
            choices[i] = static_cast<int>(it - item.entries.begin());
            return;
        }
    }
    ADD_FAILURE() << layout.name << " has no control " << caption;
}

std::string HexBytes(const std::uint8_t* from, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += (i ? " " : "") + Hex(from[i], 2);
    return out;
}

} // namespace orvane::test
