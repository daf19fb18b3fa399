#include "link_sim.h"

#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orvane::test {

SimProcess::SimProcess(const std::vector<std::string>& args)
{
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe");
    std::vector<std::string> all{SIM_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int spawned = posix_spawn(&pid_, SIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " SIM_PATH);
    }
    // The first line is the terminal's path.
    for (;;) {
        pollfd p{out_, POLLIN, 0};
        char c = 0;
        if (poll(&p, 1, 5000) <= 0 || read(out_, &c, 1) != 1) {
            Stop();
            throw std::runtime_error("the simulator printed no terminal path");
        }
        if (c == '\n')
            break;
        terminal_ += c;
    }
}

SimProcess::~SimProcess()
{
    Stop();
}

void SimProcess::Stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (out_ >= 0)
        close(out_);
    out_ = -1;
}

} // namespace orvane::test
