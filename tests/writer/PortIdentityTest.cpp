// Serial ports by COM name and by USB identity, on a made-up /sys, /dev and /proc with a CH340 and
// two FTDI adapters, and a made-up settings file.
#include "writer/PortIdentity.h"
#include "writer/PortNames.h"

#include "foundation/Errors.h"
#include "image/RomImage.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <stdexcept>

namespace orvane {
namespace {

namespace fs = std::filesystem;

class PortIdentityTest : public ::testing::Test {
protected:
    PortIdentityTest()
    {
        fs::create_directories(dev + "serial/by-id");
        fs::create_directories(sys + "class/tty");
        fs::create_directories(proc + "1");
        test::WriteText(proc + "1/comm", "systemd\n");
        AddAdapter("ttyUSB0", "1-1", "1a86", "7523", "", "ch341-uart",
                   "usb-1a86_USB_Serial-if00-port0");
        AddAdapter("ttyUSB1", "1-2", "0403", "6001", "A12345", "ftdi_sio",
                   "usb-FTDI_FT232R_USB_UART_A12345-if00-port0");
        AddAdapter("ttyUSB2", "1-3", "0403", "6001", "B67890", "ftdi_sio",
                   "usb-FTDI_FT232R_USB_UART_B67890-if00-port0");
        test::WriteText(dev + "ttyS0", ""); // a UART placeholder
    }

    // sysfs as the kernel lays out a USB serial adapter: the USB device with its attributes,
    // its interface, the port with its driver, and the tty class link.
    void AddAdapter(const std::string& tty, const std::string& usb, const std::string& vendor,
                    const std::string& product, const std::string& serial,
                    const std::string& driver, const std::string& byId)
    {
        const std::string device = sys + "devices/pci0000:00/usb1/" + usb + "/";
        const std::string port = device + usb + ":1.0/" + tty + "/";
        fs::create_directories(port + "tty/" + tty);
        fs::create_directories(sys + "bus/usb-serial/drivers/" + driver);
        test::WriteText(device + "idVendor", vendor + "\n");
        test::WriteText(device + "idProduct", product + "\n");
        test::WriteText(device + "product", "USB Serial\n");
        if (!serial.empty())
            test::WriteText(device + "serial", serial + "\n");
        fs::create_symlink("../../../../../../bus/usb-serial/drivers/" + driver, port + "driver");
        fs::create_symlink("../../../" + tty, port + "tty/" + tty + "/device");
        fs::create_symlink("../../devices/pci0000:00/usb1/" + usb + "/" + usb + ":1.0/" + tty +
                               "/tty/" + tty,
                           sys + "class/tty/" + tty);
        test::WriteText(dev + tty, "");
        fs::create_symlink("../../" + tty, dev + "serial/by-id/" + byId);
    }

    std::vector<PortIdentity> Ports() const
    {
        const PortNaming naming{dev, "", [](const std::string&) { return false; }};
        return ListSerialPorts(naming, {sys, proc});
    }

    test::TempDir root;
    const std::string dev = root.file("dev/"), sys = root.file("sys/"), proc = root.file("proc/");
};

TEST_F(PortIdentityTest, EachPortWithItsComNameLinkUsbIdentityAndDriverAndModemManager)
{
    std::vector<std::string> got;
    for (const PortIdentity& p : Ports())
        got.push_back(p.comName + " " + p.device + " " + p.byId + " " +
                      Hex(p.vendor.value_or(0), 4) + ":" + Hex(p.product.value_or(0), 4) + " " +
                      p.serial + " " + p.productName + " " + p.driver);
    const std::string byId = dev + "serial/by-id/usb-";
    EXPECT_EQ(got, (std::vector<std::string>{
                       "COM1 " + dev + "ttyUSB0 " + byId +
                           "1a86_USB_Serial-if00-port0 1A86:7523  USB Serial ch341-uart",
                       "COM2 " + dev + "ttyUSB1 " + byId + "FTDI_FT232R_USB_UART_A12345-if00-port0 "
                           "0403:6001 A12345 USB Serial ftdi_sio",
                       "COM3 " + dev + "ttyUSB2 " + byId + "FTDI_FT232R_USB_UART_B67890-if00-port0 "
                           "0403:6001 B67890 USB Serial ftdi_sio"}));

    EXPECT_FALSE(ModemManagerRunning({sys, proc})); // among the processes
    fs::create_directories(proc + "812");
    test::WriteText(proc + "812/comm", "ModemManager\n");
    EXPECT_TRUE(ModemManagerRunning({sys, proc}));
}

TEST_F(PortIdentityTest, AdaptersAreFoundByVendorProductAndSerial)
{
    const auto ports = Ports();
    const auto find = [&](const std::string& text) {
        return FindUsbPort(ParseUsbSelector(text), ports);
    };
    EXPECT_EQ(find("usb:1a86:7523"), dev + "ttyUSB0");
    EXPECT_EQ(find("usb:1A86:7523"), dev + "ttyUSB0");
    EXPECT_EQ(find("usb:0403:6001:B67890"), dev + "ttyUSB2");
    const std::pair<const char*, std::string> failures[] = {
        {"usb:0403:6001",
         "2 ports match USB serial adapter 0403:6001: " + dev + "ttyUSB1 (serial A12345), " + dev +
             "ttyUSB2 (serial B67890); add :SERIAL to choose one"},
        {"usb:0403:6001:a12345",
         "No USB serial adapter 0403:6001 with serial number a12345 is plugged in"},
        {"usb:10c4:ea60", "No USB serial adapter 10c4:ea60 is plugged in"},
    };
    for (const auto& c : failures) // not a structured binding: clang 14 cannot capture one
        EXPECT_THAT([&] { find(c.first); }, testing::ThrowsMessage<ECommsError>(c.second));
    for (const char* bad : {"usb:1a86", "usb:1a86:zzzz", "usb:12345:0001", "usb:1a86:7523:",
                            "usb::7523", "usb:"})
        EXPECT_THROW(ParseUsbSelector(bad), std::invalid_argument) << bad;
}

TEST(PortNames, DefaultOrderThenHandSetPortsThenPathsAsTheyAre)
{
    test::TempDir dir;
    const std::string dev = dir.file("dev/"), byId = dev + "serial/by-id/usb-Writer-if00";
    fs::create_directories(dev + "serial/by-id");
    for (const char* name : {"ttyS1", "ttyUSB10", "ttyACM0", "ttyUSB2", "ttyS0", "ttyUSB0", "tty1",
                             "ttyUSBx", "console"})
        test::WriteText(dev + name, "");
    const PortNaming naming{dev, dir.file("Udate_VX.ini"),
                            [&](const std::string& path) { return path != dev + "ttyS1"; }};
    const auto resolve = [&](const std::string& name) { return ResolvePortName(name, naming); };
    // USB by number, then ACM, then the real UARTs: ttyS1 is a placeholder.
    EXPECT_EQ(DefaultPortOrder(naming),
              (std::vector<std::string>{dev + "ttyUSB0", dev + "ttyUSB2", dev + "ttyUSB10",
                                        dev + "ttyACM0", dev + "ttyS0"}));
    EXPECT_EQ(resolve("com3"), dev + "ttyUSB10");
    EXPECT_EQ(resolve("/dev/ttyUSB7"), "/dev/ttyUSB7");
    for (const char* name : {"COM6", "COM0", "COM1x", "LPT1", "ttyUSB0", " COM1"})
        EXPECT_EQ(resolve(name), "") << '"' << name << '"';

    // Hand-set ports win and leave their devices out of the default order.
    fs::create_symlink("../../ttyUSB2", byId);
    test::WriteText(naming.settingsPath, "[COM]\r\nCOM_NAME=COM3\r\n[PORTS]\r\ncom3 = " + byId
                                             + "\r\nCOM7=/elsewhere/ttyX\r\nCOM8=\r\n");
    EXPECT_EQ(resolve("COM3"), byId);
    EXPECT_EQ(resolve("COM7"), "/elsewhere/ttyX"); // taken as is, even when absent
    EXPECT_EQ(resolve("COM2"), dev + "ttyUSB10");  // ttyUSB2 is COM3 through its link
    EXPECT_EQ(resolve("COM8"), "");                // an empty entry names nothing
}

} // namespace
} // namespace orvane
