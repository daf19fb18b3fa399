#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TfrmDevSel.h"
#include "gui/options/OptionDialog.h"
#include "gui/options/OptionDispatch.h"

#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "tests/gui/support/TestHost.h"

#include <QTreeWidget>

namespace orvane::test {
namespace {

using Strings = std::vector<std::string>;

class DevSelTest : public HostTest {
protected:
    void SetUp() override { host.StartUp(); }

    TfrmDevSel& Open(int slot)
    {
        host.state.ChipName = host.state.ModelName[static_cast<std::size_t>(slot)];
        ShowDeviceSelection(host);
        return Opened<TfrmDevSel>("TfrmDevSel");
    }
    static void Click(TfrmDevSel& d, int node, bool twice = false)
    {
        d.TreeView1->scrollToItem(d.Node(node));
        const QPoint at = d.TreeView1->visualItemRect(d.Node(node)).center();
        if (twice)
            QTest::mouseDClick(d.TreeView1->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(d.TreeView1->viewport(), Qt::LeftButton, {}, at);
    }
    bool Shows(const TfrmDevSel& d, const std::string& stem) const
    {
        return d.ImageSocket->pixmap().toImage() ==
               QImage(QString::fromStdString(host.app.path() + "image/" + stem + ".bmp"));
    }
};

TEST_F(DevSelTest, OpensWithTheCurrentModelSelectedAndItsPicture)
{
    TfrmDevSel& d = Open(31);
    EXPECT_FALSE(host.view.mainEnabled);
    EXPECT_EQ(std::tuple(d.windowTitle(), d.SelectedNode()), std::tuple(QString("选择芯片"), 25));
    EXPECT_TRUE(Shows(d, "Q134"));
    // Captions by absolute node index, from the tree as designed.
    const Strings captions = {
        "AD类MCU", "QK105", "QK122", "QK120", "QK124", "QK131", "QK133", "QK138",
        "GPIO通用类MCU", "QK116", "QK117", "QK115", "QK126", "QK118", "QK128", "QK129", "QK139",
        "遥控器类MCU", "QK111", "QK109", "QK113", "QK114", "QK130", "QK135", "QK137", "QK134",
        "触摸按键类MCU", "QK125", "QK132", "MTP类MCU", "QK127"};
    for (int node = 0; node < 31; ++node)
        EXPECT_EQ(d.Node(node)->text(0).toStdString(), captions[static_cast<std::size_t>(node)]);
    EXPECT_TRUE(d.Node(9)->parent() == d.Node(8) && d.Node(30)->parent() == d.Node(29));
    Photograph(d, "devsel.png");
}

TEST_F(DevSelTest, ClicksShowPicturesAMissingOneIsReportedAndDoubleClickOnlySelects)
{
    std::filesystem::remove(host.app.path() + "image/q122.bmp");
    TfrmDevSel& d = Open(1); // a model outside the tree: nothing selected, the category picture
    EXPECT_EQ(d.SelectedNode(), -1);
    EXPECT_TRUE(Shows(d, "pp"));
    for (const auto& [node, stem] : {std::pair(5, "q120"), std::pair(2, "q120"),
                                     std::pair(23, "pp"), std::pair(28, "q132")}) {
        Click(d, node); // node 2's q122 is missing: the previous picture stays
        EXPECT_TRUE(Shows(d, stem)) << node;
    }
    const std::string missing = "无法打开文件 " + host.app.path() + "image/q122.bmp";
    EXPECT_EQ(host.messages.shown,
              (Boxes{{MessageKind::Error, missing + "：No such file or directory"}}));
    Click(d, 0);
    Click(d, 0, true);
    EXPECT_EQ(d.SelectedNode(), 1);
    EXPECT_TRUE(Shows(d, "pp")) << "the picture waits for the next click";
    EXPECT_EQ(OpenWindow("TfrmDevSel"), &d) << "a double click does not confirm";
}

TEST_F(DevSelTest, OkMakesTheNodesModelOrTheCurrentOneTheChipAndReloadsTheImage)
{
    // node (-1: none selected), model, option base, program end, the option dialog that opens
    const std::tuple<int, const char*, std::int32_t, std::int32_t, const char*> cases[] = {
        {11, "QK115", 0x2100, 0x1FFF, "TfrmCfgQK101"}, {4, "QK124", 0x4100, 0x3FFF, "TFrmCfgQK124"},
        {25, "QK134", 0x8100, 0x7FFF, "TfrmCfgQK134"}, {8, "QK128", 0x2100, 0x1FFF, "TFrmCfgQK128"},
        {-1, "QK101", 0x2100, 0x03FF, nullptr}, // slot 1 is in no node and opens no dialog
    };
    for (const auto& [node, model, optionBase, romEnd, dialog] : cases) {
        SCOPED_TRACE(model);
        host.state.RomImage[0x0100] = 0x12;
        host.state.ChipPin = dialog && node != 8 ? "28" : "20"; // a model's pin is its chip file's
        host.view.log.clear();
        host.messages.shown.clear();
        TfrmDevSel& d = Open(node < 0 ? 1 : 20);
        if (node >= 0)
            Click(d, node);
        d.BitBtn1->click();
        const AppState& s = host.state;
        EXPECT_EQ(std::tuple(s.ChipName, s.ChipPin, s.OptionAddr1, s.RomEnd, s.RomImage[0x0100]),
                  std::tuple(model, "20", optionBase, romEnd, 0xFF)) << "the image was cleared";
        EXPECT_EQ(s.RomImage[static_cast<std::size_t>(s.ChipDataAddr1 + 4)], 0x00)
            << "the chip file is in";
        EXPECT_TRUE(Saved(std::string("CHIP_NAME=") + model));
        // The hex view's row is (RomStart + 160) / 16.
        EXPECT_EQ(host.view.log, (Strings{"off main", std::string("info 芯片信息：") + model,
                                          "refresh", "row 00A", "on main"}));
        EXPECT_EQ(OpenWindow("TfrmDevSel"), nullptr);
        EXPECT_EQ(host.messages.shown,
                  (dialog ? Boxes{} : Boxes{{MessageKind::Plain, "新器件,即将发布"}}));
        if (!dialog)
            continue;
        OptionDialog* options = OpenOptionDialog(dialog);
        ASSERT_NE(options, nullptr) << dialog;
        options->close();
        if (options->isVisible())
            options->OkButton()->click();
    }
}

TEST_F(DevSelTest, MissingChipFileLeavesEverythingAsBeforeOk)
{
    std::filesystem::remove(host.app.file("QK120_20.S19"));
    host.state.RomImage[0x0100] = 0x12;
    host.state.OptionBytes[3] = 0x34;
    host.state.ChipPin = "28";
    TfrmDevSel& d = Open(20);
    const AppState before = host.state;
    host.view.log.clear();
    Click(d, 3);
    d.BitBtn1->click();
    ASSERT_EQ(host.messages.shown.size(), 1u);
    EXPECT_EQ(host.messages.shown[0].first, MessageKind::Error);
    EXPECT_NE(host.messages.shown[0].second.find("QK120_20.S19"), std::string::npos);
    const AppState& s = host.state;
    EXPECT_EQ(std::tie(s.ChipName, s.ChipPin, s.RomStart, s.RomEnd, s.OptionAddr1),
              std::tie(before.ChipName, before.ChipPin, before.RomStart, before.RomEnd,
                       before.OptionAddr1));
    EXPECT_TRUE(s.RomImage == before.RomImage && s.OptionBytes == before.OptionBytes);
    EXPECT_FALSE(std::filesystem::exists(host.app.file("Udate_VX.ini")));
    EXPECT_TRUE(host.view.log.empty()) << "the hex view is not rebuilt";
    EXPECT_EQ(OpenWindow("TfrmDevSel"), &d) << "the dialog stays open";

    d.BitBtn2->click();
    EXPECT_EQ(OpenWindow("TfrmDevSel"), nullptr);
    EXPECT_EQ(std::tuple(host.view.mainEnabled, host.state.ChipName), std::tuple(true, "QK128"));
}

} // namespace
} // namespace orvane::test
