// Opening WRT files of every model while another model is selected, and a failed Open, which
// takes nothing over.
#include "app/ProgramFiles.h"
#include "app/Startup.h"
#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/SRecords.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvane {
namespace {

std::string Rec(int address, int byte, int bad = 0) // CRLF
{
    return test::S1(address, {byte}, bad) + "\r\n";
}

// The program area's end of each slot's model, by hand from the shipped chip files (descriptor
// bytes +6, +7); it starts at 0000. The catalogue test checks the models' names and option bases.
constexpr int kRomEnds[] = {0x03FF, 0x0FFF, 0x0FFF, 0x0FFF, 0x1FFF, 0x3FFF, 0x1FFF, 0x1FFF,
                            0x1FFF, 0x1FFF, 0x1FFF, 0x1FFF, 0x1FFF, 0x3FFF, 0x1FFF, 0x1FFF,
                            0x3FFF, 0x3FFF, 0x3FFF, 0x1FFF, 0x3FFF, 0x1FFF, 0x3FFF, 0x3FFF,
                            0x1FFF, 0x1FFF, 0x1FFF, 0x3FFF, 0x1FFF, 0x07FF, 0x7FFF};

class ProgramFilesTest : public testing::Test {
protected:
    ProgramFilesTest() { test::CopyDataFiles(dir.path()); }

    // A fresh start-up with `selected`, then Open of a WRT file naming `model`.
    bool OpenWrt(const char* selected, const std::string& name, const std::string& records)
    {
        s = std::make_unique<AppState>();
        SetUpState(*s, dir.path(), selected);
        test::WriteText(file, Hex(static_cast<int>(name.size()), 2) + name + "\r\n20\r\n" +
                                  records + "S9030000FC\r\n");
        return OpenProgramFile(*s, file, FileFormat::Wrt, messages).whole;
    }

    test::TempDir dir;
    std::string file = dir.file("program.WRT");
    std::unique_ptr<AppState> s;
    test::MessageRecorder messages;
};

TEST_F(ProgramFilesTest, EveryModelsFileIsReadOverItsOwnProgramAreaWhateverWasSelected)
{
    AppState shipped;
    SetUpState(shipped, dir.path());
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        AppState m = shipped;
        m.ChipName = m.ModelName[slot];
        UpdateAddressMap(m);
        // The previous model differs in its program area or its chip-data base.
        for (const char* selected : {"QK134", "QK101", "QK106"}) {
            if (m.ChipName == selected)
                continue;
            const int romEnd = kRomEnds[slot - 1], lastRow = romEnd - 15, option = m.OptionAddr2;
            EXPECT_TRUE(OpenWrt(selected, m.ChipName,
                                Rec(0, 0x11) + Rec(lastRow, 0x22) + Rec(option, 0x0C)));
            const auto& image = s->RomImage;
            EXPECT_EQ(std::tuple(s->ChipName, s->RomStart, s->RomEnd, image[0],
                                 image[static_cast<std::size_t>(lastRow)],
                                 image[static_cast<std::size_t>(option)]),
                      std::tuple(m.ChipName, 0, romEnd, 0x11, 0x22, 0x0C))
                << m.ChipName << " after " << selected;
        }
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProgramFilesTest, ARecordChecksumErrorIsReportedAndOpenSaysTheFileWasCut)
{
    EXPECT_FALSE(OpenWrt("QK106", "QK128", Rec(0, 0x11) + Rec(0x10, 0x22, 1) + Rec(0x20, 0x33)));
    EXPECT_EQ(messages.shown, (decltype(messages.shown){{MessageKind::Plain,
                                                          "File  Error!C9 in line 5"}}));
    EXPECT_EQ(s->ProgramInfo, file);
}

TEST(ProgramFilesOpenTest, AFailedOpenLeavesTheWholeStateAsItWas)
{
    test::TempDir dir;
    test::CopyDataFiles(dir.path());
    test::WriteText(dir.file("Udate_VX.ini"), "[CHIP]\nCHIP_NAME=QK134\n");
    AppState s;
    SetUpState(s, dir.path());
    s.RomImage[0x10] = 0x42;
    ComputeChecksum(s);
    const AppState before = s;

    test::WriteText(dir.file("other.WRT"), "05QK128\n20\nS1230000ZZ\n");  // header of another model
    test::WriteText(dir.file("plain.S19"), "S00600004844521B\nS9030000FC\n"); // no WRT header
    test::WriteText(dir.file("cut.S19"), "S1130000000102030405060708090A0B0C0D0E0F\nS1");
    const std::pair<const char*, FileFormat> cases[] = {
        {"missing.S19", FileFormat::S19},
        {"other.WRT", FileFormat::Wrt},
        {"plain.S19", FileFormat::Wrt},
        {"cut.S19", FileFormat::S19},
    };
    for (const auto& [name, format] : cases) {
        SCOPED_TRACE(name);
        test::MessageRecorder messages;
        EXPECT_ANY_THROW(OpenProgramFile(s, dir.file(name), format, messages));
        const auto facts = [](const AppState& a) {
            return std::tie(a.RomImage, a.ChipName, a.ChipPin, a.RomStart, a.RomEnd, a.OptionAddr1,
                            a.OptWDT, a.ProgramInfo, a.FileChecksum);
        };
        EXPECT_TRUE(facts(s) == facts(before));
    }
}

} // namespace
} // namespace orvane
