// SIGINT and SIGTERM as a request to stop: the command finishes the work in hand (a chip, a
// block) and ends with its summary and the exit status 128 + N. A second signal ends the process
// at once (the handler is reset by the first).
#pragma once

#include <csignal>

namespace orvane::cli {

// Installs the handlers for its lifetime; the previous ones come back on destruction. Waits are
// not restarted, so a wait for Enter ends too.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that asked to stop, 0 while none has.
    static int Caught();
    // "SIGINT", "SIGTERM", or "end" when no signal came.
    static const char* Name(int signal);

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

} // namespace orvane::cli
