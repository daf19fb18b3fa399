#include "app/UiLanguage.h"

#include "app/SettingsPath.h"
#include "foundation/Errors.h"
#include "foundation/IniFile.h"

namespace orvane {

Language ChooseLanguage(std::optional<Language> given, const std::string& appDir)
{
    if (given)
        return *given;
    try {
        const auto code = IniFile::Load(LocateSettings(appDir).ReadPath()).Read("UI", "LANG");
        if (const auto language = code ? ParseLanguage(*code) : std::nullopt)
            return *language;
    } catch (const FileError&) {
        // The start-up reports a settings file it cannot read; the language is not worth it.
    }
    return EnvironmentLanguage();
}

bool StartLanguage(std::optional<Language> given, const std::string& appDir,
                   const std::string& programDir)
{
    return UseLanguage(ChooseLanguage(given, appDir), programDir + "locale");
}

} // namespace orvane
