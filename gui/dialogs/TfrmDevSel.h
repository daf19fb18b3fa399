// The device selection dialog: the catalogue as a tree of five categories and 26 models beside
// the package picture of the selected node. OK makes the model the current chip and opens its
// option dialog.
#pragma once

#include "gui/dialogs/DialogSupport.h"

#include <array>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvane {

class WindowHost;

class TfrmDevSel : public SecondaryWindow {
    Q_OBJECT
public:
    explicit TfrmDevSel(WindowHost& host);

    void FormShow() override;
    void Display();
    void TreeView1DblClick();
    void SelOk();
    void BitBtn2Click();

    // The tree node with this absolute index, 0..30 in tree order.
    QTreeWidgetItem* Node(int index) const { return nodes_.at(static_cast<std::size_t>(index)); }
    // Absolute index of the selected node, -1 when none is selected.
    int SelectedNode() const;

    QTreeWidget* TreeView1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QLabel* StaticText1;
    QLabel* ImageSocket;

private:
    void BuildTree();

    WindowHost& host_;
    std::array<QTreeWidgetItem*, 31> nodes_{};
};

} // namespace orvane
