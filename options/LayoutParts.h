// The layout descriptions, by family; OptionLayouts() joins them.
#pragma once

#include "options/OptionLayout.h"

#include <vector>

namespace orvane {

void AddOneByteLayouts(std::vector<OptionLayout>& layouts);
void AddClockListLayouts(std::vector<OptionLayout>& layouts);   // QK128, QK129, QK139
void AddThreeStateWatchdogLayouts(std::vector<OptionLayout>& layouts);

// Appends item and returns its index, for items that others refer to.
inline int Add(OptionLayout& layout, OptionItem item)
{
    layout.items.push_back(std::move(item));
    return static_cast<int>(layout.items.size()) - 1;
}

} // namespace orvane
