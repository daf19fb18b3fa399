// The window's start-up as the operator sees it: from the process start to the first painted main
// window with its start-up sequence done (no serial device answers, so the port search finds
// nothing at once), and the resident memory afterwards. Each sample is a fresh process on the
// offscreen platform; the figures are the medians of the samples.
#include "foundation/AppState.h"
#include "gui/main/TfrmMain.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace orvane;

// Seconds since this process started, from the kernel's start time in clock ticks since boot.
double SecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int n = 3; n <= 22; ++n) // field 22 is starttime
        fields >> field;
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec + now.tv_nsec / 1e9 - std::stod(field) / sysconf(_SC_CLK_TCK);
}

double ResidentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:"))
            return std::stod(line.substr(6)) / 1024;
    }
    return 0;
}

class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
    bool painted = false;
};

// One sample: prints "seconds megabytes".
int Child(const std::string& appDir)
{
    static int argc = 1;
    static char name[] = "bench_startup";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    test::MessageRecorder messages;
    messages.answers = {true}; // "未找到Writer，是否继续打开！" Yes
    TfrmMain window(TheAppState(), appDir, &messages);
    FirstPaint paint;
    window.installEventFilter(&paint);
    window.show();
    while (!(paint.painted && window.StartupDone()))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    std::printf("%f %f\n", SecondsSinceProcessStart(), ResidentMegabytes());
    return 0;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--child")
        return Child(argv[2]);

    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The data files sit beside the executables of the build.
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    ::setenv("ORVANE_DATA_DIR", exe.substr(0, exe.rfind('/') + 1).c_str(), 0);
    test::TempDir dir;
    test::CopyDataFiles(dir.path());
    std::string ports = "[CHIP]\nCHIP_NAME=QK128\n[PORTS]\n";
    for (int n = 1; n <= 20; ++n)
        ports += "COM" + std::to_string(n) + "=" + dir.file("none") + "\n";
    test::WriteText(dir.file("Udate_VX.ini"), ports);

    std::vector<double> seconds, megabytes;
    for (int sample = 0; sample < 7; ++sample) {
        const std::string command =
            std::string("'") + argv[0] + "' --child '" + dir.path() + "'";
        FILE* child = ::popen(command.c_str(), "r");
        double s = 0, mb = 0;
        if (!child || std::fscanf(child, "%lf %lf", &s, &mb) != 2) {
            std::fprintf(stderr, "bench_startup: a sample failed\n");
            return 1;
        }
        ::pclose(child);
        seconds.push_back(s);
        megabytes.push_back(mb);
    }
    std::printf("process start to first painted main window: %.3f s (median of %zu)\n",
                Median(seconds), seconds.size());
    std::printf("resident memory after start-up: %.1f MB (median)\n", Median(megabytes));
    return 0;
}
