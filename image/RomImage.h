// The 64 KiB program image: clearing, filling, checksums, the chip-information text and the
// hexadecimal helpers shared by the image code. Every range is clipped to 0x0000..0xFFFF.
#pragma once

#include "foundation/AppState.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvane {

// First 32 bytes of OptionBytes and every image byte := 0xFF.
void ClearImage(AppState& s);

// Image bytes from..to (inclusive, clipped) := 0xFF. Used by Open before reading a file.
void BlankRange(AppState& s, std::int32_t from, std::int32_t to);

// Every image byte outside the chip-data area := value, then ReadOptionTexts on the byte at OptionAddr2 and ComputeChecksum.
// The caller refreshes the hex view and the chip information.
void FillImage(AppState& s, std::uint8_t value);

// Copies the hex editor's bytes (by position) back for RomStart..RomEnd+15, OptionAddr1,
// OptionAddr2 and 0x7D00..0x7D03, then ReadOptionTexts and ComputeChecksum.
void ConfirmTypedInput(AppState& s, std::span<const std::uint8_t> editorBytes);

// The big-endian word at addr; bytes outside the image read as blank.
std::int32_t ImageWord(const AppState& s, std::int32_t addr);

// Chip-data base of the selected model: 0x8D00 for the model of slot 31, else 0x7D00.
std::int32_t ChipDataBase(const AppState& s);

// Re-reads RomStart/RomEnd from the chip-data area and recomputes both checksums.
void ComputeChecksum(AppState& s);

// The four lines the chip-information memo shows.
std::array<std::string, 4> ChecksumInfoLines(const AppState& s);

int HexDigitValue(char c);
std::uint32_t HexToInt(std::string_view text); // no validation; "" gives 0
bool IsHexText(std::string_view text);         // "" passes

// Upper-case hexadecimal with at least `digits` digits.
std::string Hex(std::uint64_t value, int digits);

} // namespace orvane
