#include "app/Settings.h"

#include "app/RecentFiles.h"
#include "app/SettingsPath.h"
#include "foundation/Errors.h"
#include "foundation/IniFile.h"
#include "catalogue/Catalogue.h"
#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "options/OptionKeys.h"
#include "writer/DeviceIdLimit.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace orvane {
namespace {

constexpr const char* kMissing = "READ ERROR";

// Widest ID_START the file gets: a 64-bit value has 16 digits, and an ID_LENGTH of a hostile file
// must not ask for billions of leading zeros.
constexpr std::int64_t kMaxIdDigits = 16;

std::string ReadText(const IniFile& ini, const std::string& section, const std::string& key,
                     const std::string& fallback = kMissing)
{
    return ini.Read(section, key).value_or(fallback);
}

bool IsOneOf(const std::string& text, std::initializer_list<std::string_view> accepted)
{
    return std::find(accepted.begin(), accepted.end(), text) != accepted.end();
}

// The next ID as loading reads it back: HexToInt keeps 32 bits and the sign is widened from
// there, so a negative ID is written as its low 32 bits in two's complement.
std::string IdStartText(const AppState& s)
{
    const auto digits = static_cast<int>(std::clamp<std::int64_t>(2 * std::int64_t{s.IDLen}, 0,
                                                                  kMaxIdDigits));
    const std::uint64_t value = s.NextID < 0
                                    ? static_cast<std::uint64_t>(s.NextID) & 0xFFFFFFFFu
                                    : static_cast<std::uint64_t>(s.NextID);
    return Hex(value, digits);
}

// The user's file, or the seed while there is none.
IniFile ReadSettingsFile(const AppState& s)
{
    return IniFile::Load(LocateSettings(s.AppDir).ReadPath());
}

} // namespace

void LoadSettings(AppState& s)
{
    const IniFile ini = ReadSettingsFile(s);

    s.ChipName = ReadText(ini, "CHIP", "CHIP_NAME");
    s.UnmatchedChipName.reset();
    if (FirstMatchingSlot(s, kKnownSettingsSlots) == 0) {
        // A damaged model list must not cost the operator the stored model.
        s.UnmatchedChipName = ini.Read("CHIP", "CHIP_NAME");
        s.ChipName = s.ModelName[2];
    }
    s.ChipPin = "20"; // CHIP_PIN is stored but every model is loaded with package 20

    for (const OptionKey& k : kOptionKeys)
        OptionText(s, k) = ReadText(ini, "OPTION", std::string(k.key));
    if (!IsOneOf(s.OptFreq, {"0", "1", "2", "3", "4"}))
        s.OptFreq = "0";
    s.OptOFreq = ReadText(ini, "OPTION", "oFreq", "15"); // the one key with a default of its own
    if (s.OptOFreq.empty())
        s.OptOFreq = "0";

    s.ComName = ReadText(ini, "COM", "COM_NAME");
    if (!IsOneOf(s.ComName, {"COM1", "COM2", "COM3", "COM4", "COM5"}))
        s.ComName = "COM1";
    s.RcName = ReadText(ini, "COM", "RC_NAME");

    s.IDLenText = ReadText(ini, "ID", "ID_LENGTH");
    if (IsHexText(s.IDLenText))
        s.IDLen = static_cast<std::int32_t>(HexToInt(s.IDLenText));
    s.IDAddrText = ReadText(ini, "ID", "ID_ADDR_START");
    if (IsHexText(s.IDAddrText))
        s.IDAddr = static_cast<std::int32_t>(HexToInt(s.IDAddrText));
    s.InitIDText = ReadText(ini, "ID", "ID_START");
    if (IsHexText(s.InitIDText))
        s.InitID = DeviceIDFromText(s.InitIDText);
    s.NextID = s.InitID;
    ReadRecentFiles(ini, s);
    s.SettingsRead = true;
}

void SaveSettings(const AppState& s)
{
    // The first save of a per-user file starts from the seed, keeping its hand-set sections.
    const SettingsLocation where = LocateSettings(s.AppDir);
    IniFile ini = IniFile::Load(where.ReadPath());

    ini.Write("CHIP", "CHIP_NAME", s.UnmatchedChipName.value_or(s.ChipName));
    ini.Write("CHIP", "CHIP_PIN", s.ChipPin);
    for (const OptionKey& k : kOptionKeys)
        ini.Write("OPTION", std::string(k.key), OptionText(s, k));
    ini.Write("COM", "COM_NAME", s.ComName);
    ini.Write("COM", "RC_NAME", s.RcName);
    ini.Write("ID", "ID_LENGTH", s.IDLenText);
    ini.Write("ID", "ID_ADDR_START", s.IDAddrText);
    ini.Write("ID", "ID_START", IdStartText(s));
    WriteRecentFiles(ini, s);

    where.CreateFolder();
    ini.Save(where.file);
}

bool ReadFaeFlag(const AppState& s)
{
    return ReadSettingsFile(s).Read("IRC", "fae") != "0";
}

std::string ReadJournalFolder(const AppState& s)
{
    return ReadSettingsFile(s).Read("JOURNAL", "FOLDER").value_or("");
}

std::string ReadJournalUrl(const AppState& s)
{
    return ReadSettingsFile(s).Read("JOURNAL", "URL").value_or("");
}

bool SaveSettingsOrReport(AppState& s, OperationView& view)
{
    // Before the start-up read the file the state holds nothing of the stored settings.
    if (!s.SettingsRead) {
        if (!std::exchange(s.SettingsSkipNoted, true))
            view.KeepMemoLine(Tr("设置未保存：启动时未读取设置文件 ") +
                              LocateSettings(s.AppDir).file);
        return false;
    }
    try {
        SaveSettings(s);
        return true;
    } catch (const FileError& e) {
        view.Messages().Show(MessageKind::Error, e.what());
        return false;
    }
}

} // namespace orvane
