// Reading and safe saving against what a user's folder may hold: links, FIFOs, devices, huge
// files, read-only files, foreign groups, a file size limit and a save killed half-way.
#include "foundation/AtomicFile.h"
#include "foundation/Errors.h"
#include "foundation/IniFile.h"
#include "foundation/ReadFile.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;
using testing::ThrowsMessage;

std::set<std::string> FolderEntries(const TempDir& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename());
    return names;
}

TEST(ReadWholeFile, RefusesWhatIsNoRegularFileOrTooLargeWithoutBlocking)
{
    TempDir dir;
    const std::string fifo = dir.file("fifo"), zero = dir.file("zero"), big = dir.file("big");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", zero);
    WriteText(big, std::string(kSmallFileLimit + 1, '\n'));
    WriteText(dir.file("ok"), std::string(kSmallFileLimit, 'x'));
    const std::pair<std::string, std::string> cases[] = {
        {fifo, "无法读取文件 " + fifo + "：不是普通文件"}, // would block in open() without a writer
        {zero, "无法读取文件 " + zero + "：不是普通文件"}, // would never end
        {dir.path(), "无法读取文件 " + dir.path() + "：不是普通文件"},
        {big, "无法读取文件 " + big + "：文件过大（超过 1048576 字节）"},
        {dir.file("none"), "无法打开文件 " + dir.file("none") + "：No such file or directory"},
    };
    for (const auto& c : cases)
        EXPECT_THAT([&] { ReadWholeFile(c.first, kSmallFileLimit); },
                    ThrowsMessage<FileError>(c.second));
    EXPECT_EQ(ReadWholeFile(dir.file("ok"), kSmallFileLimit).size(), kSmallFileLimit);
    EXPECT_EQ(ReadFileIfPresent(dir.file("none/x"), kSmallFileLimit), std::nullopt);

    // The settings file goes through the same reader: a missing one is empty, a hostile one refused.
    EXPECT_EQ(IniFile::Load(dir.file("none")).Text(), "");
    EXPECT_THROW(IniFile::Load(zero), FileError);
    EXPECT_THROW(IniFile::Load(fifo), FileError);
}

// A child process saves 100000 bytes to target under a 4 KiB file size limit, SIGXFSZ at its
// default action (which ends the child) when asked; it exits with 0 after the right FileError.
// Gives the child's pid and wait status.
std::pair<pid_t, int> SaveOverASizeLimit(const std::string& target, bool signalEnds)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (signalEnds)
            std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WriteFileAtomically(target, std::string(100000, 'x'));
        } catch (const FileError& e) {
            ::_exit(e.what() == "无法写入文件 " + target + "：write (File too large)" ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    return {child, status};
}

class AtomicFileTest : public testing::Test {
protected:
    TempDir dir;
    const std::string target = dir.file("Udate_VX.ini");
};

TEST_F(AtomicFileTest, AFileNobodyMayWriteIsRefusedEvenForRootAndKeptAsItWas)
{
    WriteText(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    EXPECT_THAT([&] { WriteFileAtomically(target, "new"); },
                ThrowsMessage<FileError>("无法写入文件 " + target + "：open (Permission denied)"));
    EXPECT_THAT([&] { CheckWritable(target); }, ThrowsMessage<FileError>(testing::HasSubstr(
                                                    "Permission denied")));
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(FolderEntries(dir), std::set<std::string>{"Udate_VX.ini"});

    EXPECT_THAT([&] { WriteFileAtomically(dir.file("no/such.ini"), "x"); },
                ThrowsMessage<FileError>(testing::HasSubstr("No such file or directory")));
    EXPECT_THAT([&] { CheckWritable(dir.path()); },
                ThrowsMessage<FileError>(testing::HasSubstr("Is a directory")));
}

TEST_F(AtomicFileTest, ALinkIsFollowedAndItsTargetReplacedInItsOwnFolder)
{
    std::filesystem::create_directory(dir.file("real"));
    const std::string real = dir.file("real/settings.ini");
    WriteText(real, "old");
    std::filesystem::create_symlink("real/settings.ini", dir.file("hop"));
    std::filesystem::create_symlink(dir.file("hop"), target); // two hops, relative and absolute
    std::filesystem::create_symlink("real/new.ini", dir.file("dangling"));

    WriteFileAtomically(target, "new");
    WriteFileAtomically(dir.file("dangling"), "created");
    EXPECT_TRUE(std::filesystem::is_symlink(target));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling")));
    EXPECT_EQ(ReadText(real), "new");
    EXPECT_EQ(ReadText(dir.file("real/new.ini")), "created");

    // A name without a folder, relative to the working folder, as the command line gets it.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    WriteFileAtomically("hop", "bare");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(ReadText(real), "bare");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("hop")));

    std::filesystem::create_symlink("loop", dir.file("loop"));
    EXPECT_THAT([&] { WriteFileAtomically(dir.file("loop"), "x"); },
                ThrowsMessage<FileError>(testing::HasSubstr("Too many levels of symbolic links")));
}

TEST_F(AtomicFileTest, AReplacedFileKeepsItsModeOwnerAndGroup)
{
    WriteText(target, "old");
    const bool root = ::geteuid() == 0; // only root may hand a file to another owner
    ASSERT_EQ(::chmod(target.c_str(), 0640) | (root ? ::chown(target.c_str(), 4321, 8765) : 0), 0);
    WriteFileAtomically(target, "new");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(std::tuple(st.st_mode & 07777, root ? st.st_uid : 4321, root ? st.st_gid : 8765),
              std::tuple(0640u, 4321u, 8765u));
    EXPECT_EQ(ReadText(target), "new");
}

// A write cut short by the file size limit fails and cleans up; the temporary of a save killed
// by it is the next save's to remove, once that process has ended.
TEST_F(AtomicFileTest, ASaveOverTheFileSizeLimitFailsOrIsKilledAndLeavesNoTemporaryBehind)
{
    WriteFileAtomically(target, "old");
    const int failed = SaveOverASizeLimit(target, false).second;
    ASSERT_TRUE(WIFEXITED(failed)) << "ended by signal " << WTERMSIG(failed);
    EXPECT_EQ(WEXITSTATUS(failed), 0);
    EXPECT_EQ(FolderEntries(dir), std::set<std::string>{"Udate_VX.ini"});
    // The user's own copy, a save running in another process (pid 1 never ends) and the debris
    // of another file: none of them is this save's to remove.
    const std::set<std::string> others = {"Udate_VX.ini.backup", ".Udate_VX.ini.orvane-1-a1b2c3",
                                          ".fw.WRT.orvane-999999999-a1b2c3"};
    for (const std::string& name : others)
        WriteText(dir.file(name), "keep");

    const auto [child, status] = SaveOverASizeLimit(target, true); // ended in the middle of write
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);

    std::set<std::string> left = FolderEntries(dir);
    for (const std::string& name : others)
        left.erase(name);
    left.erase("Udate_VX.ini");
    ASSERT_EQ(left.size(), 1u);
    const std::string stray = *left.begin();
    const std::string prefix = ".Udate_VX.ini.orvane-" + std::to_string(child) + "-";
    EXPECT_TRUE(stray.starts_with(prefix) && stray.size() == prefix.size() + 6) << stray;
    EXPECT_EQ(ReadText(target), "old");

    WriteFileAtomically(target, "new");
    std::set<std::string> expected = others;
    expected.insert("Udate_VX.ini");
    EXPECT_EQ(FolderEntries(dir), expected);
    EXPECT_EQ(ReadText(target), "new");
}

} // namespace
} // namespace orvane
