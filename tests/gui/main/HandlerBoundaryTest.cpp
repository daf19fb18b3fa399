// Every handler a click reaches runs inside the handler boundary, and the settings file is written
// only by the window that read it: driven through the widgets, never the handlers.
#include "tests/gui/main/MainWindowFixture.h"

#include "foundation/Errors.h"
#include "gui/ConnectGuarded.h"
#include "gui/dialogs/TfrmDevSel.h"

#include <QSignalSpy>
#include <QTreeWidget>

#include <functional>

namespace orvane::test {
namespace {

TEST(ConnectGuarded, EveryErrorOfAHandlerBecomesAnErrorBox)
{
    MessageRecorder messages;
    QPushButton button;
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[] { throw FileError("file"); }, "file"},
        {[] { throw std::logic_error("logic"); }, "logic"},
        {[] { throw std::bad_alloc(); }, "std::bad_alloc"}};
    for (const auto& [handler, text] : cases) {
        messages.shown.clear();
        const auto connection =
            ConnectGuarded(&button, &QPushButton::clicked, &button, messages, handler);
        EXPECT_NO_THROW(button.click());
        QObject::disconnect(connection);
        EXPECT_EQ(messages.shown, (Boxes{{MessageKind::Error, text}}));
    }
}

class HandlerBoundaryTest : public MainWindowFixture {
protected:
    // A click on the main window's control of that name, when given; then on the button with
    // caption of the window of windowName, when given.
    void Use(const char* control, const char* windowName = nullptr,
             const char* caption = nullptr) const
    {
        if (control)
            MainWindowFixture::Use(control);
        if (windowName) {
            ASSERT_NE(OpenWindow(windowName), nullptr) << windowName;
            Button(OpenWindow(windowName), caption)->click();
        }
    }
    // The device selection: a click on the model's tree node, then OK.
    void Select(int node) const
    {
        Use("btnDevSel");
        auto* devSel = static_cast<TfrmDevSel*>(OpenWindow("TfrmDevSel"));
        ASSERT_NE(devSel, nullptr);
        QTreeWidget* tree = devSel->TreeView1;
        tree->scrollToItem(devSel->Node(node));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(devSel->Node(node)).center());
        Use(nullptr, "TfrmDevSel", "确定");
    }
};

TEST_F(HandlerBoundaryTest, ASettingsFileThatTurnsUnreadableIsShownByEachHandlerAndEndsNothing)
{
    StartQK128(false, true);
    const std::string path = dir.file("Udate_VX.ini");
    std::filesystem::remove(path);
    std::filesystem::create_directory(path); // unreadable also for root
    const std::pair box{MessageKind::Error, "无法读取文件 " + path + "：不是普通文件"};
    messages.shown.clear();
    Select(19); // QK109: the selection's save, then its dialog's fae flag
    EXPECT_EQ(messages.shown, Boxes(2, box));
    const struct { const char *control, *window, *caption; std::size_t boxes; } steps[] = {
        {nullptr, "TfrmCfgQK109", "确定", 2},     // the option dialog's two saves
        {"btnConfig", "TfrmCfgQK109", "取消", 1}, // the fae flag
        {"btnVerify", "TFrmDynamicID", "确定", 1},
        {"tbProgram", "TfrmProgram", "退出", 1}, // the journal folder
        {"Exit1", nullptr, nullptr, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.window ? step.window : step.control);
        messages.shown.clear();
        Use(step.control, step.window, step.caption);
        EXPECT_EQ(messages.shown, Boxes(step.boxes, box));
        EXPECT_TRUE(MainOn());
    }
    EXPECT_FALSE(window->isVisible());
}

TEST_F(HandlerBoundaryTest, SettingsTheStartUpNeverReadAreNeverWrittenAndTheMemoSaysSoOnce)
{
    Open("[CHIP]\nCHIP_NAME=QK128\n", false);
    std::filesystem::remove(dir.file("device.name"));
    // Every model name is then empty: this chip file lets the selection's OK reach its save.
    std::filesystem::copy_file(dir.file("QK101_20.S19"), dir.file("_20.S19"));
    messages.answers = {true};
    Start();
    const std::string stored = Settings();
    Use("btnVerify", "TFrmDynamicID", "确定");
    Use("btnConfig", "TfrmCfgQK101", "确定"); // the empty name is slot 1's
    Select(1);
    Use(nullptr, "TfrmCfgQK101", "确定");
    const QString note =
        QString::fromStdString("设置未保存：启动时未读取设置文件 " + dir.file("Udate_VX.ini"));
    EXPECT_EQ(Memo().count(note), 1) << Memo().toStdString();
    Use("Exit1");
    EXPECT_EQ(Settings(), stored);
}

// The text of the box is the start-up's (SettingsGuardTest); the window closes without a search.
TEST_F(HandlerBoundaryTest, ASecondWindowOnTheSameSettingsFileClosesWithoutSearching)
{
    StartQK128();
    AppState otherState;
    MessageRecorder otherMessages;
    TfrmMain second(otherState, dir.path(), &otherMessages, &files);
    QSignalSpy closed(&second, &TfrmMain::Closed);
    second.show();
    second.FormShow();
    EXPECT_EQ(std::tuple(otherMessages.shown.size(), closed.count(), second.isVisible(), MainOn()),
              std::tuple(1u, 1, false, true));
}

TEST_F(HandlerBoundaryTest, AChosenModelReplacesAStoredOneTheListDoesNotName)
{
    Open("[CHIP]\nCHIP_NAME=QK999\n", false);
    messages.answers = {true};
    Start();
    Select(14);
    Use(nullptr, "TFrmCfgQK128", "取消");
    EXPECT_NE(Settings().find("CHIP_NAME=QK128"), std::string::npos) << Settings();
}

} // namespace
} // namespace orvane::test
