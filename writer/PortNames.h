// The program names its ports "COM1".."COM20". On Linux a name is resolved to a device path:
// a path is taken as is; COMn comes from the hand-set section PORTS of the settings file
// (COM3=/dev/serial/by-id/...; the program never writes it), else it is the n-th device of a
// default order that finds a USB-serial Writer without configuration: ttyUSB* and then ttyACM*
// by number, then the real UARTs among ttyS*.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvane {

using PortResolver = std::function<std::string(const std::string& name)>;

struct PortNaming {
    std::string deviceDir = "/dev/"; // ends with '/'
    std::string settingsPath;        // the settings file to read; empty: no hand-set names
    // Whether a ttyS device is a real UART; the default asks the driver (TIOCGSERIAL) and drops
    // the placeholders with port type unknown that kernels create for absent UARTs.
    std::function<bool(const std::string& path)> isRealUart;
};

// The device path for name, or "" when nothing answers to it.
std::string ResolvePortName(const std::string& name, const PortNaming& naming);

// The default order of the devices in naming.deviceDir, before hand-set devices are left out.
std::vector<std::string> DefaultPortOrder(const PortNaming& naming);

// A resolver bound to naming, for TComm.
PortResolver MakePortResolver(PortNaming naming);

} // namespace orvane
