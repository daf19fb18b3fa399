// A fresh folder per test, removed afterwards, and small file helpers.
#pragma once

#include <string>

namespace orvane::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; } // ends with '/'
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

void WriteText(const std::string& path, const std::string& bytes);
std::string ReadText(const std::string& path); // throws std::runtime_error when unreadable

// Folder holding the shipped data files (device.name, chip files, About.txt), ending with '/'.
std::string DataDir();

// Copies the shipped data files into dir (ending with '/'), with the package pictures where the
// build drew them beside the test executable.
void CopyDataFiles(const std::string& dir);

} // namespace orvane::test
