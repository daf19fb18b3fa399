// Intel HEX program files, as most 8-bit toolchains write them: data (00), end (01), segment and
// linear address offsets (02, 04) and the two start-address records (03, 05, ignored). Digits of
// either case, lines ending in LF or CRLF. A faulty record refuses the whole file.
#pragma once

#include "foundation/AppState.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

using ImageBytes = std::array<std::uint8_t, kImageSize>;

// Stores each data byte whose address, after the 02/04 offsets, lies in low..high; a record never
// wraps past 0xFFFF. Blank lines are skipped, what follows the end record is not looked at.
// Returns the number of data bytes left out. Throws RecordChecksumError for a wrong checksum and
// FileError for every other fault (a line without ':', odd or non-hex digits, a count that does
// not fit the line, an unknown type, a 02/04 record whose count is not 2, no end record), naming
// the file and the line; bytes stored before the fault stay, so callers read into a copy.
std::size_t StoreIntelHex(ImageBytes& image, std::string_view text, const std::string& fileName,
                          std::int32_t low, std::int32_t high);

// Appends data records for first..last (clipped to the image), 16 bytes each, rows of 0xFF left
// out, then the end record; CRLF line ends.
void AppendIntelHexRecords(std::string& out, const ImageBytes& image, std::int32_t first,
                           std::int32_t last);

// The first non-blank line starts with ':'.
bool LooksLikeIntelHex(std::string_view text);

// The file's data bytes in low..high into the image; the number of bytes left out.
std::size_t LoadIntelHexRange(AppState& s, std::int32_t low, std::int32_t high,
                              const std::string& fileName);

// The image's bytes first..last as AppendIntelHexRecords writes them.
void WriteIntelHexFile(const AppState& s, std::int32_t first, std::int32_t last,
                       const std::string& fileName);

} // namespace orvane
