// The settings file (app/SettingsPath.h says where): model, option texts, port name and
// production ID.
#pragma once

#include "foundation/AppState.h"
#include "foundation/OperatorMessages.h"
#include "writer/OperationView.h"

#include <string>

namespace orvane {

// Reads every key with its checks and defaults; a missing file reads as all "READ ERROR". Marks
// the state as read.
void LoadSettings(AppState& s);

// Writes every key, in order, keeping unknown sections, keys and comments; CHIP_NAME keeps a
// stored name that matched no model until one is chosen. Throws FileError naming the file; the
// stored file is then unchanged.
void SaveSettings(const AppState& s);

// SaveSettings for the windows' handlers, which finish their other steps when the save fails:
// the error is shown as an error box; false when the file was not written. A state that was
// never read from the file is not saved: the memo says so once and the change stays in memory.
bool SaveSettingsOrReport(AppState& s, OperationView& view);

// The hand-set key fae of section IRC: false only for "0".
bool ReadFaeFlag(const AppState& s);

// The hand-set key FOLDER of section JOURNAL: where the programming dialog keeps its lot
// journals; "" (no journal) when the key is absent or empty. Never written by the program.
std::string ReadJournalFolder(const AppState& s);
// The hand-set key URL of section JOURNAL: a lot on a server, used instead of FOLDER; "" for none.
std::string ReadJournalUrl(const AppState& s);

} // namespace orvane
