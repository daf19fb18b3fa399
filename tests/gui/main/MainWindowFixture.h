// The main window on the offscreen platform, in a folder of its own with the shipped data files,
// its boxes answered by a recorder and its file dialogs by a script.
#pragma once

#include "gui/hexeditor/THexEditor.h"
#include "gui/main/TfrmMain.h"
#include "tests/gui/support/TestHost.h"
#include "tests/support/Process.h"

#include <QPlainTextEdit>

#include <deque>
#include <memory>

namespace orvane::test {

class ScriptedFiles final : public FileChooser {
public:
    std::optional<ChosenFile> AskOpen(QWidget*, const QString&) override { return Next(); }
    std::optional<ChosenFile> AskSave(QWidget*, const QString&) override { return Next(); }
    std::deque<std::optional<ChosenFile>> answers; // nullopt: the dialog was cancelled

private:
    std::optional<ChosenFile> Next()
    {
        if (answers.empty())
            return std::nullopt;
        auto next = answers.front();
        answers.pop_front();
        return next;
    }
};

class MainWindowFixture : public ::testing::Test {
protected:
    // settings: the body of Udate_VX.ini; withSimulator: COM1 is the simulated Writer (started
    // with simArgs), otherwise no port answers.
    void Open(const std::string& settings, bool withSimulator,
              const std::vector<std::string>& simArgs = {});
    void Start(); // FormShow, as the first show does
    // Open and Start on QK128; without a Writer the question is answered yes.
    void StartQK128(bool withSimulator = false, bool shown = false,
                    const std::vector<std::string>& simArgs = {});
    void OpenProgram(); // the golden QK128 program, through the S19 filter

    std::string Settings() const { return ReadText(dir.file("Udate_VX.ini")); }
    template <typename T> T* Child(const char* name) const
    {
        return window->findChild<T*>(name);
    }
    // A click on the main window's button, or a trigger of its menu item, of that name.
    void Use(const char* control) const
    {
        if (auto* button = Child<QPushButton>(control))
            button->click();
        else
            Child<QAction>(control)->trigger();
    }
    QString Memo() const { return Child<QPlainTextEdit>("Memo1")->toPlainText(); }
    QString Panel0() const { return Child<QLabel>("Panel0")->text(); }
    THexEditor& Hex() const { return window->HexEditor1(); }
    bool MainOn() const { return window->centralWidget()->isEnabled(); }

    TempDir dir;
    std::unique_ptr<SimulatorProcess> sim;
    AppState s;
    MessageRecorder messages;
    ScriptedFiles files;
    std::unique_ptr<TfrmMain> window;
};

} // namespace orvane::test
