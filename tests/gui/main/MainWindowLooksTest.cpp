// What assistive technology reads from the main window, and its screenshot for the documentation
// (written when ORVANE_SCREENSHOT_DIR names a folder).
#include "tests/gui/main/MainWindowFixture.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>

#include <cstdlib>

namespace orvane::test {
namespace {

QString Name(QObject* object)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
    return a ? a->text(QAccessible::Name) : QString("<none>");
}

class MainWindowLooksTest : public MainWindowFixture {
protected:
    void Show(bool withSimulator)
    {
        Open("[CHIP]\nCHIP_NAME=QK128\n", withSimulator);
        messages.answers = {true};
        window->show();
        Start();
    }
};

TEST_F(MainWindowLooksTest, ControlsPanelsMenusAndMemoHaveTheirTexts)
{
    Show(false);
    for (const auto& [name, caption] : std::initializer_list<std::pair<const char*, const char*>>{
             {"btnDevSel", "选择芯片"}, {"btnConfig", "配置芯片"}, {"btnBlkChk", "查空"},
             {"btnProgram", "下载+编程"}, {"btnVerify", "滚动码设置 已Off"},
             {"btnMakeMC", "下载程序"}, {"btnRead", "读取"}, {"btnGoto", "Goto"},
             {"Button1", "填充"}}) {
        EXPECT_EQ(Name(Child<QPushButton>(name)), QString(caption)) << name;
    }
    EXPECT_EQ(Name(Child<QLabel>("Panel0")), Panel0());
    QAccessibleInterface* memo = QAccessible::queryAccessibleInterface(Child<QPlainTextEdit>("Memo1"));
    ASSERT_NE(memo, nullptr);
    ASSERT_NE(memo->textInterface(), nullptr);
    EXPECT_TRUE(memo->textInterface()->text(0, memo->textInterface()->characterCount())
                    .startsWith("芯片信息：QK128"));

    QStringList items;
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(window->menuBar());
    for (int i = 0; i < bar->childCount(); ++i)
        items << bar->child(i)->text(QAccessible::Name);
    EXPECT_EQ(items, (QStringList{" FILE ", " EDIT ", "选择COM", " HELP "}));
    QStringList edit;
    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(window->findChild<QMenu*>("EDIT1"));
    for (int i = 0; i < menu->childCount(); ++i)
        edit << menu->child(i)->text(QAccessible::Name);
    EXPECT_EQ(edit, (QStringList{"Undo", "确认键入"}));
}

TEST_F(MainWindowLooksTest, Screenshot)
{
    const char* folder = std::getenv("ORVANE_SCREENSHOT_DIR");
    if (!folder)
        GTEST_SKIP() << "ORVANE_SCREENSHOT_DIR is not set";
    Show(true);
    const std::string program = dir.file("program.S19");
    WriteText(program, ReadText(std::string(GOLDEN_DIR) + "program.S19"));
    files.answers = {ChosenFile{program, 0}};
    window->Open1Click();
    window->resize(1000, 720);
    ASSERT_TRUE(window->grab().save(QString(folder) + "/main-window.png"));
}

} // namespace
} // namespace orvane::test
