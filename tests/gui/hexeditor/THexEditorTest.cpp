#include "foundation/Errors.h"
#include "gui/hexeditor/RefreshHexView.h"
#include "gui/hexeditor/THexEditor.h"
#include "image/RomImage.h"
#include "tests/support/TempDir.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace orvane {
namespace {

std::uint8_t Pattern(int a)
{
    return static_cast<std::uint8_t>(a * 7 + (a >> 8));
}

std::string Hex2(int a) // the pattern's byte at a as two digits
{
    return Hex(Pattern(a), 2);
}

class HexEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state_ = std::make_unique<AppState>();
        for (int a = 0; a < kImageSize; ++a)
            state_->RomImage[a] = Pattern(a);
        editor_.resize(640, 400);
        editor_.show();
        RefreshHexView(editor_, *state_);
    }

    void GoTo(int address, int col)
    {
        editor_.SetRow(address / 16);
        editor_.SetCol(col);
    }

    // Typed text, one key event per character (Latin-1 included).
    void Type(const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&editor_, &key);
        }
    }

    void Keys(std::initializer_list<Qt::Key> keys, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        for (const Qt::Key key : keys)
            QTest::keyClick(&editor_, key, mods);
    }

    // The editor's bytes equal the image with `edits` made: {address, byte}.
    void ExpectImageWith(std::vector<std::pair<int, int>> edits)
    {
        std::vector<std::uint8_t> expected(state_->RomImage.begin(), state_->RomImage.end());
        for (const auto& [a, byte] : edits)
            expected[a] = static_cast<std::uint8_t>(byte);
        ASSERT_EQ(editor_.DataSize(), kImageSize);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), editor_.Bytes().begin()));
    }

    std::unique_ptr<AppState> state_;
    THexEditor editor_;
};

TEST_F(HexEditorTest, TypingOverNibblesAndCharacters)
{
    const struct {
        int address, col;
        const char* typed;
        std::vector<std::pair<int, int>> edits; // {address, byte}
        int caret, caretCol;
    } cases[] = {
        {0x0010, 2, "a5", {{0x10, 0xA5}}, 0x11, 4},              // A5 over 0x0010
        {0x1234, 10, "Fg0", {{0x1234, 0xF0}}, 0x1235, 12},        // 'g' is no digit
        {0x0020, 3, "7", {{0x20, (Pattern(0x20) & 0xF0) | 7}}, 0x21, 4},
        {0xFFFF, 32, "123", {{0xFFFF, 0x13}}, 0xFFFF, 33},        // stays on the last nibble
        {0x0030, 35, "Z~ ", {{0x30, 'Z'}, {0x31, '~'}, {0x32, ' '}}, 0x33, 38},
        {0xFFFE, 49, "\u00E9xy", {{0xFFFE, 0xE9}, {0xFFFF, 'y'}}, 0xFFFF, 50},
    };
    for (const auto& c : cases) {
        RefreshHexView(editor_, *state_);
        GoTo(c.address, c.col);
        Type(QString::fromUtf8(c.typed));
        ExpectImageWith(c.edits);
        for (const auto& [a, byte] : c.edits)
            EXPECT_TRUE(editor_.IsChanged(a)) << c.typed;
        EXPECT_FALSE(editor_.IsChanged(c.address - 1)) << c.typed;
        EXPECT_EQ(std::tuple(editor_.CaretPosition(), editor_.Col()), std::tuple(c.caret, c.caretCol))
            << c.typed;
        EXPECT_TRUE(editor_.Modified());
    }
}

TEST_F(HexEditorTest, UndoAndModifiedSignal)
{
    QSignalSpy modified(&editor_, &THexEditor::ModifiedChanged);
    GoTo(0x40, 2);
    Type("a5");
    EXPECT_EQ(editor_.UndoDescription(), "Undo change");
    QTest::keyClick(&editor_, Qt::Key_Z, Qt::ControlModifier); // one nibble per step
    ExpectImageWith({{0x40, 0xA0 | (Pattern(0x40) & 0x0F)}});
    editor_.Undo();
    ExpectImageWith({});
    EXPECT_FALSE(editor_.IsChanged(0x40));
    EXPECT_EQ(std::tuple(editor_.UndoDescription(), editor_.CaretPosition()),
              std::tuple(std::string("No Undo"), 0x40));

    Type("1");
    editor_.SetModified(false);
    EXPECT_EQ(editor_.UndoDescription(), "No Undo");
    EXPECT_FALSE(editor_.IsChanged(0x40));
    EXPECT_EQ(editor_.Bytes()[0x40], 0x10 | (Pattern(0x40) & 0x0F)); // the bytes stay
    const QList<QVariant> states[] = {{true}, {false}, {true}, {false}};
    EXPECT_TRUE(std::equal(modified.begin(), modified.end(), std::begin(states),
                           std::end(states)));
}

TEST_F(HexEditorTest, InsertModeShiftsTheBytesAfterTheCaret)
{
    GoTo(0x10, 2);
    Keys({Qt::Key_Insert});
    Type("A5b");
    ASSERT_EQ(editor_.DataSize(), kImageSize + 2);
    EXPECT_EQ(editor_.AsHex().substr(0x20, 6), "A5B0" + Hex2(0x10));
    EXPECT_EQ(editor_.Bytes().back(), Pattern(0xFFFF));
    EXPECT_TRUE(editor_.IsChanged(0x11) && !editor_.IsChanged(0x12));

    Keys({Qt::Key_Right, Qt::Key_Backspace}); // the byte before the caret: B0
    Keys({Qt::Key_Delete});                   // the byte at the caret: the old 0x10
    Keys({Qt::Key_Right, Qt::Key_Right}, Qt::ShiftModifier); // the old 0x11 and 0x12
    Keys({Qt::Key_Delete});
    Keys({Qt::Key_Tab}); // to the characters
    Type("Q");
    ASSERT_EQ(editor_.DataSize(), kImageSize - 1);
    EXPECT_EQ(editor_.AsHex().substr(0x20, 6), "A551" + Hex2(0x13));

    Keys({Qt::Key_End}, Qt::ControlModifier); // after the last byte: typing appends
    Type("xy");
    ASSERT_EQ(editor_.DataSize(), kImageSize + 1);
    EXPECT_EQ(editor_.AsHex().substr(2 * (kImageSize - 2)), Hex2(0xFFFF) + "7879");

    Keys({Qt::Key_Insert}); // leaving insert mode clears the marks, not the undo steps
    EXPECT_FALSE(editor_.IsChanged(0x10));
    EXPECT_EQ(editor_.CaretPosition(), kImageSize); // back on the last byte
    while (editor_.CanUndo())
        editor_.Undo();
    ExpectImageWith({});
}

TEST_F(HexEditorTest, DeletionsOutsideInsertMode)
{
    GoTo(0x100, 2);
    Keys({Qt::Key_Delete, Qt::Key_Backspace});
    Keys({Qt::Key_Delete}, Qt::ControlModifier); // no selection: nothing
    EXPECT_FALSE(editor_.Modified());
    EXPECT_EQ(editor_.CaretPosition(), 0xFF); // Backspace moves left, onto the low nibble
    EXPECT_TRUE(editor_.CaretOnLowNibble());

    Keys({Qt::Key_End}, Qt::ShiftModifier | Qt::ControlModifier); // select to the very end
    Keys({Qt::Key_Delete}, Qt::ControlModifier);
    ASSERT_EQ(editor_.DataSize(), 0xFF);
    editor_.SetRow(4095); // rows past the shorter content (16 rows) are clamped
    EXPECT_EQ(editor_.CaretPosition(), 0xFE);
    Type("0c"); // the last byte is overwritten, nothing is appended
    ASSERT_EQ(editor_.DataSize(), 0xFF);
    EXPECT_EQ(editor_.Bytes()[0xFE], 0x0C);
}

// A deletion that deletes nothing leaves nothing pending: the EDIT menu's "Undo" and "确认键入"
// follow the modified state.
TEST_F(HexEditorTest, DeletionsAtTheAppendPositionLeaveTheEditorUnmodified)
{
    QSignalSpy modified(&editor_, &THexEditor::ModifiedChanged);
    Keys({Qt::Key_Insert});
    Keys({Qt::Key_End}, Qt::ControlModifier);
    Keys({Qt::Key_Right}, Qt::ShiftModifier); // a selection of no byte
    Keys({Qt::Key_Delete});
    Keys({Qt::Key_End}, Qt::ShiftModifier);
    Keys({Qt::Key_Delete}, Qt::ControlModifier);
    EXPECT_EQ(std::tuple(editor_.Modified(), editor_.CanUndo(), modified.count()),
              std::tuple(false, false, 0));
    EXPECT_EQ(editor_.DataSize(), kImageSize);
}

TEST_F(HexEditorTest, RowColumnAndTopRowSettersStayInTheGrid)
{
    const int maxTop = 4096 - editor_.VisibleRowCount();
    // row, col, top row set; caret address, column and top row that result (Goto's own rows are in
    // the main window's test; that a caret moved out of view scrolls it in is the caret keys' test)
    const int cases[][6] = {
        {0xFFF, 33, 2064, 0xFFFF, 33, 2064},              // the high rows
        {(0xFFFF + 160) / 16, 2, 4095, 0xFFF0, 2, maxTop}, // a program area at 0xFFFF
        {(0x10 - 32) / 16 - 1, 0, -3, 0x0000, 2, 0},       // below 0x20: no negative rows
        {7, 34, 9999, 0x0070, 35, maxTop},                 // the spacer leads to the characters
        {7, 99, 0, 0x007F, 50, 0},
    };
    for (const auto& [row, col, top, address, caretCol, shownTop] : cases) {
        editor_.SetRow(row);
        editor_.SetCol(col);
        editor_.SetTopRow(top);
        EXPECT_EQ(std::tuple(editor_.CaretPosition(), editor_.Row(), editor_.Col(), editor_.TopRow()),
                  std::tuple(address, address / 16, caretCol, shownTop)) << row;
    }
}

TEST_F(HexEditorTest, CaretKeysAndMouseScrollTheCaretIntoView)
{
    const int rows = editor_.VisibleRowCount();
    GoTo(0x25, 13); // low nibble of 0x25
    const struct { Qt::Key key; Qt::KeyboardModifiers mods; int caret, col; } steps[] = {
        {Qt::Key_Right, {}, 0x26, 14}, {Qt::Key_Left, {}, 0x25, 13}, {Qt::Key_Up, {}, 0x15, 13},
        {Qt::Key_Up, {}, 0x05, 13},    {Qt::Key_Up, {}, 0x05, 13},   {Qt::Key_Home, {}, 0x00, 2},
        {Qt::Key_Left, {}, 0x00, 2},   {Qt::Key_End, {}, 0x0F, 32},
        {Qt::Key_PageDown, {}, 0x0F + 16 * rows, 32}, {Qt::Key_PageUp, {}, 0x0F, 32},
        {Qt::Key_End, Qt::ControlModifier, 0xFFFF, 32}, {Qt::Key_Down, {}, 0xFFFF, 32},
        {Qt::Key_Right, {}, 0xFFFF, 33}, {Qt::Key_Right, {}, 0xFFFF, 33},
        {Qt::Key_Home, Qt::ControlModifier, 0, 2},
    };
    for (const auto& s : steps) {
        Keys({s.key}, s.mods);
        EXPECT_EQ(std::tuple(editor_.CaretPosition(), editor_.Col()), std::tuple(s.caret, s.col))
            << s.key;
        EXPECT_LE(editor_.TopRow(), editor_.Row()) << s.key;
        EXPECT_LT(editor_.Row(), editor_.TopRow() + rows) << s.key;
    }

    const HexLayout layout(editor_.fontMetrics().horizontalAdvance('0'));
    const int rowHeight = editor_.RowHeight();
    // The low nibble's gap and the characters are places to click too.
    QTest::mousePress(editor_.viewport(), Qt::LeftButton, {},
                      {layout.ColumnX(11) + layout.CharWidth() + 2, 3 * rowHeight + 2});
    EXPECT_EQ(editor_.CaretPosition(), 0x34);
    EXPECT_TRUE(editor_.CaretOnLowNibble());
    QTest::mousePress(editor_.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      {layout.ColumnX(HexLayout::CharCol(15)) + 1, 4 * rowHeight + 1});
    EXPECT_EQ(editor_.CaretPosition(), 0x4F);
    EXPECT_TRUE(editor_.CaretInCharacters());
    EXPECT_EQ(editor_.Selection(), std::make_pair(0x34, 0x4F));
}

TEST_F(HexEditorTest, HexTextAndWriteBuffer)
{
    editor_.SetAsHex("0a Bc-d\n1f\xE2\x80\xA2" "e7"); // non-digits skipped, the odd 7 dropped
    EXPECT_EQ(std::tuple(editor_.AsHex(), editor_.DataSize()), std::tuple(std::string("0ABCD1FE"), 4));
    editor_.SetAsHex("");
    EXPECT_EQ(std::tuple(editor_.AsHex(), editor_.RowCount()), std::tuple(std::string(), 1));
    Type("12"); // nothing to type over in an empty grid
    EXPECT_FALSE(editor_.Modified());
    Keys({Qt::Key_Insert, Qt::Key_Tab});
    Type("AB1"); // in insert mode the bytes go in in the order typed
    EXPECT_EQ(editor_.AsHex(), "414231");
    Keys({Qt::Key_Insert});

    RefreshHexView(editor_, *state_);
    const std::uint8_t three[] = {1, 2, 3};
    editor_.WriteBuffer(three, 0xFFFE); // clipped: only two bytes fit
    editor_.WriteBuffer(three, 0x10000);
    editor_.WriteBuffer(three, -1);
    ExpectImageWith({{0xFFFE, 1}, {0xFFFF, 2}});
    EXPECT_TRUE(editor_.IsChanged(0xFFFF) && editor_.Modified());
    editor_.Undo(); // one step for the whole write
    ExpectImageWith({});
    EXPECT_FALSE(editor_.CanUndo());
}

TEST_F(HexEditorTest, RefreshDropsTypedChangesAndKeepsTheView)
{
    GoTo(0x7D0 * 16, 2);
    editor_.SetTopRow(0x7C0);
    Keys({Qt::Key_Insert});
    Type("123");
    Keys({Qt::Key_Delete}, Qt::ControlModifier);
    ASSERT_NE(editor_.DataSize(), kImageSize);
    QSignalSpy modified(&editor_, &THexEditor::ModifiedChanged);
    state_->RomImage[0x7D00] = 0x42;
    RefreshHexView(editor_, *state_);
    ExpectImageWith({});
    EXPECT_FALSE(editor_.Modified() || editor_.IsChanged(0x7D00) || editor_.CanUndo());
    EXPECT_EQ(modified.count(), 1);
    EXPECT_EQ(std::tuple(editor_.TopRow(), editor_.Row()), std::tuple(0x7C0, 0x7D0));
}

TEST_F(HexEditorTest, RawSaveWritesTheWholeContentAndKeepsTheMarks)
{
    test::TempDir dir;
    GoTo(0x10, 2);
    Keys({Qt::Key_Insert});
    Type("5a");
    editor_.SaveToFile(dir.file("image.hex"));
    const std::string saved = test::ReadText(dir.file("image.hex"));
    ASSERT_EQ(saved.size(), std::size_t{kImageSize} + 1);
    EXPECT_EQ(saved.substr(0x0F, 3), std::string({char(Pattern(0x0F)), 0x5A, char(Pattern(0x10))}));
    EXPECT_EQ(saved.back(), char(Pattern(0xFFFF)));
    // The typed bytes are still not in the image: "确认键入" stays possible.
    EXPECT_TRUE(editor_.Modified() && editor_.IsChanged(0x10));

    const std::string missing = dir.file("no/such/folder/image.hex");
    EXPECT_THAT([&] { editor_.SaveToFile(missing); },
                testing::ThrowsMessage<FileError>(testing::HasSubstr(missing)));
    EXPECT_TRUE(editor_.Modified());
}

TEST_F(HexEditorTest, PaintShowsMarksCaretAndSelection)
{
    GoTo(0x10, 2);
    Type("a5");
    GoTo(0x22, 7); // low nibble of 0x22
    Keys({Qt::Key_Right, Qt::Key_Right}, Qt::ShiftModifier); // to the low nibble of 0x23
    const QImage shot = editor_.viewport()->grab().toImage();
    const HexLayout layout(editor_.fontMetrics().horizontalAdvance('0'));
    const int h = editor_.RowHeight();
    auto at = [&](int row, int col) {
        return shot.pixelColor(layout.ColumnX(col) + 1, row * h + 1);
    };
    const TColors colors;
    const QColor base = editor_.palette().color(QPalette::Base);
    const QColor selected = editor_.palette().color(QPalette::Highlight);
    // The typed byte (both nibbles and its character), the caret's nibble, the selection
    // 0x22..0x23 and the bytes around them.
    EXPECT_EQ((std::vector{at(1, 2), at(1, 3), at(1, 35), at(1, 4), at(2, 9), at(2, 8), at(2, 6),
                           at(2, 10)}),
              (std::vector{colors.ChangedBackground, colors.ChangedBackground,
                           colors.ChangedBackground, base, colors.PositionBackground, selected,
                           selected, base}));
    EXPECT_EQ(shot.pixelColor(layout.ColumnX(HexLayout::CharCol(3)), 2 * h + 2),
              colors.CursorFrame); // the character of the caret's byte is framed
}

TEST_F(HexEditorTest, AccessibleCaretAddressAndValue)
{
    GoTo(0x1234, 11);
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(&editor_);
    ASSERT_NE(access, nullptr);
    const QString value = QString::fromStdString(Hex2(0x1234));
    EXPECT_EQ(std::tuple(access->text(QAccessible::Name), access->text(QAccessible::Value),
                         access->text(QAccessible::Description)),
              std::tuple("Address 1234", value, "Address 1234, byte " + value + ", low nibble"));
    QSignalSpy moved(&editor_, &THexEditor::CaretMoved); // each one tells assistive technology
    Keys({Qt::Key_Insert, Qt::Key_Left});
    Type("7");
    EXPECT_EQ(access->text(QAccessible::Description),
              "Address 1234, byte 70, low nibble, changed, insert mode");
    Keys({Qt::Key_Tab, Qt::Key_Right});
    EXPECT_EQ(access->text(QAccessible::Name), "Address 1235");
    EXPECT_EQ(access->text(QAccessible::Description),
              "Address 1235, byte " + value + ", character, insert mode");
    EXPECT_EQ(moved.count(), 5);
}

} // namespace
} // namespace orvane

