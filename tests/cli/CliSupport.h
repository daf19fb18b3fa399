// Running orvane-cli in a fresh application folder, and reading its lines.
#pragma once

#include "production/JsonLine.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <string>
#include <vector>

namespace orvane::test {

// A copy of the shipped data files as the CLI's --app-dir.
class CliFixture {
public:
    CliFixture() { CopyDataFiles(app.path()); }

    // orvane-cli with --app-dir, then args (which may hold "--").
    ProcessResult RunCli(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--app-dir", app.path()});
        return RunProcess(CLI_PATH, args);
    }
    // A copy of the golden file in the application folder; its path.
    std::string Put(const std::string& golden, const std::string& name) const;
    // info's output for the golden program read from file.
    std::string InfoOf(const std::string& file) const;

    TempDir app;
};

std::string Golden(const std::string& name);

std::vector<std::string> Lines(const std::string& text);

// Every line of text parsed as one flat JSON object; a line that is none fails the test.
std::vector<JsonFields> JsonLines(const std::string& text);

// The number of text's lines that hold part (a trace's frames of one command, say).
std::size_t CountLines(const std::string& text, const std::string& part);

// The values of keys of the journal text's lines of this type, space-separated ("-": none).
std::string Pick(const std::string& journal, const std::string& type, const std::string& keys);

inline bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace orvane::test
