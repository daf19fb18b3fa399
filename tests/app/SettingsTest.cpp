// The settings file: what load takes from each key, what a save writes, and what guards the file: one
// window per file, no save the reader would refuse, and a stored model that the model list no
// longer names kept until the operator chooses one.
#include "app/Lifecycle.h"
#include "app/ProgramFiles.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "catalogue/Catalogue.h"
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

struct SettingsTest : ::testing::Test {
    SettingsTest() { CopyDataFiles(dir.path()); }
    // The shipped model names; the ID fields set to tell "left alone" from "read".
    AppState Fresh() const
    {
        AppState s;
        s.AppDir = dir.path();
        LoadModelNames(s);
        s.IDLen = s.IDAddr = 7;
        s.InitID = 5;
        s.NextID = 9; // a non-hex ID_START still sets NextID := InitID
        return s;
    }
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

// The fae flag (last field) is false only for a "0" in section IRC.
TEST_F(SettingsTest, LoadChecksEachKey)
{
    const std::pair<const char*, const char*> cases[] = {
        {nullptr, "QK106/20/COM1/0/15/READ ERROR/7/7/5/5/1"},
        {"[CHIP]\nCHIP_NAME=QK115\nCHIP_PIN=28\n[OPTION]\nFreq=7\noFreq=\nLVR=ON\n[COM]\n" // slot 9
         "COM_NAME=com2\n[ID]\nID_LENGTH=G\nID_ADDR_START=-1\nID_START=123456789\n[IRC]\nfae=00\n",
         "QK106/20/COM1/0/0/ON/7/7/4886718345/4886718345/1"}, // no digit of ID_START is lost
        {"[chip]\r\n chip_name = QK134 \r\n[OPTION]\r\nFreq=4\r\noFreq=3\r\n[com]\r\n"
         "com_name=COM5\r\n[ID]\r\nID_LENGTH=3\r\nID_ADDR_START=7ff0\r\nID_START=FFFFFFFF\r\n"
         "[irc]\r\n FAE = 0 \r\n",
         "QK134/20/COM5/4/3/READ ERROR/3/32752/-1/-1/0"},
    };
    for (const auto& [text, want] : cases) {
        if (text)
            test::WriteText(file, text);
        AppState s = Fresh();
        LoadSettings(s);
        const auto n = [](std::int64_t v) { return "/" + std::to_string(v); };
        EXPECT_EQ(s.ChipName + "/" + s.ChipPin + "/" + s.ComName + "/" + s.OptFreq + "/" +
                      s.OptOFreq + "/" + s.OptLVR + n(s.IDLen) + n(s.IDAddr) + n(s.InitID) +
                      n(s.NextID) + n(ReadFaeFlag(s)),
                  want);
    }
}

// Every key in order after the file's own lines, which are kept byte for byte.
TEST_F(SettingsTest, SaveWritesEveryKeyInOrderAfterTheFilesOwnLines)
{
    const std::string golden =
        "[CHIP]\r\nCHIP_NAME=QK128\r\nCHIP_PIN=20\r\n\r\n"
        "[OPTION]\r\nWDT=ON\r\nXT=RC1\r\nSEC=OFF\r\nPosLog=ON\r\nCW=06\r\nLVR=ON\r\n"
        "P12F=OFF\r\nFsys=00\r\nFs=011\r\nLCD=OFF\r\nlvrs=2.1V\r\nosc=110\r\nFreq=1\r\n"
        "oFreq=15\r\nTempAdj=16\r\nSMTSEL=0\r\nROTP=1\r\nODSEL=0\r\nDIVSEL=2\r\nVDSEL=1\r\n"
        "RCSMT=0\r\nLVD=0\r\nLOCK0=0\r\nLOCK1=0\r\nLOCK2=0\r\nLOCK3=1\r\nLOCK4=0\r\n"
        "LOCK5=0\r\nLOCK6=0\r\nLOCK7=0\r\nLOCK8=0\r\nLOCK9=0\r\nLOCK10=0\r\nLOCK11=0\r\n"
        "LOCK12=0\r\nLOCK13=0\r\nLOCK14=0\r\nLOCK15=0\r\n\r\n"
        "[COM]\r\nCOM_NAME=COM3\r\nRC_NAME=ON\r\n\r\n"
        "[ID]\r\nID_LENGTH=3\r\nID_ADDR_START=7F00\r\nID_START=00012A\r\n";
    test::WriteText(file, golden);
    AppState s = Fresh();
    LoadSettings(s);
    test::WriteText(file, "; hand-set\r\n[irc]\r\n FAE = 0 \r\n");
    SaveSettings(s);
    EXPECT_EQ(test::ReadText(file), "; hand-set\r\n[irc]\r\n FAE = 0 \r\n\r\n" + golden);

    // ID_START has two digits per ID byte, a negative ID its low 32 bits.
    const struct { std::int32_t idLen; std::int64_t nextId; const char* line; } cases[] = {
        {2, 0x12345, "ID_START=12345\r\n"}, {2, -1, "ID_START=FFFFFFFF\r\n"},
        {0x7FFFFFFF, 1, "ID_START=0000000000000001\r\n"}}; // a hostile length stays small
    for (const auto& c : cases) {
        s.IDLen = c.idLen;
        s.NextID = c.nextId;
        SaveSettings(s);
        EXPECT_THAT(test::ReadText(file), testing::EndsWith(c.line));
    }
}

TEST_F(SettingsTest, ASecondWindowOnTheSettingsFileEndsBeforeTheSearchAndWritesNothing)
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

TEST_F(SettingsTest, ASaveNeverWritesAFileTheReaderWouldRefuse)
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

TEST_F(SettingsTest, AStoredModelTheListDoesNotNameIsSavedBackUntilAWrtFileNamesOne)
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
