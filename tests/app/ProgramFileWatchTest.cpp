// The remembered program file: only a changed content counts, and only once it has been still for
// a moment. The answers, vanishing and saves are tested through the window (EngineerLoopTest).
#include "app/ProgramFileWatch.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using Verdict = ProgramFileWatch::Verdict;
namespace fs = std::filesystem;

struct ProgramFileWatchTest : ::testing::Test {
    // Writes bytes with a modification time ago seconds in the past (negative: in the future).
    void Write(const std::string& bytes, int ago)
    {
        test::WriteText(path, bytes);
        fs::last_write_time(path, now - std::chrono::seconds(ago));
    }
    test::TempDir dir;
    std::string path = dir.file("fw.S19");
    fs::file_time_type now = fs::file_time_type::clock::now();
    ProgramFileWatch watch;
};

TEST_F(ProgramFileWatchTest, VerdictsAfterAWrite)
{
    const struct {
        const char* what;
        const char* bytes;
        int ago;
        Verdict verdict;
    } cases[] = {
        {"touched only", "S9", 5, Verdict::Unchanged},
        {"new content, settled", "S1", 5, Verdict::Changed},
        {"new content, being written", "S1", 0, Verdict::Settling},
        {"new content, a clock ahead of ours", "S1", -60, Verdict::Changed},
        {"same size and time", "S1", 10, Verdict::Unchanged}, // no hash read: time decides
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write("S9", 10);
        watch.Remember(path, FileFormat::S19);
        Write(c.bytes, c.ago);
        EXPECT_EQ(watch.Check(now), c.verdict);
    }
}

} // namespace
} // namespace orvane
