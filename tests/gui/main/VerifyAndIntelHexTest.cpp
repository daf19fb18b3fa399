// The engineer's additions to the main window: Intel HEX through Open and Save As, and "校验芯片"
// against the simulated Writer, which leaves the hex view and the memo as they were.
#include "tests/gui/main/MainWindowFixture.h"

#include "gui/main/MessageBoxes.h"

#include <QMessageBox>
#include <QTimer>

#include <cstdlib>

namespace orvane::test {
namespace {

class VerifyAndIntelHexTest : public MainWindowFixture {
protected:
    void Verify() { window->findChild<QAction*>("mnuVerifyChip")->trigger(); }
};

TEST_F(VerifyAndIntelHexTest, IntelHexGoesThroughTheThirdOpenAndTheFourthSaveAsFilter)
{
    StartQK128();
    OpenProgram();
    messages.shown.clear();
    const auto image = s.RomImage;
    files.answers = {ChosenFile{dir.file("out"), 3}};
    window->SaveAs1Click();
    WriteText(dir.file("wide.hex"), ReadText(dir.file("out.ihx")) + ":01400000AA15\r\n");
    std::fill_n(s.RomImage.begin(), 0x2000, 0); // the program area

    files.answers = {ChosenFile{dir.file("wide.hex"), 2}};
    window->Open1Click();
    EXPECT_TRUE(s.RomImage == image); // the record after the end record is not read
    EXPECT_FALSE(Memo().contains("已忽略"));

    WriteText(dir.file("wide.hex"), ":01400000AA15\r\n" + ReadText(dir.file("out.ihx")));
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

    Verify(); // the simulated chip is blank
    ASSERT_EQ(messages.shown.size(), 1u);
    const auto& [kind, text] = messages.shown[0];
    EXPECT_EQ(kind, MessageKind::Error);
    EXPECT_TRUE(text.starts_with("芯片内容与当前程序不一致，共 ")) << text;
    EXPECT_TRUE(text.find("\n0001: 程序 07 芯片 FF\n") != std::string::npos) << text;
    EXPECT_TRUE(s.RomImage == image);
    EXPECT_TRUE(std::ranges::equal(Hex().Bytes(), editor));
    EXPECT_EQ(Memo(), memo);
    EXPECT_TRUE(MainOn());

    if (const char* folder = std::getenv("ORVANE_SCREENSHOT_DIR")) {
        // The box as the operator sees it.
        QTimer::singleShot(0, [folder] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(box->grab().save(QString(folder) + "/verify-result.png"));
            box->accept();
        });
        MessageBoxes(window.get()).Show(kind, text);
    }

    // A blank image against the blank chip: program and option row alike.
    window->findChild<QLineEdit*>("Edit2")->setText("FF");
    window->findChild<QPushButton*>("Button1")->click();
    messages.shown.clear();
    Verify();
    EXPECT_EQ(messages.shown,
              (std::vector<std::pair<MessageKind, std::string>>{
                  {MessageKind::Information, "芯片内容与当前程序一致"}}));
}

} // namespace
} // namespace orvane::test
