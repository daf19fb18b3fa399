// What assistive technology reads from the main window, and its screenshot for the documentation
// (written when ORVANE_SCREENSHOT_DIR names a folder).
#include "tests/gui/main/MainWindowFixture.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>

#include <cstdlib>

namespace orvane::test {
namespace {

QAccessibleInterface* Access(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QStringList ChildNames(QObject* object)
{
    QStringList names;
    QAccessibleInterface* a = Access(object);
    for (int i = 0; i < a->childCount(); ++i)
        names << a->child(i)->text(QAccessible::Name);
    return names;
}

class MainWindowLooksTest : public MainWindowFixture {};

TEST_F(MainWindowLooksTest, ControlsPanelsMenusAndMemoHaveTheirTexts)
{
    StartQK128(false, true);
    for (const auto& [name, caption] : std::initializer_list<std::pair<const char*, const char*>>{
             {"btnDevSel", "选择芯片"}, {"btnConfig", "配置芯片"}, {"btnBlkChk", "查空"},
             {"btnProgram", "下载+编程"}, {"btnVerify", "滚动码设置 已Off"},
             {"btnMakeMC", "下载程序"}, {"btnRead", "读取"}, {"btnGoto", "Goto"},
             {"Button1", "填充"}}) {
        EXPECT_EQ(Access(Child<QPushButton>(name))->text(QAccessible::Name), QString(caption))
            << name;
    }
    EXPECT_EQ(Access(Child<QLabel>("Panel0"))->text(QAccessible::Name), Panel0());
    QAccessibleTextInterface* memo = Access(Child<QPlainTextEdit>("Memo1"))->textInterface();
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->text(0, memo->characterCount()).startsWith("芯片信息：QK128"));
    EXPECT_EQ(ChildNames(window->menuBar()), (QStringList{" FILE ", " EDIT ", "选择COM", " HELP "}));
    EXPECT_EQ(ChildNames(window->findChild<QMenu*>("EDIT1")),
              (QStringList{"Undo", "确认键入", "校验芯片", "", "查找...", "查找下一个"}));
}

TEST_F(MainWindowLooksTest, Screenshot)
{
    const char* folder = std::getenv("ORVANE_SCREENSHOT_DIR");
    if (!folder)
        GTEST_SKIP() << "ORVANE_SCREENSHOT_DIR is not set";
    StartQK128(true, true);
    OpenProgram();
    window->resize(1000, 720);
    ASSERT_TRUE(window->grab().save(QString(folder) + "/main-window.png"));
}

} // namespace
} // namespace orvane::test
