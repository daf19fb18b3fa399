#include "gui/main/CloseOnSignals.h"

#include "gui/ConnectGuarded.h"

#include "gui/main/TfrmMain.h"

#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane {
namespace {

constexpr int kRetryMs = 200; // how often a refused close is asked again

int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void CloseOnSignals(TfrmMain& window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return; // the signals keep their default action
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    auto* retry = new QTimer(&window);
    retry->setInterval(kRetryMs);
    ConnectGuarded(retry, &QTimer::timeout, &window, window.Messages(), [&window, retry] {
        if (window.StartupDone() && window.close())
            retry->stop();
    });
    ConnectGuarded(notifier, &QSocketNotifier::activated, &window, window.Messages(), [retry] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        retry->start();
    });

    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESETHAND | SA_RESTART; // the second signal takes the default action
    sigemptyset(&action.sa_mask);
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

} // namespace orvane
