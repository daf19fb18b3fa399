// Where the settings file lives: beside a build or portable copy, per user for an installed copy
// (read from the site-wide seed until the user's first save).
#include "app/Settings.h"
#include "app/SettingsPath.h"

#include "catalogue/Catalogue.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace orvane {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable (nullptr: unsets it) for the life of the object.
struct ScopedEnv {
    ScopedEnv(const char* key, const char* value) : name(key)
    {
        if (const char* was = std::getenv(key))
            old = was;
        value ? ::setenv(key, value, 1) : ::unsetenv(key);
    }
    ~ScopedEnv() { old ? ::setenv(name, old->c_str(), 1) : ::unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

struct SettingsPathTest : ::testing::Test {
    // An installed copy: program folder usr/lib/orvane/ with the marker, seed in etc/orvane/.
    void Install(const std::string& seedText)
    {
        fs::create_directories(app);
        fs::create_directories(root.file("etc/orvane"));
        test::WriteText(app + kInstalledMarker,
                        "; installed\r\n[INSTALLED]\r\nSEED=../../../etc/orvane/Udate_VX.ini\r\n");
        test::WriteText(seed, seedText);
    }

    test::TempDir root;
    std::string app = root.file("usr/lib/orvane/");
    std::string seed = root.file("etc/orvane/Udate_VX.ini");
    ScopedEnv home{"HOME", root.path().c_str()};
};

TEST_F(SettingsPathTest, AnInstalledCopyUsesTheUsersConfigFolderAnyOtherItsOwn)
{
    const SettingsLocation beside = LocateSettings(app); // no marker
    EXPECT_EQ(std::tuple(beside.file, beside.ReadPath(), beside.perUser),
              std::tuple(app + "Udate_VX.ini", app + "Udate_VX.ini", false));
    Install("");
    const std::string fromHome = root.file(".config/orvane/Udate_VX.ini");
    const std::pair<const char*, std::string> cases[] = {
        {nullptr, fromHome},
        {"", fromHome},
        {"relative/cfg", fromHome},
        {"/xdg/cfg/", "/xdg/cfg/orvane/Udate_VX.ini"},
    };
    for (const auto& [xdg, file] : cases) {
        const ScopedEnv env("XDG_CONFIG_HOME", xdg);
        const SettingsLocation where = LocateSettings(app);
        EXPECT_EQ(std::tuple(where.file, where.seed), std::tuple(file, seed)) << (xdg ? xdg : "");
    }
}

// The seed is read until the first save, which writes the user's file in a private folder with the
// seed's hand-set sections and leaves the program folder alone.
TEST_F(SettingsPathTest, TheSeedIsReadUntilTheFirstSaveCopiesIt)
{
    const std::string seedText = "; site\r\n[CHIP]\r\nCHIP_NAME=QK110\r\n[PORTS]\r\n"
                                 "COM1=/dev/ttyX\r\n[JOURNAL]\r\nFOLDER=/srv/lots\r\n";
    Install(seedText);
    test::CopyDataFiles(app);
    const ScopedEnv env("XDG_CONFIG_HOME", root.file("cfg/home").c_str());
    const std::string user = root.file("cfg/home/orvane/Udate_VX.ini");
    const auto before = fs::last_write_time(app);

    AppState s;
    s.AppDir = app;
    LoadModelNames(s);
    LoadSettings(s);
    EXPECT_EQ(s.ChipName, "QK110");
    EXPECT_EQ(SettingsPortNaming(app).settingsPath, seed);
    EXPECT_FALSE(fs::exists(user));

    s.ChipName = "QK128";
    SaveSettings(s);
    const std::string kept = "; site\r\n[CHIP]\r\nCHIP_NAME=QK128\r\nCHIP_PIN=20\r\n[PORTS]\r\n"
                             "COM1=/dev/ttyX\r\n[JOURNAL]\r\nFOLDER=/srv/lots\r\n\r\n[OPTION]\r\n";
    EXPECT_EQ(test::ReadText(user).substr(0, kept.size()), kept);
    for (const char* folder : {"cfg", "cfg/home", "cfg/home/orvane"}) {
        struct stat st {};
        ASSERT_EQ(::stat(root.file(folder).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_EQ(test::ReadText(seed), seedText);
    EXPECT_FALSE(fs::exists(app + "Udate_VX.ini"));
    EXPECT_EQ(fs::last_write_time(app), before);

    test::WriteText(seed, "[CHIP]\r\nCHIP_NAME=QK101\r\n"); // the user's own file wins from now on
    LoadSettings(s);
    EXPECT_EQ(s.ChipName, "QK128");
    EXPECT_EQ(SettingsPortNaming(app).settingsPath, user);
}

} // namespace
} // namespace orvane
