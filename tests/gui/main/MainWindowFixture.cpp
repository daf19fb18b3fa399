#include "tests/gui/main/MainWindowFixture.h"

namespace orvane::test {

void MainWindowFixture::Open(const std::string& settings, bool withSimulator,
                             const std::vector<std::string>& simArgs)
{
    CopyDataFiles(dir.path());
    std::string ports = "[PORTS]\n";
    if (withSimulator)
        sim = std::make_unique<SimulatorProcess>(SIM_PATH, dir.path(), simArgs);
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

void MainWindowFixture::StartQK128(bool withSimulator, bool shown,
                                   const std::vector<std::string>& simArgs)
{
    Open("[CHIP]\nCHIP_NAME=QK128\n", withSimulator, simArgs);
    messages.answers = {true};
    if (shown)
        window->show();
    Start();
}

void MainWindowFixture::OpenProgram()
{
    const std::string path = dir.file("program.S19");
    WriteText(path, ReadText(std::string(GOLDEN_DIR) + "program.S19"));
    files.answers = {ChosenFile{path, 0}};
    window->Open1Click();
}

} // namespace orvane::test
