#include "app/OptionConfirm.h"

#include "app/Settings.h"
#include "image/RomImage.h"

namespace orvane {

int RowAfterOptionBlock(const AppState& s, const OptionLayout& layout)
{
    return (s.OptionAddr1 + (IsOneByteLayout(layout) ? 0x160 : 0xA0)) / 16;
}

void ConfirmOptions(AppState& s, const OptionLayout& layout, const OptionChoices& choices,
                    OperationView& view)
{
    EncodeOptions(s, layout, choices);
    if (layout.copy != CopyRule::SecondOnly)
        SaveSettingsOrReport(s, view);
    CopyOptionBlock(s, layout);
    SaveSettingsOrReport(s, view);
    view.RefreshHexView();
    view.ScrollHexView(RowAfterOptionBlock(s, layout), std::nullopt);
    ComputeChecksum(s);
    view.ShowChipInfo(ChecksumInfoLines(s));
    view.SetEnabled(Control::MainWindow, true);
}

} // namespace orvane
