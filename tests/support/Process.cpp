#include "tests/support/Process.h"

#include "tests/support/TempDir.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace orvane::test {
namespace {

pid_t Spawn(const std::string& path, std::vector<std::string> args,
            const posix_spawn_file_actions_t& actions)
{
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + path);
    return pid;
}

int WaitExit(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Stop(pid_t pid, int out)
{
    kill(pid, SIGTERM);
    WaitExit(pid);
    close(out);
}

} // namespace

ProcessResult RunProcess(const std::string& path, const std::vector<std::string>& args)
{
    return RunningProcess(path, args).Wait();
}

RunningProcess::RunningProcess(const std::string& path, const std::vector<std::string>& args)
{
    const std::string out = dir_.file("out"), err = dir_.file("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT, 0600);
    pid_ = Spawn(path, args, actions);
    posix_spawn_file_actions_destroy(&actions);
}

RunningProcess::~RunningProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        WaitExit(pid_);
    }
}

ProcessResult RunningProcess::Wait()
{
    ProcessResult result;
    result.exitCode = WaitExit(std::exchange(pid_, -1));
    result.out = ReadText(dir_.file("out"));
    result.err = ReadText(dir_.file("err"));
    return result;
}

SimulatorProcess::SimulatorProcess(const std::string& simPath, const std::string& dir,
                                   std::vector<std::string> args)
    : link_(dir + "com")
{
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe");
    args.push_back("--link");
    args.push_back(link_);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_ = Spawn(simPath, args, actions);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0]; // kept open: the simulator may print more

    if (NextLine(5000).empty()) { // serving starts once the terminal's path is out
        Stop(pid_, out_); // not the destructor: the members are destroyed by the throw
        throw std::runtime_error("the simulator did not start");
    }
}

std::string SimulatorProcess::NextLine(int timeoutMs)
{
    std::string line;
    pollfd p{out_, POLLIN, 0};
    for (char c = 0; poll(&p, 1, timeoutMs) > 0 && read(out_, &c, 1) == 1;) {
        if (c == '\n')
            return line;
        line += c;
    }
    return "";
}

SimulatorProcess::~SimulatorProcess()
{
    Stop(pid_, out_);
}

} // namespace orvane::test
