// An OperationView that logs every effect in the order the operator would see it, its boxes
// included, and answers every question with `answer`.
#pragma once

#include "image/RomImage.h"
#include "writer/OperationView.h"

#include <string>
#include <vector>

namespace orvane::test {

using Lines = std::vector<std::string>;

class RecordingView : public OperationView, public OperatorMessages {
public:
    OperatorMessages& Messages() override { return *this; }
    bool Show(MessageKind kind, const std::string& text) override
    {
        static const char* const kinds[] = {"info ", "error ", "plain ", "question ",
                                            "info-question ", "field-error "};
        log.push_back("box " + (kinds[static_cast<int>(kind)] + text));
        return !Asks(kind) || answer;
    }
    void SetEnabled(Control control, bool on) override
    {
        static const char* const names[] = {"main", "blank-check", "read", "download", "dialog"};
        log.push_back((on ? "on " : "off ") + std::string(names[static_cast<int>(control)]));
        if (control == Control::MainWindow)
            mainEnabled = on;
    }
    void SetWindowShown(BusyWindow, bool shown) override { log.push_back(shown ? "show" : "hide"); }
    void SetDownloadBox(bool ticked, bool enabled) override
    {
        log.push_back(std::string(ticked ? "ticked" : "clear") + (enabled ? " on" : " off"));
    }
    void SetStatusLabel(const std::string& text) override { log.push_back("label " + text); }
    void SetStatusLine(const std::string& text) override { log.push_back("line " + text); }
    void SetFirmwarePanel(const std::string& text) override { log.push_back("panel " + text); }
    void ShowNextID(const std::string& text) override { log.push_back("next " + text); }
    void AdvanceProgress() override {}
    void ResetProgress() override {}
    void ReportTransferProgress(std::int64_t, std::int64_t) override {}
    void AppendMemoLine(const std::string& line) override { log.push_back("memo " + line); }
    void ShowChipInfo(const std::array<std::string, 4>& l) override { log.push_back("info " + l[0]); }
    void RefreshHexView() override { log.push_back("refresh"); }
    void ScrollHexView(int row, std::optional<int>) override
    {
        log.push_back("row " + Hex(static_cast<std::uint32_t>(row), 3));
    }
    Lines Reports() const // boxes other than questions, and memo lines
    {
        Lines reports;
        for (const std::string& l : log)
            if ((l.starts_with("box ") && !l.starts_with("box question")) || l.starts_with("memo "))
                reports.push_back(l);
        return reports;
    }

    Lines log; // "off main", "box info 芯片为空!", "row 7EA", ...
    bool answer = true;
    bool mainEnabled = true;
};

} // namespace orvane::test
