// COM names to device paths, on a made-up device folder and settings file.
#include "writer/PortNames.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

namespace orvane {
namespace {

class PortNamesTest : public testing::Test {
protected:
    PortNamesTest()
    {
        std::filesystem::create_directory(dev_.file("dev/"));
        naming_.deviceDir = dev_.file("dev/");
        naming_.settingsPath = dev_.file("Udate_VX.ini");
        naming_.isRealUart = [](const std::string&) { return true; };
    }

    void Devices(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            test::WriteText(naming_.deviceDir + name, "");
    }
    std::string Dev(const std::string& name) const { return naming_.deviceDir + name; }
    std::string Resolve(const std::string& name) const { return ResolvePortName(name, naming_); }

    test::TempDir dev_;
    PortNaming naming_;
};

TEST_F(PortNamesTest, WithoutDevicesNoComNameResolves)
{
    EXPECT_TRUE(DefaultPortOrder(naming_).empty());
    for (const char* name : {"COM1", "COM2", "COM20"})
        EXPECT_EQ(Resolve(name), "") << name;
    naming_.deviceDir = dev_.file("absent/");
    EXPECT_EQ(Resolve("COM1"), "");
}

TEST_F(PortNamesTest, DefaultOrderIsUsbThenAcmThenUartsEachByNumber)
{
    Devices({"ttyS1", "ttyUSB10", "ttyACM0", "ttyUSB2", "ttyS0", "ttyUSB0", "ttyACM11", "ttyACM2",
             "tty1", "ttyUSB", "ttyUSBx", "ttySAC0", "console", "ttyprintk", "ttyS-1"});
    const std::vector<std::string> expected{Dev("ttyUSB0"), Dev("ttyUSB2"), Dev("ttyUSB10"),
                                            Dev("ttyACM0"), Dev("ttyACM2"), Dev("ttyACM11"),
                                            Dev("ttyS0"),   Dev("ttyS1")};
    EXPECT_EQ(DefaultPortOrder(naming_), expected);
    for (std::size_t n = 1; n <= expected.size(); ++n)
        EXPECT_EQ(Resolve("COM" + std::to_string(n)), expected[n - 1]) << n;
    EXPECT_EQ(Resolve("COM9"), "");
    EXPECT_EQ(Resolve("com3"), Dev("ttyUSB10"));
}

TEST_F(PortNamesTest, PlaceholderUartsAreLeftOut)
{
    Devices({"ttyS0", "ttyS1", "ttyS2", "ttyACM0"});
    naming_.isRealUart = [this](const std::string& path) { return path == Dev("ttyS2"); };
    EXPECT_EQ(DefaultPortOrder(naming_), (std::vector<std::string>{Dev("ttyACM0"), Dev("ttyS2")}));
}

TEST_F(PortNamesTest, HandSetPortsWinAndLeaveTheirDevicesOutOfTheDefaultOrder)
{
    Devices({"ttyUSB0", "ttyUSB1", "ttyACM0"});
    std::filesystem::create_directories(naming_.deviceDir + "serial/by-id");
    std::filesystem::create_symlink("../../ttyUSB1", Dev("serial/by-id/usb-Writer-if00"));
    test::WriteText(naming_.settingsPath, "[COM]\r\nCOM_NAME=COM3\r\n[PORTS]\r\ncom3 = "
                                              + Dev("serial/by-id/usb-Writer-if00")
                                              + "\r\nCOM7=/elsewhere/ttyX\r\nCOM8=\r\n");
    EXPECT_EQ(Resolve("COM3"), Dev("serial/by-id/usb-Writer-if00"));
    EXPECT_EQ(Resolve("COM7"), "/elsewhere/ttyX"); // taken as is, even when absent
    // ttyUSB1 is COM3 through its link, so the default order is ttyUSB0, ttyACM0.
    EXPECT_EQ(Resolve("COM1"), Dev("ttyUSB0"));
    EXPECT_EQ(Resolve("COM2"), Dev("ttyACM0"));
    EXPECT_EQ(Resolve("COM8"), ""); // an empty entry names nothing
}

TEST_F(PortNamesTest, PathsPassThroughAndOtherNamesResolveToNothing)
{
    Devices({"ttyUSB0"});
    EXPECT_EQ(Resolve("/dev/ttyUSB7"), "/dev/ttyUSB7");
    EXPECT_EQ(Resolve(Dev("ttyUSB0")), Dev("ttyUSB0"));
    for (const char* name : {"", "COM", "COM0", "COMx", "COM1x", "COM-1", "LPT1", "ttyUSB0",
                             "COM1234567", " COM1"})
        EXPECT_EQ(Resolve(name), "") << '"' << name << '"';
}

TEST_F(PortNamesTest, AnUnreadableSettingsFileNamesNoPort)
{
    Devices({"ttyUSB0"});
    naming_.settingsPath = naming_.deviceDir; // a folder cannot be read as a file
    EXPECT_EQ(Resolve("COM1"), Dev("ttyUSB0"));
    naming_.settingsPath.clear();
    EXPECT_EQ(Resolve("COM1"), Dev("ttyUSB0"));
}

} // namespace
} // namespace orvane
