// The engineer's loop in the main window: the reload question when the program file changes on
// disk, drops, recent files, keys and find in the hex view.
#include "tests/gui/main/MainWindowFixture.h"

#include "app/ProgramFiles.h"
#include "gui/dialogs/SecondaryWindows.h"
#include "gui/main/FindBox.h"

#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>

#include <functional>

namespace orvane::test {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

const std::string kChanged = "程序文件 fw.S19 已在磁盘上改变，是否重新载入？（未保存的修改、写入的ID和滚动码将丢失）";
const std::string kPower = "请确认电源，USB线已经连接好!";

class EngineerLoopTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        StartQK128(false, true);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // The program with first at 0x0000, written ago seconds back so that it counts as finished.
    void WriteOld(const std::string& path, std::uint8_t first, int ago = 10,
                  FileFormat format = FileFormat::S19)
    {
        AppState program = s;
        program.RomImage[0] = first;
        SaveProgramFile(program, path, format);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(ago));
    }
    void OpenS19(const std::string& path)
    {
        files.answers = {ChosenFile{path, 0}};
        window->Open1Click();
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(),
                        static_cast<Qt::Key>(key), mods);
    }
    Texts Said(const std::string& start = "程序文件") const
    {
        Texts texts;
        for (const auto& [kind, text] : messages.shown)
            if (text.starts_with(start))
                texts.push_back(text);
        return texts;
    }
    // The drag's entry and its drop, each accepted or not.
    void Drop(const std::vector<std::string>& paths, bool accepted)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls << QUrl::fromUserInput(QString::fromStdString(path));
        data.setUrls(urls);
        QDragEnterEvent enter({9, 9}, Qt::CopyAction, &data, Qt::LeftButton, {});
        QDropEvent drop({9, 9}, Qt::CopyAction, &data, Qt::LeftButton, {});
        for (QDropEvent* event : {static_cast<QDropEvent*>(&enter), &drop}) {
            QApplication::sendEvent(window.get(), event);
            EXPECT_EQ(event->isAccepted(), accepted) << event->type();
        }
    }
    std::string fw = dir.file("fw.S19");
};

TEST_F(EngineerLoopTest, TheReloadQuestionBeforeEachDownload)
{
    // A touched file of the same content is the watch's own test (ProgramFileWatchTest).
    enum Change { Content, OwnSaveAs, Removed };
    // what changed, the answer; what was said over two downloads, the image's first byte then
    const struct { Change change; bool yes; Texts said; std::uint8_t image; } cases[] = {
        {Content, true, {kChanged}, 0x22},
        {Content, false, {kChanged}, 0x11},
        {OwnSaveAs, true, {}, 0x11},
        {Removed, true, {"程序文件 fw.S19 已不存在"}, 0x11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        WriteOld(fw, 0x11);
        OpenS19(fw);
        switch (c.change) {
        case Content: WriteOld(fw, 0x22, 5); break;
        case OwnSaveAs:
            files.answers = {ChosenFile{fw, 1}};
            window->SaveAs1Click();
            break;
        case Removed: fs::remove(fw); break;
        }
        messages.shown.clear();
        for (int download = 0; download < 2; ++download) {
            messages.answers = {c.yes, false}; // the reload question, if any; the power question
            Key(Qt::Key_F5);
        }
        EXPECT_EQ(Said(), c.said);
        EXPECT_EQ(Said("请确认电源"), Texts(2, kPower)); // both downloads went on
        EXPECT_EQ(s.RomImage[0], c.image);
    }
}

TEST_F(EngineerLoopTest, AskedOnActivationAndBeforeAProgrammingRunNotWhileHeldOff)
{
    WriteOld(fw, 0x11);
    OpenS19(fw);
    WriteOld(fw, 0x22, 5);
    const auto activate = [&] {
        QEvent event(QEvent::WindowActivate);
        QApplication::sendEvent(window.get(), &event);
        QApplication::processEvents();
    };
    window->SetEnabled(Control::MainWindow, false); // an operation runs
    activate();
    EXPECT_EQ(Said(), Texts{});
    window->SetEnabled(Control::MainWindow, true);
    activate();
    activate();
    EXPECT_EQ(Said(), Texts{kChanged}); // answered No: not again

    WriteOld(fw, 0x33, 4);
    ShowProgramDialog(*window); // holds the main window off, yet its run downloads
    messages.shown.clear();
    messages.answers = {true};
    Button(OpenWindow("TfrmProgram"), "编程")->click();
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.front().second, kChanged);
    EXPECT_EQ(s.RomImage[0], 0x33);
    Button(OpenWindow("TfrmProgram"), "退出")->click();
}

TEST_F(EngineerLoopTest, DropsOpenByExtension)
{
    const std::string wrt = dir.file("product.wrt");
    WriteOld(wrt, 0x44, 10, FileFormat::Wrt);
    WriteOld(fw, 0x33);
    WriteOld(dir.file("notes.txt"), 0x55);

    Drop({fw}, true);
    EXPECT_EQ(s.RomImage[0], 0x33);
    Drop({wrt}, true);
    EXPECT_EQ(std::tuple(s.RomImage[0], s.ProgramInfo), std::tuple(0x44, wrt));
    Drop({dir.file("notes.txt")}, false);
    Drop({fw, wrt}, false);
    Drop({"http://example.invalid/fw.S19"}, false);
    window->SetEnabled(Control::MainWindow, false);
    Drop({fw}, false);
    window->SetEnabled(Control::MainWindow, true);
    EXPECT_EQ(s.RomImage[0], 0x44);
    EXPECT_EQ(messages.shown.size(), 1u); // the start-up question only
}

TEST_F(EngineerLoopTest, RecentFilesInTheFileMenu)
{
    for (int n = 1; n <= 9; ++n) {
        WriteOld(dir.file(std::to_string(n) + ".S19"), static_cast<std::uint8_t>(n));
        OpenS19(dir.file(std::to_string(n) + ".S19"));
    }
    fs::remove(dir.file("8.S19"));
    auto* menu = Child<QMenu>("F1");
    emit menu->aboutToShow();
    const auto item = [&](int n) { return window->findChild<QAction*>(QString("Recent%1").arg(n)); };
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(item(n)->text().toStdString(),
                  "&" + std::to_string(n) + " " + dir.file(std::to_string(10 - n) + ".S19"));
    EXPECT_EQ(item(9), nullptr);
    EXPECT_TRUE(!item(2)->isEnabled() && item(3)->isEnabled()); // 8.S19 is gone
    item(3)->trigger();
    EXPECT_EQ(s.RomImage[0], 7);
    emit menu->aboutToShow();
    EXPECT_EQ(item(1)->text().toStdString(), "&1 " + dir.file("7.S19"));
}

TEST_F(EngineerLoopTest, KeysClickTheirControlsAndNothingWhileHeldOff)
{
    const struct {
        const char* name;
        int key;
        Qt::KeyboardModifiers mods;
        bool whenOn;
        std::function<bool()> happened;
    } cases[] = {
        {"Ctrl+O", Qt::Key_O, Qt::ControlModifier, true, [&] { return files.answers.empty(); }},
        {"Ctrl+S", Qt::Key_S, Qt::ControlModifier, true, [&] { return files.answers.empty(); }},
        {"F5", Qt::Key_F5, {}, true, [&] { return Said("请确认电源") == Texts{kPower}; }},
        {"F7", Qt::Key_F7, {}, true, [&] { return !messages.shown.empty(); }},
        {"F6, its button off", Qt::Key_F6, {}, false, [&] { return !messages.shown.empty(); }},
        {"Ctrl+G", Qt::Key_G, Qt::ControlModifier, true,
         [&] { return QApplication::focusWidget() == Child<QLineEdit>("edtGoto"); }},
        {"Ctrl+F", Qt::Key_F, Qt::ControlModifier, true,
         [&] { return window->findChild<FindBox*>() && window->findChild<FindBox*>()->isVisible(); }},
    };
    for (const bool off : {true, false}) {
        window->SetEnabled(Control::MainWindow, !off);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (off ? " while off" : ""));
            Hex().setFocus();
            messages.shown.clear();
            files.answers = {std::nullopt};
            Key(c.key, c.mods);
            EXPECT_EQ(c.happened(), c.whenOn && !off);
            if (FindBox* box = window->findChild<FindBox*>())
                box->hide();
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        }
    }
}

TEST_F(EngineerLoopTest, FindSelectsTheNextMatchAndWraps)
{
    std::vector<std::uint8_t> bytes(0x10000, 0xFF);
    const std::uint8_t marks[] = {0xA5, 0x5A, 'A', 'B'};
    std::copy(std::begin(marks), std::end(marks), bytes.begin() + 0x10);
    std::copy(std::begin(marks), std::end(marks), bytes.begin() + 0x8000);
    Hex().SetBytes(bytes);
    Hex().SetRow(0);
    Key(Qt::Key_F, Qt::ControlModifier);
    auto* box = window->findChild<FindBox*>();
    ASSERT_NE(box, nullptr);
    const struct {
        const char* pattern;
        bool text;
        std::pair<int, int> selection; // {-1, -1}: none
        const char* label;
    } steps[] = {
        {"a5 5a", false, {0x10, 0x11}, ""},
        {"a5 5a", false, {0x8000, 0x8001}, ""},
        {"a5 5a", false, {0x10, 0x11}, ""}, // wrapped once
        {"AB", true, {0x12, 0x13}, ""},
        {"5A 42", false, {-1, -1}, "未找到"},
        {"A5 5", false, {-1, -1}, "查找内容无效"},
        {"FF A5", false, {0x7FFF, 0x8000}, ""}, // from the caret on; the label is cleared
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.pattern);
        (step.text ? box->rbText : box->rbHex)->setChecked(true);
        if (box->edtFind->text() != step.pattern) {
            box->edtFind->setText(step.pattern);
            QTest::keyClick(box->edtFind, Qt::Key_Return);
        } else {
            QTest::keyClick(box->edtFind, Qt::Key_F3);
        }
        if (step.selection.first >= 0) {
            EXPECT_EQ(std::pair(Hex().Selection(), Hex().CaretPosition()),
                      std::pair(step.selection, step.selection.first));
            EXPECT_TRUE(Hex().Row() >= Hex().TopRow() && // in view
                        Hex().Row() < Hex().TopRow() + Hex().VisibleRowCount());
        }
        EXPECT_EQ(Child<QLabel>("lblStatus")->text().toStdString(), step.label);
        if (&step == steps) // the box as the operator sees it
            Photograph(*box, "find.png");
    }
}

} // namespace
} // namespace orvane::test
