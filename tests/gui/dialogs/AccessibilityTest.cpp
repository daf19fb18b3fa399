// What a screen reader learns of the secondary windows: every field has a name of its own (the
// option dialogs' fields are in OptionDialogTest).
#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TfrmProgram.h"

#include "tests/gui/support/TestHost.h"

namespace orvane::test {
namespace {

TEST(AccessibilityTest, EverySecondaryWindowNamesEachFieldOnce)
{
    TestHost host;
    host.StartUp();
    ShowProgramDialog(host);
    static_cast<TfrmProgram*>(OpenWindow("TfrmProgram"))->cbxIDconfig->click(); // the ID fields
    ShowRollingCode(host);
    ShowDeviceSelection(host);
    ShowAbout(host);
    for (const char* name : {"TfrmProgram", "TFrmDynamicID", "TfrmDevSel", "TfrmAbout"}) {
        QWidget* window = OpenWindow(name);
        ASSERT_NE(window, nullptr) << name;
        EXPECT_EQ(NameClashes(window), "") << name;
    }
    // Where one label serves several fields, the name says which one.
    for (const char* name : {"ID码存储地址 字节3", "ID码存储地址 字节0", "ID初始值 字节3",
                             "ID初始值 字节0", "步进值", "滚动码最大值", "烧写数量限制"})
        EXPECT_EQ(FieldsNamed(OpenWindow("TFrmDynamicID"), name), 1u) << name;
}

} // namespace
} // namespace orvane::test
