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

bool Succeeds(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// 0x800 bytes that are never 0xFF, so that no record is left out and no hole reads back as 0.
const std::string kPattern = [] {
    std::string bytes(0x800, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 31 % 255);
    return bytes;
}();

TEST(SRecordInterop, SrecordToolsAcceptOurFiles)
{
    if (!Have("srec_cat") || !Have("srec_info"))
        GTEST_SKIP() << "srecord is not installed";
    TempDir dir;
    auto s = BlankState();
    std::copy(kPattern.begin(), kPattern.end(), s->RomImage.begin());
    s->ChipName = "QK128";
    s->ChipPin = "20";
    const std::string s19 = dir.file("a.S19"), wrt = dir.file("a.WRT");
    WriteS19File(*s, 0, 0x7FF, s19);
    WriteWrtFile(*s, 0, 0x7FF, wrt);

    EXPECT_TRUE(Succeeds("srec_info " + s19));
    EXPECT_TRUE(Succeeds("srec_cat " + s19 + " -o " + dir.file("a.bin") + " -binary"));
    EXPECT_EQ(ReadText(dir.file("a.bin")), kPattern);
    EXPECT_TRUE(Succeeds("tail -n +3 " + wrt + " | srec_cat - -o /dev/null"));

    // The tools do check: one wrong checksum digit fails them.
    std::string text = ReadText(s19);
    text[text.find("\r\n") - 1] ^= 1;
    WriteText(dir.file("bad.S19"), text);
    EXPECT_FALSE(Succeeds("srec_cat " + dir.file("bad.S19") + " -o /dev/null"));
}

TEST(SRecordInterop, FilesFromTheUsualToolsLoadTheSameBytes)
{
    Bytes expected;
    for (std::size_t i = 0; i < kPattern.size(); ++i)
        expected[0x100 + int(i)] = std::uint8_t(kPattern[i]);
    for (const std::string tool : {"srec_cat", "objcopy", "objcopy --srec-len 40"}) {
        if (!Have(tool.substr(0, tool.find(' '))))
            continue; // the other tool still runs; a missing one is not a failure
        TempDir dir;
        WriteText(dir.file("in.bin"), kPattern);
        const std::string in = dir.file("in.bin"), out = dir.file("out.S19");
        const std::string command =
            tool == "srec_cat"
                ? "srec_cat " + in + " -binary -offset 0x100 -o " + out
                : tool + " -I binary -O srec --change-addresses 0x100 " + in + " " + out;
        ASSERT_TRUE(Succeeds(command)) << command;
        auto s = BlankState();
        LoadS19Range(*s, 0, 0xFFFF, out);
        EXPECT_EQ(NonBlank(*s), expected) << command;
    }
}

} // namespace
} // namespace orvane::test
