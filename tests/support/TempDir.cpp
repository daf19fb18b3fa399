#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace orvane::test {

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "orvane-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void WriteText(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string DataDir()
{
    const char* dir = std::getenv("ORVANE_DATA_DIR");
    if (!dir)
        throw std::runtime_error("ORVANE_DATA_DIR is not set (run the tests through ctest)");
    std::string d = dir;
    if (d.empty() || d.back() != '/')
        d += '/';
    return d;
}

void CopyDataFiles(const std::string& dir)
{
    const auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
    fs::copy(DataDir(), dir, options);
    // The package pictures are drawn by the build beside the executables.
    const fs::path pictures = fs::read_symlink("/proc/self/exe").parent_path() / "image";
    if (fs::is_directory(pictures))
        fs::copy(pictures, fs::path(dir) / "image", options);
}

} // namespace orvane::test
