// A deletion that deletes nothing leaves nothing pending: the EDIT menu's "Undo" and "确认键入" follow
// the modified state.
#include "gui/hexeditor/THexEditor.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace orvane {
namespace {

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
};

TEST(HexEditorEmptyDeletionTest, LeavesTheEditorUnmodified)
{
    const std::vector<std::uint8_t> bytes(40, 0x5A);
    const Key toAppend[] = {{Qt::Key_Insert}, {Qt::Key_End, Qt::ControlModifier}};
    const std::vector<Key> cases[] = {
        {{Qt::Key_Right, Qt::ShiftModifier}, {Qt::Key_Delete}}, // a selection of no byte
        {{Qt::Key_End, Qt::ShiftModifier}, {Qt::Key_Delete, Qt::ControlModifier}},
    };
    for (const auto& keys : cases) {
        THexEditor editor;
        editor.SetBytes(bytes);
        QSignalSpy modified(&editor, &THexEditor::ModifiedChanged);
        for (const Key& k : toAppend)
            QTest::keyClick(&editor, k.key, k.mods);
        for (const Key& k : keys)
            QTest::keyClick(&editor, k.key, k.mods);
        EXPECT_EQ(
            std::tuple(editor.Modified(), editor.CanUndo(), modified.count(), editor.DataSize()),
            std::tuple(false, false, 0, 40))
            << &keys - cases;
    }
}

} // namespace
} // namespace orvane
