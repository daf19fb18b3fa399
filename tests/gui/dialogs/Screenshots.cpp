// Saves a picture of the find box, which no window test keeps open long enough, where
// ORVANE_SCREENSHOT_DIR points (docs/screenshots/); the other windows' tests take their own.
#include "gui/main/FindBox.h"

#include "tests/gui/support/TestHost.h"

#include <QLineEdit>
#include <gtest/gtest.h>

namespace orvane::test {
namespace {

TEST(Screenshots, FindBox)
{
    FindBox find(nullptr);
    find.edtFind->setText("A5 5A");
    find.show();
    Photograph(find, "find.png");
}

} // namespace
} // namespace orvane::test
