// A selected model, a fake port with a scripted Writer on a virtual clock, and the operations.
#pragma once

#include "link_fakes.h"

#include "app/AppState.h"
#include "writer/ChipOperations.h"
#include "writer/WriterLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::test {

// The model names of "device.name" in slot order.
extern const char* const kModelNames[kSlotCount];

// Selects the model of slot with a program area first..last written into its chip data, the rest
// of the image blank, and the checksums computed.
void SelectModel(AppState& s, int slot, std::int32_t first = 0x0000, std::int32_t last = 0x07FF);

class OperationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port.responder = std::ref(writer);
        SelectModel(s, 20);
    }

    // The commands sent, as "E1" or "11@0100" (code, then the address for framed commands).
    std::vector<std::string> Commands() const;
    // Commands() of one code only.
    std::vector<std::string> Commands(std::uint8_t code) const;
    // The view's reports (message boxes other than questions) and memo lines, in order.
    std::vector<std::string> Reports() const;

    AppState s;
    VirtualLoop loop;
    FakePort port{loop};
    ScriptedWriter writer;
    WriterLink link{s, port, loop};
    RecordingView view;
    ChipOperations ops{s, link, view};
};

} // namespace orvane::test
