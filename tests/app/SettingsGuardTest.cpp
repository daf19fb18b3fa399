// What guards the settings file: one window per file, no save the reader would refuse, and a stored
// model that the model list no longer names kept until the operator chooses one.
#include "app/Lifecycle.h"
#include "app/ProgramFiles.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "foundation/Errors.h"
#include "foundation/IniFile.h"
#include "foundation/ReadFile.h"

#include "tests/support/TempDir.h"
#include "tests/writer/link_fakes.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

namespace orvane::test {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

const std::string kSettings = "[CHIP]\r\nCHIP_NAME=QK128\r\n";

struct SettingsGuardTest : ::testing::Test {
    SettingsGuardTest() { CopyDataFiles(dir.path()); }
    AppState Loaded(const std::string& settings)
    {
        WriteText(file, settings);
        AppState s;
        LoadNamesAndSettings(s, dir.path());
        return s;
    }

    TempDir dir;
    std::string file = dir.file("Udate_VX.ini");
};

TEST_F(SettingsGuardTest, ASecondWindowOnTheSettingsFileEndsBeforeTheSearchAndWritesNothing)
{
    WriteText(file, kSettings);
    VirtualLoop loop;
    FakePort port{loop};
    RecordingView view;
    const auto start = [&] {
        AppState s;
        WriterLink link{s, port, loop};
        view.log.clear();
        return RunStartup(s, link, view, dir.path()).end;
    };
    {
        const LockFile first(file + ".lock"); // another window: another open of the lock file
        EXPECT_EQ(start(), StartupEnd::SettingsInUse);
        EXPECT_EQ(view.log,
                  (Lines{"off main", "box error 设置文件 " + file + " 正被另一个Orvane窗口（进程 " +
                                         std::to_string(::getpid()) + "）使用"}));
        EXPECT_EQ(ReadText(file), kSettings);
    }
    // With the holder gone the next window takes the lock and names itself in it.
    EXPECT_EQ(start(), StartupEnd::Completed);
    EXPECT_EQ(ReadText(file + ".lock"), std::to_string(::getpid()) + "\n");

    // A lock file that is no plain file of its own is left as it is, and the window goes on.
    const std::string victim = dir.file("victim");
    WriteText(victim, "kept");
    const std::function<void(const std::string&)> hostile[] = {
        [&](const std::string& lock) { fs::create_symlink(victim, lock); },
        [&](const std::string& lock) { fs::create_hard_link(victim, lock); },
        [](const std::string& lock) { fs::create_directory(lock); },
    };
    for (const auto& make : hostile) {
        fs::remove(file + ".lock");
        make(file + ".lock");
        EXPECT_EQ(start(), StartupEnd::Completed);
        EXPECT_EQ(ReadText(victim), "kept");
    }
}

TEST_F(SettingsGuardTest, ASaveNeverWritesAFileTheReaderWouldRefuse)
{
    const std::string tooLarge =
        "无法写入文件 " + file + "：文件过大（超过 " + std::to_string(kSmallFileLimit) + " 字节）";
    // Comments the reader accepts that the keys push past the limit; a name from a damaged list.
    const std::pair<std::string, std::string> cases[] = {
        {"; " + std::string(kSmallFileLimit - 100, 'x') + "\r\n", "QK128"},
        {kSettings, std::string(kSmallFileLimit, 'Q')},
    };
    for (const auto& [stored, chipName] : cases) {
        AppState s = Loaded(stored);
        s.ChipName = chipName;
        EXPECT_THAT([&] { SaveSettings(s); }, testing::ThrowsMessage<FileError>(tooLarge));
        EXPECT_EQ(ReadText(file), stored);
    }
    // A file of exactly the limit is still written, and read.
    const auto comment = [](std::size_t size) {
        return IniFile::Parse(std::string(size - 2, ';') + "\r\n");
    };
    EXPECT_THROW(comment(kSmallFileLimit + 1).Save(file), FileError);
    comment(kSmallFileLimit).Save(file);
    EXPECT_EQ(IniFile::Load(file).Text().size(), kSmallFileLimit);
}

TEST_F(SettingsGuardTest, AStoredModelTheListDoesNotNameIsSavedBackUntilAWrtFileNamesOne)
{
    const std::pair<const char*, const char*> cases[] = {
        {"QK999", "QK999"},
        {"QK115", "QK115"}, // slot 9's name loads as slot 2
        {"QK128", "QK128"},
        {nullptr, "QK106"}, // nothing stored to keep
    };
    for (const auto& [stored, saved] : cases) {
        SaveSettings(
            Loaded(stored ? "[CHIP]\r\nCHIP_NAME=" + std::string(stored) + "\r\n" : "[COM]\r\n"));
        EXPECT_THAT(ReadText(file), HasSubstr("CHIP_NAME=" + std::string(saved) + "\r\n"));
    }
    AppState wrt = Loaded(kSettings);
    BuildModelImage(wrt);
    SaveProgramFile(wrt, dir.file("fw.WRT"), FileFormat::Wrt);
    AppState s = Loaded("[CHIP]\r\nCHIP_NAME=QK999\r\n");
    BuildModelImage(s);
    RecordingView view;
    OpenProgramFile(s, dir.file("fw.WRT"), FileFormat::Wrt, view);
    SaveSettings(s);
    EXPECT_THAT(ReadText(file), HasSubstr("CHIP_NAME=QK128\r\n"));
}

} // namespace
} // namespace orvane::test
