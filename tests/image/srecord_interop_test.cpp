// Files we write must satisfy the srecord tools (which verify checksums), and files the usual
// Linux tools write must load the same bytes.
#include "image/SRecordFiles.h"
#include "tests/image/srecord_support.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace orvane::test {
namespace {

bool Have(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

int ExitCode(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// 0x800 bytes that are never 0xFF, so that no record is left out and no hole reads back as 0.
std::string Pattern()
{
    std::string bytes(0x800, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 31 % 255);
    return bytes;
}

TEST(SRecordInterop, SrecordToolsAcceptOurFiles)
{
    if (!Have("srec_cat") || !Have("srec_info"))
        GTEST_SKIP() << "srecord is not installed";
    TempDir dir;
    auto s = BlankState();
    const std::string bytes = Pattern();
    std::copy(bytes.begin(), bytes.end(), s->RomImage.begin());
    s->ChipName = "QK128";
    s->ChipPin = "20";
    WriteS19File(*s, 0, 0x7FF, dir.file("a.S19"));
    WriteWrtFile(*s, 0, 0x7FF, dir.file("a.WRT"));

    EXPECT_EQ(ExitCode("srec_info " + dir.file("a.S19")), 0);
    EXPECT_EQ(ExitCode("srec_cat " + dir.file("a.S19") + " -o /dev/null"), 0);
    EXPECT_EQ(ExitCode("srec_cat " + dir.file("a.S19") + " -o " + dir.file("a.bin") + " -binary"), 0);
    EXPECT_EQ(ReadText(dir.file("a.bin")), bytes);
    EXPECT_EQ(ExitCode("tail -n +3 " + dir.file("a.WRT") + " > " + dir.file("w.S19") + " && srec_cat " +
                  dir.file("w.S19") + " -o /dev/null"), 0);

    // The tools do check: one wrong checksum digit fails them.
    std::string text = ReadText(dir.file("a.S19"));
    text[text.find("\r\n") - 1] ^= 1;
    WriteText(dir.file("bad.S19"), text);
    EXPECT_NE(ExitCode("srec_cat " + dir.file("bad.S19") + " -o /dev/null"), 0);
}

TEST(SRecordInterop, FilesFromTheUsualToolsLoadTheSameBytes)
{
    struct Case { const char* tool; const char* command; };
    const Case cases[] = {
        {"srec_cat", "srec_cat IN -binary -offset 0x100 -o OUT"},
        {"objcopy", "objcopy -I binary -O srec --change-addresses 0x100 IN OUT"},
        {"objcopy", "objcopy -I binary -O srec --change-addresses 0x100 --srec-len 40 IN OUT"},
    };
    for (const Case& c : cases) {
        if (!Have(c.tool)) {
            std::printf("skipped: %s is not installed\n", c.tool);
            continue;
        }
        TempDir dir;
        const std::string bytes = Pattern();
        WriteText(dir.file("in.bin"), bytes);
        std::string command = c.command;
        command.replace(command.find("IN"), 2, dir.file("in.bin"));
        command.replace(command.find("OUT"), 3, dir.file("out.S19"));
        ASSERT_EQ(ExitCode(command), 0) << command;

        auto s = BlankState();
        LoadS19Range(*s, 0, 0xFFFF, dir.file("out.S19"));
        auto expected = BlankState();
        std::copy(bytes.begin(), bytes.end(), expected->RomImage.begin() + 0x100);
        EXPECT_EQ(s->RomImage, expected->RomImage) << command;
    }
}

} // namespace
} // namespace orvane::test
