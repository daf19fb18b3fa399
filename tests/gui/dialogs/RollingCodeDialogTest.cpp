#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TFrmDynamicID.h"

#include "catalogue/Catalogue.h"
#include "production/RollingCode.h"
#include "tests/gui/support/TestHost.h"

#include <QAccessible>

namespace orvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class RollingCodeDialogTest : public HostTest {
protected:
    void SetUp() override { host.StartUp(); }

    TFrmDynamicID& Open(int slot)
    {
        host.state.ChipName = host.state.ModelName[static_cast<std::size_t>(slot)];
        UpdateAddressMap(host.state);
        ShowRollingCode(host);
        return Opened<TFrmDynamicID>("TFrmDynamicID");
    }
    Bytes Image(std::size_t at, std::size_t count) const
    {
        return {&host.state.RomImage[at], &host.state.RomImage[at] + count};
    }
};

// The block of "使能滚动码" ticked and every field as the dialog opens: the command line's defaults.
Bytes DefaultBlock()
{
    const RollingCodeBytes b = BuildRollingCodeBlock(RollingCodeForm{.enabled = true, .length = 1}, {});
    Bytes bytes(b.begin(), b.end());
    bytes.push_back(0xFF); // the byte after the block
    return bytes;
}

// The block's place for each model is RollingCodeTest's; slot 31's lies at 8DC0.
TEST_F(RollingCodeDialogTest, OkWithTheDefaultsPlacesTheBlockForTheModel)
{
    host.view.log.clear();
    TFrmDynamicID& d = Open(31);
    EXPECT_TRUE(host.view.mainEnabled) << "the main window stays usable";
    EXPECT_FALSE(d.Addr[0]->isEnabled() || d.rbLength[0]->isEnabled());
    d.rbDisable->click();
    EXPECT_TRUE(d.rbLength[0]->isChecked() && d.Addr[0]->isEnabled());
    Photograph(d, "rolling-code.png");
    d.btOK->click();
    EXPECT_EQ(Image(0x8DC0, 65), DefaultBlock());
    EXPECT_TRUE(RollingCodeOn(host.state)) << "btnVerify reads 已On";
    EXPECT_EQ(host.view.log,
              (std::vector<std::string>{"refresh", "row 826", "info 芯片信息：QK134", "on main"}));
    EXPECT_EQ(OpenWindow("TFrmDynamicID"), nullptr);
    EXPECT_TRUE(Saved("CHIP_NAME=QK134"));
}

TEST_F(RollingCodeDialogTest, LengthButtonsAreOneChoiceAndARangeErrorChangesNothing)
{
    TFrmDynamicID& d = Open(20);
    d.rbDisable->click();
    for (QRadioButton* length : d.rbLength) // not check boxes to a screen reader
        EXPECT_EQ(QAccessible::queryAccessibleInterface(length)->role(), QAccessible::RadioButton);
    for (QLineEdit* e : d.Va)
        e->setText("0x11");
    d.rbLength[2]->click();
    EXPECT_EQ(std::tuple(d.Addr[3]->text(), d.Va[3]->text(), d.Va[2]->text()),
              std::tuple("0x0000", "0x00", "0x11"));
    EXPECT_FALSE(d.Addr[3]->isVisible() || d.rbLength[0]->isChecked());
    d.rbLength[1]->click();
    EXPECT_EQ(std::tuple(d.Va[2]->text(), d.Va[1]->text()), std::tuple("0x00", "0x11"));
    d.rbLength[3]->click();
    EXPECT_TRUE(d.Va[3]->isVisible());

    const AppState before = host.state;
    d.Addr[2]->setText("0x10000");
    d.btOK->click();
    d.Addr[2]->setText("0xffff");
    d.Vindex->setText("abc");
    d.btOK->click();
    EXPECT_EQ(host.messages.shown,
              (Boxes{{MessageKind::FieldError, "数值不能大于0xffff"},
                     {MessageKind::Error, "'abc' is not a valid integer value"}}));
    EXPECT_TRUE(host.state.RomImage == before.RomImage &&
                host.state.RollingCodeBlock == before.RollingCodeBlock);
    EXPECT_EQ(OpenWindow("TFrmDynamicID"), &d);
    d.Vindex->setText("0");
    d.btOK->click();
    EXPECT_EQ(Image(0x7DC0, 15), (Bytes{0x0A, 0x04, 0x8D, 0x00, 0x8D, 0x01, 0xFF, 0xFF, 0x00, 0x00,
                                        0x00, 0x00, 0x11, 0x11, 0x00}));
}

TEST_F(RollingCodeDialogTest, CancelLeavesTheImagesBlockAndItsStateTellsTheTruth)
{
    Open(20).rbDisable->click();
    Opened<TFrmDynamicID>("TFrmDynamicID").btOK->click();
    Open(20).btCancle->click();
    EXPECT_EQ(host.state.RollingCodeBlock[0], 0xFF);
    EXPECT_TRUE(RollingCodeOn(host.state)) << "the image still makes the Writer burn codes";
    Open(20).btOK->click(); // unticked
    EXPECT_FALSE(RollingCodeOn(host.state));
    const Bytes block = DefaultBlock();
    EXPECT_EQ(Image(0x7DC1, 18), Bytes(block.begin() + 1, block.begin() + 19))
        << "the fields of the last enabled confirmation stay";
}

} // namespace
} // namespace orvane::test
