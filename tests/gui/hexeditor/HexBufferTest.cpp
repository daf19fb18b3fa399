#include "gui/hexeditor/HexBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Content(const HexBuffer& b)
{
    return {b.Bytes().begin(), b.Bytes().end()};
}

Bytes Marks(const HexBuffer& b)
{
    Bytes marks;
    for (int i = 0; i < b.Size(); ++i)
        marks.push_back(b.Marked(i) ? 1 : 0);
    return marks;
}

TEST(HexBuffer, UndoRestoresBytesAndMarksStepByStep)
{
    HexBuffer b;
    b.Load(Bytes{1, 2, 3, 4, 5});
    EXPECT_EQ(b.UndoDescription(), "No Undo");
    EXPECT_EQ(b.Undo(), -1);

    b.Overwrite(1, Bytes{0xEE});
    b.ClearMarks(); // as the Insert key does: the undo step still knows the old marks
    b.Insert(2, Bytes{0xAA, 0xBB});
    b.Erase(0, 3);
    b.Overwrite(0, Bytes{0xCC});
    ASSERT_EQ(Content(b), (Bytes{0xCC, 3, 4, 5}));

    const struct { int pos; const char* nextDescription; Bytes content, marks; } steps[] = {
        {0, "Undo deletion", {0xBB, 3, 4, 5}, {1, 0, 0, 0}},
        {0, "Undo insertion", {1, 0xEE, 0xAA, 0xBB, 3, 4, 5}, {0, 0, 1, 1, 0, 0, 0}},
        {2, "Undo change", {1, 0xEE, 3, 4, 5}, {0, 0, 0, 0, 0}},
        {1, "No Undo", {1, 2, 3, 4, 5}, {0, 0, 0, 0, 0}},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(b.Undo(), step.pos);
        EXPECT_EQ(b.UndoDescription(), step.nextDescription);
        EXPECT_EQ(Content(b), step.content);
        EXPECT_EQ(Marks(b), step.marks);
    }
    EXPECT_FALSE(b.CanUndo());

    b.Overwrite(0, Bytes{9});
    b.Load(Bytes{7});
    EXPECT_FALSE(b.CanUndo()); // a load starts afresh
    EXPECT_EQ(Marks(b), Bytes{0});
}

} // namespace
} // namespace orvane
