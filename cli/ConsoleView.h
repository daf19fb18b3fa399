// The CLI's screen: every message the GUI would show becomes a line on stderr prefixed with its
// kind (or a JSON line on stdout with --json); questions are answered by --yes or at the terminal.
#pragma once

#include "foundation/OperatorMessages.h"
#include "writer/OperationView.h"

#include <cstdio>
#include <string>

namespace orvane::cli {

class ConsoleView final : public OperationView, public OperatorMessages {
public:
    ConsoleView(bool json, bool yes);

    // OperatorMessages
    bool Show(MessageKind kind, const std::string& text) override;

    // OperationView: the console shows the messages, status texts, memo lines and ID; the
    // window states of the GUI have no console form.
    OperatorMessages& Messages() override { return *this; }
    void SetEnabled(Control, bool) override {}
    void SetWindowShown(BusyWindow, bool) override {}
    void SetDownloadBox(bool, bool) override {}
    void SetStatusLabel(const std::string& text) override;
    void SetStatusLine(const std::string& text) override;
    void SetFirmwarePanel(const std::string& text) override;
    void ShowNextID(const std::string& text) override;
    void AdvanceProgress() override {}
    void ReportTransferProgress(std::int64_t, std::int64_t) override {}
    void ResetProgress() override {}
    void AppendMemoLine(const std::string& line) override;
    void ShowChipInfo(const std::array<std::string, 4>&) override {}
    void RefreshHexView() override {}
    void ScrollHexView(int, std::optional<int>) override {}

    // Block transfer progress: done of total blocks.
    void Progress(int done, int total);
    // The last line of a command.
    void Result(const std::string& command, int exitCode, const std::string& detail);
    // A status text such as the firmware version panel, keyed for JSON.
    void Status(const std::string& key, const std::string& text);

    const std::string& FirmwarePanel() const { return firmwarePanel_; }

private:
    void EndProgressLine();

    bool json_;
    bool yes_;
    bool stderrIsTerminal_;
    bool progressOpen_ = false;
    std::string firmwarePanel_;
};

} // namespace orvane::cli
