// The CLI's screen: every message the GUI would show becomes a line on stderr prefixed with its
// kind (or a JSON line on stdout with --json); questions are answered by --yes or at the terminal.
#pragma once

#include "foundation/OperatorMessages.h"
#include "writer/OperationView.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

namespace orvane::cli {

class ConsoleView final : public OperationView, public OperatorMessages {
public:
    using Clock = std::chrono::steady_clock;

    // progressInPlace: stderr is a terminal, so the progress is one line redrawn in place.
    ConsoleView(bool json, bool yes, bool progressInPlace);

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
    // Block transfer progress, done of total blocks: on a terminal one line with count,
    // percentage and rate, redrawn in place; piped, a line every 32 blocks and at the end; with
    // --json a progress object per block.
    void ReportTransferProgress(std::int64_t done, std::int64_t total) override;
    void ResetProgress() override {}
    void AppendMemoLine(const std::string& line) override;
    void ShowChipInfo(const std::array<std::string, 4>&) override {}
    void RefreshHexView() override {}
    void ScrollHexView(int, std::optional<int>) override {}

    // The last line of a command.
    void Result(const std::string& command, int exitCode, const std::string& detail);
    // A status text such as the firmware version panel, keyed for JSON.
    void Status(const std::string& key, const std::string& text);

    const std::string& FirmwarePanel() const { return firmwarePanel_; }
    // The blocks of the last transfer reported so far: done, total (0, 0 before any).
    std::pair<std::int64_t, std::int64_t> TransferProgress() const
    {
        return {blocksDone_, blocksTotal_};
    }

private:
    void EndProgressLine();

    bool json_;
    bool yes_;
    bool progressInPlace_;
    bool progressOpen_ = false;
    Clock::time_point progressStart_;
    std::int64_t progressStartDone_ = 0;
    std::int64_t blocksDone_ = 0;
    std::int64_t blocksTotal_ = 0;
    std::string firmwarePanel_;
};

} // namespace orvane::cli
