// Under English every window the operator meets shows no Chinese character in a caption, label,
// entry, tool tip or accessible name, cuts no text, and its boxes and memo lines are English.
#include "catalogue/Catalogue.h"
#include "gui/options/OptionDialog.h"
#include "gui/options/OptionDispatch.h"
#include "options/OptionLayout.h"
#include "tests/gui/main/MainWindowFixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

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

// What the operator reads in window, as "<object name>: <text>".
QStringList Texts(QWidget* window)
{
    QStringList texts = {"title: " + window->windowTitle()};
    auto add = [&](const QObject* o, const QString& text) {
        texts << o->objectName() + ": " + text;
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets << window;
    for (QWidget* w : widgets) {
        add(w, w->accessibleName());
        add(w, w->toolTip());
        if (auto* label = qobject_cast<QLabel*>(w))
            add(w, label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            add(w, button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w))
            add(w, group->title());
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                add(w, combo->itemText(i));
        if (auto* list = qobject_cast<QListWidget*>(w))
            for (int i = 0; i < list->count(); ++i)
                add(w, list->item(i)->text());
        if (auto* tree = qobject_cast<QTreeWidget*>(w))
            for (QTreeWidgetItemIterator it(tree); *it; ++it)
                add(w, (*it)->text(0));
        if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
            add(w, memo->toPlainText());
    }
    for (const QAction* action : window->findChildren<QAction*>())
        add(action, action->text());
    return texts;
}

// Labels, buttons and group titles narrower than their text.
QStringList Cut(QWidget* window)
{
    QStringList cut;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        QString text;
        int need = 0;
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
            text = label->text();
            need = label->sizeHint().width();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text(); // a push button's size hint has a floor the text does not need
            need = button->fontMetrics().horizontalAdvance(text) +
                   (qobject_cast<QPushButton*>(w) ? 8 : button->sizeHint().width() -
                                                         button->fontMetrics().horizontalAdvance(text));
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            text = group->title();
            need = group->fontMetrics().horizontalAdvance(text) + 16;
        }
        if (!text.isEmpty() && w->width() < need)
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

// Where ORVANE_SCREENSHOT_DIR points (tools/screenshots.sh): docs/screenshots/en/name.
void PhotographEnglish(QWidget* window, const QString& name)
{
    if (const char* dir = std::getenv("ORVANE_SCREENSHOT_DIR")) {
        QDir(dir).mkpath("en");
        EXPECT_TRUE(window->grab().save(QString::fromLocal8Bit(dir) + "/en/" + name + ".png"));
    }
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
    const struct {
        const char* opener; // a button or an action of the main window
        const char* window;
        const char* close;
    } kWindows[] = {
        {"btnDevSel", "TfrmDevSel", "Cancel"},   {"btnConfig", "TFrmCfgQK128", "Cancel"},
        {"btnVerify", "TFrmDynamicID", "Cancel"}, {"AboutTovik1", "TfrmAbout", "Close"},
        {"tbProgram", "TfrmProgram", "Exit"},
    };
    for (const auto& w : kWindows) {
        if (auto* button = Child<QPushButton>(w.opener))
            button->click();
        else
            window->findChild<QAction*>(w.opener)->trigger();
        QWidget* opened = OpenWindow(w.window);
        ASSERT_NE(opened, nullptr) << w.window;
        if (auto* writeId = opened->findChild<QAbstractButton*>("cbxIDconfig"))
            writeId->click(); // its group of ID controls shows too
        ExpectEnglish(opened);
        PhotographEnglish(opened, w.window);
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
        Child<QPushButton>("btnConfig")->click();
        QWidget* dialog = OpenOptionDialog(layout.className);
        ASSERT_NE(dialog, nullptr) << layout.name;
        ExpectEnglish(dialog);
        if (layout.name == "QK128" || layout.name == "QK139" || layout.name == "QK109")
            PhotographEnglish(dialog, QString::fromUtf8(layout.className));
        ASSERT_NE(Button(dialog, "Cancel"), nullptr) << layout.name;
        Button(dialog, "Cancel")->click();
    }
}

TEST_F(EnglishWindowsTest, BoxesAndMemoLinesOfEachKind)
{
    StartQK128(); // no Writer: the question
    window->btnMakeMCClick(); // no Writer: the download's error box
    ASSERT_GE(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0],
              std::make_pair(MessageKind::Question, std::string("No Writer found. Open the program anyway?")));
    for (const auto& [kind, text] : messages.shown)
        EXPECT_FALSE(HasCjk(QString::fromStdString(text))) << text;

    // The memo's lines: chip, program, both checksums, a file's notes.
    const std::string path = dir.file("far.S19");
    WriteText(path, "S1050000AA50\r\nS9030000FC\r\n");
    files.answers = {ChosenFile{path, 0}};
    window->Open1Click();
    EXPECT_FALSE(HasCjk(Memo())) << Memo().toStdString();
    EXPECT_THAT(Memo().toStdString(), ::testing::HasSubstr("H (without options), "));
}

} // namespace
} // namespace orvane::test
