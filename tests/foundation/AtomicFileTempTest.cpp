// The safe save's temporary file when a process is killed in the middle of it: named after the
// file and the process, removed by the next save once that process has ended, and never
// mistaken for the user's own files or for another running save.
#include "foundation/AtomicFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteText;

std::set<std::string> Entries(const TempDir& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.insert(entry.path().filename());
    return names;
}

TEST(AtomicFileTemp, AKilledSaveLeavesANamedTemporaryThatTheNextSaveRemoves)
{
    TempDir dir;
    const std::string target = dir.file("Udate_VX.ini");
    WriteFileAtomically(target, "old");
    // The user's own copy, a save running in another process (pid 1 never ends) and the debris
    // of another file: none of them is this save's to remove.
    const std::set<std::string> others = {"Udate_VX.ini.backup", ".Udate_VX.ini.orvane-1-a1b2c3",
                                          ".fw.WRT.orvane-999999999-a1b2c3"};
    for (const std::string& name : others)
        WriteText(dir.file(name), "keep");

    // A file size limit with its signal's default action ends the child in the middle of write.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        WriteFileAtomically(target, std::string(100000, 'x'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);

    std::set<std::string> left = Entries(dir);
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
    EXPECT_EQ(Entries(dir), expected);
    EXPECT_EQ(ReadText(target), "new");
}

} // namespace
} // namespace orvane
