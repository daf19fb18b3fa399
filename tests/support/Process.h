// Child processes for the tests that drive the executables: a command run to its end with its
// output captured, and the Writer simulator serving a pseudo-terminal for the duration of a test.
#pragma once

#include "tests/support/TempDir.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace orvane::test {

struct ProcessResult {
    int exitCode = -1; // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs path with args, stdin from /dev/null, and waits for it.
ProcessResult RunProcess(const std::string& path, const std::vector<std::string>& args);

// The same, started now and waited for later, so that a test can signal it meanwhile.
class RunningProcess {
public:
    RunningProcess(const std::string& path, const std::vector<std::string>& args);
    ~RunningProcess(); // ends a process not waited for
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    pid_t Pid() const { return pid_; }
    std::string ErrSoFar() const { return ReadText(dir_.file("err")); }
    ProcessResult Wait();

private:
    TempDir dir_; // holds the captured output
    pid_t pid_ = -1;
};

// The simulator started with args plus "--link <dir>/com"; it is stopped on destruction.
class SimulatorProcess {
public:
    SimulatorProcess(const std::string& simPath, const std::string& dir,
                     std::vector<std::string> args = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    const std::string& Link() const { return link_; } // the path a port name can use
    // The next line the simulator prints (a terminal's path), "" when none comes within timeoutMs.
    std::string NextLine(int timeoutMs = 2000);

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string link_;
};

} // namespace orvane::test
