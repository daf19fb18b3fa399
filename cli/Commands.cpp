#include "cli/Commands.h"

#include "app/ProgramFiles.h"
#include "app/SettingsPath.h"
#include "app/Startup.h"
#include "production/JsonLine.h"
#include "cli/OptionsCommand.h"
#include "cli/ProductionCommands.h"
#include "cli/StopSignals.h"
#include "catalogue/Catalogue.h"
#include "foundation/AtomicFile.h"
#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "options/OptionKeys.h"
#include "production/LotStore.h"
#include "writer/ChipOperations.h"
#include "writer/Comm1Settings.h"
#include "writer/Frame.h"
#include "writer/TComm.h"
#include "writer/WriterLink.h"

#include <charconv>
#include <nlohmann/json.hpp>
#include <iostream>

namespace orvane::cli {
namespace {

constexpr const char* kIncompleteBufferText =
    "the Writer's buffer holds an incomplete image: download it again before programming";

std::string WithSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

// --model must name one of the catalogue's models, so that a typo does not end in a missing
// chip file.
void CheckModel(const std::string& appDir, const std::string& model)
{
    AppState names;
    names.AppDir = appDir;
    LoadModelNames(names);
    std::string known;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        if (names.ModelName[slot] == model)
            return;
        if (!names.ModelName[slot].empty())
            known += (known.empty() ? "" : " ") + names.ModelName[slot];
    }
    throw UsageError("unknown model '" + model + "'; the catalogue has: " + known);
}

void PrintInfo(const AppState& s, bool json)
{
    const std::string programArea = Hex(s.RomStart, 4) + ".." + Hex(s.RomEnd, 4);
    const std::string chipData = Hex(s.ChipDataAddr1, 4) + ".." + Hex(s.ChipDataAddr2Last + 15, 4);
    const auto memo = ChecksumInfoLines(s);
    const SettingsLocation settings = LocateSettings(s.AppDir);
    if (json) {
        nlohmann::ordered_json info;
        info["type"] = "info";
        info["model"] = s.ChipName;
        info["package"] = s.ChipPin;
        info["programArea"] = programArea;
        info["optionCopies"] = {Hex(s.OptionAddr1, 4), Hex(s.OptionAddr2, 4)};
        info["chipData"] = chipData;
        info["options"] = nlohmann::ordered_json::object();
        for (const OptionKey& key : kOptionKeys)
            info["options"][key.key] = OptionText(s, key);
        info["memo"] = memo;
        info["settings"] = settings.file;
        // Texts from files are byte strings: what is not UTF-8 goes out as U+FFFD.
        std::cout << info.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << '\n';
        return;
    }
    std::cout << "model: " << s.ChipName << " (package " << s.ChipPin << ")\n"
              << "program area: " << programArea << '\n'
              << "option copies: " << Hex(s.OptionAddr1, 4) << ", " << Hex(s.OptionAddr2, 4) << '\n'
              << "chip data: " << chipData << '\n'
              << "options:\n";
    for (const OptionKey& key : kOptionKeys)
        std::cout << "  " << key.key << '=' << OptionText(s, key) << '\n';
    for (const std::string& line : memo)
        std::cout << line << '\n';
    std::cout << "rolling code: " << RollingCodeText(s) << '\n'
              << "settings file: " << settings.file;
    if (settings.ReadPath() != settings.file)
        std::cout << " (not written yet: read from " << settings.seed << ')';
    std::cout << '\n';
}

// The programming dialog's ID fields as its FormShow sets them, from the options.
void SetUpDeviceID(AppState& s, const Arguments& a)
{
    if (a.idLen) {
        s.IDLenText = *a.idLen;
        s.IDLen = std::stoi(*a.idLen);
    } else if (s.IDLen != 2 && s.IDLen != 3) {
        s.IDLen = 2;
    }
    if (a.idAddr) {
        if (a.idAddr->empty() || !IsHexText(*a.idAddr) || a.idAddr->size() > 4)
            throw UsageError("--id-addr takes up to four hexadecimal digits");
        s.IDAddrText = *a.idAddr;
        s.IDAddr = static_cast<std::int32_t>(HexToInt(*a.idAddr));
    }
    // Every digit counts: an ID past its length's last is refused, never cut to its low digits.
    const std::string start = a.idStart.value_or("0");
    const auto [end, error] =
        std::from_chars(start.data(), start.data() + start.size(), s.InitID, 16);
    if (start.empty() || !IsHexText(start) || error != std::errc())
        throw UsageError("--id-start takes hexadecimal digits");
    s.InitIDText = start;
    s.NextID = s.InitID;
    s.IDStep = static_cast<std::uint8_t>(a.step);
}

class WriterSession {
public:
    WriterSession(AppState& s, ConsoleView& view)
        : view_(view),
          resolver_(MakePortResolver(SettingsPortNaming(s.AppDir))),
          comm_(loop_, resolver_),
          link_(s, comm_, loop_),
          operations_(s, link_, view)
    {
        ConfigureComm1(comm_);
    }

    // Names the port, or searches COM1..COM20 as the start-up does (which also reads the
    // firmware version into the status panel). Nothing when the Writer was found or named, else
    // why the search found none.
    std::optional<std::string> Connect(const std::optional<std::string>& port)
    {
        if (port) {
            comm_.SetCommName(*port);
            return std::nullopt;
        }
        if (link_.ConnectWriter(view_))
            return std::nullopt;
        std::string why = Tr("未找到Writer");
        for (const std::string& name : link_.BusyPorts())
            why += "\n" + name + " (" + resolver_(name) + Tr(")：端口正被其他程序使用");
        return why;
    }

    WriterLink& Link() { return link_; }
    ChipOperations& Operations() { return operations_; }

private:
    ConsoleView& view_;
    QueueEventLoop loop_;
    PortResolver resolver_;
    TComm comm_;
    WriterLink link_;
    ChipOperations operations_;
};

// A stop signal ends the transfer after the block in hand; the operation still closes its
// exchange with the Writer, so the summary says what the stop left behind.
Outcome StoppedOutcome(int signal, const ConsoleView& view, const std::string& leftBehind)
{
    const auto [done, total] = view.TransferProgress();
    const std::string when = done == 0 ? " before the first block; "
                                       : " after " + std::to_string(done) + " of " +
                                             std::to_string(total) + " blocks; ";
    return {128 + signal,
            "stopped by " + std::string(StopSignals::Name(signal)) + when + leftBehind};
}

int RunTransferCommand(AppState& s, const Arguments& a, ConsoleView& view,
                       WriterSession& session)
{
    StopSignals signals;
    ChipOperations& ops = session.Operations();
    ops.SetStopRequest([] { return StopSignals::Caught() != 0; });
    if (a.command == "download") {
        const OperationResult result = ops.DownloadProgram();
        return Finish(view, a.command,
                      result.stopped ? StoppedOutcome(StopSignals::Caught(), view,
                                                      kIncompleteBufferText)
                                     : OutcomeOf(result, session.Link(), "downloaded"));
    }
    const std::string& out = a.operands[0];
    const OperationResult result = ops.ReadChip();
    if (result.stopped)
        return Finish(view, a.command,
                      StoppedOutcome(StopSignals::Caught(), view, out + " not written"));
    Outcome outcome = OutcomeOf(result, session.Link(), "read into " + out);
    if (outcome.exitCode != kOk)
        outcome.detail += "; " + out + " not written";
    else
        SaveProgramFile(s, out, FormatOf(out, a.to, true));
    return Finish(view, a.command, outcome);
}

int RunWriterCommand(AppState& s, const Arguments& a, ConsoleView& view, LotStore* lot)
{
    WriterSession session(s, view);
    if (const auto notFound = session.Connect(ResolvePortOption(a.port, s)))
        return Finish(view, a.command, {kNoWriter, *notFound});
    WriterLink& link = session.Link();
    ChipOperations& ops = session.Operations();

    if (a.command == "version") {
        // The search has read the version already; a named port is asked here.
        if (a.port) {
            const auto version = link.QueryFirmwareVersion();
            view.SetFirmwarePanel(version ? FirmwareVersionText(*version) : "");
        }
        const std::string& text = view.FirmwarePanel();
        if (text.empty())
            return Finish(view, a.command, {kNoReply, Tr(kFirmwareUnknownText)});
        if (!a.json)
            std::cout << text << '\n';
        return Finish(view, a.command, {kOk, text});
    }
    if (a.command == "blank-check")
        return Finish(view, a.command, OutcomeOf(ops.DoBlankCheck(), link, "blank"));
    if (a.command == "read" || a.command == "download")
        return RunTransferCommand(s, a, view, session);

    WriterContext context{s, a, view, ops, link, lot};
    if (a.command == "otp-check")
        return RunOtpCheckCommand(context);
    SetUpDeviceID(s, a);
    if (a.command == "verify")
        return RunVerifyCommand(context);
    s.ProgramDialogOpen = true;
    return RunProgramCommand(context);
}

} // namespace

Outcome OutcomeOf(const OperationResult& r, const WriterLink& link, const std::string& done)
{
    if (r.succeeded)
        return {kOk, done};
    if (r.declined)
        return {kDeclined, "declined"};
    if (r.refused)
        return {kUsage, "refused before the Writer was asked"};
    if (r.transferFailed)
        return {kTransferFailed, "transfer failed"};
    switch (r.reply) {
    case ReplyKind::None: return {kNoReply, "no reply from the Writer"};
    case ReplyKind::Garbled: return {kGarbled, "the Writer's reply was no valid frame"};
    case ReplyKind::Frame: break;
    }
    if (r.replyCode != Failure)
        return {kUnexpectedAnswer, "unexpected reply code " + Hex(r.replyCode, 2)};
    switch (r.failureKind) {
    case 1: return {kRejected, "command rejected"};
    case 3:
        if (link.IsPinFailure())
            return {kPinFailure, "pin failure"};
        return {kChipError, "chip error at " + Hex(link.FailureAddress(), 4)};
    case 5: return {kChecksum, "checksum error"};
    default: return {kUnexpectedAnswer, "failure of kind " + std::to_string(r.failureKind)};
    }
}

int Finish(ConsoleView& view, const std::string& command, const Outcome& outcome)
{
    view.Result(command, outcome.exitCode, outcome.detail);
    return outcome.exitCode;
}

int RunCommand(const Arguments& a, ConsoleView& view, const std::string& exeDir)
{
    const std::string appDir = WithSlash(a.appDir.empty() ? exeDir : a.appDir);
    if (a.model)
        CheckModel(appDir, *a.model);
    // A read into a place that cannot take the file fails before the chip is read.
    if (a.command == "read") {
        FormatOf(a.operands[0], a.to, true);
        CheckWritable(a.operands[0]);
    }

    AppState& s = TheAppState();
    if (a.command == "journal")
        return RunJournalCommand(a, view);
    if (a.command == "lot")
        return RunLotCommand(a, view);
    if (a.command == "ports") {
        s.AppDir = appDir;
        return RunPortsCommand(a, view, s);
    }
    SetUpState(s, appDir, a.model);

    const bool takesFile = a.command == "info" || a.command == "convert" ||
                           a.command == "download" || a.command == "otp-check" ||
                           a.command == "verify" || (a.command == "program" && !a.operands.empty());
    const bool setsOptions = a.command == "options" && !a.list;
    bool whole = true;
    if (takesFile || setsOptions) {
        const std::string& in = a.operands[0];
        const OpenedFile opened = OpenProgramFile(s, in, FormatOf(in, a.format, false), view);
        whole = opened.whole;
        if (const std::string note = BytesOutsideNote(opened); !note.empty())
            view.AppendMemoLine(note);
        if (whole) {
            if (const int stop = ApplyImageOptions(s, a, view); stop != kOk)
                return stop;
        }
    }
    // A file cut short by a record's checksum error is shown, never written or sent.
    const std::string cut =
        "record checksum error in " + (takesFile || setsOptions ? a.operands[0] : "");

    if (a.command == "info") {
        PrintInfo(s, a.json);
        return Finish(view, a.command, whole ? Outcome{kOk, ""}
                                             : Outcome{kChecksum, cut + "; loaded up to it"});
    }
    if (!whole)
        return Finish(view, a.command, {kChecksum, cut + "; nothing written or sent"});
    if (a.command == "options")
        return RunOptionsCommand(s, a, view);
    if (a.command == "convert") {
        const std::string& out = a.operands[1];
        SaveProgramFile(s, out, *a.to);
        return Finish(view, a.command, {kOk, "wrote " + out});
    }
    // The lot is opened before the Writer hears anything: a lot it cannot use stops the run.
    const std::unique_ptr<LotStore> lot = a.journal ? OpenLotStore(*a.journal) : nullptr;
    return RunWriterCommand(s, a, view, lot.get());
}

} // namespace orvane::cli
