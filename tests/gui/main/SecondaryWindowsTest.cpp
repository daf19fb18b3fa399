// Every secondary window opens from the main window, switches it as its window does, and gives it
// back when it closes; on the simulated Writer.
#include "tests/gui/main/MainWindowFixture.h"

#include <QSignalSpy>
#include <QTest>

namespace orvane::test {
namespace {

class SecondaryWindowsTest : public MainWindowFixture {};

TEST_F(SecondaryWindowsTest, EachOpensFromTheMainWindowAndGivesItBack)
{
    StartQK128(true, true);

    // Selection, then the model's option dialog, with the main window on as it opens.
    Child<QPushButton>("btnDevSel")->click();
    QWidget* devSel = ShownWindow("TfrmDevSel");
    ASSERT_NE(devSel, nullptr);
    EXPECT_FALSE(MainOn());
    Button(devSel, "确定")->click();
    EXPECT_EQ(ShownWindow("TfrmDevSel"), nullptr);
    QWidget* options = ShownWindow("TFrmCfgQK128");
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(Button(options, "取消")->isEnabled());
    EXPECT_TRUE(MainOn());
    Button(options, "确定")->click();
    EXPECT_EQ(ShownWindow("TFrmCfgQK128"), nullptr);

    // The configuration button keeps the main window off until the dialog closes.
    Child<QPushButton>("btnConfig")->click();
    options = ShownWindow("TFrmCfgQK128");
    ASSERT_NE(options, nullptr);
    EXPECT_FALSE(MainOn());
    Button(options, "取消")->click();
    EXPECT_TRUE(MainOn());

    Child<QPushButton>("btnVerify")->click();
    QWidget* rolling = ShownWindow("TFrmDynamicID");
    ASSERT_NE(rolling, nullptr);
    Button(rolling, "取消")->click();
    EXPECT_EQ(ShownWindow("TFrmDynamicID"), nullptr);

    window->findChild<QAction*>("AboutTovik1")->trigger();
    QWidget* about = ShownWindow("TfrmAbout");
    ASSERT_NE(about, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(Button(about, "关闭")->isEnabled(), 5000);
    Button(about, "关闭")->click();
    EXPECT_TRUE(MainOn());

    // "编程" on the tool bar opens the programming dialog while btnProgram is still off.
    EXPECT_FALSE(Child<QPushButton>("btnProgram")->isEnabled());
    window->findChild<QAction*>("tbProgram")->trigger();
    QWidget* program = ShownWindow("TfrmProgram");
    ASSERT_NE(program, nullptr);
    EXPECT_FALSE(MainOn());
    Button(program, "退出")->click();
    EXPECT_TRUE(MainOn());
    EXPECT_TRUE(Child<QPushButton>("btnProgram")->isEnabled());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SecondaryWindowsTest, ClosingTheMainWindowEndsTheProgramUnderADialogTheSelectionLeftOpen)
{
    StartQK128(true, true);
    Child<QPushButton>("btnDevSel")->click();
    Button(ShownWindow("TfrmDevSel"), "确定")->click();
    QWidget* options = ShownWindow("TFrmCfgQK128");
    ASSERT_NE(options, nullptr);
    QSignalSpy closed(window.get(), &TfrmMain::Closed);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(closed.count(), 1); // orvane's main() quits on it
    options->close();
}

} // namespace
} // namespace orvane::test
