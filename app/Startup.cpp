#include "app/Startup.h"

#include "app/Settings.h"
#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "options/OptionCodecs.h"

namespace orvane {

void SetUpState(AppState& s, const std::string& appDir, const std::optional<std::string>& model)
{
    s.AppDir = appDir;
    LoadModelNames(s);
    LoadSettings(s);
    if (model)
        s.ChipName = *model;
    SetChipDataAddresses(s);
    ClearImage(s);
    s.ProgramInfo = "尚未打开程序";
    LoadChipFile(s);
    UpdateAddressMap(s);
    ApplyOptionTexts(s);
    ComputeChecksum(s);
}

} // namespace orvane
