#include "gui/hexeditor/HexLayout.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(HexLayout, ColumnsAtEightPixelsPerCharacter)
{
    const HexLayout layout(8);
    // column, left edge, width: offset "FFF0:", marker, nibbles 8 + 16 (the gap after a byte),
    // spacer, 16 characters.
    const int cases[][3] = {{0, 0, 40},    {1, 40, 8},    {2, 48, 8},    {3, 56, 16},
                            {4, 72, 8},    {10, 144, 8},  {33, 416, 16}, {34, 432, 8},
                            {35, 440, 8},  {50, 560, 8}};
    for (const auto& [col, x, width] : cases) {
        EXPECT_EQ(layout.ColumnX(col), x) << col;
        EXPECT_EQ(layout.ColumnWidth(col), width) << col;
        EXPECT_EQ(layout.ColumnAt(x), col) << col;
        EXPECT_EQ(layout.ColumnAt(x + width - 1), col) << col;
    }
    EXPECT_EQ(layout.TotalWidth(), 568);
    EXPECT_EQ(layout.ColumnAt(-1), -1);
    EXPECT_EQ(layout.ColumnAt(568), -1);
    EXPECT_EQ(HexLayout(0).TotalWidth(), 71); // a zero-width font still gives a usable grid
}

TEST(HexLayout, CellsOfTheColumns)
{
    const struct {
        int col;
        CellKind kind;
        int byteInRow;
    } cases[] = {{0, CellKind::Offset, -1},      {1, CellKind::Marker, -1},
                 {2, CellKind::HighNibble, 0},   {3, CellKind::LowNibble, 0},
                 {10, CellKind::HighNibble, 4},  {11, CellKind::LowNibble, 4},
                 {33, CellKind::LowNibble, 15},  {34, CellKind::Spacer, -1},
                 {35, CellKind::Character, 0},   {50, CellKind::Character, 15}};
    for (const auto& c : cases) {
        const GridCell cell = HexLayout::CellAt(c.col);
        EXPECT_EQ(cell.kind, c.kind) << c.col;
        EXPECT_EQ(cell.byteInRow, c.byteInRow) << c.col;
    }
    // Address 0x1234: row 0x123, high nibble in column 10, character in column 39.
    EXPECT_EQ(HexLayout::HighNibbleCol(0x1234 % 16), 10);
    EXPECT_EQ(HexLayout::CharCol(0x1234 % 16), 39);
    EXPECT_EQ(HexLayout::HighNibbleCol(15), 32);
}

TEST(HexLayout, RowsAreClampedToTheGrid)
{
    const int rowCounts[][2] = {{0, 1}, {1, 1}, {16, 1}, {17, 2}, {65535, 4096}, {65536, 4096},
                                {65537, 4097}};
    for (const auto& [size, rows] : rowCounts)
        EXPECT_EQ(HexLayout::RowCount(size), rows) << size;

    EXPECT_EQ(HexLayout::ClampRow((0xFFFF + 160) / 16, 4096), 4095);
    EXPECT_EQ(HexLayout::ClampRow((0x10 - 32) / 16 - 1, 4096), 0);
    EXPECT_EQ(HexLayout::ClampRow(0x123, 4096), 0x123);
    EXPECT_EQ(HexLayout::ClampRow(5, 0), 0);

    // top, rows, visible rows, clamped top
    const int tops[][4] = {{2064, 4096, 25, 2064}, {4095, 4096, 25, 4071}, {-1, 4096, 25, 0},
                           {3, 2, 25, 0},          {4071, 4096, 25, 4071}};
    for (const auto& [top, rows, visible, clamped] : tops)
        EXPECT_EQ(HexLayout::ClampTopRow(top, rows, visible), clamped) << top;

    EXPECT_EQ(HexLayout::VisibleRows(400, 16), 25);
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
