// The state set-up that the window's start-up and every CLI command share: model names, settings,
// chip file of the model, address map, option bytes and checksums.
#pragma once

#include "foundation/AppState.h"

#include <optional>
#include <string>

namespace orvane {

// AppDir, the model names and the settings file; model, when given, replaces the model named by
// the settings file. appDir ends with '/'. Throws FileError when "device.name" cannot be read.
void LoadNamesAndSettings(AppState& s, const std::string& appDir,
                          const std::optional<std::string>& model = std::nullopt);

// The image of ChipName: cleared, its chip file in the chip-data area, the address map, the
// option bytes from the option texts and the checksums. Throws FileError when the chip file
// cannot be read; the steps before it stay done.
void BuildModelImage(AppState& s);

// Both, in that order.
void SetUpState(AppState& s, const std::string& appDir,
                const std::optional<std::string>& model = std::nullopt);

} // namespace orvane
