// The global option codecs: texts to the option block and its two image copies, and the first
// byte of the second copy back to texts.
#pragma once

#include "foundation/AppState.h"

#include <cstdint>

namespace orvane {

// Fills OptionBytes with 0xFF, runs the text-to-bits codec of the selected slot (slots 1..7),
// copies bytes 0..31 to OptionAddr1, clears bit 7 of byte 0 when OptSEC is "ON", copies bytes
// 0..31 to OptionAddr2. The caller refreshes the hex view.
void ApplyOptionTexts(AppState& s);

// Sets the option texts of the selected slot from one byte (slots 1..8; others: nothing).
void ReadOptionTexts(AppState& s, std::uint8_t byte);

// Text-to-bits codecs of layouts D and E on byte 0 of the block; the dialogs of those layouts
// run them too.
void EncodeLayoutD(AppState& s, std::uint8_t& byte0);
void EncodeLayoutE(AppState& s, std::uint8_t& byte0);

} // namespace orvane
