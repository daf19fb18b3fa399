#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TfrmAbout.h"

#include "tests/gui/support/TestHost.h"
#include "tests/support/Process.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::test {
namespace {

class UrlRecorder : public QObject {
    Q_OBJECT
public slots:
    void Open(const QUrl& url) { opened.push_back(url.toString().toStdString()); }

public:
    std::vector<std::string> opened;
};

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override { host.StartUp(); }

    TfrmAbout& Open()
    {
        ShowAbout(host);
        auto* dialog = static_cast<TfrmAbout*>(OpenWindow("TfrmAbout"));
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }

    TestHost host;
};

TEST(AboutVersionTest, TwoBlanksBeforeTheDateAndNoLeadingZeros)
{
    EXPECT_EQ(AboutVersionText({1, 2, 11, 5, 17}), "FVersion : 1.2  2011.5.17");
    EXPECT_EQ(AboutVersionText({0, 10, 5, 12, 1}), "FVersion : 0.10  2005.12.1");
    EXPECT_EQ(AboutVersionText({255, 255, 255, 255, 255}), "FVersion : 255.255  2255.255.255");
}

TEST_F(AboutTest, ShowsTheFileAndAsksTheWriterOnceVisible)
{
    SimulatorProcess sim(SIM_PATH, host.app.path(), {"--version", "2.5", "2020.3.4"});
    host.ServeCom1(sim.Link());
    WriteText(host.app.file("About.txt"),
              "Maker Ltd\r\n制造者\r\nVer 9.99\r\nhttps://maker.example/\r\nignored\r\n");
    TfrmAbout& d = Open();
    EXPECT_EQ(d.windowTitle(), "About Writer");
    EXPECT_FALSE(host.view.mainEnabled);
    EXPECT_EQ((QStringList{d.stEnglish->text(), d.stChinese->text(), d.stVersion->text(),
                           d.stWEB->text(), d.LbVH->text()}),
              (QStringList{"Maker Ltd", "制造者", "Ver 9.99", "https://maker.example/",
                           "VH: 0.00 2011.00.00"}));
    EXPECT_FALSE(d.btnClose->isEnabled()) << "no closing under the exchange";
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.btnClose->isEnabled(); }, 5000));
    EXPECT_EQ(d.LbVH->text(), "FVersion : 2.5  2020.3.4");
    EXPECT_TRUE(host.messages.shown.empty());

    d.btnClose->click();
    EXPECT_EQ(OpenWindow("TfrmAbout"), nullptr);
    EXPECT_TRUE(host.view.mainEnabled);
}

TEST_F(AboutTest, NoWriterKeepsTheDefaultVersionAndTheWebTextOpensThePageEachClick)
{
    UrlRecorder browser;
    QDesktopServices::setUrlHandler("https", &browser, "Open");
    TfrmAbout& d = Open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.btnClose->isEnabled(); }, 6000));
    EXPECT_EQ(std::tuple(d.LbVH->text(), d.stVersion->text()),
              std::tuple(QString("VH: 0.00 2011.00.00"), QString("Ver 1.00 2026.12.06")));
    ASSERT_EQ(host.messages.shown.size(), 1u) << "the port cannot be opened";
    EXPECT_EQ(host.messages.shown[0].first, MessageKind::Error);

    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(d.stWEB, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(browser.opened,
              (std::vector<std::string>{"https://orvane.example/", "https://orvane.example/"}));
    EXPECT_EQ(d.stWEB->palette().color(QPalette::WindowText), QColor(128, 0, 128));
}

TEST_F(AboutTest, MissingFileKeepsTheDefaultsAndAsksNothing)
{
    std::filesystem::remove(host.app.file("About.txt"));
    TfrmAbout& d = Open();
    QTest::qWait(50);
    EXPECT_EQ(host.messages.shown,
              (std::vector<std::pair<MessageKind, std::string>>{
                  {MessageKind::Error,
                   "无法打开文件 " + host.app.path() + "About.txt：No such file or directory"}}));
    EXPECT_EQ(std::tuple(d.stVersion->text(), d.LbVH->text()),
              std::tuple(QString("Ver 1.00 2011.05.20"), QString("VH: 0.00 2011.00.00")));
    EXPECT_TRUE(d.btnClose->isEnabled());
}

} // namespace
} // namespace orvane::test

#include "AboutTest.moc"
