// The window's start-up sequence and shutdown, on the in-process Writer: what runs in which order,
// where a file error stops it, and when the settings file may be written at exit.
#include "app/Lifecycle.h"

#include "tests/support/TempDir.h"
#include "tests/writer/link_fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace orvane::test {
namespace {

const std::string kSettings = "; hand-kept\r\n[CHIP]\r\nCHIP_NAME=QK128\r\n[COM]\r\nCOM_NAME=COM3\r\n";
const std::string kNotFound = "box question 未找到Writer，是否继续打开！";

class LifecycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyDataFiles(dir.path());
        WriteText(dir.file("Udate_VX.ini"), kSettings);
    }
    StartupOutcome Start() { return RunStartup(s, link, view, dir.path()); }
    void Stop() { RunShutdown(s, port, view); }
    std::string Settings() const { return ReadText(dir.file("Udate_VX.ini")); }

    TempDir dir;
    AppState s;
    VirtualLoop loop;
    FakePort port{loop};
    WriterLink link{s, port, loop};
    RecordingView view;
};

TEST_F(LifecycleTest, NoWriterAnsweredNoEndsAndLeavesTheSettingsFileAlone)
{
    view.answer = false;
    EXPECT_EQ(Start().end, StartupEnd::Declined);
    EXPECT_EQ(view.log, (Lines{"off main", "panel 固件版本：读取失败！", kNotFound}));
    EXPECT_TRUE(s.ChipName.empty());
    Stop();
    EXPECT_EQ(Settings(), kSettings);
}

TEST_F(LifecycleTest, NoWriterAnsweredYesSetsUpTheModelAndTheExitSavesItOrSaysWhyNot)
{
    EXPECT_EQ(Start().end, StartupEnd::Completed);
    EXPECT_EQ(s.AppDir, dir.path());
    EXPECT_EQ(s.ChipName, "QK128");
    EXPECT_EQ(s.ProgramInfo, "尚未打开程序");
    // Cursor into the first option copy, top row two rows above the program area.
    const Lines tail(view.log.end() - 2, view.log.end());
    EXPECT_EQ(tail, (Lines{"row " + Hex((0x2100 + 0xA0) / 16, 3), "on main"}));
    EXPECT_EQ(view.log[2], kNotFound);
    Stop(); // saves every key (the lines of a save are the settings test's)
    EXPECT_NE(Settings().find("[OPTION]"), std::string::npos) << Settings();

    s.AppDir = dir.file("missing/"); // a failed save at exit is shown
    view.log.clear();
    Stop();
    ASSERT_EQ(view.log.size(), 1u);
    EXPECT_TRUE(view.log[0].starts_with("box error ") &&
                view.log[0].find("Udate_VX.ini") != std::string::npos);
}

TEST_F(LifecycleTest, AWriterOnAPortAsksNothingAndShowsItsFirmware)
{
    port.existing = {"COM2"};
    EXPECT_EQ(Start().end, StartupEnd::Completed);
    EXPECT_TRUE(s.WriterFound);
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), kNotFound), 0);
    EXPECT_TRUE(view.log[1].starts_with("panel 固件版本:"));
    EXPECT_FALSE(port.isOpen);
}

TEST_F(LifecycleTest, FileErrorsStopAtTheirStepAndTheWindowComesBackOn)
{
    const std::pair<const char*, bool> cases[] = {{"device.name", false}, {"QK128_20.S19", true}};
    for (const auto& [removed, settingsLoaded] : cases) { // the box names the missing file
        SCOPED_TRACE(removed);
        TempDir local;
        CopyDataFiles(local.path());
        WriteText(local.file("Udate_VX.ini"), kSettings);
        std::remove(local.file(removed).c_str());
        AppState state;
        RecordingView v;
        WriterLink l{state, port, loop};
        const StartupOutcome outcome = RunStartup(state, l, v, local.path());
        EXPECT_EQ(std::tuple(outcome.end, state.SettingsRead),
                  std::tuple(StartupEnd::FileError, settingsLoaded));
        ASSERT_GE(v.log.size(), 2u);
        const std::string& box = v.log[v.log.size() - 2];
        EXPECT_TRUE(box.starts_with("box error ") && box.find(removed) != std::string::npos) << box;
        EXPECT_EQ(v.log.back(), "on main");
        RunShutdown(state, port, v);
        // Only a start-up that read the settings writes them back.
        EXPECT_EQ(ReadText(local.file("Udate_VX.ini")) == kSettings, !settingsLoaded);
    }
}

} // namespace
} // namespace orvane::test
