// The OK sequence, the layout table and show→OK on every layout.
#include "app/OptionConfirm.h"
#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "options/OptionLayout.h"
#include "tests/options/OptionTestSupport.h"
#include "tests/options/RecordingView.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

namespace orvane {
namespace {

using test::OptionState;
using test::RecordingView;

TEST(OptionLayouts, ClassOfEverySlot)
{
    // By slot, as the window classes are named.
    const char* const classes[] = {
        "TfrmCfgQK101", "TfrmCfgQK106", "TfrmCfgQK105", "TfrmCfgQK104", "TfrmCfgQK102",
        "TfrmCfgQK103", "TfrmCfgQK107", "TfrmCfgQK122", "TfrmCfgQK101", "TFrmCfgQK113",
        "TfrmCfgQK109", "TFrmCfgQK123", "TFrmCfgQK117", "TFrmCfgQK124", "TFrmCfgQK120",
        "TFrmCfgQK118", "TFrmCfgQK114", "TFrmCfgQK125", "TFrmCfgQK127", "TFrmCfgQK128",
        "TFrmCfgQK110", "TFrmCfgQK131", "TFrmCfgQK136", "TFrmCfgQK138", "TFrmCfgQK132",
        "TfrmCfgQK130", "TFrmCfgQK133", "TFrmCfgQK137", "TfrmCfgQK129", "TfrmCfgQK139",
        "TfrmCfgQK134"};
    std::set<std::string_view> distinct;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const OptionLayout* layout = LayoutOfSlot(slot);
        ASSERT_NE(layout, nullptr) << slot;
        EXPECT_EQ(layout->className, classes[slot - 1]) << slot;
        distinct.insert(layout->className);
    }
    EXPECT_EQ(distinct.size(), 30u);
    EXPECT_EQ(OptionLayouts().size(), 30u);
    EXPECT_EQ(CaptionSlot(*LayoutOfSlot(9)), 1); // the QK101 dialog names slot 1
    EXPECT_EQ(LayoutOfSlot(0), nullptr);
    EXPECT_EQ(LayoutOfSlot(32), nullptr);
}

TEST(OptionLayouts, RefusesChoicesThatDoNotFit)
{
    AppState s = OptionState("");
    const OptionLayout& layout = *FindOptionLayout("QK101");
    OptionChoices choices = ShowChoices(s, layout);
    choices[3] = 4; // the clock group has four buttons
    EXPECT_THROW(EncodeOptions(s, layout, choices), std::invalid_argument);
    choices.pop_back();
    EXPECT_THROW(EncodeOptions(s, layout, choices), std::invalid_argument);
}

// A keyed control whose text survives OK: no later item stores under its key (QK128's
// compatibility choice shares CW with the oscillator mode written after it).
bool KeepsItsText(const OptionLayout& layout, std::size_t item)
{
    const std::string_view key = layout.items[item].key;
    if (key.empty() || layout.items[item].kind == ControlKind::None)
        return false;
    for (std::size_t later = item + 1; later < layout.items.size(); ++later) {
        if (layout.items[later].key == key)
            return false;
    }
    return true;
}

// Every choice of every keyed control: OK, then show the stored texts again and OK once more;
// the controls, texts and block come back the same. (Controls without a key start from their
// default each time.)
TEST(OptionLayouts, ShowAfterOkReproducesEveryChoice)
{
    for (const OptionLayout& layout : OptionLayouts()) {
        for (std::size_t item = 0; item < layout.items.size(); ++item) {
            if (!KeepsItsText(layout, item))
                continue;
            for (int choice = 0; choice < layout.items[item].ChoiceCount(); ++choice) {
                SCOPED_TRACE(std::string(layout.name) + " item " + std::to_string(item) +
                             " choice " + std::to_string(choice));
                AppState s = OptionState("");
                OptionChoices choices = ShowChoices(s, layout);
                choices[item] = choice;
                EncodeOptions(s, layout, choices);
                const auto block = s.OptionBytes;
                AppState again = s;
                OptionChoices shown = ShowChoices(again, layout);
                for (std::size_t i = 0; i < layout.items.size(); ++i) {
                    if (KeepsItsText(layout, i)) {
                        EXPECT_EQ(shown[i], choices[i]) << "item " << i;
                    }
                }
                EncodeOptions(again, layout, shown);
                EXPECT_EQ(again.OptionBytes, block);
            }
        }
    }
}

struct OkCase {
    const char* layout;
    std::int32_t optionBase;
    int row;
    int failedSaves; // with a settings folder that cannot be written
};

TEST(ConfirmOptions, RefreshesInOrderAndSavesTwiceExceptSecondCopyLayouts)
{
    const OkCase cases[] = {
        {"QK101", 0x2100, 0x226, 2}, // one-byte layouts: the rows 0x160 on
        {"QK110", 0x4100, 0x426, 2},
        {"QK113", 0x2100, 0x226, 1}, // saved once, after the copy
        {"QK114", 0x4100, 0x426, 1},
        {"QK128", 0x2100, 0x21A, 2}, // larger layouts: 0xA0 on
        {"QK134", 0x8100, 0x81A, 2},
    };
    for (const OkCase& c : cases) {
        SCOPED_TRACE(c.layout);
        const OptionLayout& layout = *FindOptionLayout(c.layout);
        for (const bool writable : {true, false}) {
            test::TempDir dir;
            AppState s = OptionState("SEC=ON");
            s.OptionAddr1 = c.optionBase;
            s.OptionAddr2 = c.optionBase + 0x20;
            s.AppDir = writable ? dir.path() : dir.path() + "missing/";
            s.ChipName = c.layout;
            RecordingView view;
            ConfirmOptions(s, layout, ShowChoices(s, layout), view);
            AppState expected = s;
            ComputeChecksum(expected);
            const std::vector<std::string> log = {"refresh", "row " + std::to_string(c.row),
                                                  "info " + ChecksumInfoLines(expected)[0],
                                                  "on main"};
            EXPECT_EQ(view.log, log);
            EXPECT_EQ(view.messages.shown.size(), writable ? 0u : std::size_t(c.failedSaves));
            const BitRef p = layout.protection;
            EXPECT_EQ(s.RomImage[static_cast<std::size_t>(s.OptionAddr2 + p.byte)] >> p.bit & 1, 0);
            if (writable) {
                const std::string saved = test::ReadText(dir.file("Udate_VX.ini"));
                EXPECT_NE(saved.find("SEC=ON"), std::string::npos);
            }
        }
    }
}

// The QK134 dialog picks the trim words by its clock list; reopening the saved file picks them by
// option byte 9 (the frequency adjust), so the two can differ.
TEST(OptionLayouts, QK134TrimWordsFollowTheClockListThenByteNineOnReopen)
{
    AppState s = OptionState("XT=500K Fsys=1 CW=1 osc=1");
    s.ModelName[31] = s.ChipName = "QK134";
    s.OptionAddr1 = 0x8100;
    s.OptionAddr2 = 0x8120;
    s.ChipDataAddr1 = 0x8D00;
    const OptionLayout& layout = *FindOptionLayout("QK134");
    EncodeOptions(s, layout, ShowChoices(s, layout));
    CopyOptionBlock(s, layout);
    EXPECT_EQ(test::HexBytes(&s.RomImage[0x8D0E], 6), "08 F9 08 CA 08 E3");
    EXPECT_EQ(test::HexBytes(&s.RomImage[0x8109], 3), "F8 02 00"); // bytes 9, 10, 11
    ApplySizeRules(s);
    EXPECT_EQ(test::HexBytes(&s.RomImage[0x8D0E], 6), "09 CC 09 BC 09 C4");
    EXPECT_EQ(test::HexBytes(&s.RomImage[0x8D06], 4), "7F FF 55 02"); // size rule agrees here
}

} // namespace
} // namespace orvane
