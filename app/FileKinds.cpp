#include "app/FileKinds.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

namespace orvane {
namespace {

struct FileKind {
    std::string_view extension; // upper case
    FileFormat format;
};

constexpr FileKind kFileKinds[] = {
    {".S19", FileFormat::S19},
    {".WRT", FileFormat::Wrt},
    {".IHX", FileFormat::IntelHex},
    // Save As writes raw bytes under .hex, but only Intel HEX opens: a raw file is refused as
    // no Intel HEX record.
    {".HEX", FileFormat::IntelHex},
};

} // namespace

std::optional<FileFormat> FormatByExtension(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    std::ranges::transform(ext, ext.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const FileKind& kind : kFileKinds) {
        if (ext == kind.extension)
            return kind.format;
    }
    return std::nullopt;
}

} // namespace orvane
