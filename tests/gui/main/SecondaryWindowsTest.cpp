// The secondary windows beside the main window, on the simulated Writer.
#include "tests/gui/main/MainWindowFixture.h"

#include <QSignalSpy>
#include <QWindow>

namespace orvane::test {
namespace {

class SecondaryWindowsTest : public MainWindowFixture {};

// "编程" on the tool bar opens the programming dialog while 下载+编程 is still off; leaving the
// dialog switches both back on. Which window holds the main window off is each window's own test;
// that their controls open them is EnglishWindowsTest's.
TEST_F(SecondaryWindowsTest, TheProgrammingDialogGivesTheMainWindowBackWithItsButtonOn)
{
    StartQK128(true, true);
    EXPECT_FALSE(Child<QPushButton>("btnProgram")->isEnabled());
    Use("tbProgram");
    QWidget* program = OpenWindow("TfrmProgram");
    ASSERT_NE(program, nullptr);
    EXPECT_FALSE(MainOn());
    Button(program, "退出")->click();
    EXPECT_TRUE(MainOn() && Child<QPushButton>("btnProgram")->isEnabled());
    EXPECT_TRUE(messages.shown.empty());
}

// The selection leaves its option dialog open beside a usable main window, in front of it; an
// operation switches both off (and no hidden window), and closing the main window ends the program.
TEST_F(SecondaryWindowsTest, TheSelectionsOptionDialogStaysInFrontAndGoesOffWithTheMainWindow)
{
    StartQK128(true, true);
    Use("btnDevSel");
    QWidget* devSel = OpenWindow("TfrmDevSel");
    ASSERT_NE(devSel, nullptr);
    EXPECT_FALSE(MainOn());
    Button(devSel, "确定")->click();
    EXPECT_EQ(OpenWindow("TfrmDevSel"), nullptr);
    QWidget* options = OpenWindow("TFrmCfgQK128");
    ASSERT_TRUE(options && options->windowHandle());
    EXPECT_EQ(options->windowHandle()->transientParent(), window->windowHandle());
    EXPECT_TRUE(MainOn() && options->isEnabled() && Button(options, "取消")->isEnabled());

    QWidget hidden;
    window->SetEnabled(Control::MainWindow, false);
    EXPECT_FALSE(MainOn() || options->isEnabled());
    EXPECT_TRUE(hidden.isEnabled());
    EXPECT_FALSE(window->close()); // the close box does nothing while an operation runs
    window->SetEnabled(Control::MainWindow, true);
    EXPECT_TRUE(MainOn() && options->isEnabled());

    QSignalSpy closed(window.get(), &TfrmMain::Closed);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(closed.count(), 1); // orvane's main() quits on it
    options->close();
}

} // namespace
} // namespace orvane::test
