// COM names to device paths, on a made-up device folder and settings file.
#include "writer/PortNames.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace orvane {
namespace {

class PortNamesTest : public testing::Test {
protected:
    PortNamesTest()
    {
        std::filesystem::create_directory(dir_.file("dev"));
        naming_ = {dir_.file("dev/"), dir_.file("Udate_VX.ini"), [](auto&) { return true; }};
    }
    void Devices(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            test::WriteText(Dev(name), "");
    }
    std::string Dev(const std::string& name) const { return naming_.deviceDir + name; }
    std::string Resolve(const std::string& name) const { return ResolvePortName(name, naming_); }

    test::TempDir dir_;
    PortNaming naming_;
};

TEST_F(PortNamesTest, DefaultOrderIsUsbThenAcmThenRealUartsEachByNumber)
{
    EXPECT_EQ(Resolve("COM1"), ""); // no ports at all
    Devices({"ttyS1", "ttyUSB10", "ttyACM0", "ttyUSB2", "ttyS0", "ttyUSB0", "ttyACM11", "ttyS2",
             "tty1", "ttyUSB", "ttyUSBx", "ttySAC0", "console", "ttyS-1"});
    naming_.isRealUart = [this](const std::string& path) { return path != Dev("ttyS1"); };
    const std::vector<std::string> expected{Dev("ttyUSB0"), Dev("ttyUSB2"), Dev("ttyUSB10"),
                                            Dev("ttyACM0"), Dev("ttyACM11"), Dev("ttyS0"),
                                            Dev("ttyS2")};
    EXPECT_EQ(DefaultPortOrder(naming_), expected);
    for (std::size_t n = 1; n <= expected.size(); ++n)
        EXPECT_EQ(Resolve("COM" + std::to_string(n)), expected[n - 1]) << n;
    EXPECT_EQ(Resolve("COM8"), "");
    EXPECT_EQ(Resolve("com3"), Dev("ttyUSB10"));
}

TEST_F(PortNamesTest, HandSetPortsWinAndLeaveTheirDevicesOutOfTheDefaultOrder)
{
    Devices({"ttyUSB0", "ttyUSB1", "ttyACM0"});
    const std::string byId = Dev("serial/by-id/usb-Writer-if00");
    std::filesystem::create_directories(Dev("serial/by-id"));
    std::filesystem::create_symlink("../../ttyUSB1", byId);
    test::WriteText(naming_.settingsPath, "[COM]\r\nCOM_NAME=COM3\r\n[PORTS]\r\ncom3 = " + byId
                                              + "\r\nCOM7=/elsewhere/ttyX\r\nCOM8=\r\n");
    EXPECT_EQ(Resolve("COM3"), byId);
    EXPECT_EQ(Resolve("COM7"), "/elsewhere/ttyX"); // taken as is, even when absent
    EXPECT_EQ(Resolve("COM1"), Dev("ttyUSB0"));    // ttyUSB1 is COM3 through its link
    EXPECT_EQ(Resolve("COM2"), Dev("ttyACM0"));
    EXPECT_EQ(Resolve("COM8"), ""); // an empty entry names nothing

    naming_.settingsPath = naming_.deviceDir; // unreadable: names no port
    EXPECT_EQ(Resolve("COM2"), Dev("ttyUSB1"));
}

TEST_F(PortNamesTest, PathsPassThroughAndOtherNamesResolveToNothing)
{
    Devices({"ttyUSB0"});
    EXPECT_EQ(Resolve("/dev/ttyUSB7"), "/dev/ttyUSB7");
    for (const char* name : {"", "COM", "COM0", "COMx", "COM1x", "COM-1", "LPT1", "ttyUSB0",
                             "COM1234567", " COM1"})
        EXPECT_EQ(Resolve(name), "") << '"' << name << '"';
}

} // namespace
} // namespace orvane
