#include "app/Startup.h"

#include "app/Settings.h"
#include "catalogue/Catalogue.h"
#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "options/OptionCodecs.h"

namespace orvane {

void LoadNamesAndSettings(AppState& s, const std::string& appDir,
                          const std::optional<std::string>& model)
{
    s.AppDir = appDir;
    LoadModelNames(s);
    LoadSettings(s);
    if (model)
        s.ChipName = *model;
}

void BuildModelImage(AppState& s)
{
    SetChipDataAddresses(s);
    ClearImage(s);
    s.ProgramInfo = Tr("尚未打开程序");
    LoadChipFile(s);
    UpdateAddressMap(s);
    ApplyOptionTexts(s);
    ComputeChecksum(s);
}

void SetUpState(AppState& s, const std::string& appDir, const std::optional<std::string>& model)
{
    LoadNamesAndSettings(s, appDir, model);
    BuildModelImage(s);
}

} // namespace orvane
