#include "foundation/Errors.h"
#include "gui/hexeditor/RefreshHexView.h"
#include "gui/hexeditor/THexEditor.h"
#include "tests/support/TempDir.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace orvane {
namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "hex_editor_test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

std::uint8_t Pattern(int a)
{
    return static_cast<std::uint8_t>(a * 7 + (a >> 8));
}

class HexEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state_ = std::make_unique<AppState>();
        for (int a = 0; a < kImageSize; ++a)
            state_->RomImage[a] = Pattern(a);
        editor_.resize(640, 16 * 25 + 2 * editor_.frameWidth());
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

    QApplication& app_ = App(); // before any widget
    std::unique_ptr<AppState> state_;
    THexEditor editor_;
};

TEST_F(HexEditorTest, TypingOverNibblesAndCharacters)
{
    const struct {
        int address, col;
        const char* typed;
        std::vector<std::pair<int, int>> edits;
        int caret, caretCol;
    } cases[] = {
        {0x0010, 2, "a5", {{0x10, 0xA5}}, 0x11, 4},              // the spec's own example
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
        EXPECT_EQ(editor_.CaretPosition(), c.caret) << c.typed;
        EXPECT_EQ(editor_.Col(), c.caretCol) << c.typed;
        EXPECT_TRUE(editor_.Modified());
    }
}

TEST_F(HexEditorTest, UndoAndModifiedSignal)
{
    QSignalSpy modified(&editor_, &THexEditor::ModifiedChanged);
    GoTo(0x40, 2);
    Type("a5");
    EXPECT_EQ(editor_.UndoDescription(), "Undo change");
    ASSERT_EQ(modified.count(), 1);
    EXPECT_TRUE(modified.at(0).at(0).toBool());

    QTest::keyClick(&editor_, Qt::Key_Z, Qt::ControlModifier);
    ExpectImageWith({{0x40, (0xA0 | (Pattern(0x40) & 0x0F))}});
    EXPECT_TRUE(editor_.Modified());
    editor_.Undo();
    ExpectImageWith({});
    EXPECT_FALSE(editor_.IsChanged(0x40));
    EXPECT_EQ(editor_.UndoDescription(), "No Undo");
    EXPECT_FALSE(editor_.Modified());
    EXPECT_EQ(editor_.CaretPosition(), 0x40);

    Type("1");
    editor_.SetModified(false);
    EXPECT_EQ(editor_.UndoDescription(), "No Undo");
    EXPECT_FALSE(editor_.IsChanged(0x40));
    EXPECT_EQ(editor_.Bytes()[0x40], 0x10 | (Pattern(0x40) & 0x0F)); // the bytes stay
    EXPECT_EQ(modified.count(), 4); // true, false (undone), true, false
}

TEST_F(HexEditorTest, InsertModeShiftsTheBytesAfterTheCaret)
{
    GoTo(0x10, 2);
    Keys({Qt::Key_Insert});
    ASSERT_TRUE(editor_.InsertMode());
    Type("A5b");
    ASSERT_EQ(editor_.DataSize(), kImageSize + 2);
    EXPECT_EQ(editor_.Bytes()[0x10], 0xA5);
    EXPECT_EQ(editor_.Bytes()[0x11], 0xB0);
    EXPECT_EQ(editor_.Bytes()[0x12], Pattern(0x10));
    EXPECT_EQ(editor_.Bytes()[kImageSize + 1], Pattern(0xFFFF));
    EXPECT_TRUE(editor_.IsChanged(0x11));
    EXPECT_FALSE(editor_.IsChanged(0x12));

    Keys({Qt::Key_Right, Qt::Key_Backspace}); // deletes the byte before the caret: B0
    EXPECT_EQ(editor_.Bytes()[0x11], Pattern(0x10));
    Keys({Qt::Key_Delete}); // the byte at the caret
    EXPECT_EQ(editor_.Bytes()[0x11], Pattern(0x11));
    Keys({Qt::Key_Right, Qt::Key_Right}, Qt::ShiftModifier); // 0x11 to 0x12 selected
    Keys({Qt::Key_Delete});
    ASSERT_EQ(editor_.DataSize(), kImageSize - 2);
    EXPECT_EQ(editor_.Bytes()[0x11], Pattern(0x13));

    Keys({Qt::Key_Tab}); // to the characters
    Type("Q");
    EXPECT_EQ(editor_.Bytes()[0x11], 'Q');
    EXPECT_EQ(editor_.Bytes()[0x12], Pattern(0x13));

    Keys({Qt::Key_Insert}); // leaving insert mode clears the marks, not the undo steps
    EXPECT_FALSE(editor_.IsChanged(0x10));
    while (editor_.CanUndo())
        editor_.Undo();
    ExpectImageWith({});
}

TEST_F(HexEditorTest, DeletionsOutsideInsertMode)
{
    GoTo(0x100, 2);
    Keys({Qt::Key_Delete, Qt::Key_Backspace});
    EXPECT_EQ(editor_.DataSize(), kImageSize);
    EXPECT_EQ(editor_.CaretPosition(), 0xFF); // Backspace moves left
    EXPECT_TRUE(editor_.CaretOnLowNibble());
    Keys({Qt::Key_Delete}, Qt::ControlModifier); // no selection: nothing
    EXPECT_FALSE(editor_.Modified());

    Keys({Qt::Key_End}, Qt::ShiftModifier | Qt::ControlModifier); // select to the very end
    Keys({Qt::Key_Delete}, Qt::ControlModifier);
    ASSERT_EQ(editor_.DataSize(), 0xFF);
    EXPECT_EQ(editor_.CaretPosition(), 0xFE);
    EXPECT_EQ(editor_.RowCount(), 16);
    editor_.SetRow(4095); // rows past the shorter content are clamped
    EXPECT_EQ(editor_.Row(), 15);
    Type("0c"); // the last byte is overwritten, nothing is appended
    ASSERT_EQ(editor_.DataSize(), 0xFF);
    EXPECT_EQ(editor_.AsHex().size(), 0x1FEu);
    EXPECT_EQ(editor_.AsHex().substr(0x1FA), QByteArray::number(Pattern(0xFD), 16)
                                                  .rightJustified(2, '0').toUpper()
                                                  .toStdString() + "0C");
}

} // namespace
} // namespace orvane
