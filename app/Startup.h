// The state set-up that the GUI's first show and every CLI command share: model names, settings,
// chip file of the model, address map, option bytes and checksums.
#pragma once

#include "foundation/AppState.h"

#include <optional>
#include <string>

namespace orvane {

// appDir ends with '/'. Throws FileError when "device.name" or the chip file cannot be read; the
// steps before the failing one stay done.
// model, when given, replaces the model named by the settings file.
void SetUpState(AppState& s, const std::string& appDir,
                const std::optional<std::string>& model = std::nullopt);

} // namespace orvane
