// `ports`: every candidate serial port with its COM name and USB identity, and --port usb:...
#include "cli/Commands.h"
#include "cli/ProductionCommands.h"

#include "app/SettingsPath.h"
#include "production/JsonLine.h"
#include "writer/PortIdentity.h"

#include <iostream>
#include <stdexcept>

namespace orvane::cli {
namespace {

std::string Selector(const PortIdentity& p)
{
    if (!p.vendor || !p.product)
        return p.device;
    return "usb:" + UsbIdText(*p.vendor, *p.product) + (p.serial.empty() ? "" : ":" + p.serial);
}

std::string AccessText(const PortIdentity& p)
{
    if (p.accessible)
        return "yes";
    return "no: the device belongs to group " + (p.group.empty() ? "dialout" : p.group) +
           "; run: sudo usermod -aG " + (p.group.empty() ? "dialout" : p.group) +
           " $USER, then log in again";
}

void PrintPort(const PortIdentity& p)
{
    std::cout << (p.comName.empty() ? "-" : p.comName) << ' ' << p.device << '\n';
    if (!p.byId.empty())
        std::cout << "  by-id: " << p.byId << '\n';
    if (p.vendor && p.product) {
        std::cout << "  usb: " << UsbIdText(*p.vendor, *p.product) << ", serial "
                  << (p.serial.empty() ? "-" : p.serial);
        const std::string name = p.manufacturer + (p.manufacturer.empty() ? "" : " ") + p.productName;
        if (!name.empty())
            std::cout << " (" << name << ')';
        std::cout << '\n';
    }
    std::cout << "  driver: " << (p.driver.empty() ? "-" : p.driver) << '\n'
              << "  access: " << AccessText(p) << '\n'
              << "  select: --port " << Selector(p) << '\n';
}

void PrintPortJson(const PortIdentity& p)
{
    JsonLine line;
    line.Str("type", "port").Str("com", p.comName).Str("device", p.device).Str("by_id", p.byId);
    if (p.vendor && p.product)
        line.Str("usb", UsbIdText(*p.vendor, *p.product)).Str("serial", p.serial)
            .Str("manufacturer", p.manufacturer).Str("product", p.productName);
    line.Str("driver", p.driver).Raw("access", p.accessible ? "true" : "false")
        .Str("group", p.group).Str("select", "--port " + Selector(p));
    std::cout << line.Text() << '\n';
}

} // namespace

int RunPortsCommand(const Arguments& a, ConsoleView& view, const AppState& s)
{
    const std::vector<PortIdentity> ports = ListSerialPorts(SettingsPortNaming(s.AppDir), SystemFolders{});
    const bool modemManager = ModemManagerRunning(SystemFolders{});
    for (const PortIdentity& p : ports)
        a.json ? PrintPortJson(p) : PrintPort(p);
    const std::string mm = modemManager
        ? "running: it probes serial ports as they appear and can upset a Writer; stop it "
          "(sudo systemctl stop ModemManager) while programming"
        : "not running";
    if (a.json)
        std::cout << JsonLine().Str("type", "status").Str("key", "ModemManager").Str("text", mm)
                         .Text() << '\n';
    else
        std::cout << "ModemManager: " << mm << '\n';
    view.Result(a.command, kOk, ports.empty() ? "no serial port found" : "");
    return kOk;
}

std::optional<std::string> ResolvePortOption(const std::optional<std::string>& port,
                                             const AppState& s)
{
    if (!port || !IsUsbSelector(*port))
        return port;
    UsbSelector selector;
    try {
        selector = ParseUsbSelector(*port);
    } catch (const std::invalid_argument& e) {
        throw UsageError("--port: " + std::string(e.what()));
    }
    return FindUsbPort(selector, ListSerialPorts(SettingsPortNaming(s.AppDir), SystemFolders{}));
}

} // namespace orvane::cli
