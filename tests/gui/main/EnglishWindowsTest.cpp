// Under English every window the operator meets shows no Chinese character in a caption, label,
// entry, tool tip or accessible name, cuts no text, and its boxes and memo lines are English.
#include "catalogue/Catalogue.h"
#include "gui/options/OptionDialog.h"
#include "gui/options/OptionDispatch.h"
#include "options/OptionLayout.h"
#include "tests/gui/main/MainWindowFixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QDir>
#include <QGroupBox>
#include <QTest>

#include <gmock/gmock.h>

namespace orvane::test {
namespace {

bool HasCjk(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3000 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF);
    });
}

// The entries of a list, drop-down list or tree, all levels.
QStringList Entries(const QAbstractItemModel& m, const QModelIndex& parent = {})
{
    QStringList entries;
    for (int row = 0; row < m.rowCount(parent); ++row)
        entries << m.index(row, 0, parent).data().toString() << Entries(m, m.index(row, 0, parent));
    return entries;
}

// What the operator reads in window, as "<object name>: <text>": the text properties of its
// widgets and actions, and the entries of its views.
QStringList Texts(QWidget* window)
{
    QStringList texts;
    QObjectList objects = window->findChildren<QObject*>();
    objects << window;
    for (const QObject* o : objects) {
        QStringList own;
        for (const char* name :
             {"windowTitle", "accessibleName", "toolTip", "text", "title", "plainText"})
            own << o->property(name).toString();
        if (const auto* view = qobject_cast<const QAbstractItemView*>(o); view && view->model())
            own << Entries(*view->model());
        for (const QString& text : own)
            texts << o->objectName() + ": " + text;
    }
    return texts;
}

// Labels, buttons and group titles narrower than their text.
QStringList Cut(QWidget* window)
{
    QStringList cut;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        auto* label = qobject_cast<QLabel*>(w);
        auto* group = qobject_cast<QGroupBox*>(w);
        const QString text = group ? group->title() : w->property("text").toString();
        const int width = w->fontMetrics().horizontalAdvance(text);
        // A push button's size hint has a floor the text does not need.
        const int need = label ? (label->wordWrap() ? 0 : label->sizeHint().width())
                         : group ? width + 16
                         : qobject_cast<QPushButton*>(w) ? width + 8
                         : qobject_cast<QAbstractButton*>(w) ? w->sizeHint().width()
                                                             : 0;
        if (!text.isEmpty() && w->isVisibleTo(window) && w->width() < need)
            cut << QString("%1 \"%2\": %3 < %4").arg(w->objectName(), text).arg(w->width()).arg(need);
    }
    return cut;
}

// About.txt's lines are a file's content, shown as written.
bool FromAboutFile(const QString& text)
{
    const std::string about = ReadText(std::string(std::getenv("ORVANE_DATA_DIR")) + "About.txt");
    const QString line = text.section(": ", 1);
    return !line.isEmpty() && about.find(line.toStdString()) != std::string::npos;
}

void ExpectEnglish(QWidget* window)
{
    ASSERT_NE(window, nullptr);
    QApplication::processEvents();
    for (const QString& text : Texts(window))
        EXPECT_FALSE(HasCjk(text) && !FromAboutFile(text)) << window->objectName().toStdString() << " " << text.toStdString();
    EXPECT_EQ(Cut(window).join("\n").toStdString(), "") << window->objectName().toStdString();
}

// Where ORVANE_SCREENSHOT_DIR points (tools/screenshots.sh): docs/screenshots/en/name, the
// English manual's pictures, named as the Chinese manual's are.
void PhotographEnglish(QWidget* window, const QString& name)
{
    const char* dir = std::getenv("ORVANE_SCREENSHOT_DIR");
    if (dir && QDir(dir).mkpath("en/options"))
        Photograph(*window, ("en/" + name + ".png").toUtf8().constData());
}

class EnglishWindowsTest : public MainWindowFixture {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(UseLanguage(Language::English,
                                QApplication::applicationDirPath().toStdString() + "/locale"));
    }
    static void TearDownTestSuite() { UseLanguage(Language::Written, ""); }
};

TEST_F(EnglishWindowsTest, MainWindowAndEverySecondaryWindow)
{
    StartQK128(true, true);
    ExpectEnglish(window.get());
    PhotographEnglish(window.get(), "main-window");
    EXPECT_THAT(Memo().toStdString(),
                ::testing::HasSubstr("Chip: QK128\nProgram: No program opened yet\ncheck sum="));

    // Each window, opened by its control and closed by its button.
    // a button or an action of the main window, the window it opens, the button that closes it,
    // its picture (the option dialogs' are taken below)
    const struct { const char *opener, *window, *close, *picture; } kWindows[] = {
        {"btnDevSel", "TfrmDevSel", "Cancel", "devsel"},
        {"btnConfig", "TFrmCfgQK128", "Cancel", nullptr},
        {"btnVerify", "TFrmDynamicID", "Cancel", "rolling-code"},
        {"AboutTovik1", "TfrmAbout", "Close", "about"},
        {"tbProgram", "TfrmProgram", "Exit", "program"},
    };
    for (const auto& w : kWindows) {
        Use(w.opener);
        QWidget* opened = OpenWindow(w.window);
        ASSERT_NE(opened, nullptr) << w.window;
        if (auto* writeId = opened->findChild<QAbstractButton*>("cbxIDconfig"))
            writeId->click(); // its group of ID controls shows too
        ExpectEnglish(opened);
        if (w.picture)
            PhotographEnglish(opened, w.picture);
        QPushButton* close = Button(opened, w.close);
        ASSERT_NE(close, nullptr) << w.window;
        QTRY_VERIFY_WITH_TIMEOUT(close->isEnabled(), 5000);
        close->click();
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(EnglishWindowsTest, EveryOptionDialog)
{
    StartQK128();
    for (const OptionLayout& layout : OptionLayouts()) {
        s.ChipName = s.ModelName[static_cast<std::size_t>(CaptionSlot(layout))];
        UpdateAddressMap(s);
        Use("btnConfig");
        auto* dialog = OpenOptionDialog(layout.className);
        ASSERT_NE(dialog, nullptr) << layout.name;
        ExpectEnglish(dialog);
        PhotographEnglish(dialog, "options/" + QString::fromUtf8(layout.className));
        dialog->CancelButton()->click();
    }
}

TEST_F(EnglishWindowsTest, BoxesAndMemoLinesOfEachKind)
{
    StartQK128(); // no Writer: the question, then the download's error box
    window->btnMakeMCClick();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].second, "No Writer found. Open the program anyway?");
    const std::string& error = messages.shown[1].second;
    EXPECT_FALSE(HasCjk(QString::fromStdString(error))) << error;
    // The memo's lines: chip, program, both checksums, and the note of a short record.
    WriteText(dir.file("far.S19"), "S1050000AA50\r\nS9030000FC\r\n");
    files.answers = {ChosenFile{dir.file("far.S19"), 0}};
    window->Open1Click();
    EXPECT_FALSE(HasCjk(Memo())) << Memo().toStdString();
    EXPECT_THAT(Memo().toStdString(), ::testing::HasSubstr("H (without options), "));
}

} // namespace
} // namespace orvane::test
