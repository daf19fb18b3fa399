#include "catalogue/Catalogue.h"
#include "foundation/ReadFile.h"

#include <string_view>

namespace orvane {

void LoadModelNames(AppState& s)
{
    const std::string text = ReadWholeFile(s.AppDir + "device.name", kSmallFileLimit);

    // Line n names slot n. LF and CRLF line ends are both accepted; missing lines leave empty slots.
    // The slots change only once the whole file has been read.
    std::array<std::string, kSlotCount + 1> names{};
    std::string_view rest = text;
    for (int slot = 1; slot <= kSlotCount && !rest.empty(); ++slot) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        names[static_cast<std::size_t>(slot)] = line;
    }
    s.ModelName = std::move(names);
}

} // namespace orvane
