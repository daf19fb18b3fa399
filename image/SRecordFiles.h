// Program files and chip files: S19 (S1/S9 records), the WRT file (model header + S1 records with
// verified checksums) and raw bytes. Readers throw FileError naming the file and line; writers go
// through WriteFileAtomically, so a failed save never leaves a truncated file.
#pragma once

#include "foundation/AppState.h"
#include "foundation/OperatorMessages.h"

#include <cstdint>
#include <string>

namespace orvane {

// Reads S1 records into the image, keeping the records whose address lies in low..high+15.
void LoadS19Range(AppState& s, std::int32_t low, std::int32_t high, const std::string& fileName);

// Reads a WRT file: header (ChipName, ChipPin), UpdateAddressMap, LoadChipFile, UpdateAddressMap
// again (the program area comes from the new chip file), the records over
// RomStart..OptionAddr2Last+15, then ApplySizeRules. A record whose checksum is wrong is reported
// as a plain box "File  Error!XX in line N" and ends the records; the result is then false.
bool LoadWrtFile(AppState& s, const std::string& fileName, OperatorMessages& messages);

// Writes 32-byte records for addresses from, from+32, ... below `to` (all-0xFF records skipped),
// then "S9030000FC"; CRLF line ends.
void WriteS19File(const AppState& s, std::int32_t from, std::int32_t to, const std::string& fileName);

// The WRT header (name length, ChipName; ChipPin), then the records of WriteS19File.
void WriteWrtFile(const AppState& s, std::int32_t from, std::int32_t to, const std::string& fileName);

// All 65,536 image bytes, raw.
void WriteBinFile(const AppState& s, const std::string& fileName);

} // namespace orvane
