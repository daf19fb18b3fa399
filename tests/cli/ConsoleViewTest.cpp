// The console's forms of the operations' effects: progress on a terminal, piped and in JSON, and
// the asking box kinds.
#include "cli/ConsoleView.h"

#include <gmock/gmock.h>

#include <iostream>
#include <sstream>

namespace orvane::cli {
namespace {

// What the view writes to stdout and stderr while it lives.
class Captured {
public:
    Captured() : out_(std::cout.rdbuf(out.rdbuf())), err_(std::cerr.rdbuf(err.rdbuf())) {}
    ~Captured()
    {
        std::cout.rdbuf(out_);
        std::cerr.rdbuf(err_);
    }
    std::ostringstream out, err;

private:
    std::streambuf* out_;
    std::streambuf* err_;
};

TEST(ConsoleView, ProgressIsOneLineInPlaceOnATerminalAndLinesWhenPiped)
{
    Captured terminal;
    {
        ConsoleView view(false, true, true);
        for (int done = 1; done <= 3; ++done)
            view.ReportTransferProgress(done, 3);
        view.Result("download", 0, "downloaded");
    }
    const std::string err = terminal.err.str();
    EXPECT_THAT(err, testing::MatchesRegex(
                         "\rprogress: 1/3 blocks  33% +[0-9.]+ blocks/s\x1b\\[K"
                         "\rprogress: 2/3 blocks  66% +[0-9.]+ blocks/s\x1b\\[K"
                         "\rprogress: 3/3 blocks 100% +[0-9.]+ blocks/s\x1b\\[K"
                         "\nok: downloaded\n"));
    EXPECT_EQ(terminal.out.str(), "");

    Captured piped;
    {
        ConsoleView view(false, true, false);
        for (int done = 1; done <= 70; ++done)
            view.ReportTransferProgress(done, 70);
    }
    EXPECT_EQ(piped.err.str(), "progress: 32/70\nprogress: 64/70\nprogress: 70/70\n");

    Captured json;
    {
        ConsoleView view(true, true, true);
        view.ReportTransferProgress(5, 9);
    }
    EXPECT_EQ(json.out.str(), "{\"type\":\"progress\",\"done\":5,\"total\":9}\n");
    EXPECT_EQ(json.err.str(), "");
}

TEST(ConsoleView, BothAskingKindsAreQuestionsAnsweredByYes)
{
    Captured text;
    {
        ConsoleView view(false, true, false);
        EXPECT_TRUE(view.Show(MessageKind::InformationQuestion, "烧写程序将为上次下载内容!"));
        EXPECT_TRUE(view.Show(MessageKind::Question, "a\nb"));
        EXPECT_TRUE(view.Show(MessageKind::Information, "芯片为空!"));
    }
    EXPECT_EQ(text.err.str(), "question: 烧写程序将为上次下载内容! -> yes\n"
                              "question: a\n  b -> yes\ninfo: 芯片为空!\n");
    Captured json;
    {
        ConsoleView view(true, true, false);
        view.Show(MessageKind::InformationQuestion, "x\ny"); // JSON's short escape, not the journal's
    }
    EXPECT_EQ(json.out.str(), R"({"type":"message","kind":"question","text":"x\ny","answer":true})"
                              "\n");
}

} // namespace
} // namespace orvane::cli
