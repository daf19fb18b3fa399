// The option dialogs through their widgets, opened the way the main window and the device
// selection open them.
#include "catalogue/Catalogue.h"
#include "gui/options/OptionDialog.h"
#include "gui/options/OptionDispatch.h"
#include "options/OptionLayout.h"
#include "tests/gui/support/TestHost.h"

#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QScrollBar>

#include <cstdlib>
#include <set>
#include <string_view>

namespace orvane::test {
namespace {

template <class W>
W* Named(QWidget* root, const char* text)
{
    for (W* w : root->findChildren<W*>())
        if (w->text() == QString::fromUtf8(text))
            return w;
    ADD_FAILURE() << "no control " << text;
    return nullptr;
}

class OptionDialogTest : public HostTest {
protected:
    void SetUp() override
    {
        host.state.AppDir = host.app.path();
        LoadModelNames(host.state);
        host.state.ChipPin = "20";
        host.state.SettingsRead = true; // as after the start-up, so that OK saves
    }
    void Select(int slot)
    {
        host.state.ChipName = host.state.ModelName[slot];
        UpdateAddressMap(host.state);
    }
    OptionDialog* Open(int slot) // through the configuration button
    {
        Select(slot);
        ConfigButtonDispatch(host);
        OptionDialog* dialog = OpenOptionDialog(LayoutOfSlot(slot)->className);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
    static bool Closed(std::string_view className) { return OpenOptionDialog(className) == nullptr; }
};

TEST_F(OptionDialogTest, UnknownChipOpensNothing)
{
    host.state.ChipName = "QK999";
    ConfigButtonDispatch(host);
    SelectionDispatch(host);
    EXPECT_EQ(host.messages.shown,
              (Boxes{{MessageKind::Plain, "未知芯片"}, {MessageKind::Plain, "新器件,即将发布"}}));
    EXPECT_TRUE(host.view.log.empty()); // the main window stays usable
}

TEST_F(OptionDialogTest, QK101ForSlot9NamesSlot1FollowsTheLvrBoxAndCancelChangesNothing)
{
    host.state.OptLVR = "OFF";
    host.state.OptLvrs = "2.1V";
    Select(9);
    host.state.RomImage.fill(0x5A);
    const AppState before = host.state;
    OptionDialog* d = Open(9);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(std::tuple(d->objectName(), d->windowTitle()),
              std::tuple(QString("TfrmCfgQK101"), QString::fromUtf8("配置") + "QK101"));
    EXPECT_FALSE(d->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(host.view.log, std::vector<std::string>{"off main"});
    QRadioButton* low = Named<QRadioButton>(d, "LVR电压 2.1V");
    EXPECT_TRUE(low->isChecked() && !low->isEnabled());
    EXPECT_FALSE(Named<QRadioButton>(d, "LVR电压3.6V")->isEnabled());
    Named<QCheckBox>(d, "LVR功能开启")->click();
    EXPECT_TRUE(low->isEnabled());
    EXPECT_TRUE(Named<QRadioButton>(d, "内部RC 8MHZ")->isChecked()); // clock text "" unmatched
    Named<QCheckBox>(d, "加密")->click();
    ASSERT_TRUE(d->CancelButton()->isEnabled());
    d->CancelButton()->click();
    EXPECT_TRUE(Closed("TfrmCfgQK101"));
    const AppState& s = host.state;
    EXPECT_TRUE(s.RomImage == before.RomImage && s.OptionBytes == before.OptionBytes);
    EXPECT_EQ(std::tie(s.OptLVR, s.OptSEC), std::tie(before.OptLVR, before.OptSEC));
    EXPECT_FALSE(std::filesystem::exists(host.app.file("Udate_VX.ini")));
    EXPECT_EQ(host.view.log, (std::vector<std::string>{"off main", "on main"}));
}

TEST_F(OptionDialogTest, QK109ManualCalibrationAtTheSecondFrequency)
{
    OptionDialog* d = Open(11);
    ASSERT_NE(d, nullptr);
    Named<QRadioButton>(d, "手动校准IRC（适用于紧急或工程批）")->click();
    auto* freq = d->findChild<QListWidget*>();
    ASSERT_NE(freq, nullptr);
    EXPECT_EQ(freq->verticalScrollBar()->value(), 0);
    freq->verticalScrollBar()->setValue(1); // the scroll arrow: "4.03MHZ" on top
    d->OkButton()->click();
    // The trim words of 4.03MHZ (the other bytes of this choice are OptionLayoutTest's).
    const std::uint8_t* chip = &host.state.RomImage[0x7D00];
    EXPECT_EQ(std::vector<int>(chip + 0x0E, chip + 0x14),
              (std::vector<int>{0x0F, 0xE6, 0x0F, 0xAA, 0x0F, 0xC8}));
    EXPECT_TRUE(Closed("TfrmCfgQK109"));
    EXPECT_TRUE(Saved("CHIP_NAME=QK109"));
}

TEST_F(OptionDialogTest, FaeZeroHidesTheSpecialGroupAndShrinksTheWindow)
{
    int heights[2] = {};
    for (const bool fae : {true, false}) {
        WriteText(host.app.file("Udate_VX.ini"), std::string("[IRC]\nfae=") + (fae ? "1" : "0") + "\n");
        OptionDialog* d = Open(10);
        ASSERT_NE(d, nullptr);
        auto* group = d->findChild<QGroupBox*>(); // the dialog's only group
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), QString::fromUtf8("特殊操作（正常不需要改动）"));
        EXPECT_EQ(std::tuple(group->isVisible(), group->isEnabled()), std::tuple(fae, fae));
        QApplication::processEvents();
        heights[fae ? 0 : 1] = d->height();
        d->CancelButton()->click();
    }
    EXPECT_LT(heights[1], heights[0]);
}

TEST_F(OptionDialogTest, SelectionDisablesCancelForTheEightOneByteLayouts)
{
    const struct { int slot; const char* className; bool cancel; } cases[] = {
        {9, "TfrmCfgQK101", false}, {2, "TfrmCfgQK106", false}, {8, "TfrmCfgQK122", false},
        {11, "TfrmCfgQK109", true}, {20, "TFrmCfgQK128", true},
    };
    for (const auto& c : cases) {
        Select(c.slot);
        SelectionDispatch(host);
        OptionDialog* d = OpenOptionDialog(c.className);
        ASSERT_NE(d, nullptr) << c.slot;
        EXPECT_EQ(d->CancelButton()->isEnabled(), c.cancel) << c.slot;
        d->reject(); // Escape: only where Cancel could be pressed
        EXPECT_EQ(Closed(c.className), c.cancel) << c.slot;
        if (!c.cancel)
            d->OkButton()->click();
        EXPECT_TRUE(Closed(c.className));
    }
}

TEST_F(OptionDialogTest, QK128LvrListWarnsOnEverySelection)
{
    OptionDialog* d = Open(20);
    ASSERT_NE(d, nullptr);
    QComboBox* lvr = nullptr;
    for (QComboBox* list : d->findChildren<QComboBox*>())
        if (list->findText("011:2.2V") >= 0)
            lvr = list;
    ASSERT_NE(lvr, nullptr);
    for (int i : {3, 3})
        QMetaObject::invokeMethod(lvr, "activated", Q_ARG(int, i));
    EXPECT_EQ(host.messages.shown, Boxes(2, {MessageKind::Information,
                                             "注意：不同的工作频率，对系统的最低工作电压点有要求。"
                                             "具体请参考规格书第4章有关LVR复位的说明"}));
    d->CancelButton()->click();
}

// Every model's dialog opens through the configuration button and names each field once for a
// screen reader; with ORVANE_SCREENSHOT_DIR set each layout is saved as a PNG in its folder
// options/.
TEST_F(OptionDialogTest, EveryModelsDialogOpensAndNamesEachFieldOnce)
{
    if (const char* out = std::getenv("ORVANE_SCREENSHOT_DIR"))
        QDir(out).mkpath("options");
    std::set<std::string_view> opened;
    for (const int slot : kConfigButtonOrder) {
        const OptionLayout& layout = *LayoutOfSlot(slot);
        OptionDialog* d = Open(slot);
        ASSERT_NE(d, nullptr) << slot;
        QApplication::processEvents();
        EXPECT_GT(d->width(), 100) << slot;
        EXPECT_EQ(NameClashes(d), "") << slot;
        if (slot == CaptionSlot(layout))
            Photograph(*d, ("options/" + std::string(layout.className) + ".png").c_str());
        d->CancelButton()->click();
        EXPECT_TRUE(Closed(layout.className)) << slot;
        opened.emplace(layout.className);
    }
    EXPECT_EQ(opened.size(), OptionLayouts().size());
}

} // namespace
} // namespace orvane::test
