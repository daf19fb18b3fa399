// Geometry of the hex grid, free of widgets so that it can be tested on its own: 16 bytes per
// row in 51 columns (offset with ':', marker, two nibble columns per byte, spacer, one character
// column per byte), the pixel position of every column for a given character width, and the
// clamping of rows and top rows to the grid.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace orvane {

constexpr int kBytesPerLine = 16;

enum class CellKind { Offset, Marker, HighNibble, LowNibble, Spacer, Character };

struct GridCell {
    CellKind kind;
    int byteInRow; // 0..15 for nibble and character cells, -1 for the others
};

class HexLayout {
public:
    static constexpr int kColCount = 3 * kBytesPerLine + 3;  // 51
    static constexpr int kSpacerCol = 2 * kBytesPerLine + 2; // 34
    static constexpr int kFirstCharCol = kSpacerCol + 1;     // 35
    static constexpr int kOffsetDigits = 4;                  // "FFF0:" for a 64 KiB image

    // Column widths in units of one character: the offset column holds its digits and ':', a
    // low nibble is two wide so that a gap follows each byte, every other column is one wide.
    explicit HexLayout(int charWidth);

    int CharWidth() const { return charWidth_; }
    int ColumnX(int col) const { return x_[col]; }
    int ColumnWidth(int col) const { return x_[col + 1] - x_[col]; }
    int TotalWidth() const { return x_[kColCount]; }
    // The column under pixel x, or -1 outside the grid.
    int ColumnAt(int x) const;

    static GridCell CellAt(int col);
    static int HighNibbleCol(int byteInRow) { return (byteInRow + 1) * 2; }
    static int CharCol(int byteInRow) { return kFirstCharCol + byteInRow; }

    // What the character column shows for a byte: Latin-1, with '.' for the control codes.
    static char16_t ShownCharacter(std::uint8_t byte);

    // Digits of the offset of the row that starts at base: four, more past 0xFFFF.
    static int OffsetDigits(int base);
    // Row `row` as one line of text, a character for each character cell: the offset and ':',
    // the blank marker, two digits and a blank per byte, the spacer, the characters. Where the
    // content ends the digits are blank and the characters stop.
    static std::u16string RowText(std::span<const std::uint8_t> bytes, int row);
    // Where column col starts in RowText, and the column of position offset (clamped).
    static int TextOffset(int row, int col);
    static int ColumnAtTextOffset(int row, int offset);

    // Rows needed for size bytes; an empty grid keeps one row for the caret.
    static int RowCount(int size);
    static int ClampRow(int row, int rowCount);
    // The top row keeps the last row at the bottom of the view at most.
    static int ClampTopRow(int top, int rowCount, int visibleRows);
    // Rows fully inside a viewport of the given height, at least one.
    static int VisibleRows(int viewportHeight, int rowHeight);

private:
    int charWidth_;
    std::array<int, kColCount + 1> x_{}; // left edge of each column, then the right edge
};

} // namespace orvane
