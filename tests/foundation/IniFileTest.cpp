#include "foundation/IniFile.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using namespace std::string_literals;

TEST(IniFile, ParseKeepsTheTextAndReadMatchesNamesWithoutCase)
{
    for (const std::string& text : {""s, "[A]\r\nk=v\r\n\r\n; note\r\n"s, "[A]\nk=v"s,
                                    "[A\0]\nk\0=v\0\n\0"s, "[\n]\n=\n[]\n;\n"s, "a\rb=c\r\n"s})
        EXPECT_EQ(IniFile::Parse(text).Text(), text);

    const IniFile ini = IniFile::Parse("[ Chip ]\r\n  chip_name =  QK101 \t\r\n; CHIP_PIN=9\r\n"
                                       "CHIP_PIN\r\n[half\r\nhalf=1\r\n[chip]\r\nx=1\r\n");
    EXPECT_EQ(ini.Read("CHIP", "CHIP_NAME"), "QK101");
    EXPECT_EQ(ini.Read("CHIP", "CHIP_PIN"), std::nullopt); // comment and '='-less line
    EXPECT_EQ(ini.Read("CHIP", "x"), std::nullopt);        // only the first [chip] counts
    EXPECT_EQ(ini.Read("chip", "half"), "1");              // "[half" is no section header
}

TEST(IniFile, WriteReplacesInPlaceAndAppendsInOrderWithTheFilesLineEnds)
{
    IniFile ini = IniFile::Parse("; settings\n[CHIP]\n Chip_Name = old \n# kept\n\n\n"
                                 "[Empty]\n; comment\n\n[PORTS]\nCOM3=/dev/ttyUSB0\n");
    ini.Write("chip", "CHIP_NAME", "QK128");
    ini.Write("CHIP", "CHIP_PIN", "20");
    ini.Write("Empty", "a", "1");
    ini.Write("ID", "ID_START", "00012A");
    EXPECT_EQ(ini.Text(), "; settings\n[CHIP]\nChip_Name=QK128\nCHIP_PIN=20\n# kept\n\n\n"
                          "[Empty]\na=1\n; comment\n\n[PORTS]\nCOM3=/dev/ttyUSB0\n"
                          "\n[ID]\nID_START=00012A\n");

    IniFile fresh; // new files use CRLF; a value ends at its first line break
    fresh.Write("A", "k", "v1\r\n[B]\r\nx=1");
    EXPECT_EQ(fresh.Text(), "[A]\r\nk=v1\r\n");
    IniFile unended = IniFile::Parse("[A]\nk=v");
    unended.Write("A", "k", "w\nj=evil");
    EXPECT_EQ(unended.Text(), "[A]\nk=w\n");
}

} // namespace
} // namespace orvane
