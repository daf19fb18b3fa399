#include "gui/options/OptionDispatch.h"

#include "catalogue/Catalogue.h"
#include "foundation/Translate.h"
#include "gui/WindowHost.h"
#include "gui/options/OptionDialog.h"

#include <QPointer>

#include <algorithm>
#include <array>
#include <map>
#include <memory>

namespace orvane {

namespace {

// Slots whose dialog the selection opens without a way back: the operator confirms with OK.
constexpr std::array<int, 8> kNoCancelAfterSelection = {9, 2, 3, 4, 5, 6, 7, 8};

std::map<std::string_view, QPointer<OptionDialog>>& Instances()
{
    static std::map<std::string_view, QPointer<OptionDialog>> instances;
    return instances;
}

// The configuration button switches the main window off while the dialog is open; after a
// selection the main window stays on. The dialog is built and filled first, so that an error on
// the way leaves no main window switched off for a dialog that never shows. The main window goes
// off before the dialog shows, since switching it off also switches off the windows open then.
OptionDialog* Open(WindowHost& host, int slot, bool mainWindowOff)
{
    const OptionLayout* layout = LayoutOfSlot(slot);
    auto dialog = std::make_unique<OptionDialog>(host, *layout);
    dialog->FormShow();
    if (mainWindowOff)
        host.View().SetEnabled(Control::MainWindow, false);
    // A window of the main window, so that it stays in front of it (the selection raises the main
    // window as it ends). The main window never switches itself off, only its controls, so this
    // does not switch the dialog off with it.
    dialog->setParent(host.MainWidget(), dialog->windowFlags());
    OptionDialog* shown = dialog.release(); // deletes itself when it closes
    Instances()[layout->className] = shown;
    shown->show();
    shown->setEnabled(true);
    return shown;
}

} // namespace

void ConfigButtonDispatch(WindowHost& host)
{
    const int slot = FirstMatchingSlot(host.State(), kConfigButtonOrder);
    if (slot == 0) {
        host.Messages().Show(MessageKind::Plain, Tr("未知芯片"));
        return;
    }
    Open(host, slot, true);
}

void SelectionDispatch(WindowHost& host)
{
    const int slot = FirstMatchingSlot(host.State(), kSelectionDialogOrder);
    if (slot == 0) {
        host.Messages().Show(MessageKind::Plain, Tr("新器件,即将发布"));
        return;
    }
    OptionDialog* dialog = Open(host, slot, false);
    if (std::ranges::find(kNoCancelAfterSelection, slot) != kNoCancelAfterSelection.end())
        dialog->SetCancelEnabled(false);
}

OptionDialog* OpenOptionDialog(std::string_view className)
{
    const auto it = Instances().find(className);
    if (it == Instances().end() || !it->second || !it->second->isVisible())
        return nullptr;
    return it->second.data();
}

} // namespace orvane
