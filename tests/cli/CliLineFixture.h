// The production line of the CLI tests that run programs into a lot.
#pragma once

#include "tests/cli/CliSupport.h"

#include <future>
#include <memory>

namespace orvane::test {

// A production line: the golden program, a lot and simulated Writers of a quick model (QK101),
// each Writer in a folder of its own.
class CliLineFixture : public CliFixture {
public:
    CliLineFixture() { WriteText(program, Golden("program.S19")); }

    SimulatorProcess& AddWriter(std::vector<std::string> args = {"--fresh-chip"});
    // "program" of the program into the lot with its IDs at 0100, then more.
    std::vector<std::string> Program(std::vector<std::string> more) const;
    // orvane-cli args with the model, the application folder and the writer's port when given.
    ProcessResult Cli(std::vector<std::string> args, const SimulatorProcess* writer = nullptr) const;
    // The same, run to its end on a thread of its own through a shell that notes its pid.
    std::future<ProcessResult> Start(std::vector<std::string> args, const SimulatorProcess& writer,
                                     const std::string& pidFile = "/dev/null") const;

    const std::string program = app.file("program.S19");
    std::string lot = app.file("lot.jsonl");
    std::vector<std::unique_ptr<SimulatorProcess>> writers;
};

} // namespace orvane::test
