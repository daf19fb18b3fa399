// The HELP menu opens the manual through the desktop, which the tests watch through the "file" URL
// handler, and tells the operator when a document is missing or nothing can open it. Also the
// desktop identity every window carries.
#include "gui/AppIdentity.h"
#include "tests/gui/main/MainWindowFixture.h"

#include <QDesktopServices>

#include <filesystem>

namespace orvane::test {
namespace {

struct HelpMenuTest : MainWindowFixture {
    HelpMenuTest() { QDesktopServices::setUrlHandler("file", &opened, "Open"); }
    ~HelpMenuTest() override { QDesktopServices::unsetUrlHandler("file"); }
    OpenedUrls opened;
};

TEST_F(HelpMenuTest, EachItemOpensItsDocumentOrSaysWhyNot)
{
    Open("", false);
    const std::string d = dir.path();
    std::filesystem::create_directory(d + "help");
    // the files present in the program folder, the item clicked; what opens, what the box says
    const struct { std::vector<const char*> files; const char* item; std::string opens, says; }
        cases[] = {
        {{"Tovik_Usermenu.pdf"}, "Help2", d + "Tovik_Usermenu.pdf", ""},
        {{"help/index.html"}, "Help3", d + "help/index.html", ""},
        {{"help/index.html", "Help.chm"}, "Help3", d + "Help.chm", ""},
        {{}, "Help2", "", "找不到帮助文件 " + d + "Tovik_Usermenu.pdf"},
        {{}, "Help3", "", "找不到帮助文件 " + d + "help/index.html"},
        // Last, without the handler: the offscreen platform, like a desktop without xdg-open, opens
        // nothing.
        {{"Tovik_Usermenu.pdf"}, "Help2", "",
         "无法打开帮助文件 " + d + "Tovik_Usermenu.pdf：没有能打开它的程序"},
    };
    for (const auto& c : cases) {
        for (const char* name : {"Tovik_Usermenu.pdf", "help/index.html", "Help.chm"})
            std::filesystem::remove(d + name);
        for (const char* name : c.files)
            WriteText(d + name, "");
        if (&c == std::end(cases) - 1)
            QDesktopServices::unsetUrlHandler("file");
        messages.shown.clear();
        opened.urls.clear();
        Use(c.item);
        const QString opens = opened.urls.empty() ? "" : opened.urls.front().toLocalFile();
        EXPECT_EQ(std::make_tuple(opens.toStdString(),
                                  messages.shown.empty() ? "" : messages.shown.front().second),
                  std::make_tuple(c.opens, c.says));
    }
}

TEST(AppIdentityTest, DocksMatchTheMenuEntryAndEveryIconSizeIsCompiledIn)
{
    SetApplicationIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), "orvane");
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (const int size : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

} // namespace
} // namespace orvane::test
