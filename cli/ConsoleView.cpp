#include "cli/ConsoleView.h"

#include "production/JsonLine.h"

#include <iostream>
#include <unistd.h>

namespace orvane::cli {
namespace {

const char* KindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information: return "info";
    case MessageKind::Error:
    case MessageKind::FieldError: return "error";
    case MessageKind::Plain: return "message";
    case MessageKind::Question:
    case MessageKind::InformationQuestion: return "question";
    }
    return "message";
}

// Multi-line texts keep their lines; the continuation lines are indented under the prefix.
void PrintPrefixed(const std::string& prefix, const std::string& text)
{
    std::string out = prefix + ": ";
    for (char c : text) {
        out += c;
        if (c == '\n')
            out += "  ";
    }
    std::cerr << out;
}

bool AskTerminal()
{
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "是";
}

} // namespace

ConsoleView::ConsoleView(bool json, bool yes, bool progressInPlace)
    : json_(json), yes_(yes), progressInPlace_(progressInPlace)
{
}

bool ConsoleView::Show(MessageKind kind, const std::string& text)
{
    EndProgressLine();
    bool answer = true;
    if (Asks(kind)) {
        const bool ask = !yes_ && ::isatty(STDIN_FILENO) == 1;
        if (ask) {
            PrintPrefixed(KindName(kind), text);
            std::cerr << " [y/N] " << std::flush;
            answer = AskTerminal();
        } else {
            answer = yes_;
            if (!json_) {
                PrintPrefixed(KindName(kind), text);
                std::cerr << " -> " << (answer ? "yes" : "no") << '\n';
            }
        }
    } else if (!json_) {
        PrintPrefixed(KindName(kind), text);
        std::cerr << '\n';
    }
    if (json_) {
        std::cout << R"({"type":"message","kind":")" << KindName(kind)
                  << R"(","text":)" << JsonText(text);
        if (Asks(kind))
            std::cout << R"(,"answer":)" << (answer ? "true" : "false");
        std::cout << "}\n" << std::flush;
    }
    return answer;
}

void ConsoleView::Status(const std::string& key, const std::string& text)
{
    if (text.empty())
        return;
    EndProgressLine();
    if (json_)
        std::cout << R"({"type":"status","key":)" << JsonText(key) << R"(,"text":)"
                  << JsonText(text) << "}\n" << std::flush;
    else
        std::cerr << key << ": " << text << '\n';
}

void ConsoleView::SetStatusLabel(const std::string& text) { Status("status", text); }
void ConsoleView::SetStatusLine(const std::string& text) { Status("status", text); }
void ConsoleView::ShowNextID(const std::string& text) { Status("next-id", text); }
void ConsoleView::AppendMemoLine(const std::string& line) { Status("memo", line); }

void ConsoleView::SetFirmwarePanel(const std::string& text)
{
    firmwarePanel_ = text;
    Status("firmware", text);
}

void ConsoleView::ReportTransferProgress(std::int64_t done, std::int64_t total)
{
    blocksDone_ = done;
    blocksTotal_ = total;
    if (json_) {
        std::cout << R"({"type":"progress","done":)" << done << R"(,"total":)" << total << "}\n"
                  << std::flush;
        return;
    }
    if (!progressInPlace_) {
        if (done == total || done % 32 == 0)
            std::cerr << "progress: " << done << '/' << total << '\n';
        return;
    }
    const Clock::time_point now = Clock::now();
    if (!progressOpen_ || done < progressStartDone_) {
        progressStart_ = now;
        progressStartDone_ = done;
    }
    // The rate of the blocks since the first one shown.
    const double seconds = std::chrono::duration<double>(now - progressStart_).count();
    const auto blocks = static_cast<double>(done - progressStartDone_);
    char line[128];
    std::snprintf(line, sizeof line, "\rprogress: %lld/%lld blocks %3lld%% %6.1f blocks/s\x1b[K",
                  static_cast<long long>(done), static_cast<long long>(total),
                  static_cast<long long>(total > 0 ? done * 100 / total : 100),
                  seconds > 0 ? blocks / seconds : 0.0);
    std::cerr << line << std::flush;
    progressOpen_ = true;
}

void ConsoleView::EndProgressLine()
{
    if (progressOpen_)
        std::cerr << '\n';
    progressOpen_ = false;
}

void ConsoleView::Result(const std::string& command, int exitCode, const std::string& detail)
{
    EndProgressLine();
    if (json_) {
        std::cout << R"({"type":"result","command":)" << JsonText(command)
                  << R"(,"ok":)" << (exitCode == 0 ? "true" : "false") << R"(,"exit":)" << exitCode
                  << R"(,"detail":)" << JsonText(detail) << "}\n" << std::flush;
    } else if (!detail.empty()) {
        std::cerr << (exitCode == 0 ? "ok: " : "failed: ") << detail << '\n';
    }
}

} // namespace orvane::cli
