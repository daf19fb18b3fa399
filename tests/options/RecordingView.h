// An OperationView that logs the calls an option dialog's OK makes, and records its boxes.
#pragma once

#include "tests/support/MessageRecorder.h"
#include "writer/OperationView.h"

#include <string>
#include <vector>

namespace orvane::test {

class RecordingView final : public OperationView {
public:
    OperatorMessages& Messages() override { return messages; }
    void SetEnabled(Control control, bool on) override
    {
        log.push_back(std::string(on ? "on " : "off ") +
                      (control == Control::MainWindow ? "main" : "other"));
    }
    void SetWindowShown(BusyWindow, bool) override { log.push_back("busy"); }
    void SetDownloadBox(bool, bool) override { log.push_back("download box"); }
    void SetStatusLabel(const std::string&) override { log.push_back("label"); }
    void SetStatusLine(const std::string&) override { log.push_back("line"); }
    void SetFirmwarePanel(const std::string&) override { log.push_back("panel"); }
    void ShowNextID(const std::string&) override { log.push_back("next"); }
    void AdvanceProgress() override {}
    void ResetProgress() override {}
    void ReportTransferProgress(std::int64_t, std::int64_t) override {}
    void AppendMemoLine(const std::string& line) override { log.push_back("memo " + line); }
    void ShowChipInfo(const std::array<std::string, 4>& lines) override
    {
        log.push_back("info " + lines[0]);
    }
    void RefreshHexView() override { log.push_back("refresh"); }
    void ScrollHexView(int row, std::optional<int> top) override
    {
        log.push_back("row " + std::to_string(row) + (top ? " top" : ""));
    }

    std::vector<std::string> log;
    MessageRecorder messages;
};

} // namespace orvane::test
