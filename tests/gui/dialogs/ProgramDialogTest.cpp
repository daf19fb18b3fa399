#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TfrmProgram.h"

#include "app/DialogLot.h"
#include "production/LotJournal.h"
#include "tests/gui/support/TestHost.h"
#include "tests/support/Process.h"

#include <QGroupBox>
#include <QProgressBar>

namespace orvane::test {
namespace {

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

class ProgramDialogTest : public HostTest {
protected:
    // The model and the ID settings as the settings file brings them; with a simulated Writer.
    TfrmProgram& Open(const std::string& model, bool writer = true, const std::string& id = "0005",
                      const std::string& more = "")
    {
        WriteText(host.app.file("Udate_VX.ini"), "[CHIP]\nCHIP_NAME=" + model +
                                                     "\n[ID]\nID_LENGTH=2\nID_ADDR_START=1800\n"
                                                     "ID_START=" + id + "\n" + more);
        host.StartUp();
        sim.reset();
        if (writer) {
            sim = std::make_unique<SimulatorProcess>(SIM_PATH, host.app.path(),
                                                     std::vector<std::string>{"--trace", trace});
            host.ServeCom1(sim->Link());
        }
        ShowProgramDialog(host);
        return Opened<TfrmProgram>("TfrmProgram");
    }
    bool Traced(const std::string& line) const
    {
        return ReadText(trace).find(line) != std::string::npos;
    }
    bool SavedId(const std::string& id) const
    {
        return Saved("ID_START=" + id + "\n") || Saved("ID_START=" + id + "\r\n");
    }
    // The memo's last line.
    std::string Memo() const
    {
        for (auto line = host.view.log.rbegin(); line != host.view.log.rend(); ++line)
            if (line->starts_with("memo "))
                return line->substr(5);
        return "";
    }

    TempDir traceDir;
    std::string trace = traceDir.file("trace");
    std::unique_ptr<SimulatorProcess> sim;
};

// A WriteBlock at 0x1800 that carries the ID: 68, L 19, code 11, address, then the ID.
constexpr const char* kProgramChip = "RX 68 01 01";

TEST_F(ProgramDialogTest, RunWithDeviceIdBurnsItStepsItAndKeepsTheNextOne)
{
    TfrmProgram& d = Open("QK128");
    EXPECT_EQ(std::tuple(host.view.dialog, host.state.ProgramDialogOpen, host.view.mainEnabled),
              std::tuple(&d, true, false));
    EXPECT_EQ(std::tuple(d.windowTitle(), d.cbbIDLen->currentText(), d.height()),
              std::tuple(QString("编程"), QString("2"), 255));
    EXPECT_EQ(std::tuple(Text(d.medStartAddr), Text(d.medEndAddr), Text(d.edtIDaddr),
                         Text(d.edtInitID), Text(d.medNextID)),
              std::tuple("$0000", "$1FFF", "1800", "0005", "0005"));
    EXPECT_TRUE(d.cbxIncrease->isChecked() && !d.cbxIDconfig->isChecked() &&
                d.cbxDownload->isChecked() && d.cbxDownload->isEnabled() &&
                !d.gbxIDconfig->isVisible());

    d.cbxIDconfig->click();
    EXPECT_EQ(std::tuple(d.height(), d.cbbStep->isVisible(), d.cbbStep->currentText()),
              std::tuple(415, true, QString("1")));
    EXPECT_TRUE(d.cbxDownload->isChecked() && !d.cbxDownload->isEnabled());

    d.BitBtn1->click();
    EXPECT_TRUE(host.messages.shown.empty());
    EXPECT_EQ(d.StaticText4->text(), "编程完毕!");
    EXPECT_EQ(std::tuple(Text(d.medNextID), Text(d.edtInitID), host.state.InitID),
              std::tuple("0006", "0006", 6)) << "the next run starts at the first unused ID";
    EXPECT_EQ(std::tuple(d.ProgressBar1->value(), d.ProgressBar1->maximum()),
              std::tuple(0, 10 * (512 + 2 + 2 + 12 + 36)));
    EXPECT_TRUE(Saved("ID_START=0006")) << "saved before closing";
    EXPECT_TRUE(d.BitBtn1->isEnabled() && d.BitBtn2->isEnabled());
    EXPECT_GT(ReadText(trace).find(kProgramChip), ReadText(trace).find("RX 68 13 11 18 00 00 05 FF"));
    Photograph(d, "program.png");

    d.BitBtn2->click();
    EXPECT_EQ(OpenWindow("TfrmProgram"), nullptr);
    EXPECT_EQ(std::tuple(host.view.dialog, host.state.ProgramDialogOpen, host.view.mainEnabled),
              std::tuple(nullptr, false, true));
}

TEST_F(ProgramDialogTest, WithoutDownloadItAsksFirstWithBothButtonsOff)
{
    TfrmProgram& d = Open("QK128");
    d.cbxIDconfig->click();
    d.cbxIDconfig->click(); // gives the download box back
    d.cbxDownload->click();
    host.messages.answers = {false, true};
    std::vector<bool> buttons; // "编程" or "退出" on while the question is up
    host.messages.onShow = [&] { buttons.push_back(d.BitBtn1->isEnabled() || d.BitBtn2->isEnabled()); };
    const Box question{MessageKind::InformationQuestion, "烧写程序将为上次下载内容!"};

    // What each answer sends the Writer is operations_test's; here, that the box reached the run.
    d.BitBtn1->click();
    d.BitBtn1->click();
    EXPECT_EQ(host.messages.shown, Boxes(2, question));
    EXPECT_EQ(buttons, (std::vector<bool>{false, false}));
    EXPECT_TRUE(d.BitBtn1->isEnabled() && d.BitBtn2->isEnabled());
    EXPECT_TRUE(Traced(kProgramChip) && !Traced("RX 68 13 11")) << "programmed, nothing downloaded";
}

TEST_F(ProgramDialogTest, RefusedIdUnopenablePortAndFailedSaveEndTheRunWithTheButtonsOn)
{
    TfrmProgram& d = Open("QK139", false); // program area 0000..07FF, no Writer
    d.cbxIDconfig->click();
    d.BitBtn1->click(); // refused before the port is tried
    d.cbxIDconfig->click();
    d.BitBtn1->click();
    ASSERT_EQ(host.messages.shown.size(), 2u);
    EXPECT_EQ(host.messages.shown[0],
              Box(MessageKind::Plain, "ID地址1800超出程序区0000-07FF,器件ID不会烧入芯片!"));
    EXPECT_EQ(host.messages.shown[1].first, MessageKind::Error); // the port's message
    EXPECT_EQ(host.state.RomImage[0x1801], 0xFF);
    EXPECT_TRUE(d.BitBtn1->isEnabled() && d.BitBtn2->isEnabled());
    d.BitBtn2->click();

    // A good chip whose ID cannot be saved: the box names the file once, the ID steps all the same.
    host.messages.shown.clear();
    TfrmProgram& again = Open("QK128");
    std::filesystem::remove(host.app.file("Udate_VX.ini"));
    std::filesystem::create_directory(host.app.file("Udate_VX.ini")); // cannot be replaced
    again.cbxIDconfig->click();
    again.BitBtn1->click();
    ASSERT_EQ(host.messages.shown.size(), 1u);
    EXPECT_EQ(host.messages.shown[0].first, MessageKind::Error);
    EXPECT_NE(host.messages.shown[0].second.find("Udate_VX.ini"), std::string::npos);
    EXPECT_EQ(std::tuple(host.state.NextID, Text(again.medNextID)), std::tuple(6, std::string("0006")));
}

TEST_F(ProgramDialogTest, IdFieldsTakeHexDigitsOnly)
{
    TfrmProgram& d = Open("QK128", false, "123456");
    d.cbxIDconfig->click();
    EXPECT_EQ(Text(d.edtInitID), "123456") << "every digit, none cut";

    d.edtIDaddr->clear();
    QTest::keyClicks(d.edtIDaddr, "g-a1F.");
    EXPECT_EQ(std::tuple(Text(d.edtIDaddr), host.state.IDAddr, host.state.IDAddrText),
              std::tuple("A1F", 0xA1F, "A1F"));
    QTest::keyClick(d.edtIDaddr, Qt::Key_Backspace);
    EXPECT_EQ(Text(d.edtIDaddr), "A1");

    d.cbbIDLen->setCurrentText("3");
    d.edtInitID->clear();
    // The neighbours of the letter ranges ('@', 'G', '`', 'g'), the rest of the upper-case alphabet
    // (typed first: the box takes six digits at most) and the ends of the ranges.
    QTest::keyClicks(d.edtInitID, "@GHIJKLMNOPQRSTUVWXYZAF`afg09 z");
    EXPECT_EQ(std::tuple(Text(d.edtInitID), Text(d.medNextID)), std::tuple("AFAF09", "AFAF09"));
    d.cbbIDLen->setCurrentText("2");
    EXPECT_EQ(std::tuple(Text(d.edtInitID), Text(d.medNextID), host.state.InitID, host.state.NextID),
              std::tuple("AFAF09", "AFAF09", 0xAFAF09, 0xAFAF09));

    d.edtInitID->setText("1G"); // pasted
    EXPECT_EQ(std::tuple(Text(d.medNextID), host.state.InitID, host.state.NextID),
              std::tuple("0", 0, 0));
    d.edtIDaddr->setText("XYZ");
    EXPECT_EQ(host.state.IDAddr, 0xA1) << "a non-hex address keeps the previous one";

    d.edtInitID->setText("0005");
    d.cbbStep->setCurrentText("256"); // refused: it would wrap to 0
    d.cbbStep->setCurrentText("3");
    for (int i = 0; i < 3; ++i)
        d.btnDecrease->click();
    EXPECT_EQ(Text(d.medNextID), "-0004") << "below zero, all digits";
    d.cbbIDLen->setCurrentText("x");
    EXPECT_EQ(std::tuple(host.state.IDLen, host.state.IDLenText), std::tuple(2, "x"));
    EXPECT_EQ(host.messages.shown, (Boxes{{MessageKind::Error, "ID步进值只能为0到255!"},
                                                     {MessageKind::Error,
                                                      "'x' is not a valid integer value"}}));
}

const Box kPastFFFF{MessageKind::Plain, "下一个ID 10000 超出2字节ID的最大值FFFF,器件ID未烧录!"};

TEST_F(ProgramDialogTest, AfterFFFFTheDialogShowsAndKeeps10000AndBurnsNothing)
{
    TfrmProgram& d = Open("QK128", true, "FFFF");
    d.cbxIDconfig->click();
    d.BitBtn1->click();
    EXPECT_TRUE(Traced("RX 68 13 11 18 00 FF FF"));
    EXPECT_EQ(std::tuple(Text(d.edtInitID), Text(d.medNextID)), std::tuple("10000", "10000"));
    EXPECT_TRUE(SavedId("10000"));

    WriteText(trace, "");
    d.BitBtn1->click();
    EXPECT_EQ(host.messages.shown, Boxes{kPastFFFF});
    EXPECT_EQ(ReadText(trace), "") << "the Writer heard nothing";
}

TEST_F(ProgramDialogTest, AnIdOutOfRangeIsShownWholeAndRefusedBeforeThePortOpens)
{
    struct Case { const char* idStart; void (*change)(TfrmProgram&); const char *shown, *refusal; };
    const Case cases[] = {
        {"0000", [](TfrmProgram& d) { d.btnDecrease->click(); }, "-0001",
         "下一个ID -0001 小于0,器件ID未烧录!"},
        // As saved after FFFF: an opening shows the ID as it stands, not 0000.
        {"10000", [](TfrmProgram&) {}, "10000", kPastFFFF.second.c_str()},
        {"100000000", [](TfrmProgram&) {}, "100000000", // more digits than HexToInt keeps
         "下一个ID 100000000 超出2字节ID的最大值FFFF,器件ID未烧录!"},
    };
    for (const Case& c : cases) {
        host.messages.shown.clear();
        TfrmProgram& d = Open("QK128", false, c.idStart);
        d.cbxIDconfig->click();
        c.change(d);
        EXPECT_EQ(Text(d.medNextID), c.shown);
        d.BitBtn1->click(); // no Writer: a run that got to the port would add its error
        EXPECT_EQ(host.messages.shown, (Boxes{{MessageKind::Plain, c.refusal}}));
        EXPECT_TRUE(SavedId(c.idStart)) << "nothing saved over it";
        d.BitBtn2->click();
    }
}

// The journal hands out the next ID no Writer of the line has taken: the skip is in the memo, the
// chip counted, and nothing is reserved past FFFF.
TEST_F(ProgramDialogTest, WithAJournalFolderTheIdsOtherWritersTookAreSkippedAndEveryChipCounted)
{
    TempDir lots;
    const std::string folder = "[JOURNAL]\nFOLDER=" + lots.path() + "\n";
    TfrmProgram& d = Open("QK128", true, "0005", folder);
    EXPECT_EQ(d.lblCounts->text(), "本次：成功 0 片，失败 0 片");
    const std::string journal = DialogJournalFor(host.state);
    ASSERT_EQ(journal.rfind(lots.path() + "QK128-", 0), 0u) << journal;
    LotJournal other(journal); // another Writer takes 0005 and 0006 first
    for (const std::int64_t id : {0x0005, 0x0006})
        other.Reserve("COM9", {.wanted = id, .insist = true}, 2, 0x1800);
    d.cbxIDconfig->click();
    d.BitBtn1->click();
    EXPECT_TRUE(host.messages.shown.empty());
    EXPECT_EQ(Memo(), "ID 0005-0006 已被其他Writer在批次记录 " + journal +
                          " 中预留，已跳过；下一个ID为 0007");
    EXPECT_EQ(std::tuple(d.lblCounts->text(), Text(d.edtInitID)),
              std::tuple(QString("本次：成功 1 片，失败 0 片"), "0008"));
    EXPECT_TRUE(Traced("RX 68 13 11 18 00 00 07 FF FF")) << "0007 burned";
    d.BitBtn2->click();
    const LotSummary summary = SummarizeLot(ReadText(journal));
    // The other Writer's chips are unfinished.
    EXPECT_EQ(std::tuple(summary.tried, summary.passed, summary.failed, summary.unfinished),
              std::tuple(3, 1, 0, 2));
    EXPECT_EQ(summary.reservedIds, (std::set<std::int64_t>{5, 6, 7}));
    EXPECT_NE(ReadText(journal).find(R"("type":"summary")"), std::string::npos);

    other.Reserve("COM9", {.wanted = 0xFFFF, .insist = true}, 2, 0x1800);
    const std::string lot = ReadText(journal);
    TfrmProgram& full = Open("QK128", false, "FFFF", folder);
    full.cbxIDconfig->click();
    full.BitBtn1->click();
    EXPECT_EQ(Text(full.medNextID), "10000");
    EXPECT_EQ(Memo(), "ID FFFF 已被其他Writer在批次记录 " + journal +
                          " 中预留，已跳过；下一个ID为 10000");
    EXPECT_EQ(host.messages.shown, Boxes{kPastFFFF});
    EXPECT_EQ(ReadText(journal), lot) << "nothing reserved past FFFF";
}

} // namespace
} // namespace orvane::test
