// Running orvane-cli in a fresh application folder, and checking its JSON lines.
#pragma once

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

    TempDir app;
};

std::string Golden(const std::string& name);

// True when text is one JSON value (objects, arrays, strings, numbers, literals), nothing more.
bool IsJson(const std::string& text);

std::vector<std::string> Lines(const std::string& text);

inline bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace orvane::test
