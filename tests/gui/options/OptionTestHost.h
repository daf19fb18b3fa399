// A stand-in main window for the option-dialog tests: the state, a recording view and its boxes.
// The dialogs never talk to the Writer, so the link and the operations end the test.
#pragma once

#include "gui/WindowHost.h"
#include "tests/options/RecordingView.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orvane::test {

class OptionTestHost : public WindowHost {
public:
    AppState& State() override { return state; }
    OperationView& View() override { return view; }
    OperatorMessages& Messages() override { return view.messages; }
    WriterLink& Link() override { Unexpected("Link"); }
    ChipOperations& Operations() override { Unexpected("Operations"); }
    QWidget* MainWidget() override { return nullptr; }
    void SetProgramDialog(ProgramDialogView*) override { Unexpected("SetProgramDialog"); }

    AppState state;
    RecordingView view;

private:
    [[noreturn]] static void Unexpected(const char* what)
    {
        ADD_FAILURE() << "an option dialog used " << what;
        std::abort();
    }
};

} // namespace orvane::test
