// The programming dialog's device ID at the end of its length and below zero, and the ID a lot
// journal hands out in place of the one the dialog showed.
#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TfrmProgram.h"

#include "app/DialogLot.h"
#include "production/LotJournal.h"
#include "tests/gui/support/TestHost.h"
#include "tests/support/Process.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace orvane::test {
namespace {

using Box = std::pair<MessageKind, std::string>;

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

class ProgramDialogIdTest : public ::testing::Test {
protected:
    // The settings file's ID_START (length 2, at 1800) and, optionally, a journal folder.
    TfrmProgram& Open(const std::string& idStart, const std::string& more = "")
    {
        WriteText(Settings(), "[CHIP]\nCHIP_NAME=QK128\n[ID]\nID_LENGTH=2\nID_ADDR_START=1800\n"
                              "ID_START=" + idStart + "\n" + more);
        return Reopen();
    }

    // Start-up with the settings file as it stands, the dialog shown with "烧录器件ID" ticked.
    TfrmProgram& Reopen()
    {
        host.StartUp();
        ShowProgramDialog(host);
        auto* d = static_cast<TfrmProgram*>(OpenWindow("TfrmProgram"));
        d->cbxIDconfig->click();
        return *d;
    }

    void StartWriter()
    {
        sim = std::make_unique<SimulatorProcess>(SIM_PATH, host.app.path(),
                                                 std::vector<std::string>{"--trace", trace});
        host.ServeCom1(sim->Link());
    }

    std::string Settings() const { return host.app.file("Udate_VX.ini"); }
    bool Saved(const std::string& idStart) const
    {
        const std::string text = ReadText(Settings());
        return text.find("ID_START=" + idStart + "\n") != std::string::npos ||
               text.find("ID_START=" + idStart + "\r\n") != std::string::npos;
    }
    // The memo's last line.
    std::string Memo() const
    {
        for (auto line = host.view.log.rbegin(); line != host.view.log.rend(); ++line)
            if (line->rfind("memo ", 0) == 0)
                return line->substr(5);
        return "";
    }

    TestHost host;
    TempDir traceDir;
    std::string trace = traceDir.file("trace");
    std::unique_ptr<SimulatorProcess> sim;
};

const Box kPastFFFF{MessageKind::Plain, "下一个ID 10000 超出2字节ID的最大值FFFF,器件ID未烧录!"};

TEST_F(ProgramDialogIdTest, AfterFFFFTheDialogShowsAndKeeps10000AndBurnsNothing)
{
    StartWriter();
    TfrmProgram& d = Open("FFFF");
    d.BitBtn1->click();
    EXPECT_NE(ReadText(trace).find("RX 68 13 11 18 00 FF FF"), std::string::npos);
    EXPECT_EQ(std::tuple(Text(d.edtInitID), Text(d.medNextID)), std::tuple("10000", "10000"));
    EXPECT_TRUE(Saved("10000"));

    WriteText(trace, "");
    d.BitBtn1->click();
    EXPECT_EQ(host.messages.shown, std::vector<Box>{kPastFFFF});
    EXPECT_EQ(ReadText(trace), "") << "the Writer heard nothing";
    d.BitBtn2->click();

    TfrmProgram& again = Reopen(); // as saved: the next opening does not start at 0000
    EXPECT_EQ(std::tuple(Text(again.edtInitID), Text(again.medNextID)),
              std::tuple("10000", "10000"));
    again.BitBtn1->click();
    EXPECT_EQ(host.messages.shown, (std::vector<Box>{kPastFFFF, kPastFFFF}));
}

TEST_F(ProgramDialogIdTest, AnIdOutOfRangeIsShownWholeAndRefusedBeforeThePortOpens)
{
    struct Case {
        const char* idStart;
        void (*change)(TfrmProgram&);
        const char* shown;
        const char* refusal;
    };
    const Case cases[] = {
        {"0000", [](TfrmProgram& d) { d.btnDecrease->click(); }, "-0001",
         "下一个ID -0001 小于0,器件ID未烧录!"},
        {"100000000", [](TfrmProgram&) {}, "100000000", // more digits than HexToInt keeps
         "下一个ID 100000000 超出2字节ID的最大值FFFF,器件ID未烧录!"},
    };
    for (const Case& c : cases) {
        host.messages.shown.clear();
        TfrmProgram& d = Open(c.idStart);
        c.change(d);
        EXPECT_EQ(Text(d.medNextID), c.shown);
        d.BitBtn1->click(); // no Writer: a run that got to the port would add its error
        EXPECT_EQ(host.messages.shown, (std::vector<Box>{{MessageKind::Plain, c.refusal}}));
        EXPECT_TRUE(Saved(c.idStart)) << "nothing saved over it";
        d.BitBtn2->click();
    }
}

TEST_F(ProgramDialogIdTest, TheIdTheJournalHandsOutIsShownBeforeTheChipAndTheSkipInTheMemo)
{
    TempDir lots;
    const std::string folder = "[JOURNAL]\nFOLDER=" + lots.path() + "\n";
    WriteText(Settings(), "[CHIP]\nCHIP_NAME=QK128\n" + folder);
    host.StartUp();
    const std::string journal = DialogJournalFor(host.state);
    LotJournal other(journal); // another Writer took 0005 and 0006, then FFFF
    for (const std::int64_t id : {0x0005, 0x0006})
        other.Reserve("COM9", {.wanted = id, .insist = true}, 2, 0x1800);

    TfrmProgram& d = Open("0005", folder);
    d.BitBtn1->click(); // the port fails after the reservation
    EXPECT_EQ(Text(d.medNextID), "0007");
    EXPECT_EQ(Memo(), "ID 0005-0006 已被其他Writer在批次记录 " + journal +
                          " 中预留，已跳过；下一个ID为 0007");
    d.BitBtn2->click();

    other.Reserve("COM9", {.wanted = 0xFFFF, .insist = true}, 2, 0x1800);
    const std::string lot = ReadText(journal);
    host.messages.shown.clear();
    TfrmProgram& full = Open("FFFF", folder);
    full.BitBtn1->click();
    EXPECT_EQ(Text(full.medNextID), "10000");
    EXPECT_EQ(Memo(), "ID FFFF 已被其他Writer在批次记录 " + journal +
                          " 中预留，已跳过；下一个ID为 10000");
    EXPECT_EQ(host.messages.shown, std::vector<Box>{kPastFFFF});
    EXPECT_EQ(ReadText(journal), lot) << "nothing reserved past FFFF";
}

} // namespace
} // namespace orvane::test
