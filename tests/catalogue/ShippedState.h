// The catalogue as it ships: model names from the data folder's "device.name".
#pragma once

#include "app/AppState.h"
#include "catalogue/Catalogue.h"
#include "tests/support/TempDir.h"

namespace orvane::test {

inline AppState ShippedState()
{
    AppState s;
    s.AppDir = DataDir();
    LoadModelNames(s);
    return s;
}

inline void SetRomBounds(AppState& s, std::int32_t chipDataBase, std::uint16_t start, std::uint16_t end)
{
    const auto d = static_cast<std::size_t>(chipDataBase);
    s.RomImage[d + 4] = static_cast<std::uint8_t>(start >> 8);
    s.RomImage[d + 5] = static_cast<std::uint8_t>(start);
    s.RomImage[d + 6] = static_cast<std::uint8_t>(end >> 8);
    s.RomImage[d + 7] = static_cast<std::uint8_t>(end);
}

} // namespace orvane::test
