// The OK sequence, the layout table and show→OK on every layout.
#include "app/OptionConfirm.h"
#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "options/OptionLayout.h"
#include "tests/options/OptionTestSupport.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

namespace orvane {
namespace {

using test::OptionState;
using test::Lines;
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

TEST(ConfirmOptions, RefreshesInOrderAndSavesTwiceExceptSecondCopyLayouts)
{
    // layout, option base, the hex view's row (the rows 0x160 on for the one-byte layouts, 0xA0
    // on for the larger), saves that fail with a settings folder that cannot be written
    const std::tuple<const char*, std::int32_t, int, int> cases[] = {
        {"QK101", 0x2100, 0x226, 2}, {"QK110", 0x4100, 0x426, 2},
        {"QK113", 0x2100, 0x226, 1}, {"QK114", 0x4100, 0x426, 1}, // saved once, after the copy
        {"QK128", 0x2100, 0x21A, 2}, {"QK134", 0x8100, 0x81A, 2},
    };
    for (const auto& [name, optionBase, row, failedSaves] : cases) {
        SCOPED_TRACE(name);
        const OptionLayout& layout = *FindOptionLayout(name);
        for (const bool writable : {true, false}) {
            test::TempDir dir;
            AppState s = OptionState("SEC=ON");
            s.OptionAddr1 = optionBase;
            s.OptionAddr2 = optionBase + 0x20;
            s.AppDir = writable ? dir.path() : dir.path() + "missing/";
            s.ChipName = name;
            RecordingView view;
            ConfirmOptions(s, layout, ShowChoices(s, layout), view);
            Lines effects, failedSaveBoxes;
            for (const std::string& line : view.log)
                (line.starts_with("box error 无法写入文件 ") ? failedSaveBoxes : effects).push_back(line);
            EXPECT_EQ(effects, (Lines{"refresh", "row " + Hex(static_cast<std::uint32_t>(row), 3),
                                      "info 芯片信息：" + s.ChipName, "on main"}));
            EXPECT_EQ(failedSaveBoxes.size(), writable ? 0u : std::size_t(failedSaves));
            const BitRef p = layout.protection;
            EXPECT_EQ(s.RomImage[static_cast<std::size_t>(s.OptionAddr2 + p.byte)] >> p.bit & 1, 0);
            if (writable) {
                EXPECT_NE(test::ReadText(dir.file("Udate_VX.ini")).find("SEC=ON"), std::string::npos);
            }
        }
    }
}

} // namespace
} // namespace orvane
