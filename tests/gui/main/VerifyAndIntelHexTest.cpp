// The engineer's additions to the main window: Intel HEX through Open and Save As, and "校验芯片"
// against the simulated Writer, which leaves the hex view and the memo as they were.
#include "tests/gui/main/MainWindowFixture.h"

#include "gui/main/MessageBoxes.h"

#include <QMessageBox>
#include <QTimer>

#include <cstdlib>

namespace orvane::test {
namespace {

using VerifyAndIntelHexTest = MainWindowFixture;

TEST_F(VerifyAndIntelHexTest, IntelHexGoesThroughTheThirdOpenAndTheFourthSaveAsFilter)
{
    StartQK128();
    OpenProgram();
    messages.shown.clear();
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
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(VerifyAndIntelHexTest, VerifyReadsTheChipAsideAndReportsTheDifferences)
{
    StartQK128(true);
    OpenProgram();
    const auto image = s.RomImage;
    const std::vector<std::uint8_t> editor(Hex().Bytes().begin(), Hex().Bytes().end());
    const QString memo = Memo();
    messages.shown.clear();
    const auto verify = [&] { window->findChild<QAction*>("mnuVerifyChip")->trigger(); };

    verify(); // the simulated chip is blank
    ASSERT_EQ(messages.shown.size(), 1u);
    const auto& [kind, text] = messages.shown[0];
    EXPECT_EQ(kind, MessageKind::Error);
    const auto lines = QString::fromStdString(text).split('\n');
    ASSERT_EQ(lines.size(), 21);
    EXPECT_EQ(lines[0], "芯片内容与当前程序不一致，共 127 个字节不同，以下是前 20 个：");
    EXPECT_EQ(lines[2], "0001: 程序 07 芯片 FF");
    EXPECT_TRUE(s.RomImage == image);
    EXPECT_TRUE(std::ranges::equal(Hex().Bytes(), editor));
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
    window->findChild<QPushButton*>("Button1")->click(); // fill with FF
    messages.shown.clear();
    verify();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              std::pair(MessageKind::Information, std::string("芯片内容与当前程序一致")));
}

} // namespace
} // namespace orvane::test
