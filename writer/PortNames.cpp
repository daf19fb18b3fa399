#include "writer/PortNames.h"

#include "foundation/Errors.h"
#include "foundation/IniFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {
namespace {

// Device families of the default order, in that order.
struct Family {
    std::string_view prefix;
    bool uart; // only real UARTs count
};
constexpr Family kFamilies[] = {{"ttyUSB", false}, {"ttyACM", false}, {"ttyS", true}};

// The decimal number after prefix, or nothing when text is not prefix + 1 to 6 digits.
std::optional<unsigned> NumberAfter(std::string_view text, std::string_view prefix,
                                    bool ignoreCase)
{
    if (text.size() <= prefix.size() || text.size() > prefix.size() + 6)
        return std::nullopt;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(prefix[i]);
        if (ignoreCase ? std::toupper(a) != std::toupper(b) : a != b)
            return std::nullopt;
    }
    unsigned n = 0;
    for (const char c : text.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n;
}

// Absent UARTs leave ttyS placeholders of type PORT_UNKNOWN, which cannot even be opened. A
// device that is there but denied to us stays in the order, so that the numbering does not
// depend on the user's rights; a driver without TIOCGSERIAL is taken as real.
bool AskDriverIsRealUart(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES || errno == EPERM;
    serial_struct info{};
    const bool real = ::ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type != PORT_UNKNOWN;
    ::close(fd);
    return real;
}

struct HandSetPort {
    std::optional<unsigned> comNumber;
    std::string path;
};

std::vector<HandSetPort> HandSetPorts(const PortNaming& naming)
{
    std::vector<HandSetPort> ports;
    if (naming.settingsPath.empty())
        return ports;
    std::vector<std::pair<std::string, std::string>> section;
    try {
        section = IniFile::Load(naming.settingsPath).Section("PORTS");
    } catch (const FileError&) {
        return ports; // an unreadable settings file names no port; start-up reports the file
    }
    for (auto& [key, value] : section) {
        if (!value.empty())
            ports.push_back({NumberAfter(key, "COM", true), std::move(value)});
    }
    return ports;
}

bool SameDevice(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return a == b;
}

} // namespace

std::vector<std::string> DefaultPortOrder(const PortNaming& naming)
{
    const auto& isRealUart = naming.isRealUart ? naming.isRealUart : AskDriverIsRealUart;
    std::vector<std::pair<unsigned, std::string>> found[std::size(kFamilies)];
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(naming.deviceDir, error)) {
        const std::string name = entry.path().filename().string();
        for (std::size_t f = 0; f < std::size(kFamilies); ++f) {
            // "ttyUSB0" is no ttyS device: "USB0" is not a number.
            if (const auto n = NumberAfter(name, kFamilies[f].prefix, false))
                found[f].emplace_back(*n, name);
        }
    }

    std::vector<std::string> order;
    for (std::size_t f = 0; f < std::size(kFamilies); ++f) {
        std::sort(found[f].begin(), found[f].end());
        for (const auto& [n, name] : found[f]) {
            const std::string path = naming.deviceDir + name;
            if (!kFamilies[f].uart || isRealUart(path))
                order.push_back(path);
        }
    }
    return order;
}

std::string ResolvePortName(const std::string& name, const PortNaming& naming)
{
    if (!name.empty() && name.front() == '/')
        return name;
    const auto n = NumberAfter(name, "COM", true);
    if (!n || *n == 0)
        return {};

    const std::vector<HandSetPort> handSet = HandSetPorts(naming);
    for (const auto& port : handSet) {
        if (port.comNumber == n)
            return port.path;
    }

    std::vector<std::string> order = DefaultPortOrder(naming);
    std::erase_if(order, [&](const std::string& path) {
        return std::any_of(handSet.begin(), handSet.end(),
                           [&](const HandSetPort& port) { return SameDevice(path, port.path); });
    });
    return *n <= order.size() ? order[*n - 1] : std::string();
}

PortResolver MakePortResolver(PortNaming naming)
{
    return [naming = std::move(naming)](const std::string& name) {
        return ResolvePortName(name, naming);
    };
}

} // namespace orvane
