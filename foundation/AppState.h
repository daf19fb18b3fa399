// The one record of the running application. Every window, the CLI and every operation read and
// write the same instance; the functions of the core take it by reference, and the executables
// hold exactly one (see TheAppState()).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

constexpr int kSlotCount = 31;      // model slots 1..31, one per line of "device.name"
constexpr int kImageSize = 0x10000; // RomImage covers 0x0000..0xFFFF
constexpr std::uint8_t kBlank = 0xFF;

struct AppState {
    // Files and folders. Texts are byte strings in the system code page, never converted.
    std::string AppDir;      // folder of the executable, with a trailing '/'
    std::string ProgramInfo; // program file last opened, or "尚未打开程序"
    std::vector<std::string> RecentFiles; // program files the window opened, newest first

    // Catalogue and selection. ModelName[0] is unused so that slot n is ModelName[n].
    std::array<std::string, kSlotCount + 1> ModelName{};
    std::string ChipName;
    std::string ChipPin;
    // CHIP_NAME as the settings file stored it when it named no model: saved back in place of
    // ChipName until the operator chooses a model or opens a WRT file.
    std::optional<std::string> UnmatchedChipName;

    // The settings file: read at start-up, and only then written back. The operator is told once
    // when a save is skipped.
    bool SettingsRead = false;
    bool SettingsSkipNoted = false;

    // Address map of the selected model. "Last" fields are the first address of a region's last
    // 16-byte row.
    std::int32_t RomStart = 0;
    std::int32_t RomEnd = 0;
    std::int32_t OptionAddr1 = 0;
    std::int32_t OptionAddr1Last = 0;
    std::int32_t OptionAddr2 = 0;
    std::int32_t OptionAddr2Last = 0;
    std::int32_t ChipDataAddr1 = 0;
    std::int32_t ChipDataAddr1Last = 0;
    std::int32_t ChipDataAddr2 = 0;
    std::int32_t ChipDataAddr2Last = 0;

    // Program image and checksums.
    std::array<std::uint8_t, kImageSize> RomImage{};
    std::uint16_t FileChecksum = 0;
    std::uint16_t FileChecksumWithOptions = 0;

    // Option words: the staging block and one text per settings key.
    std::array<std::uint8_t, 64> OptionBytes{};
    std::string OptWDT, OptXT, OptLVR, OptSEC, OptPosLog, OptCW, OptP12F, OptFsys, OptFs, OptLCD,
        OptLvrs, OptOsc, OptFreq, OptOFreq, OptTempAdj, OptSMTSEL, OptROTP, OptODSEL, OptDIVSEL,
        OptVDSEL, OptRCSMT, OptLVD;
    std::array<std::string, 16> OptLock{};
    std::string OptExtra; // not persisted
    std::string RcName;

    // Writer link.
    std::string ComName;
    bool WriterFound = false;
    bool ProgramDialogOpen = false;

    // Production ID.
    std::int32_t IDLen = 0;
    std::int32_t IDAddr = 0;
    std::int64_t InitID = 0;
    std::int64_t NextID = 0;
    std::uint8_t IDStep = 0;
    std::string IDLenText, IDAddrText, InitIDText;

    // Rolling code, interpreted by the Writer; byte 0 is the state (0x0A enabled).
    std::array<std::uint8_t, 64> RollingCodeBlock{};
};

// The instance of this process. Tests make their own AppState values instead.
AppState& TheAppState();

} // namespace orvane
