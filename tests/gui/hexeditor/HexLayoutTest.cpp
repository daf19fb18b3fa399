#include "gui/hexeditor/HexLayout.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(HexLayout, ColumnsAtEightPixelsPerCharacter)
{
    const HexLayout layout(8);
    // Offset "FFF0:", marker, nibbles 8 + 16 (the gap after a byte), spacer, 16 characters.
    const struct { int col, x, width; CellKind kind; int byteInRow; } cases[] = {
        {0, 0, 40, CellKind::Offset, -1},      {1, 40, 8, CellKind::Marker, -1},
        {2, 48, 8, CellKind::HighNibble, 0},   {3, 56, 16, CellKind::LowNibble, 0},
        {33, 416, 16, CellKind::LowNibble, 15}, {34, 432, 8, CellKind::Spacer, -1},
        {35, 440, 8, CellKind::Character, 0},  {50, 560, 8, CellKind::Character, 15},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(layout.ColumnX(c.col), c.x) << c.col;
        EXPECT_EQ(layout.ColumnWidth(c.col), c.width) << c.col;
        EXPECT_EQ(layout.ColumnAt(c.x), c.col) << c.col;
        EXPECT_EQ(layout.ColumnAt(c.x + c.width - 1), c.col) << c.col;
        EXPECT_EQ(HexLayout::CellAt(c.col).kind, c.kind) << c.col;
        EXPECT_EQ(HexLayout::CellAt(c.col).byteInRow, c.byteInRow) << c.col;
    }
    EXPECT_EQ(layout.TotalWidth(), 568);
    EXPECT_EQ(layout.ColumnAt(-1), -1);
    EXPECT_EQ(layout.ColumnAt(568), -1);
    EXPECT_EQ(HexLayout(0).TotalWidth(), 71); // a zero-width font still gives a usable grid
    // Byte 4 of a row: high nibble in column 10, character in column 39.
    EXPECT_EQ(std::pair(HexLayout::HighNibbleCol(4), HexLayout::CharCol(4)), std::pair(10, 39));
}

TEST(HexLayout, RowsAreClampedToTheGrid)
{
    const int rowCounts[][2] = {{0, 1}, {16, 1}, {17, 2}, {65536, 4096}, {65537, 4097}};
    for (const auto& [size, rows] : rowCounts)
        EXPECT_EQ(HexLayout::RowCount(size), rows) << size;

    // The rows past either end that the editor's setters meet are in its own test.
    EXPECT_EQ(HexLayout::ClampRow(5, 0), 0);

    // top, rows, visible rows, clamped top
    const int tops[][4] = {{4071, 4096, 25, 4071}, {4095, 4096, 25, 4071}, {-1, 4096, 25, 0},
                           {3, 2, 25, 0}};
    for (const auto& [top, rows, visible, clamped] : tops)
        EXPECT_EQ(HexLayout::ClampTopRow(top, rows, visible), clamped) << top;

    EXPECT_EQ(HexLayout::VisibleRows(415, 16), 25); // a partly shown row does not count
    EXPECT_EQ(HexLayout::VisibleRows(5, 16), 1);
    EXPECT_EQ(HexLayout::VisibleRows(100, 0), 1);
}

TEST(HexLayout, CharacterColumnMasksControlCodes)
{
    const std::pair<std::uint8_t, char16_t> cases[] = {
        {0x00, u'.'}, {0x1F, u'.'}, {0x20, u' '}, {0x2E, u'.'}, {0x41, u'A'}, {0x7E, u'~'},
        {0x7F, u'.'}, {0x9F, u'.'}, {0xA0, u'\u00A0'}, {0xE9, u'\u00E9'}, {0xFF, u'\u00FF'}};
    for (const auto& [byte, shown] : cases)
        EXPECT_EQ(HexLayout::ShownCharacter(byte), shown) << int{byte};
}

} // namespace
} // namespace orvane
