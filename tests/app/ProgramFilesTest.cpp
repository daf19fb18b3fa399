// Open of a program file takes the file over whole or not at all.
#include "app/ProgramFiles.h"

#include "app/Startup.h"
#include "tests/support/MessageRecorder.h"
#include "image/RomImage.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

TEST(ProgramFilesTest, AFailedOpenLeavesTheWholeStateAsItWas)
{
    TempDir dir;
    CopyDataFiles(dir.path());
    WriteText(dir.file("Udate_VX.ini"), "[CHIP]\nCHIP_NAME=QK134\n");
    AppState s;
    SetUpState(s, dir.path());
    s.RomImage[0x10] = 0x42;
    ComputeChecksum(s);
    const AppState before = s;

    WriteText(dir.file("other.WRT"), "05QK128\n20\nS1230000ZZ\n");  // header of another model
    WriteText(dir.file("plain.S19"), "S00600004844521B\nS9030000FC\n"); // no WRT header
    WriteText(dir.file("cut.S19"), "S1130000000102030405060708090A0B0C0D0E0F\nS1");
    const std::pair<const char*, FileFormat> cases[] = {
        {"missing.S19", FileFormat::S19},
        {"other.WRT", FileFormat::Wrt},
        {"plain.S19", FileFormat::Wrt},
        {"cut.S19", FileFormat::S19},
    };
    for (const auto& [name, format] : cases) {
        SCOPED_TRACE(name);
        MessageRecorder messages;
        EXPECT_ANY_THROW(OpenProgramFile(s, dir.file(name), format, messages));
        EXPECT_EQ(s.RomImage, before.RomImage);
        EXPECT_EQ(s.ChipName, before.ChipName);
        EXPECT_EQ(s.ChipPin, before.ChipPin);
        EXPECT_EQ(s.RomStart, before.RomStart);
        EXPECT_EQ(s.RomEnd, before.RomEnd);
        EXPECT_EQ(s.OptionAddr1, before.OptionAddr1);
        EXPECT_EQ(s.OptWDT, before.OptWDT);
        EXPECT_EQ(s.ProgramInfo, before.ProgramInfo);
        EXPECT_EQ(s.FileChecksum, before.FileChecksum);
    }
}

} // namespace
} // namespace orvane::test
