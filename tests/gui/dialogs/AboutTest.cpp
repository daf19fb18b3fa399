#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TfrmAbout.h"

#include "tests/gui/support/TestHost.h"
#include "tests/support/Process.h"

#include <QDesktopServices>

namespace orvane::test {
namespace {

class AboutTest : public HostTest {
protected:
    void SetUp() override { host.StartUp(); }

    // Opened, and its question to the Writer answered or given up.
    TfrmAbout& Open()
    {
        ShowAbout(host);
        TfrmAbout& d = Opened<TfrmAbout>("TfrmAbout");
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.btnClose->isEnabled(); }, 6000));
        return d;
    }
    QStringList Texts(const TfrmAbout& d) const
    {
        return {d.stEnglish->text(), d.stChinese->text(), d.stVersion->text(), d.stWEB->text(),
                d.LbVH->text()};
    }
};

TEST_F(AboutTest, ShowsTheFileAndAsksTheWriterOnceVisible)
{
    SimulatorProcess sim(SIM_PATH, host.app.path(), {"--version", "0.10", "2255.5.7"});
    host.ServeCom1(sim.Link());
    WriteText(host.app.file("About.txt"),
              "Maker Ltd\r\n制造者\r\nVer 9.99\r\nhttps://maker.example/\r\nignored\r\n");
    ShowAbout(host);
    TfrmAbout& d = Opened<TfrmAbout>("TfrmAbout");
    EXPECT_EQ(d.windowTitle(), "About Writer");
    EXPECT_FALSE(host.view.mainEnabled);
    EXPECT_EQ(Texts(d), (QStringList{"Maker Ltd", "制造者", "Ver 9.99", "https://maker.example/",
                                     "VH: 0.00 2011.00.00"}));
    EXPECT_FALSE(d.btnClose->isEnabled()) << "no closing under the exchange";
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.btnClose->isEnabled(); }, 5000));
    // Two blanks before the date, no leading zeros, the year's byte past 2000 to the last.
    EXPECT_EQ(d.LbVH->text(), "FVersion : 0.10  2255.5.7");
    Photograph(d, "about.png");
    EXPECT_TRUE(host.messages.shown.empty());

    d.btnClose->click();
    EXPECT_EQ(OpenWindow("TfrmAbout"), nullptr);
    EXPECT_TRUE(host.view.mainEnabled);
}

TEST_F(AboutTest, NoWriterKeepsTheDefaultVersionAndTheWebTextOpensThePageEachClick)
{
    OpenedUrls browser;
    QDesktopServices::setUrlHandler("https", &browser, "Open");
    TfrmAbout& d = Open();
    EXPECT_EQ(Texts(d).mid(2), (QStringList{"Ver 1.00 2026.12.06", "https://orvane.example/",
                                            "VH: 0.00 2011.00.00"}));
    ASSERT_EQ(host.messages.shown.size(), 1u) << "the port cannot be opened";
    EXPECT_EQ(host.messages.shown[0].first, MessageKind::Error);

    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(d.stWEB, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(browser.urls, std::vector<QUrl>(2, QUrl("https://orvane.example/")));
    EXPECT_EQ(d.stWEB->palette().color(QPalette::WindowText), QColor(128, 0, 128));
}

TEST_F(AboutTest, MissingFileKeepsTheDefaultsAndAsksNothing)
{
    std::filesystem::remove(host.app.file("About.txt"));
    TfrmAbout& d = Open();
    const std::string missing = "无法打开文件 " + host.app.path() + "About.txt";
    EXPECT_EQ(host.messages.shown,
              (Boxes{{MessageKind::Error, missing + "：No such file or directory"}}));
    EXPECT_EQ(std::tuple(d.stVersion->text(), d.LbVH->text()),
              std::tuple(QString("Ver 1.00 2011.05.20"), QString("VH: 0.00 2011.00.00")));
}

} // namespace
} // namespace orvane::test
