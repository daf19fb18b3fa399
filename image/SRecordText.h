// S-record text, the layer under the S19, WRT and chip files: a line-by-line reader over a file
// held in memory, the WRT header, the range rule that stores records into the image, and the
// records the writers produce.
#pragma once

#include "foundation/AppState.h"
#include "foundation/OperatorMessages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// "文件 <fileName> 第 <line> 行：", the start of every message about a line of a program file.
std::string WhereInFile(const std::string& fileName, int line);

// Appends value as two upper-case hex digits.
void AppendHexByte(std::string& out, std::uint8_t value);

// One S1 record as it stands in the file.
struct SRecord {
    std::uint16_t address = 0;
    std::uint8_t count = 0;    // bytes after the count field: address, data, checksum
    std::uint8_t checksum = 0; // as written
    std::uint8_t size = 0;     // data bytes, count - 3
    std::array<std::uint8_t, 252> data{};

    // 0xFF minus the low byte of count + address bytes + data: the checksum a valid record holds.
    std::uint8_t ExpectedChecksum() const;
};

// Walks the records of a text, one line at a time. Lines end in CRLF or LF, hex digits may be of
// either case. S0, S5, S6, S7, S8 and blank lines are skipped whole; an S9 line ends the records
// (what follows it is not looked at), and so does the end of the text after a complete line. A
// text whose first character is not 'S' holds no records. Every fault (S2/S3 data records, other
// types, non-hex digits, a count that does not fit the line, a line cut off by the end of the
// file) throws FileError naming the file and the line.
class SRecordReader {
public:
    // Reads text from offset on; firstLine is the line number of that offset.
    SRecordReader(std::string_view text, std::string fileName, std::size_t offset = 0,
                  int firstLine = 1);

    // Fills record with the next S1 record; false when the records have ended.
    bool Next(SRecord& record);

    // Line number of the record Next returned last.
    int Line() const { return line_; }

private:
    [[noreturn]] void Fail(const std::string& what) const;
    void ParseData(std::string_view line, bool cutOff, SRecord& record) const;

    std::string_view text_;
    std::string fileName_;
    std::size_t pos_;
    int line_;
    bool ended_;
};

struct WrtHeader {
    std::string chipName;
    std::string chipPin;
    std::size_t recordsOffset = 0; // first byte after the header
};

// Model names and package codes become part of the chip file's name: they hold no control bytes
// and no path separators.
bool IsWrtHeaderText(std::string_view text);

// The WRT header: two hex digits n, n name bytes, line end, two package-code characters, line
// end (or the end of the file). Records begin on line 3. Throws FileError naming the file and the
// line when the text is not a WRT file, so nothing needs undoing.
WrtHeader ParseWrtHeader(std::string_view text, const std::string& fileName);

// Stores every record of reader whose address lies in low..high+15, with all its bytes; bytes
// past 0xFFFF are dropped. With checksumErrors set, each record's checksum is verified: the first
// wrong one is reported as "File  Error!XX in line N" (XX the checksum that would be right, N one
// past the record's line) and ends the records, its bytes stored. Records stored before a
// FileError stay in the image. False when a wrong checksum ended the records.
bool StoreRecords(std::array<std::uint8_t, kImageSize>& image, SRecordReader& reader,
                  std::int32_t low, std::int32_t high, OperatorMessages* checksumErrors);

// Appends records for addresses from, from+32, ... below `to`, then "S9030000FC"; CRLF line ends.
// Each record holds the 32 bytes from its address, clipped to the image (near 0x0000 or 0xFFFF it
// may hold fewer); records whose bytes are all 0xFF are left out.
void AppendS1Records(std::string& out, const std::array<std::uint8_t, kImageSize>& image,
                     std::int32_t from, std::int32_t to);

} // namespace orvane
