// Open and Save As of Intel HEX files on a QK128 (program area 0000..1FFF): what reaches the
// image, the memo's note on what did not, and a refused file that changes nothing.
#include "app/ProgramFiles.h"
#include "app/Startup.h"
#include "foundation/Errors.h"
#include "image/RomImage.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvane {
namespace {

class OpenIntelHexTest : public testing::Test {
protected:
    OpenIntelHexTest()
    {
        test::CopyDataFiles(dir.path());
        test::WriteText(dir.file("Udate_VX.ini"), "[CHIP]\nCHIP_NAME=QK128\n");
        SetUpState(*s, dir.path());
    }

    test::TempDir dir;
    std::string file = dir.file("program.hex");
    std::unique_ptr<AppState> s = std::make_unique<AppState>();
    test::MessageRecorder messages;
};

TEST_F(OpenIntelHexTest, ProgramAreaBytesAreLoadedAndTheOthersCountedForTheMemo)
{
    s->RomImage[0x10] = 0x42; // blanked by the Open
    test::WriteText(file, ":020000000102FB\r\n"
                          ":021FFF000304D9\r\n"   // 1FFF in, 2000 out
                          ":01212000F0CE\r\n"    // an option byte: not the program's
                          ":00000001FF\r\n");
    const OpenedFile opened = OpenProgramFile(*s, file, FileFormat::IntelHex, messages);
    EXPECT_EQ(std::tuple(s->RomImage[0], s->RomImage[1], s->RomImage[0x10], s->RomImage[0x1FFF],
                         s->RomImage[0x2000], s->ProgramInfo, s->FileChecksum),
              std::tuple(0x01, 0x02, 0xFF, 0x03, 0xFF, file, (0x1FFD * 0xFF + 6) & 0xFFFF));
    EXPECT_EQ(BytesOutsideNote(opened), "已忽略程序区以外的 2 个字节");
    EXPECT_TRUE(opened.whole);

    test::WriteText(file, ":020000000102FB\n:00000001FF\n");
    EXPECT_EQ(BytesOutsideNote(OpenProgramFile(*s, file, FileFormat::IntelHex, messages)), "");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(OpenIntelHexTest, ARefusedFileLeavesTheStateAsItWas)
{
    s->ProgramInfo = "before.S19";
    const AppState before = *s;
    // The checksum error is an error of its own kind: the command line ends with status 9.
    test::WriteText(file, ":020000000102FB\n:0100100011EF\n:00000001FF\n");
    EXPECT_THROW(OpenProgramFile(*s, file, FileFormat::IntelHex, messages), RecordChecksumError);
    test::WriteText(file, ":020000000102FB\n"); // the compiler has not finished writing
    EXPECT_THROW(OpenProgramFile(*s, file, FileFormat::IntelHex, messages), FileError);
    EXPECT_TRUE(std::tie(s->RomImage, s->ProgramInfo, s->FileChecksum) ==
                std::tie(before.RomImage, before.ProgramInfo, before.FileChecksum));
}

TEST_F(OpenIntelHexTest, SaveAsWritesTheProgramAreaOnly)
{
    s->RomImage.fill(kBlank);
    s->RomImage[0x0005] = 0xA5;
    s->RomImage[0x1FFF] = 0x00;
    s->RomImage[0x2120] = 0x12; // option copy 2 stays out, as in the S19 file
    const std::string name = WithExtension(dir.file("out"), FileFormat::IntelHex);
    SaveProgramFile(*s, name, FileFormat::IntelHex);
    EXPECT_EQ(test::ReadText(dir.file("out.ihx")),
              ":10000000FFFFFFFFFFA5FFFFFFFFFFFFFFFFFFFF5A\r\n"
              ":101FF000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00F0\r\n"
              ":00000001FF\r\n");
    for (const auto& [given, kept] : {std::pair{"a.ihx", "a.ihx"}, {"a.IHX", "a.IHX.ihx"},
                                      {"a.hex", "a.hex.ihx"}})
        EXPECT_EQ(WithExtension(given, FileFormat::IntelHex), kept);
}

} // namespace
} // namespace orvane
