#include "app/RecentFiles.h"

#include <algorithm>

namespace orvane {
namespace {

bool Keepable(const std::string& path)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !path.empty() && path.find_first_of("\r\n") == std::string::npos &&
           !blank(path.front()) && !blank(path.back());
}

std::string Key(int n)
{
    return "FILE" + std::to_string(n);
}

} // namespace

void NoteRecentFile(AppState& s, const std::string& path)
{
    if (!Keepable(path))
        return;
    auto& list = s.RecentFiles;
    std::erase(list, path);
    list.insert(list.begin(), path);
    if (list.size() > kRecentFileCount)
        list.resize(kRecentFileCount);
}

void ReadRecentFiles(const IniFile& ini, AppState& s)
{
    s.RecentFiles.clear();
    for (int n = 1; n <= kRecentFileCount; ++n) {
        const std::string path = ini.Read("RECENT", Key(n)).value_or("");
        if (Keepable(path) && std::ranges::find(s.RecentFiles, path) == s.RecentFiles.end())
            s.RecentFiles.push_back(path);
    }
}

void WriteRecentFiles(IniFile& ini, const AppState& s)
{
    if (s.RecentFiles.empty() && ini.Section("RECENT").empty())
        return; // no section for a program that never opened a file
    for (int n = 1; n <= kRecentFileCount; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        ini.Write("RECENT", Key(n), i < s.RecentFiles.size() ? s.RecentFiles[i] : "");
    }
}

} // namespace orvane
