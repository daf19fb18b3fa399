#include "writer/PortIdentity.h"

#include "foundation/Errors.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {
namespace {

namespace fs = std::filesystem;

// Sysfs attributes are one short line.
std::string Attribute(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

std::optional<std::uint16_t> HexId(std::string_view text)
{
    std::uint16_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || text.size() > 4 || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

fs::path Canonical(const fs::path& p)
{
    std::error_code error;
    fs::path c = fs::canonical(p, error);
    return error ? fs::path() : c;
}

// The USB device above the tty's device in sysfs: the first folder upwards with an idVendor.
void ReadSysfs(PortIdentity& port, const std::string& name, const SystemFolders& folders)
{
    const fs::path device = Canonical(fs::path(folders.sys) / "class/tty" / name / "device");
    if (device.empty())
        return;
    if (const fs::path driver = Canonical(device / "driver"); !driver.empty())
        port.driver = driver.filename().string();
    const fs::path top = Canonical(folders.sys);
    for (fs::path dir = device; !dir.empty() && dir != top && dir != dir.root_path();
         dir = dir.parent_path()) {
        std::error_code error;
        if (!fs::exists(dir / "idVendor", error))
            continue;
        port.vendor = HexId(Attribute(dir / "idVendor"));
        port.product = HexId(Attribute(dir / "idProduct"));
        port.serial = Attribute(dir / "serial");
        port.manufacturer = Attribute(dir / "manufacturer");
        port.productName = Attribute(dir / "product");
        return;
    }
}

std::string ByIdLink(const fs::path& device, const std::string& devFolder)
{
    const fs::path target = Canonical(device);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(devFolder) / "serial/by-id", error)) {
        if (!target.empty() && Canonical(entry.path()) == target)
            return entry.path().string();
    }
    return {};
}

std::string GroupOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    const group* g = ::getgrgid(st.st_gid);
    return g ? g->gr_name : std::to_string(st.st_gid);
}

} // namespace

std::string UsbIdText(std::uint16_t vendor, std::uint16_t product)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
    return text;
}

std::vector<PortIdentity> ListSerialPorts(const PortNaming& naming, const SystemFolders& folders)
{
    std::vector<PortIdentity> ports;
    for (const std::string& path : DefaultPortOrder(naming)) {
        PortIdentity port;
        port.device = path;
        port.byId = ByIdLink(path, naming.deviceDir);
        ReadSysfs(port, fs::path(path).filename().string(), folders);
        port.accessible = ::access(path.c_str(), R_OK | W_OK) == 0;
        port.group = GroupOf(path);
        ports.push_back(std::move(port));
    }
    // COM names as the Writer link resolves them, hand-set ones included.
    for (int n = 1; n <= 20; ++n) {
        const std::string name = "COM" + std::to_string(n);
        const fs::path resolved = Canonical(ResolvePortName(name, naming));
        for (PortIdentity& port : ports) {
            if (port.comName.empty() && !resolved.empty() && Canonical(port.device) == resolved)
                port.comName = name;
        }
    }
    return ports;
}

bool ModemManagerRunning(const SystemFolders& folders)
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folders.proc, error)) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") == std::string::npos &&
            Attribute(entry.path() / "comm") == "ModemManager")
            return true;
    }
    return false;
}

bool IsUsbSelector(const std::string& text)
{
    return text.rfind("usb:", 0) == 0;
}

UsbSelector ParseUsbSelector(const std::string& text)
{
    const std::string rest = text.substr(4);
    const std::size_t colon = rest.find(':');
    const std::size_t second = colon == std::string::npos ? colon : rest.find(':', colon + 1);
    const auto vendor = HexId(std::string_view(rest).substr(0, colon));
    const auto product = colon == std::string::npos
                             ? std::nullopt
                             : HexId(std::string_view(rest).substr(colon + 1, second - colon - 1));
    if (!IsUsbSelector(text) || !vendor || !product)
        throw std::invalid_argument("'" + text + "' is not usb:VVVV:PPPP[:SERIAL]");
    UsbSelector selector{*vendor, *product, std::nullopt};
    if (second != std::string::npos) {
        selector.serial = rest.substr(second + 1);
        if (selector.serial->empty())
            throw std::invalid_argument("'" + text + "' has an empty serial number");
    }
    return selector;
}

std::string FindUsbPort(const UsbSelector& selector, const std::vector<PortIdentity>& ports)
{
    std::vector<const PortIdentity*> matches;
    for (const PortIdentity& port : ports) {
        if (port.vendor == selector.vendor && port.product == selector.product &&
            (!selector.serial || port.serial == *selector.serial))
            matches.push_back(&port);
    }
    std::string adapter = "USB serial adapter " + UsbIdText(selector.vendor, selector.product);
    if (selector.serial)
        adapter += " with serial number " + *selector.serial;
    if (matches.empty())
        throw ECommsError("No " + adapter + " is plugged in");
    if (matches.size() > 1) {
        std::string serials;
        for (const PortIdentity* port : matches)
            serials += (serials.empty() ? "" : ", ") + port->device + " (serial " +
                       (port->serial.empty() ? "none" : port->serial) + ")";
        throw ECommsError(std::to_string(matches.size()) + " ports match " + adapter + ": " +
                          serials + "; add :SERIAL to choose one");
    }
    return matches.front()->device;
}

} // namespace orvane
