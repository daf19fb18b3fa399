#include "cli/StopSignals.h"

#include <atomic>

namespace orvane::cli {
namespace {

// Lock-free, so the handler may set it; read on the loop thread whichever thread took the signal.
std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free);

void OnStopSignal(int signal)
{
    caught.store(signal);
}

} // namespace

StopSignals::StopSignals()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
}

StopSignals::~StopSignals()
{
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
}

int StopSignals::Caught()
{
    return caught.load();
}

const char* StopSignals::Name(int signal)
{
    return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "end";
}

} // namespace orvane::cli
