// The simulator executable as a child process serving one pseudo-terminal, for the end-to-end
// tests and the download benchmark.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace orvane::test {

class SimProcess {
public:
    // Starts orvane-writer-sim (SIM_PATH) with args and waits for the terminal's path.
    // Throws std::runtime_error when it does not start.
    explicit SimProcess(const std::vector<std::string>& args);
    ~SimProcess(); // SIGTERM, then waits for the process
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& TerminalPath() const { return terminal_; }

private:
    void Stop();

    pid_t pid_ = -1;
    int out_ = -1;
    std::string terminal_;
};

} // namespace orvane::test
