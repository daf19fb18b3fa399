// The keys of settings section OPTION and the AppState text each one holds, in the order the
// settings file writes them. The option dialogs and the command line look texts up here too.
#pragma once

#include "foundation/AppState.h"

#include <array>
#include <string>
#include <string_view>

namespace orvane {

struct OptionKey {
    std::string_view key;
    std::string AppState::*text = nullptr; // the field, or nullptr for a LOCK key
    int lock = -1;                         // index into OptLock for LOCK0..LOCK15
};

inline constexpr std::array<OptionKey, 38> kOptionKeys = {{
    {"WDT", &AppState::OptWDT},
    {"XT", &AppState::OptXT},
    {"SEC", &AppState::OptSEC},
    {"PosLog", &AppState::OptPosLog},
    {"CW", &AppState::OptCW},
    {"LVR", &AppState::OptLVR},
    {"P12F", &AppState::OptP12F},
    {"Fsys", &AppState::OptFsys},
    {"Fs", &AppState::OptFs},
    {"LCD", &AppState::OptLCD},
    {"lvrs", &AppState::OptLvrs},
    {"osc", &AppState::OptOsc},
    {"Freq", &AppState::OptFreq},
    {"oFreq", &AppState::OptOFreq},
    {"TempAdj", &AppState::OptTempAdj},
    {"SMTSEL", &AppState::OptSMTSEL},
    {"ROTP", &AppState::OptROTP},
    {"ODSEL", &AppState::OptODSEL},
    {"DIVSEL", &AppState::OptDIVSEL},
    {"VDSEL", &AppState::OptVDSEL},
    {"RCSMT", &AppState::OptRCSMT},
    {"LVD", &AppState::OptLVD},
    {"LOCK0", nullptr, 0},
    {"LOCK1", nullptr, 1},
    {"LOCK2", nullptr, 2},
    {"LOCK3", nullptr, 3},
    {"LOCK4", nullptr, 4},
    {"LOCK5", nullptr, 5},
    {"LOCK6", nullptr, 6},
    {"LOCK7", nullptr, 7},
    {"LOCK8", nullptr, 8},
    {"LOCK9", nullptr, 9},
    {"LOCK10", nullptr, 10},
    {"LOCK11", nullptr, 11},
    {"LOCK12", nullptr, 12},
    {"LOCK13", nullptr, 13},
    {"LOCK14", nullptr, 14},
    {"LOCK15", nullptr, 15},
}};

inline std::string& OptionText(AppState& s, const OptionKey& k)
{
    return k.text ? s.*k.text : s.OptLock[static_cast<std::size_t>(k.lock)];
}

inline const std::string& OptionText(const AppState& s, const OptionKey& k)
{
    return k.text ? s.*k.text : s.OptLock[static_cast<std::size_t>(k.lock)];
}

} // namespace orvane
