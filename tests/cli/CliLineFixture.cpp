#include "tests/cli/CliLineFixture.h"

#include <filesystem>

namespace orvane::test {

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

} // namespace orvane::test
