#include "options/LayoutParts.h"

namespace orvane {

const std::vector<OptionLayout>& OptionLayouts()
{
    static const std::vector<OptionLayout> layouts = [] {
        std::vector<OptionLayout> all;
        AddOneByteLayouts(all);
        AddClockListLayouts(all);
        AddThreeStateWatchdogLayouts(all);
        return all;
    }();
    return layouts;
}

} // namespace orvane

#include "options/LayoutBuilder.h"

#include <deque>
#include <map>
#include <string>

namespace orvane::layout {
namespace {

const Texts& Stable(int digits, int count)
{
    static std::map<std::pair<int, int>, Texts> made;
    static std::deque<std::string> storage;
    Texts& texts = made[{digits, count}];
    if (texts.empty()) {
        for (int n = 0; n < count; ++n) {
            std::string text = std::to_string(n);
            if (digits > 0) {
                text.clear();
                for (int b = digits - 1; b >= 0; --b)
                    text += ((n >> b) & 1) ? '1' : '0';
            }
            texts.push_back(storage.emplace_back(std::move(text)));
        }
    }
    return texts;
}

} // namespace

const Texts& Numbers(int count)
{
    return Stable(0, count);
}

const Texts& BinaryNumbers(int digits, int count)
{
    return Stable(digits, count);
}

} // namespace orvane::layout
