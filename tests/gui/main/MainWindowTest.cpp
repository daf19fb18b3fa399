// The main window driven through its widgets: start-up and exit, what assistive technology reads,
// the hex view's commands, Open and Save As (Intel HEX too), the COM menu, and blank check,
// download, read and verify against the simulated Writer.
#include "tests/gui/main/MainWindowFixture.h"

#include "gui/main/MessageBoxes.h"
#include "image/RomImage.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>

namespace orvane::test {
namespace {

const std::string kQK128 = "[CHIP]\nCHIP_NAME=QK128\n";

QString Name(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

QStringList ChildNames(QObject* object)
{
    QStringList names;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
    for (int i = 0; i < a->childCount(); ++i)
        names << a->child(i)->text(QAccessible::Name);
    return names;
}

using Bytes = std::vector<std::uint8_t>;

class MainWindowTest : public MainWindowFixture {
protected:
    void TypeAtRow(int row, const char* keys) // from the high nibble of the row's first byte
    {
        Hex().SetRow(row);
        Hex().SetCol(2);
        QTest::keyClicks(&Hex(), keys);
    }
    Bytes Image(int from, int to) const { return {&s.RomImage[from], &s.RomImage[to]}; }
    bool Enabled(const char* action) const { return Child<QAction>(action)->isEnabled(); }
    // The quick tools a command switched itself: 1 for each button that is on of 查空, 下载+编程,
    // 下载程序 and 读取 (the main window's own switch aside).
    std::string Buttons() const
    {
        std::string on;
        for (const char* name : {"btnBlkChk", "btnProgram", "btnMakeMC", "btnRead"}) {
            const QPushButton* b = Child<QPushButton>(name);
            on += b->isEnabledTo(b->parentWidget()) ? '1' : '0';
        }
        return on;
    }
};

TEST_F(MainWindowTest, WithoutAWriterNoEndsTheProgramAndLeavesTheSettingsFile)
{
    Open(kQK128, false);
    const std::string before = Settings();
    window->show();
    messages.answers = {false};
    Start();
    EXPECT_EQ(messages.shown, (Boxes{{MessageKind::Question, "未找到Writer，是否继续打开！"}}));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Settings(), before);
}

TEST_F(MainWindowTest, WithoutAWriterYesGivesAUsableWindowThatReadsOutItsTextsAndTheExitSaves)
{
    StartQK128();
    EXPECT_TRUE(MainOn());
    EXPECT_EQ(Panel0(), "固件版本：读取失败！");
    EXPECT_EQ(Name(Child<QLabel>("Panel0")), Panel0());
    // The memo's lines are RomImageTest's; here, that they are shown.
    EXPECT_TRUE(Memo().startsWith("芯片信息：QK128\n程序信息：尚未打开程序\ncheck sum=E000H"));
    QAccessibleTextInterface* memo =
        QAccessible::queryAccessibleInterface(Child<QPlainTextEdit>("Memo1"))->textInterface();
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->text(0, memo->characterCount()), Memo());
    EXPECT_EQ(std::tuple(Hex().Row(), Hex().TopRow()), std::tuple((0x2100 + 0xA0) / 16, 0));
    for (const auto& [name, caption] : std::initializer_list<std::pair<const char*, const char*>>{
             {"btnDevSel", "选择芯片"}, {"btnConfig", "配置芯片"}, {"btnBlkChk", "查空"},
             {"btnProgram", "下载+编程"}, {"btnVerify", "滚动码设置 已Off"},
             {"btnMakeMC", "下载程序"}, {"btnRead", "读取"}, {"btnGoto", "Goto"},
             {"Button1", "填充"}})
        EXPECT_EQ(Name(Child<QPushButton>(name)), QString(caption)) << name;
    EXPECT_EQ(ChildNames(window->menuBar()), (QStringList{" FILE ", " EDIT ", "选择COM", " HELP "}));
    EXPECT_EQ(ChildNames(window->findChild<QMenu*>("EDIT1")),
              (QStringList{"Undo", "确认键入", "校验芯片", "", "查找...", "查找下一个"}));
    EXPECT_EQ(Buttons(), "0011");
    window->close();
    EXPECT_NE(Settings().find("[OPTION]"), std::string::npos);
}

TEST_F(MainWindowTest, TheSimulatedWriterAnswersBlankCheckDownloadAndReadWhichSwitchTheirButtons)
{
    StartQK128(true, false, {"--fault", "no-reply@code=38"}); // every ReadBlock unanswered
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Panel0(), "固件版本:  V1.2---2011.5.17");
    std::vector<std::string> during; // the buttons while each box is up
    messages.onShow = [&] { during.push_back(Buttons() + (MainOn() ? "+" : "-")); };

    Child<QPushButton>("btnBlkChk")->setEnabled(true);
    Use("tbBlankCheck");
    EXPECT_EQ(messages.shown, (Boxes{{MessageKind::Information, "芯片为空!"}}));

    OpenProgram();
    messages.answers = {true};
    Use("btnMakeMC");
    // The boxes' texts are the operations' own (operations_test): here, that the opened program went.
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_NE(messages.shown[2].second.find("Flash Check_sum=9020"), std::string::npos);
    Use("btnRead");
    EXPECT_EQ(messages.shown.back().first, MessageKind::Error);
    EXPECT_TRUE(MainOn());
    // The blank check's box comes with 查空 off; the download's question before anything is
    // switched, its report with 下载程序 off; the read's with 读取 off; 下载+编程 stays off.
    EXPECT_EQ(during, (std::vector<std::string>{"0011-", "1011+", "1001-", "1010-"}));
    EXPECT_EQ(Buttons(), "1011");
}

TEST_F(MainWindowTest, VerifyReadsTheChipAsideAndReportsTheDifferences)
{
    StartQK128(true);
    OpenProgram();
    window->resize(1000, 720);
    Photograph(*window, "main-window.png");
    const auto image = s.RomImage;
    const Bytes editor(Hex().Bytes().begin(), Hex().Bytes().end());
    const QString memo = Memo();
    messages.shown.clear();
    Use("mnuVerifyChip"); // the simulated chip is blank
    ASSERT_EQ(messages.shown.size(), 1u);
    const auto& [kind, text] = messages.shown[0];
    EXPECT_EQ(kind, MessageKind::Error);
    const auto lines = QString::fromStdString(text).split('\n');
    ASSERT_EQ(lines.size(), 21); // a line of each difference is CliVerifyTest's
    EXPECT_EQ(lines[0], "芯片内容与当前程序不一致，共 127 个字节不同，以下是前 20 个：");
    EXPECT_TRUE(s.RomImage == image && std::ranges::equal(Hex().Bytes(), editor));
    EXPECT_EQ(Memo(), memo);
    EXPECT_TRUE(MainOn());

    if (const char* folder = std::getenv("ORVANE_SCREENSHOT_DIR")) {
        QTimer::singleShot(0, [folder] { // the box as the operator sees it
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(box->grab().save(QString(folder) + "/verify-result.png"));
            box->accept();
        });
        MessageBoxes(window.get()).Show(kind, text);
    }

    // A blank image against the blank chip: program and option row alike.
    Use("Button1"); // fill with FF
    messages.shown.clear();
    Use("mnuVerifyChip");
    EXPECT_EQ(messages.shown, (Boxes{{MessageKind::Information, "芯片内容与当前程序一致"}}));
}

TEST_F(MainWindowTest, TypedBytesReachTheImageOnlyThroughConfirm)
{
    StartQK128();
    window->EDIT1Click();
    EXPECT_FALSE(Enabled("mnuCheck") || Enabled("mnuUndo"));
    TypeAtRow(0, "12");
    emit window->findChild<QMenu*>("EDIT1")->aboutToShow();
    EXPECT_TRUE(Enabled("mnuCheck") && Enabled("mnuUndo"));
    EXPECT_EQ(s.RomImage[0], 0xFF);
    window->mnuCheckClick();
    EXPECT_EQ((Bytes{s.RomImage[0], Hex().Bytes()[0]}), (Bytes{0x12, 0x12}));

    // Outside the confirmed addresses a typed byte vanishes from the view at once.
    TypeAtRow(0x7D10 / 16, "00");
    window->mnuCheckClick();
    EXPECT_EQ(Hex().Bytes()[0x7D10], s.RomImage[0x7D10]);
    EXPECT_FALSE(Hex().Modified());
}

TEST_F(MainWindowTest, GotoAndItsKeyFilter)
{
    StartQK128(false, true);
    auto* box = Child<QLineEdit>("edtGoto");
    struct Case { const char *typed, *shown; int row, col, top; };
    for (const Case& c : {Case{"0050", "0050", 5, 2, 0}, Case{"12x3g4", "1234", 0x123, 10, 0x123 - 10},
                          Case{"0", "0001", 0, 4, 0}, Case{"", "0001", 0, 4, 0},
                          Case{"fff5", "FFF5", 0xFFF, 12, -1}}) {
        SCOPED_TRACE(c.typed);
        box->clear();
        QTest::keyClicks(box, c.typed);
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(box->text(), c.shown);
        EXPECT_EQ(std::tuple(Hex().Row(), Hex().Col()), std::tuple(c.row, c.col));
        EXPECT_TRUE(c.top < 0 || Hex().TopRow() == c.top) << Hex().TopRow();
        // The target row is in view, even on the last rows of the grid.
        EXPECT_LE(Hex().TopRow(), c.row);
        EXPECT_LT(c.row, Hex().TopRow() + std::max(1, Hex().VisibleRowCount()));
    }
}

TEST_F(MainWindowTest, FillSparesTheChipDataArea)
{
    StartQK128();
    const Bytes chipData = Image(0x7D00, 0x8000);
    auto* value = Child<QLineEdit>("Edit2");
    value->clear();
    Use("Button1");
    EXPECT_EQ(value->text(), "FF");
    value->setText("A5");
    Use("Button1");
    EXPECT_EQ((Bytes{s.RomImage[0x7CFF], s.RomImage[0x8000], Hex().Bytes()[0]}),
              (Bytes{0xA5, 0xA5, 0xA5}));
    EXPECT_EQ(Image(0x7D00, 0x8000), chipData);
    EXPECT_EQ(Hex().Row(), 256);
}

TEST_F(MainWindowTest, OpenByFilterIntelHexIncludedAndAFailedOpenChangesNothing)
{
    StartQK128();
    OpenProgram();
    EXPECT_TRUE(Memo().contains(QString::fromStdString("程序信息：" + dir.file("program.S19"))));
    EXPECT_TRUE(Memo().contains("check sum=9020H"));
    const auto image = s.RomImage;
    files.answers = {ChosenFile{dir.file("out"), 3}};
    window->SaveAs1Click();
    // A byte at 4000 lies beyond QK128's program area.
    WriteText(dir.file("wide.hex"), ":01400000AA15\r\n" + ReadText(dir.file("out.ihx")));
    std::fill_n(s.RomImage.begin(), 0x2000, 0);
    files.answers = {ChosenFile{dir.file("wide.hex"), 2}};
    window->Open1Click();
    EXPECT_TRUE(s.RomImage == image);
    EXPECT_TRUE(Memo().contains("check sum=9020H"));
    EXPECT_TRUE(Memo().endsWith("\n已忽略程序区以外的 1 个字节")) << Memo().toStdString();
    EXPECT_EQ(messages.shown.size(), 1u) << "the start-up's question only";

    // That a failed open leaves the state as it was is ProgramFilesOpenTest's.
    const QString memo = Memo();
    messages.shown.clear();
    files.answers = {ChosenFile{dir.file("program.S19"), 1}}; // an S19 through the WRT filter
    window->Open1Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, MessageKind::Error);
    EXPECT_EQ(Memo(), memo);
}

TEST_F(MainWindowTest, SaveAsAppliesTheExtensionRuleAndAsksBeforeReplacingTheFileItNames)
{
    StartQK128();
    OpenProgram();
    const struct {
        const char* chosen;
        int filter;
        const char* saved;
        bool exists, yes;
        const char* question; // "" when none is asked
    } cases[] = {
        {"a.WRT", 0, "a.WRT", false, false, ""},
        {"b.s19", 1, "b.s19.S19", false, false, ""},
        {"c", 2, "c.hex", false, false, ""},
        {"fw", 0, "fw.WRT", true, false, "文件 fw.WRT 已存在，是否替换？"},
        {"fw", 0, "fw.WRT", true, true, "文件 fw.WRT 已存在，是否替换？"},
        {"raw", 2, "raw.hex", true, false, "文件 raw.hex 已存在，是否替换？"},
        {"fw.S19", 1, "fw.S19", true, false, ""}, // the file dialog asked about this name
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        const std::string saved = dir.file(c.saved);
        if (c.exists)
            WriteText(saved, "old");
        messages.shown.clear();
        messages.answers = {c.yes};
        files.answers = {ChosenFile{dir.file(c.chosen), c.filter}};
        window->SaveAs1Click();
        const Boxes asked = *c.question ? Boxes{{MessageKind::Question, c.question}} : Boxes{};
        EXPECT_EQ(messages.shown, asked);
        EXPECT_EQ(ReadText(saved) == "old", *c.question && !c.yes);
    }
    EXPECT_EQ(ReadText(dir.file("a.WRT")), ReadText(GOLDEN_DIR "program_QK128.WRT"));
    EXPECT_EQ(std::filesystem::file_size(dir.file("c.hex")), 0x10000u);
    messages.shown.clear();
    files.answers = {ChosenFile{dir.file("no/such/folder/d"), 2}}; // a raw save that fails
    window->SaveAs1Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, MessageKind::Error);
}

TEST_F(MainWindowTest, TheComMenuTicksOneItemAndNamesThePort)
{
    Open(kQK128 + "[COM]\nCOM_NAME=COM2\n", false);
    messages.answers = {true};
    Start();
    const auto ticked = [this] {
        std::string out;
        for (const char* name : {"COM01", "com11", "COM21", "com31", "COM41"})
            out += Child<QAction>(name)->isChecked() ? '1' : '0';
        return out;
    };
    EXPECT_EQ(ticked(), "01000");
    Use("com31");
    EXPECT_EQ(std::tuple(ticked(), s.ComName), std::tuple("00010", "COM4"));
    window->close();
    EXPECT_NE(Settings().find("COM_NAME=COM4"), std::string::npos);
}

} // namespace
} // namespace orvane::test
