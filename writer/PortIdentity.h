// Serial ports by what is plugged in: for each candidate device its COMn name, its
// /dev/serial/by-id link and, for USB adapters, vendor, product and serial number from sysfs, so
// that a Writer is found by its adapter whatever ttyUSB number it got today. The folders are
// parameters, so that a made-up tree can stand in for /sys, /dev and /proc.
#pragma once

#include "writer/PortNames.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

struct PortIdentity {
    std::string device;  // path in the device folder
    std::string comName; // "COM3", or "" when no COM name up to COM20 reaches it
    std::string byId;    // the /dev/serial/by-id link to it, or ""
    std::optional<std::uint16_t> vendor, product; // USB only
    std::string serial, manufacturer, productName;
    std::string driver;     // the kernel driver of the port ("ch341-uart", "ftdi_sio", ...)
    bool accessible = false; // this user may open it for reading and writing
    std::string group;       // the device's group, for the hint when it is not accessible
};

struct SystemFolders {
    std::string sys = "/sys/";   // each ends with '/'
    std::string proc = "/proc/";
};

// Every candidate port of naming's device folder in the COM order (PortNames), identified.
std::vector<PortIdentity> ListSerialPorts(const PortNaming& naming, const SystemFolders& folders);

// Whether a process named ModemManager runs (it probes new serial ports and can upset a Writer).
bool ModemManagerRunning(const SystemFolders& folders);

// "usb:VVVV:PPPP[:SERIAL]", hexadecimal IDs.
struct UsbSelector {
    std::uint16_t vendor = 0, product = 0;
    std::optional<std::string> serial;
};
bool IsUsbSelector(const std::string& text);
// Throws std::invalid_argument saying what is wrong.
UsbSelector ParseUsbSelector(const std::string& text);

// The device of the one port that matches; throws ECommsError naming the adapter when none or
// several do (the message lists the serial numbers to choose from).
std::string FindUsbPort(const UsbSelector& selector, const std::vector<PortIdentity>& ports);

// "1a86:7523" as lsusb shows it.
std::string UsbIdText(std::uint16_t vendor, std::uint16_t product);

} // namespace orvane
