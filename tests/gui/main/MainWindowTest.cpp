// The main window driven through its widgets: start-up and exit, the hex view's commands, Open and
// Save As, the COM menu, and blank check, download and read against the simulated Writer.
#include "tests/gui/main/MainWindowFixture.h"

#include "image/RomImage.h"

#include <QMenu>
#include <QTest>

#include <filesystem>

namespace orvane::test {
namespace {

const std::string kQK128 = "[CHIP]\nCHIP_NAME=QK128\n";

std::string Golden(const std::string& name)
{
    return ReadText(std::string(GOLDEN_DIR) + name);
}

using Shown = std::vector<std::pair<MessageKind, std::string>>;
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
    bool Enabled(const char* action) const
    {
        return window->findChild<QAction*>(action)->isEnabled();
    }
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
    EXPECT_EQ(messages.shown, (Shown{{MessageKind::Question, "未找到Writer，是否继续打开！"}}));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Settings(), before);
}

TEST_F(MainWindowTest, WithoutAWriterYesGivesAUsableWindowAndTheExitSaves)
{
    StartQK128();
    EXPECT_TRUE(MainOn());
    EXPECT_EQ(Panel0(), "固件版本：读取失败！");
    EXPECT_EQ(Memo().toStdString(), "芯片信息：QK128\n程序信息：尚未打开程序\n"
                      // 0x2000 blank bytes and four blank option bytes
                      "check sum=E000H (不包含配置项), E4FCH (包含配置项)\n"
                      "老版本软件：check sum=E000H(不包含配置项)，E100H (包含配置项)");
    EXPECT_EQ(std::tuple(Hex().Row(), Hex().TopRow()), std::tuple((0x2100 + 0xA0) / 16, 0));
    EXPECT_EQ(Child<QPushButton>("btnVerify")->text(), "滚动码设置 已Off");
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
    window->findChild<QAction*>("tbBlankCheck")->trigger();
    EXPECT_EQ(messages.shown, (Shown{{MessageKind::Information, "芯片为空!"}}));

    OpenProgram();
    messages.answers = {true};
    Child<QPushButton>("btnMakeMC")->click();
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[1].second, "请确认电源，USB线已经连接好!");
    EXPECT_TRUE(messages.shown[2].second.starts_with(
        "程序下载完毕,请检查File Check_sum与Flash Check_sum是否相同！\n\nFile Check_sum=9020\n"
        "Flash Check_sum=9020\n"));
    Child<QPushButton>("btnRead")->click();
    EXPECT_EQ(messages.shown.back(), std::pair(MessageKind::Error, std::string("开始读取！")));
    EXPECT_TRUE(MainOn());
    // The blank check's box comes with 查空 off; the download's question before anything is
    // switched, its report with 下载程序 off; the read's with 读取 off; 下载+编程 stays off.
    EXPECT_EQ(during, (std::vector<std::string>{"0011-", "1011+", "1001-", "1010-"}));
    EXPECT_EQ(Buttons(), "1011");
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
    struct Case {
        const char* typed;
        const char* shown;
        int row, col, top;
    };
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
    Child<QPushButton>("Button1")->click();
    EXPECT_EQ(value->text(), "FF");
    value->setText("A5");
    Child<QPushButton>("Button1")->click();
    EXPECT_EQ((Bytes{s.RomImage[0x7CFF], s.RomImage[0x8000], Hex().Bytes()[0]}),
              (Bytes{0xA5, 0xA5, 0xA5}));
    EXPECT_EQ(Image(0x7D00, 0x8000), chipData);
    EXPECT_EQ(Hex().Row(), 256);
}

TEST_F(MainWindowTest, OpenBySFilterAndAFailedOpenChangesNothing)
{
    StartQK128();
    OpenProgram();
    EXPECT_TRUE(Memo().contains(QString::fromStdString("程序信息：" + dir.file("program.S19"))));
    EXPECT_TRUE(Memo().contains("check sum=9020H"));
    files.answers = {ChosenFile{dir.file("program.WRT"), 1}};
    WriteText(dir.file("program.WRT"), Golden("program_QK128.WRT"));
    window->Open1Click();
    const AppState before = s;
    const QString memo = Memo();
    messages.shown.clear();
    files.answers = {ChosenFile{dir.file("program.S19"), 1}}; // an S19 through the WRT filter
    window->Open1Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, MessageKind::Error);
    EXPECT_TRUE(s.RomImage == before.RomImage && s.ChipName == "QK128");
    EXPECT_EQ(Memo(), memo);
}

TEST_F(MainWindowTest, SaveAsAppliesTheExtensionRuleAndReportsARawSaveThatFails)
{
    StartQK128();
    OpenProgram();
    files.answers = {ChosenFile{dir.file("a.WRT"), 0}, ChosenFile{dir.file("b.s19"), 1},
                     ChosenFile{dir.file("c"), 2}, ChosenFile{dir.file("no/such/folder/d"), 2}};
    for (int i = 0; i < 4; ++i)
        window->SaveAs1Click();
    EXPECT_EQ(ReadText(dir.file("a.WRT")), Golden("program_QK128.WRT"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("b.s19.S19")));
    EXPECT_EQ(std::filesystem::file_size(dir.file("c.hex")), 0x10000u);
    ASSERT_EQ(messages.shown.size(), 2u); // after the start-up's question
    EXPECT_EQ(messages.shown[1].first, MessageKind::Error);
}

TEST_F(MainWindowTest, TheComMenuTicksOneItemAndNamesThePort)
{
    Open(kQK128 + "[COM]\nCOM_NAME=COM2\n", false);
    messages.answers = {true};
    Start();
    const auto ticked = [this] {
        std::string out;
        for (const char* name : {"COM01", "com11", "COM21", "com31", "COM41"})
            out += window->findChild<QAction*>(name)->isChecked() ? '1' : '0';
        return out;
    };
    EXPECT_EQ(ticked(), "01000");
    window->findChild<QAction*>("com31")->trigger();
    EXPECT_EQ(std::tuple(ticked(), s.ComName), std::tuple("00010", "COM4"));
    window->close();
    EXPECT_NE(Settings().find("COM_NAME=COM4"), std::string::npos);
}

TEST_F(MainWindowTest, AnOperationSwitchesEveryOtherWindowOffAndBackOn)
{
    StartQK128();
    QWidget dialog; // an option dialog left open
    dialog.show();
    QWidget closed;
    window->SetEnabled(Control::MainWindow, false);
    EXPECT_FALSE(MainOn() || dialog.isEnabled());
    EXPECT_TRUE(closed.isEnabled());
    EXPECT_FALSE(window->close()); // the close box does nothing while an operation runs
    window->SetEnabled(Control::MainWindow, true);
    EXPECT_TRUE(MainOn() && dialog.isEnabled());
}

} // namespace
} // namespace orvane::test
