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
