// Save As asks before it replaces a file the file dialog did not ask about: the one the extension
// rule names.
#include "tests/gui/main/MainWindowFixture.h"

#include <filesystem>

namespace orvane::test {
namespace {

using Shown = std::vector<std::pair<MessageKind, std::string>>;

class SaveAsReplaceTest : public MainWindowFixture {};

TEST_F(SaveAsReplaceTest, AsksWhenTheExtensionLeadsToAFileThatExists)
{
    StartQK128();
    const struct {
        const char* chosen;
        int filter;
        const char* saved;
        bool exists, yes;
        const char* question; // "" when none is asked
    } cases[] = {
        {"fw", 0, "fw.WRT", true, false, "文件 fw.WRT 已存在，是否替换？"},
        {"fw", 0, "fw.WRT", true, true, "文件 fw.WRT 已存在，是否替换？"},
        {"raw", 2, "raw.hex", true, false, "文件 raw.hex 已存在，是否替换？"},
        {"fw.S19", 1, "fw.S19", true, false, ""}, // the file dialog asked about this name
        {"new", 1, "new.S19", false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        const std::string saved = dir.file(c.saved);
        std::filesystem::remove(saved);
        if (c.exists)
            WriteText(saved, "old");
        messages.shown.clear();
        messages.answers = {c.yes};
        files.answers = {ChosenFile{dir.file(c.chosen), c.filter}};
        window->SaveAs1Click();
        const Shown asked = *c.question ? Shown{{MessageKind::Question, c.question}} : Shown{};
        EXPECT_EQ(messages.shown, asked);
        const bool written = !*c.question || c.yes;
        EXPECT_EQ(ReadText(saved) == "old", !written);
    }
}

} // namespace
} // namespace orvane::test
