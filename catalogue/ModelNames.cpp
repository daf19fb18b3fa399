#include "foundation/Errors.h"
#include "catalogue/Catalogue.h"

#include <filesystem>
#include <fstream>

namespace orvane {

void LoadModelNames(AppState& s)
{
    const std::string path = s.AppDir + "device.name";
    std::ifstream in(path, std::ios::binary);
    // A folder opens as a stream on Linux and then reads as empty: refuse it like a missing file.
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(path, ignored))
        throw FileError("无法打开文件：" + path);

    // Line n names slot n. LF and CRLF line ends are both accepted; missing lines leave empty slots.
    // The slots change only once the whole file has been read.
    std::array<std::string, kSlotCount + 1> names{};
    for (int slot = 1; slot <= kSlotCount && std::getline(in, names[static_cast<std::size_t>(slot)]);
         ++slot) {
        std::string& line = names[static_cast<std::size_t>(slot)];
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    }
    if (in.bad())
        throw FileError("读取文件失败：" + path);
    s.ModelName = std::move(names);
}

} // namespace orvane
