#include "app/SettingsPath.h"

#include "foundation/IniFile.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {
namespace {

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsAbsolute(const char* path)
{
    return path && path[0] == '/';
}

std::string WithSlash(std::string dir)
{
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir == "/" ? dir : dir + '/';
}

// $XDG_CONFIG_HOME, or $HOME/.config when it is unset, empty or relative; with '/'.
std::string ConfigHome()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); IsAbsolute(xdg))
        return WithSlash(xdg);
    const char* home = std::getenv("HOME");
    if (!IsAbsolute(home)) {
        const passwd* user = ::getpwuid(::geteuid());
        home = user ? user->pw_dir : "/";
    }
    return WithSlash(home) + ".config/";
}

} // namespace

std::string SettingsLocation::ReadPath() const
{
    return seed.empty() || Exists(file) ? file : seed;
}

void SettingsLocation::CreateFolder() const
{
    if (!perUser)
        return;
    for (auto slash = file.find('/', 1); slash != std::string::npos;
         slash = file.find('/', slash + 1))
        ::mkdir(file.substr(0, slash).c_str(), 0700); // an existing folder keeps its mode
}

SettingsLocation LocateSettings(const std::string& appDir)
{
    const std::string marker = appDir + kInstalledMarker;
    if (!Exists(marker))
        return {appDir + kSettingsFileName, "", false};
    std::string seed = IniFile::Load(marker).Read("INSTALLED", "SEED").value_or("");
    if (!seed.empty() && seed.front() != '/') // appDir is a real path: ".." can go lexically
        seed = std::filesystem::path(appDir + seed).lexically_normal().string();
    return {ConfigHome() + "orvane/" + kSettingsFileName, seed, true};
}

PortNaming SettingsPortNaming(const std::string& appDir)
{
    PortNaming naming;
    naming.settingsPath = LocateSettings(appDir).ReadPath();
    return naming;
}

} // namespace orvane
