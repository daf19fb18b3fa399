#include "gui/dialogs/TfrmDevSel.h"

#include "app/Settings.h"
#include "catalogue/Catalogue.h"
#include "foundation/Errors.h"
#include "foundation/Translate.h"
#include "gui/ConnectGuarded.h"
#include "gui/WindowHost.h"
#include "gui/dialogs/DialogSupport.h"
#include "gui/options/OptionDispatch.h"
#include "image/RomImage.h"
#include "options/OptionCodecs.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane {
namespace {

const QColor kPurple(128, 0, 128);

// The picture a node shows: its slot's own, or the category picture.
std::string PictureOf(int node)
{
    const int slot = SlotOfTreeNode(node);
    if (slot == 0)
        return kDefaultPicture;
    return SlotTable()[static_cast<std::size_t>(slot - 1)].picture;
}

} // namespace

TfrmDevSel::TfrmDevSel(WindowHost& host)
    : SecondaryWindow(host.MainWidget(), "TfrmDevSel", Tr("选择芯片")), host_(host)
{
    setFixedSize(591, 427);
    QFont font("sans-serif");
    font.setPixelSize(13);
    font.setBold(true);
    setFont(font);
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        colours.setColor(role, kPurple);
    setPalette(colours);

    StaticText1 = new QLabel(Tr("  芯片型号  "), this);
    StaticText1->move(10, 10);
    TreeView1 = new QTreeWidget(this);
    TreeView1->setGeometry(18, 32, 183, 329);
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ImageSocket = new QLabel(this);
    ImageSocket->setGeometry(216, 32, 369, 329);
    ImageSocket->setAlignment(Qt::AlignLeft | Qt::AlignTop); // drawn at its own size, not scaled
    BitBtn1 = new QPushButton(Tr("确定"), this);
    BitBtn1->setGeometry(166, 384, 75, 25);
    BitBtn2 = new QPushButton(Tr("取消"), this);
    BitBtn2->setGeometry(292, 384, 75, 25);
    setTabOrder(TreeView1, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    BuildTree();

    OperatorMessages& messages = host_.Messages();
    ConnectGuarded(TreeView1, &QTreeWidget::itemClicked, this, messages, [this] { Display(); });
    ConnectGuarded(TreeView1, &QTreeWidget::itemDoubleClicked, this, messages,
                   [this] { TreeView1DblClick(); });
    ConnectGuarded(BitBtn1, &QPushButton::clicked, this, messages, [this] { SelOk(); });
    ConnectGuarded(BitBtn2, &QPushButton::clicked, this, messages, [this] { BitBtn2Click(); });
}

void TfrmDevSel::BuildTree()
{
    QTreeWidgetItem* category = nullptr;
    std::size_t next = 0;
    for (int node = 0; node < kTreeNodeCount; ++node) {
        const auto isCategory =
            std::find_if(kTreeCategories.begin(), kTreeCategories.end(),
                         [node](const TreeCategory& c) { return c.node == node; });
        if (isCategory != kTreeCategories.end()) {
            category = new QTreeWidgetItem(TreeView1, {ShownTr(isCategory->caption)});
            nodes_[next++] = category;
        } else {
            nodes_[next++] = new QTreeWidgetItem(category);
        }
    }
    TreeView1->expandAll();
}

int TfrmDevSel::SelectedNode() const
{
    const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
    if (selected.isEmpty())
        return -1;
    const auto at = std::find(nodes_.begin(), nodes_.end(), selected.front());
    return static_cast<int>(at - nodes_.begin());
}

void TfrmDevSel::FormShow()
{
    const AppState& s = host_.State();
    for (int node = 0; node < kTreeNodeCount; ++node)
        if (const int slot = SlotOfTreeNode(node))
            Node(node)->setText(0, Shown(s.ModelName[static_cast<std::size_t>(slot)]));
    for (int node = 0; node < kTreeNodeCount; ++node) {
        const int slot = SlotOfTreeNode(node);
        if (slot != 0 && IsSlot(s, slot)) {
            TreeView1->setCurrentItem(Node(node));
            break;
        }
    }
    Display();
}

void TfrmDevSel::Display()
{
    const std::string path = host_.State().AppDir + "image/" + PictureOf(SelectedNode()) + ".bmp";
    QPixmap picture;
    if (!QFile::exists(Shown(path))) {
        host_.Messages().Show(MessageKind::Error, Tr("无法打开文件 ") + path + Tr("：") + std::strerror(ENOENT));
        return; // the previous picture stays
    }
    if (!picture.load(Shown(path))) {
        host_.Messages().Show(MessageKind::Error, Tr("无法读取文件 ") + path + Tr("：不是位图"));
        return;
    }
    ImageSocket->setPixmap(picture);
}

void TfrmDevSel::TreeView1DblClick()
{
    // Only opens the first model of the first category: the picture follows with the next click.
    if (SelectedNode() == 0)
        TreeView1->setCurrentItem(Node(1));
}

void TfrmDevSel::SelOk()
{
    AppState& s = host_.State();
    // A chip file that cannot be read must not leave a model without its chip data, which the
    // next download would send to the Writer: everything goes back to how it was before OK.
    const AppState before = s;
    const bool loaded = RunGuarded(host_.Messages(), [&] {
        if (const int slot = SlotOfTreeNode(SelectedNode())) {
            s.ChipName = s.ModelName[static_cast<std::size_t>(slot)];
            s.UnmatchedChipName.reset(); // the operator's choice replaces the stored name
            s.ChipPin = "20";
        }
        UpdateAddressMap(s);
        ClearImage(s);
        LoadChipFile(s);
    });
    if (!loaded) {
        s = before;
        return;
    }
    SaveSettingsOrReport(s, host_.View());
    Leave();
    ApplyOptionTexts(s);
    OperationView& view = host_.View();
    ComputeChecksum(s);
    view.ShowChipInfo(ChecksumInfoLines(s));
    view.RefreshHexView();
    view.ScrollHexView(std::clamp((s.RomStart + 160) / 16, 0, kImageSize / 16 - 1), std::nullopt);
    if (FirstMatchingSlot(s, kSelectionDialogOrder) == 0)
        host_.Messages().Show(MessageKind::Plain, Tr("新器件,即将发布"));
    else
        SelectionDispatch(host_);
    view.SetEnabled(Control::MainWindow, true);
}

void TfrmDevSel::BitBtn2Click()
{
    Leave();
    host_.View().SetEnabled(Control::MainWindow, true);
}

} // namespace orvane
