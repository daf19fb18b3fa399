// What guards the settings file: one window per file, no save the reader would refuse, and a
// stored model that the model list no longer names kept until the operator chooses one.
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

const std::string kSettings = "[CHIP]\r\nCHIP_NAME=QK128\r\n";

class SettingsGuardTest : public ::testing::Test {
protected:
    SettingsGuardTest()
    {
        CopyDataFiles(dir.path());
        WriteText(file, kSettings);
    }
    AppState Loaded(const std::string& settings)
    {
        WriteText(file, settings);
        AppState s;
        LoadNamesAndSettings(s, dir.path());
        return s;
    }
    std::string ChipNameLine() const
    {
        const std::string text = ReadText(file);
        const auto at = text.find("CHIP_NAME=");
        return text.substr(at, text.find('\r', at) - at);
    }

    TempDir dir;
    std::string file = dir.file("Udate_VX.ini");
};

TEST_F(SettingsGuardTest, ASecondWindowOnTheSettingsFileEndsBeforeTheSearchAndWritesNothing)
{
    VirtualLoop loop;
    FakePort port{loop};
    const auto start = [&](RecordingView& view) {
        AppState s;
        WriterLink link{s, port, loop};
        return RunStartup(s, link, view, dir.path()).end;
    };
    {
        const LockFile first(file + ".lock"); // another window: another open of the lock file
        RecordingView view;
        EXPECT_EQ(start(view), StartupEnd::SettingsInUse);
        EXPECT_EQ(view.log, (Lines{"off main", "box error 设置文件 " + file +
                                                   " 正被另一个Orvane窗口（进程 " +
                                                   std::to_string(::getpid()) + "）使用"}));
        EXPECT_EQ(ReadText(file), kSettings);
    }
    // With the holder gone the next window takes the lock and names itself in it.
    RecordingView view;
    EXPECT_EQ(start(view), StartupEnd::Completed);
    EXPECT_EQ(ReadText(file + ".lock"), std::to_string(::getpid()) + "\n");

    // A lock file that is no plain file of its own is left as it is, and the window goes on.
    namespace fs = std::filesystem;
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
        RecordingView other;
        EXPECT_EQ(start(other), StartupEnd::Completed);
        EXPECT_EQ(ReadText(victim), "kept");
    }
}

TEST_F(SettingsGuardTest, ASaveNeverWritesAFileTheReaderWouldRefuse)
{
    const std::string tooLarge =
        "无法写入文件 " + file + "：文件过大（超过 " + std::to_string(kSmallFileLimit) + " 字节）";
    // A file the reader accepts, whose keys the save would push past the limit.
    const std::string nearLimit = "; " + std::string(kSmallFileLimit - 100, 'x') + "\r\n";
    const struct {
        const char* what;
        std::string stored;
        std::string chipName;
    } cases[] = {
        {"comments kept", nearLimit, "QK128"},
        {"a model name from a damaged list", kSettings, std::string(kSmallFileLimit, 'Q')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppState s = Loaded(c.stored);
        s.ChipName = c.chipName;
        EXPECT_THAT([&] { SaveSettings(s); }, testing::ThrowsMessage<FileError>(tooLarge));
        EXPECT_EQ(ReadText(file), c.stored);
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
    const struct {
        const char* stored;
        const char* saved;
    } cases[] = {
        {"[CHIP]\r\nCHIP_NAME=QK999\r\n", "CHIP_NAME=QK999"},
        {"[CHIP]\r\nCHIP_NAME=QK115\r\n", "CHIP_NAME=QK115"}, // slot 9's name loads as slot 2
        {"[CHIP]\r\nCHIP_NAME=QK128\r\n", "CHIP_NAME=QK128"},
        {"[COM]\r\n", "CHIP_NAME=QK106"}, // nothing stored to keep
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SaveSettings(Loaded(c.stored));
        EXPECT_EQ(ChipNameLine(), c.saved);
    }

    AppState wrt = Loaded(kSettings);
    BuildModelImage(wrt);
    SaveProgramFile(wrt, dir.file("fw.WRT"), FileFormat::Wrt);
    AppState s = Loaded("[CHIP]\r\nCHIP_NAME=QK999\r\n");
    BuildModelImage(s);
    RecordingView view;
    OpenProgramFile(s, dir.file("fw.WRT"), FileFormat::Wrt, view);
    SaveSettings(s);
    EXPECT_EQ(ChipNameLine(), "CHIP_NAME=QK128");
}

} // namespace
} // namespace orvane::test
