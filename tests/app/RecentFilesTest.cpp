// The FILE menu's recent files in the settings file, and the file kinds a drop or a recent file
// opens by extension.
#include "app/FileKinds.h"
#include "app/RecentFiles.h"
#include "app/Settings.h"

#include "catalogue/Catalogue.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>

namespace orvane {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct RecentFilesTest : ::testing::Test {
    RecentFilesTest()
    {
        test::CopyDataFiles(dir.path());
        s.AppDir = dir.path();
        LoadModelNames(s);
    }
    test::TempDir dir;
    AppState s;
};

TEST_F(RecentFilesTest, KeptAcrossARestartNewestFirstAndCappedAtEight)
{
    for (int n = 1; n <= 9; ++n)
        NoteRecentFile(s, "/fw/" + std::to_string(n) + ".S19");
    NoteRecentFile(s, "/fw/5.S19"); // again: to the front, not twice
    for (const char* refused : {" /fw/lead.S19", "/fw/trail.S19 ", "/fw/a\nb.S19", ""})
        NoteRecentFile(s, refused);
    SaveSettings(s);

    AppState restarted;
    restarted.AppDir = dir.path();
    LoadModelNames(restarted);
    LoadSettings(restarted);
    EXPECT_THAT(restarted.RecentFiles,
                ElementsAre("/fw/5.S19", "/fw/9.S19", "/fw/8.S19", "/fw/7.S19", "/fw/6.S19",
                            "/fw/4.S19", "/fw/3.S19", "/fw/2.S19"));
    EXPECT_EQ(s.RecentFiles, restarted.RecentFiles); // the running window's menu holds the same eight
    EXPECT_THAT(test::ReadText(dir.file("Udate_VX.ini")),
                HasSubstr("[RECENT]\r\nFILE1=/fw/5.S19\r\nFILE2=/fw/9.S19\r\n"));
}

TEST(FileKindsTest, ExtensionsInAnyCase)
{
    const std::pair<const char*, std::optional<FileFormat>> cases[] = {
        {"/x/fw.S19", FileFormat::S19}, {"fw.s19", FileFormat::S19},
        {"/x/p.WRT", FileFormat::Wrt},  {"p.Wrt", FileFormat::Wrt},
        {"fw.hex", FileFormat::IntelHex}, {"b.IHX", FileFormat::IntelHex},
        {"fw.bin", std::nullopt},       {"S19", std::nullopt},
        {"/x.S19/fw", std::nullopt},    {"fw.S19.bak", std::nullopt},
    };
    for (const auto& [path, format] : cases)
        EXPECT_EQ(FormatByExtension(path), format) << path;
}

} // namespace
} // namespace orvane
