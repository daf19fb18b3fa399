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
    window->close();
    EXPECT_NE(Settings().find("[OPTION]"), std::string::npos);
}

TEST_F(MainWindowTest, AMissingModelListLeavesAUsableWindowAndTheSettingsFileAlone)
{
    Open(kQK128, false);
    std::filesystem::remove(dir.file("device.name"));
    const std::string before = Settings();
    messages.answers = {true};
    Start();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].first, MessageKind::Error);
    EXPECT_NE(messages.shown[1].second.find("device.name"), std::string::npos);
    EXPECT_TRUE(MainOn());
    window->close();
    EXPECT_EQ(Settings(), before);
}

TEST_F(MainWindowTest, TheSimulatedWriterIsFoundAndAnswersBlankCheckDownloadAndRead)
{
    StartQK128(true);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Panel0(), "固件版本:  V1.2---2011.5.17");

    Child<QPushButton>("btnBlkChk")->setEnabled(true);
    window->findChild<QAction*>("tbBlankCheck")->trigger();
    EXPECT_EQ(messages.shown, (Shown{{MessageKind::Information, "芯片为空!"}}));

    OpenProgram();
    messages.shown.clear();
    messages.answers = {true};
    Child<QPushButton>("btnMakeMC")->click();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].second, "请确认电源，USB线已经连接好!");
    EXPECT_TRUE(messages.shown[1].second.starts_with(
        "程序下载完毕,请检查File Check_sum与Flash Check_sum是否相同！\n\nFile Check_sum=9020\n"
        "Flash Check_sum=9020\n"));
    EXPECT_TRUE(MainOn());
    EXPECT_TRUE(Child<QPushButton>("btnMakeMC")->isEnabled());
}

TEST_F(MainWindowTest, TypedBytesReachTheImageOnlyThroughConfirm)
{
    StartQK128();
    window->EDIT1Click();
    EXPECT_FALSE(Enabled("mnuCheck"));
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

TEST_F(MainWindowTest, InsertModeShiftsTheBytesThatConfirmTakes)
{
    StartQK128();
    OpenProgram();
    ASSERT_EQ(Image(0, 2), (Bytes{0x00, 0x07}));
    Hex().SetRow(0);
    Hex().SetCol(2);
    QTest::keyClick(&Hex(), Qt::Key_Insert);
    QTest::keyClicks(&Hex(), "AB");
    window->mnuCheckClick();
    // Position k of the editor goes to address k: the inserted byte pushes the program up.
    EXPECT_EQ(Image(0, 3), (Bytes{0xAB, 0x00, 0x07}));
    EXPECT_EQ(Hex().DataSize(), 0x10000);
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
        if (c.top >= 0)
            EXPECT_EQ(Hex().TopRow(), c.top);
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
    EXPECT_EQ(Image(0x7CFF, 0x7D00), Bytes{0xA5});
    EXPECT_EQ(Image(0x8000, 0x8001), Bytes{0xA5});
    EXPECT_EQ(Image(0x7D00, 0x8000), chipData);
    EXPECT_EQ((Bytes{s.RomImage[0], Hex().Bytes()[0]}), (Bytes{0xA5, 0xA5}));
    EXPECT_EQ(Hex().Row(), 256);
}

TEST_F(MainWindowTest, OpenBySFilterAndAFailedOpenChangesNothing)
{
    StartQK128();
    OpenProgram();
    EXPECT_TRUE(Memo().contains("check sum=9020H"));
    EXPECT_TRUE(Memo().contains(QString::fromStdString("程序信息：" + dir.file("program.S19"))));
    files.answers = {ChosenFile{dir.file("program.WRT"), 1}};
    WriteText(dir.file("program.WRT"), Golden("program_QK128.WRT"));
    window->Open1Click();
    EXPECT_TRUE(Memo().contains("check sum=9020H"));
    EXPECT_EQ(s.ChipName, "QK128");
    const AppState before = s;

    // A missing file, an S19 read through the WRT filter, and a record that is not one.
    WriteText(dir.file("broken.S19"), "S00600004844521B\nS1230000ZZ\n");
    for (const ChosenFile& bad : {ChosenFile{dir.file("missing.S19"), 0},
                                  ChosenFile{dir.file("program.S19"), 1},
                                  ChosenFile{dir.file("broken.S19"), 0}}) {
        SCOPED_TRACE(bad.name);
        messages.shown.clear();
        files.answers = {bad};
        window->Open1Click();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].first, MessageKind::Error);
        EXPECT_TRUE(s.RomImage == before.RomImage);
        EXPECT_EQ(std::tie(s.ChipName, s.ProgramInfo, s.OptWDT, s.RomEnd),
                  std::tie(before.ChipName, before.ProgramInfo, before.OptWDT, before.RomEnd));
        EXPECT_TRUE(Memo().contains("check sum=9020H"));
    }
}

TEST_F(MainWindowTest, SaveAsAppliesTheExtensionRuleAndReportsARawSaveThatFails)
{
    StartQK128();
    OpenProgram();
    files.answers = {ChosenFile{dir.file("a.WRT"), 0}, ChosenFile{dir.file("b.s19"), 1},
                     ChosenFile{dir.file("c"), 2}};
    for (int i = 0; i < 3; ++i)
        window->SaveAs1Click();
    EXPECT_EQ(ReadText(dir.file("a.WRT")), Golden("program_QK128.WRT"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("b.s19.S19")));
    EXPECT_EQ(std::filesystem::file_size(dir.file("c.hex")), 0x10000u);

    // A raw save keeps the typed bytes marked as not in the image, whether it fails or not.
    TypeAtRow(0, "5");
    files.answers = {ChosenFile{dir.file("e.hex"), 2}};
    window->SaveAs1Click();
    EXPECT_EQ(ReadText(dir.file("e.hex"))[0], '\x50');
    EXPECT_TRUE(Hex().Modified());
    messages.shown.clear();
    files.answers = {ChosenFile{dir.file("no/such/folder/d"), 2}};
    window->SaveAs1Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, MessageKind::Error);
    EXPECT_TRUE(Hex().Modified());
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
    EXPECT_EQ(ticked(), "00010");
    EXPECT_EQ(s.ComName, "COM4");
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
