#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace orvane::test {

std::string Golden(const std::string& name) { return ReadText(GOLDEN_DIR + name); }

std::string CliFixture::Put(const std::string& golden, const std::string& name) const
{
    WriteText(app.file(name), Golden(golden));
    return app.file(name);
}

std::string CliFixture::InfoOf(const std::string& file) const
{
    std::string info = Golden("info_QK128.txt");
    info.replace(info.find("@FILE@"), 6, file);
    return info.replace(info.find("@APP@"), 5, app.path());
}

SimulatorProcess& CliLineFixture::AddWriter(std::vector<std::string> args)
{
    const std::string dir = app.file("w" + std::to_string(writers.size()) + "/");
    std::filesystem::create_directories(dir);
    writers.push_back(std::make_unique<SimulatorProcess>(SIM_PATH, dir, std::move(args)));
    return *writers.back();
}

std::vector<std::string> CliLineFixture::Program(std::vector<std::string> more) const
{
    more.insert(more.begin(), {"program", program, "--yes", "--journal", lot, "--id-addr", "0100"});
    return more;
}

ProcessResult CliLineFixture::Cli(std::vector<std::string> args, const SimulatorProcess* writer) const
{
    args.insert(args.end(), {"--model", "QK101", "--app-dir", app.path()});
    if (writer)
        args.insert(args.end(), {"--port", writer->Link()});
    return RunProcess(CLI_PATH, args);
}

std::future<ProcessResult> CliLineFixture::Start(std::vector<std::string> args,
                                                 const SimulatorProcess& writer,
                                                 const std::string& pidFile) const
{
    args.insert(args.end(), {"--model", "QK101", "--app-dir", app.path(), "--port", writer.Link()});
    const std::string shell = "\"$0\" \"$@\" & echo $! >" + pidFile + "; wait $!";
    args.insert(args.begin(), {"-c", shell, CLI_PATH});
    return std::async(std::launch::async, [args] { return RunProcess("/bin/sh", args); });
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<JsonFields> JsonLines(const std::string& text)
{
    std::vector<JsonFields> lines;
    for (const std::string& line : Lines(text)) {
        auto fields = ParseJsonLine(line);
        EXPECT_TRUE(fields) << line;
        lines.push_back(fields.value_or(JsonFields{}));
    }
    return lines;
}

std::string Pick(const std::string& journal, const std::string& type, const std::string& keys)
{
    std::string out;
    for (const JsonFields& f : JsonLines(journal)) {
        std::istringstream words(keys);
        for (std::string key; f.at("type") == type && words >> key;)
            out += (out.empty() ? "" : " ") + (f.contains(key) ? f.at(key) : "-");
    }
    return out;
}

} // namespace orvane::test
