// COM names to device paths, on a made-up device folder and settings file.
#include "writer/PortNames.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane {
namespace {

TEST(PortNames, DefaultOrderThenHandSetPortsThenPathsAsTheyAre)
{
    test::TempDir dir;
    const std::string dev = dir.file("dev/"), byId = dev + "serial/by-id/usb-Writer-if00";
    std::filesystem::create_directories(dev + "serial/by-id");
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
    std::filesystem::create_symlink("../../ttyUSB2", byId);
    test::WriteText(naming.settingsPath, "[COM]\r\nCOM_NAME=COM3\r\n[PORTS]\r\ncom3 = " + byId
                                             + "\r\nCOM7=/elsewhere/ttyX\r\nCOM8=\r\n");
    EXPECT_EQ(resolve("COM3"), byId);
    EXPECT_EQ(resolve("COM7"), "/elsewhere/ttyX"); // taken as is, even when absent
    EXPECT_EQ(resolve("COM2"), dev + "ttyUSB10");  // ttyUSB2 is COM3 through its link
    EXPECT_EQ(resolve("COM8"), "");                // an empty entry names nothing
}

} // namespace
} // namespace orvane
