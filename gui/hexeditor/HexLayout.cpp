#include "gui/hexeditor/HexLayout.h"

#include <algorithm>

namespace orvane {

namespace {

int WidthInChars(int col)
{
    const GridCell cell = HexLayout::CellAt(col);
    switch (cell.kind) {
    case CellKind::Offset: return HexLayout::kOffsetDigits + 1;
    case CellKind::LowNibble: return 2;
    default: return 1;
    }
}

// One pixel per character: the positions of the cells in a row's text.
const HexLayout& CharacterCells()
{
    static const HexLayout cells(1);
    return cells;
}

} // namespace

HexLayout::HexLayout(int charWidth) : charWidth_(std::max(charWidth, 1))
{
    for (int col = 0; col < kColCount; ++col)
        x_[col + 1] = x_[col] + WidthInChars(col) * charWidth_;
}

int HexLayout::ColumnAt(int x) const
{
    if (x < 0 || x >= TotalWidth())
        return -1;
    const auto next = std::upper_bound(x_.begin(), x_.end(), x);
    return static_cast<int>(next - x_.begin()) - 1;
}

GridCell HexLayout::CellAt(int col)
{
    if (col <= 0)
        return {CellKind::Offset, -1};
    if (col == 1)
        return {CellKind::Marker, -1};
    if (col < kSpacerCol)
        return {col % 2 == 0 ? CellKind::HighNibble : CellKind::LowNibble, col / 2 - 1};
    if (col == kSpacerCol)
        return {CellKind::Spacer, -1};
    return {CellKind::Character, std::min(col, kColCount - 1) - kFirstCharCol};
}

char16_t HexLayout::ShownCharacter(std::uint8_t byte)
{
    const bool control = byte < 0x20 || (byte >= 0x7F && byte < 0xA0);
    return control ? u'.' : char16_t{byte};
}

int HexLayout::OffsetDigits(int base)
{
    int digits = kOffsetDigits;
    while (digits < 8 && (static_cast<unsigned>(base) >> (4 * digits)) != 0)
        ++digits;
    return digits;
}

std::u16string HexLayout::RowText(std::span<const std::uint8_t> bytes, int row)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    const int base = row * kBytesPerLine;
    std::u16string text;
    for (int d = OffsetDigits(base) - 1; d >= 0; --d)
        text += kDigits[(static_cast<unsigned>(base) >> (4 * d)) & 0xF];
    text += u": ";
    const int count = std::clamp(static_cast<int>(bytes.size()) - base, 0, kBytesPerLine);
    for (int i = 0; i < kBytesPerLine; ++i) {
        if (i < count) {
            const std::uint8_t byte = bytes[static_cast<std::size_t>(base + i)];
            text += {kDigits[byte >> 4], kDigits[byte & 0x0F], u' '};
        } else {
            text += u"   ";
        }
    }
    text += u' ';
    for (int i = 0; i < count; ++i)
        text += ShownCharacter(bytes[static_cast<std::size_t>(base + i)]);
    return text;
}

int HexLayout::TextOffset(int row, int col)
{
    // Offset digits beyond the usual four push every later cell to the right.
    const int extra = OffsetDigits(row * kBytesPerLine) - kOffsetDigits;
    return col <= 0 ? 0 : CharacterCells().ColumnX(std::min(col, kColCount - 1)) + extra;
}

int HexLayout::ColumnAtTextOffset(int row, int offset)
{
    const int x = offset - (OffsetDigits(row * kBytesPerLine) - kOffsetDigits);
    if (x < CharacterCells().ColumnX(1))
        return 0;
    const int col = CharacterCells().ColumnAt(x);
    return col < 0 ? kColCount - 1 : col;
}

int HexLayout::RowCount(int size)
{
    return std::max(1, (size + kBytesPerLine - 1) / kBytesPerLine);
}

int HexLayout::ClampRow(int row, int rowCount)
{
    return std::clamp(row, 0, std::max(rowCount - 1, 0));
}

int HexLayout::ClampTopRow(int top, int rowCount, int visibleRows)
{
    return std::clamp(top, 0, std::max(rowCount - visibleRows, 0));
}

int HexLayout::VisibleRows(int viewportHeight, int rowHeight)
{
    return rowHeight > 0 ? std::max(1, viewportHeight / rowHeight) : 1;
}

} // namespace orvane
