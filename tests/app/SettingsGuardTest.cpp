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

#include <optional>
#include <sys/wait.h>
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

// A child process that holds the lock until it is told to end.
class OtherHolder {
public:
    explicit OtherHolder(const std::string& path)
    {
        int locked[2], release[2];
        EXPECT_EQ(::pipe(locked), 0);
        EXPECT_EQ(::pipe(release), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(release[1]);
            const LockFile lock(path);
            char c = 'x';
            const bool told = ::write(locked[1], &c, 1) == 1;
            ::_exit(told && ::read(release[0], &c, 1) >= 0 ? 0 : 1); // until the parent closes
        }
        ::close(locked[1]);
        ::close(release[0]);
        char c = 0;
        EXPECT_EQ(::read(locked[0], &c, 1), 1);
        ::close(locked[0]);
        release_ = release[1];
    }
    ~OtherHolder()
    {
        ::close(release_);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
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
    for (const bool otherProcess : {false, true}) {
        SCOPED_TRACE(otherProcess ? "another process" : "another open in this process");
        std::optional<LockFile> ours;
        std::optional<OtherHolder> theirs;
        pid_t holder = ::getpid();
        if (otherProcess)
            holder = theirs.emplace(file + ".lock").Pid();
        else
            ours.emplace(file + ".lock");
        RecordingView view;
        EXPECT_EQ(start(view), StartupEnd::SettingsInUse);
        EXPECT_EQ(view.log, (Lines{"off main", "box error 设置文件 " + file +
                                                   " 正被另一个Orvane窗口（进程 " +
                                                   std::to_string(holder) + "）使用"}));
        EXPECT_EQ(ReadText(file), kSettings);
    }
    // With the holders gone the next window takes the lock and names itself in it.
    RecordingView view;
    EXPECT_EQ(start(view), StartupEnd::Completed);
    EXPECT_EQ(ReadText(file + ".lock"), std::to_string(::getpid()) + "\n");
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
