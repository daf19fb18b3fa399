// The FILE menu's last program files, newest first, kept in the settings file as the keys
// FILE1..FILE8 of section RECENT.
#pragma once

#include "foundation/AppState.h"
#include "foundation/IniFile.h"

#include <string>

namespace orvane {

constexpr int kRecentFileCount = 8;

// path opened: moves to the front, the oldest beyond the eighth drops out. A name the settings
// file cannot hold as it is (a line break, blanks at either end) is not kept.
void NoteRecentFile(AppState& s, const std::string& path);

void ReadRecentFiles(const IniFile& ini, AppState& s);
// Every key FILE1..FILE8, empty beyond the list, so that a shorter list leaves no old names;
// nothing while the list is empty and the file has no such section.
void WriteRecentFiles(IniFile& ini, const AppState& s);

} // namespace orvane
