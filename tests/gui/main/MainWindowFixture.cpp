#include "tests/gui/main/MainWindowFixture.h"

namespace orvane::test {

void MainWindowFixture::Open(const std::string& settings, bool withSimulator,
                             std::vector<std::string> simArgs)
{
    CopyDataFiles(dir.path());
    std::string ports = "[PORTS]\n";
    if (withSimulator)
        sim = std::make_unique<SimulatorProcess>(SIM_PATH, dir.path(), std::move(simArgs));
    // Every port name points somewhere definite, so that no device of the machine is probed.
    for (int n = 1; n <= 20; ++n)
        ports += "COM" + std::to_string(n) + "=" +
                 (n == 1 && sim ? sim->Link() : dir.file("no-port")) + "\n";
    WriteText(dir.file("Udate_VX.ini"), settings + ports);
    window = std::make_unique<TfrmMain>(s, dir.path(), &messages, &files);
}

void MainWindowFixture::Start()
{
    window->FormShow();
    ASSERT_TRUE(window->StartupDone());
}

} // namespace orvane::test
