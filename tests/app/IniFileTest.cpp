#include "app/IniFile.h"

#include "app/Errors.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orvane {
namespace {

using test::TempDir;
using namespace std::string_literals;

TEST(IniFile, ReadMatchesNamesWithoutCaseAndTrimsBlanks)
{
    const IniFile ini = IniFile::Parse(
        "top=0\r\n[ Chip ]\r\n  chip_name =  QK101 \t\r\n; CHIP_PIN=99\r\nCHIP_PIN\r\n"
        "quoted=\"a b\"\r\n[chip]\r\nextra=1\r\n[Other]\r\nchip_name=no\r\n[half\r\nhalf=1\r\n");
    EXPECT_EQ(ini.Read("CHIP", "CHIP_NAME"), "QK101");
    EXPECT_EQ(ini.Read("chip", "QUOTED"), "\"a b\"");      // values are not unquoted
    EXPECT_EQ(ini.Read("CHIP", "CHIP_PIN"), std::nullopt); // comment and '='-less line
    EXPECT_EQ(ini.Read("CHIP", "extra"), std::nullopt);    // only the first [chip] counts
    EXPECT_EQ(ini.Read("CHIP", "top"), std::nullopt);
    EXPECT_EQ(ini.Read("Other", "half"), "1");              // "[half" is no section header
    EXPECT_EQ(ini.Read("half", "half"), std::nullopt);
    EXPECT_EQ(ini.Read("Missing", "x"), std::nullopt);
    const auto entries = ini.Section("CHIP");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], std::make_pair(std::string("chip_name"), std::string("QK101")));
    EXPECT_EQ(entries[1].first, "quoted");
}

TEST(IniFile, UnchangedTextComesBackByteForByte)
{
    const std::string texts[] = {
        "", "\r\n", "[A]\r\nk=v\r\n\r\n; note\r\n", "[A]\nk=v\n\n", "[A]\nk=v",
        "[A\0]\nk\0=v\0\n\0"s, "[\n]\n=\n[]\n;\n", "a\rb=c\r\n",
        "[A]\n" + std::string(1 << 20, 'x') + "=" + std::string(1 << 20, 'y'),
    };
    for (const std::string& text : texts)
        EXPECT_EQ(IniFile::Parse(text).Text(), text);
}

TEST(IniFile, WriteReplacesInPlaceAndAppendsInOrder)
{
    IniFile ini = IniFile::Parse("; settings\n[CHIP]\n Chip_Name = old \n# kept\n\n\n"
                                 "[Empty]\n; comment\n\n[PORTS]\nCOM3=/dev/ttyUSB0\n");
    ini.Write("chip", "CHIP_NAME", "QK128");
    ini.Write("CHIP", "CHIP_PIN", "20");
    ini.Write("CHIP", "CW", "06");
    ini.Write("Empty", "a", "1");
    ini.Write("ID", "ID_LENGTH", "3");
    ini.Write("ID", "ID_START", "00012A");
    ini.Write("ports", "com3", "/dev/ttyACM0");
    EXPECT_EQ(ini.Text(), "; settings\n[CHIP]\nChip_Name=QK128\nCHIP_PIN=20\nCW=06\n# kept\n\n\n"
                          "[Empty]\na=1\n; comment\n\n[PORTS]\nCOM3=/dev/ttyACM0\n"
                          "\n[ID]\nID_LENGTH=3\nID_START=00012A\n");
}

TEST(IniFile, NewFilesUseCrlfAndUnendedLastLinesGetAnEnd)
{
    IniFile fresh;
    fresh.Write("A", "k", "v");
    fresh.Write("B", "k", "");
    EXPECT_EQ(fresh.Text(), "[A]\r\nk=v\r\n\r\n[B]\r\nk=\r\n");

    IniFile unended = IniFile::Parse("[A]\nk=v");
    unended.Write("A", "k", "w");
    EXPECT_EQ(unended.Text(), "[A]\nk=w\n");
}

TEST(IniFile, ValuesCannotSmuggleInLines)
{
    IniFile ini;
    ini.Write("A", "k", "v1\r\n[B]\r\nx=1");
    ini.Write("A", "j", "v2\nk=evil");
    EXPECT_EQ(ini.Text(), "[A]\r\nk=v1\r\nj=v2\r\n");
    EXPECT_EQ(IniFile::Parse(ini.Text()).Read("B", "x"), std::nullopt);
}

template <typename F>
void ExpectFileErrorNaming(const std::string& path, F action)
{
    try {
        action();
        ADD_FAILURE() << "no error for " << path;
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
}

TEST(IniFile, LoadAndSave)
{
    TempDir dir;
    EXPECT_EQ(IniFile::Load(dir.file("none.ini")).Text(), "");

    IniFile ini = IniFile::Parse("[A]\nk=v\n");
    ini.Write("A", "n", "1");
    ini.Save(dir.file("a.ini"));
    EXPECT_EQ(test::ReadText(dir.file("a.ini")), "[A]\nk=v\nn=1\n");
    EXPECT_EQ(IniFile::Load(dir.file("a.ini")).Read("a", "N"), "1");
    EXPECT_EQ(IniFile::Load(dir.file("a.ini/x.ini")).Text(), ""); // parent is a file: missing

    ASSERT_EQ(::mkdir(dir.file("folder.ini").c_str(), 0755), 0);
    ExpectFileErrorNaming(dir.file("folder.ini"), [&] { IniFile::Load(dir.file("folder.ini")); });
    ExpectFileErrorNaming(dir.file("gone/a.ini"), [&] { ini.Save(dir.file("gone/a.ini")); });
}

} // namespace
} // namespace orvane
