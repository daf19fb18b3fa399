// Opening WRT files of every model while another model is selected, and a failed Open, which
// takes nothing over.
#include "app/ProgramFiles.h"
#include "app/Startup.h"
#include "image/RomImage.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvane {
namespace {

// "S1" record with one data byte at address, CRLF; wrong = added to the right checksum.
std::string S1(int address, int byte, int wrong = 0)
{
    const int sum = 4 + (address >> 8) + (address & 0xFF) + byte;
    return "S104" + Hex(address, 4) + Hex(byte, 2) + Hex((0xFF - sum + wrong) & 0xFF, 2) + "\r\n";
}

struct Model {
    int slot;
    const char* name;
    int romEnd;     // the program area's end in the model's chip file; it starts at 0000
    int optionBase; // OptionAddr1
};

// By hand from the slot table and the shipped chip files (descriptor bytes +6, +7).
constexpr Model kModels[] = {
    {1, "QK101", 0x03FF, 0x2100},  {2, "QK106", 0x0FFF, 0x2100},  {3, "QK105", 0x0FFF, 0x2100},
    {4, "QK104", 0x0FFF, 0x2100},  {5, "QK116", 0x1FFF, 0x2100},  {6, "QK103", 0x3FFF, 0x4100},
    {7, "QK111", 0x1FFF, 0x2100},  {8, "QK122", 0x1FFF, 0x2100},  {9, "QK115", 0x1FFF, 0x2100},
    {10, "QK113", 0x1FFF, 0x2100}, {11, "QK109", 0x1FFF, 0x2100}, {12, "QK126", 0x1FFF, 0x2100},
    {13, "QK117", 0x1FFF, 0x2100}, {14, "QK124", 0x3FFF, 0x4100}, {15, "QK120", 0x1FFF, 0x2100},
    {16, "QK118", 0x1FFF, 0x2100}, {17, "QK114", 0x3FFF, 0x4100}, {18, "QK125", 0x3FFF, 0x4100},
    {19, "QK127", 0x3FFF, 0x4100}, {20, "QK128", 0x1FFF, 0x2100}, {21, "QK110", 0x3FFF, 0x4100},
    {22, "QK131", 0x1FFF, 0x2100}, {23, "QK135", 0x3FFF, 0x4100}, {24, "QK138", 0x3FFF, 0x4100},
    {25, "QK132", 0x1FFF, 0x2100}, {26, "QK130", 0x1FFF, 0x2100}, {27, "QK133", 0x1FFF, 0x2100},
    {28, "QK137", 0x3FFF, 0x4100}, {29, "QK129", 0x1FFF, 0x2100}, {30, "QK139", 0x07FF, 0x2100},
    {31, "QK134", 0x7FFF, 0x8100},
};

class ProgramFilesTest : public testing::Test {
protected:
    ProgramFilesTest() { test::CopyDataFiles(dir.path()); }

    // A fresh start-up with `selected`, then Open of a WRT file naming `model`.
    bool OpenWrt(const char* selected, const Model& model, const std::string& records)
    {
        s = std::make_unique<AppState>();
        SetUpState(*s, dir.path(), selected);
        const std::string name = model.name;
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
    for (const Model& m : kModels) {
        // The previous model differs in its program area or its chip-data base.
        for (const char* selected : {"QK134", "QK101", "QK106"}) {
            if (m.name == std::string(selected))
                continue;
            const int lastRow = m.romEnd - 15, option = m.optionBase + 0x20;
            EXPECT_TRUE(OpenWrt(selected, m, S1(0, 0x11) + S1(lastRow, 0x22) + S1(option, 0x0C)));
            const auto& image = s->RomImage;
            EXPECT_EQ(std::tuple(s->ChipName, s->RomStart, s->RomEnd, image[0],
                                 image[static_cast<std::size_t>(lastRow)],
                                 image[static_cast<std::size_t>(option)]),
                      std::tuple(std::string(m.name), 0, m.romEnd, 0x11, 0x22, 0x0C))
                << m.name << " after " << selected;
        }
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProgramFilesTest, ARecordChecksumErrorIsReportedAndOpenSaysTheFileWasCut)
{
    const Model& qk128 = kModels[19];
    EXPECT_FALSE(OpenWrt("QK106", qk128, S1(0, 0x11) + S1(0x10, 0x22, 1) + S1(0x20, 0x33)));
    EXPECT_EQ(messages.shown, (decltype(messages.shown){{MessageKind::Plain,
                                                          "File  Error!C9 in line 5"}}));
    EXPECT_EQ(s->RomImage[0x00], 0x11);
    EXPECT_EQ(s->RomImage[0x20], 0xFF); // records after the bad one are not read
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
