#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TFrmDynamicID.h"

#include "catalogue/Catalogue.h"
#include "production/RollingCode.h"
#include "tests/gui/support/TestHost.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace orvane::test {
namespace {

using Box = std::pair<MessageKind, std::string>;
using Bytes = std::vector<std::uint8_t>;

class RollingCodeDialogTest : public ::testing::Test {
protected:
    void SetUp() override { host.StartUp(); }

    TFrmDynamicID& Open(int slot)
    {
        host.state.ChipName = host.state.ModelName[static_cast<std::size_t>(slot)];
        UpdateAddressMap(host.state);
        ShowRollingCode(host);
        auto* dialog = static_cast<TFrmDynamicID*>(OpenWindow("TFrmDynamicID"));
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }

    Bytes Image(std::size_t at, std::size_t count) const
    {
        return {host.state.RomImage.begin() + static_cast<std::ptrdiff_t>(at),
                host.state.RomImage.begin() + static_cast<std::ptrdiff_t>(at + count)};
    }

    TestHost host;
};

// Ticked with every default: one byte, code at 0x8D00, initial 1, step 1, no limits.
const Bytes kDefaultBlock = [] {
    Bytes b = {0x0A, 0x01, 0x8D, 0x00, 0x8D, 0x01, 0x8D, 0x02, 0x8D, 0x03, 0x00,
               0x00, 0x00, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00,
               0x00, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF};
    b.resize(64, 0x00);
    return b;
}();

TEST_F(RollingCodeDialogTest, OpensWithTheDefaultsAndEntriesOff)
{
    TFrmDynamicID& d = Open(20);
    EXPECT_EQ(d.windowTitle(), "RollingCode");
    EXPECT_TRUE(host.view.mainEnabled) << "the main window stays usable";
    EXPECT_FALSE(d.rbDisable->isChecked());
    EXPECT_TRUE(d.rbLength[3]->isChecked());
    EXPECT_FALSE(d.rbLength[0]->isEnabled() || d.Addr[0]->isEnabled() || d.Vindex->isEnabled() ||
                 d.Counter->isEnabled());
    EXPECT_TRUE(d.MaxID->isEnabled());
    const char* addr[] = {"0x8d00", "0x8d01", "0x8d02", "0x8d03"};
    const char* value[] = {"0x01", "0x00", "0x00", "0x00"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(d.Addr[i]->text(), addr[i]);
        EXPECT_EQ(d.Va[i]->text(), value[i]);
        EXPECT_TRUE(d.Addr[i]->isVisible());
    }
}

TEST_F(RollingCodeDialogTest, LengthButtonsHideAndResetTheUnusedBytes)
{
    TFrmDynamicID& d = Open(20);
    d.rbDisable->click();
    EXPECT_TRUE(d.rbLength[0]->isChecked()) << "ticking selects one byte";
    EXPECT_TRUE(d.Addr[0]->isEnabled() && d.Vindex->isEnabled());
    for (QLineEdit* e : d.Va)
        e->setText("0x11");
    d.rbLength[2]->click();
    EXPECT_EQ(d.Addr[3]->text(), "0x0000");
    EXPECT_EQ(d.Va[3]->text(), "0x00");
    EXPECT_EQ(d.Va[2]->text(), "0x11");
    EXPECT_FALSE(d.Addr[3]->isVisible());
    EXPECT_TRUE(d.Addr[2]->isVisible());
    EXPECT_FALSE(d.rbLength[0]->isChecked() || d.rbLength[3]->isChecked());
    d.rbLength[1]->click();
    EXPECT_EQ(d.Va[2]->text(), "0x00");
    EXPECT_EQ(d.Va[1]->text(), "0x11");
    d.rbLength[3]->click();
    EXPECT_TRUE(d.Va[3]->isVisible());
    EXPECT_EQ(d.Va[1]->text(), "0x11");
}

TEST_F(RollingCodeDialogTest, OkPlacesTheBlockForTheModel)
{
    for (const auto& [slot, at, optionRow] : {std::tuple(20, 0x7DC0, 0x226), std::tuple(31, 0x8DC0, 0x826)}) {
        host.view.log.clear();
        TFrmDynamicID& d = Open(slot);
        d.rbDisable->click();
        d.btOK->click();
        EXPECT_EQ(Image(static_cast<std::size_t>(at), 64), kDefaultBlock) << slot;
        EXPECT_EQ(host.state.RomImage[static_cast<std::size_t>(at + 64)], 0xFF);
        EXPECT_TRUE(RollingCodeOn(host.state)) << "btnVerify reads 已On";
        char row[16];
        std::snprintf(row, sizeof row, "row %03X", optionRow);
        EXPECT_EQ(host.view.log, (std::vector<std::string>{"refresh", row, "main on"}));
        EXPECT_EQ(OpenWindow("TFrmDynamicID"), nullptr);
        EXPECT_NE(ReadText(host.app.file("Udate_VX.ini")).find("[CHIP]"), std::string::npos);
    }
    EXPECT_TRUE(host.messages.shown.empty());
}

TEST_F(RollingCodeDialogTest, ARangeErrorChangesNothing)
{
    TFrmDynamicID& d = Open(20);
    const AppState before = host.state;
    d.rbDisable->click();
    d.rbLength[3]->click();
    d.Va[3]->setText("0x12");
    d.Addr[2]->setText("0x10000");
    d.btOK->click();
    d.Addr[2]->setText("65535");
    d.Vindex->setText("256");
    d.btOK->click();
    d.Vindex->setText("abc");
    d.btOK->click();
    EXPECT_EQ(host.messages.shown,
              (std::vector<Box>{{MessageKind::Plain, "数值不能大于0xffff"},
                                {MessageKind::Plain, "步进数不能大于255"},
                                {MessageKind::Error, "'abc' is not a valid integer value"}}));
    EXPECT_TRUE(host.state.RomImage == before.RomImage);
    EXPECT_TRUE(host.state.RollingCodeBlock == before.RollingCodeBlock);
    EXPECT_EQ(OpenWindow("TFrmDynamicID"), &d);

    d.Vindex->setText("0");
    d.btOK->click();
    EXPECT_EQ(Image(0x7DC0, 15), (Bytes{0x0A, 0x04, 0x8D, 0x00, 0x8D, 0x01, 0xFF, 0xFF, 0x8D, 0x03,
                                        0x12, 0x00, 0x00, 0x01, 0x00}));
}

TEST_F(RollingCodeDialogTest, CancelAndDisabledOkLeaveTheImagesBlockToTell)
{
    TFrmDynamicID& first = Open(20);
    first.rbDisable->click();
    first.btOK->click();
    TFrmDynamicID& cancelled = Open(20);
    cancelled.btCancle->click();
    EXPECT_EQ(host.state.RollingCodeBlock[0], 0xFF);
    EXPECT_TRUE(RollingCodeOn(host.state)) << "the image still makes the Writer burn codes";
    EXPECT_EQ(Image(0x7DC0, 64), kDefaultBlock);

    TFrmDynamicID& off = Open(20);
    off.btOK->click();
    EXPECT_EQ(host.state.RomImage[0x7DC0], 0xFF);
    EXPECT_EQ(Image(0x7DC1, 18), Bytes(kDefaultBlock.begin() + 1, kDefaultBlock.begin() + 19))
        << "the fields of the last enabled confirmation stay";
    EXPECT_FALSE(RollingCodeOn(host.state));
}

} // namespace
} // namespace orvane::test
