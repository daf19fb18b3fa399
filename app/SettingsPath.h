// Where the settings file lives. A build or portable copy keeps it in its program folder, as the
// program always did. An installed copy (a program folder holding the marker file the package
// installs) keeps one file per user, $XDG_CONFIG_HOME/orvane/Udate_VX.ini, so that nobody, root
// included, writes into the program folder; while a user has no file of their own, the
// site-wide seed the marker names (/etc/orvane/Udate_VX.ini) is read instead.
#pragma once

#include "writer/PortNames.h"

#include <string>

namespace orvane {

inline constexpr const char* kSettingsFileName = "Udate_VX.ini";
// In the program folder of an installed copy: an INI file whose key SEED of section INSTALLED
// names the seed, relative to the program folder.
inline constexpr const char* kInstalledMarker = "installed";

struct SettingsLocation {
    std::string file; // the settings file, written by the window
    std::string seed; // read while file does not exist; "" when there is none
    bool perUser = false;

    // The file to read: file, or the seed while file does not exist.
    std::string ReadPath() const;
    // Before the first save of a per-user file: its missing folders, mode 0700. Errors are left
    // to the save, which names the file.
    void CreateFolder() const;
};

// The settings of the program whose folder is appDir (ending with '/'): from the marker,
// XDG_CONFIG_HOME and HOME. Throws FileError when the marker exists but cannot be read.
SettingsLocation LocateSettings(const std::string& appDir);

// Port names resolved with the hand-set section PORTS of that settings file (or of the seed).
PortNaming SettingsPortNaming(const std::string& appDir);

} // namespace orvane
