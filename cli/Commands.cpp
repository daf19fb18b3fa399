#include "cli/Commands.h"

#include "app/ProgramFiles.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "cli/ProductionCommands.h"
#include "cli/ProgressPort.h"
#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "options/OptionKeys.h"
#include "writer/ChipOperations.h"
#include "writer/Comm1Settings.h"
#include "writer/Frame.h"
#include "writer/TComm.h"
#include "writer/WriterLink.h"

#include <iostream>

namespace orvane::cli {
namespace {

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

void PrintInfo(const AppState& s)
{
    std::cout << "model: " << s.ChipName << " (package " << s.ChipPin << ")\n"
              << "program area: " << Hex(s.RomStart, 4) << ".." << Hex(s.RomEnd, 4) << '\n'
              << "option copies: " << Hex(s.OptionAddr1, 4) << ", " << Hex(s.OptionAddr2, 4) << '\n'
              << "chip data: " << Hex(s.ChipDataAddr1, 4) << ".." << Hex(s.ChipDataAddr2Last + 15, 4)
              << '\n'
              << "options:\n";
    for (const OptionKey& key : kOptionKeys)
        std::cout << "  " << key.key << '=' << OptionText(s, key) << '\n';
    for (const std::string& line : ChecksumInfoLines(s))
        std::cout << line << '\n';
    std::cout << "rolling code: " << RollingCodeText(s) << '\n';
}

// Number of 16-byte rows from first to last row inclusive, none when last is before first.
int Rows(std::int32_t first, std::int32_t last)
{
    return std::max(0, last / 16 - first / 16 + 1);
}

int DownloadBlocks(const AppState& s)
{
    return Rows(s.RomStart, s.RomEnd) + Rows(s.OptionAddr1, s.OptionAddr1Last) +
           Rows(s.OptionAddr2, s.OptionAddr2Last) + Rows(s.ChipDataAddr1, s.ChipDataAddr1Last) +
           Rows(s.ChipDataAddr2, s.ChipDataAddr2Last);
}

int ReadBlocks(const AppState& s)
{
    return std::max(0, s.RomEnd / 32 - s.RomStart / 32 + 1) + 1; // program area + option row
}

int ExitCodeOf(const OperationResult& r, const WriterLink& link)
{
    if (r.succeeded)
        return kOk;
    if (r.declined)
        return kDeclined;
    if (r.transferFailed)
        return kTransferFailed;
    if (r.replyCode == Failure) {
        switch (r.failureKind) {
        case 1: return kRejected;
        case 3: return link.IsPinFailure() ? kPinFailure : kChipError;
        case 5: return kChecksum;
        default: return kUnexpectedAnswer;
        }
    }
    return r.replyCode == 0 ? kNoWriter : kUnexpectedAnswer;
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
    const std::string start = a.idStart.value_or("0");
    if (start.empty() || !IsHexText(start))
        throw UsageError("--id-start takes hexadecimal digits");
    const std::size_t keep = static_cast<std::size_t>(2 * s.IDLen);
    s.InitIDText = start.size() > keep ? start.substr(start.size() - keep) : start;
    s.InitID = static_cast<std::int32_t>(HexToInt(s.InitIDText));
    s.NextID = s.InitID;
    s.IDStep = static_cast<std::uint8_t>(a.step);
}

PortNaming Naming(const AppState& s)
{
    PortNaming naming;
    naming.settingsPath = SettingsFileName(s);
    return naming;
}

class WriterSession {
public:
    WriterSession(AppState& s, ConsoleView& view)
        : s_(s),
          view_(view),
          comm_(loop_, MakePortResolver(Naming(s))),
          port_(comm_, [this] { view_.Progress(++done_, total_); }),
          link_(s, port_, loop_),
          operations_(s, link_, view)
    {
        ConfigureComm1(comm_);
    }

    // Names the port, or searches COM1..COM20 as the start-up does. False: no Writer found.
    bool Connect(const std::optional<std::string>& port)
    {
        if (port) {
            comm_.SetCommName(*port);
            return true;
        }
        return link_.ConnectWriter(view_);
    }

    void ExpectBlocks(int total)
    {
        done_ = 0;
        total_ = total;
    }

    WriterLink& Link() { return link_; }
    ChipOperations& Operations() { return operations_; }

private:
    AppState& s_;
    ConsoleView& view_;
    QueueEventLoop loop_;
    TComm comm_;
    int done_ = 0;
    int total_ = 0;
    ProgressPort port_;
    WriterLink link_;
    ChipOperations operations_;
};

int RunWriterCommand(AppState& s, const Arguments& a, ConsoleView& view)
{
    WriterSession session(s, view);
    if (!session.Connect(ResolvePortOption(a.port, s))) {
        view.Result(a.command, kNoWriter, "未找到Writer");
        return kNoWriter;
    }
    WriterLink& link = session.Link();
    ChipOperations& ops = session.Operations();

    if (a.command == "version") {
        const auto version = link.QueryFirmwareVersion();
        if (!version) {
            view.Result(a.command, kNoWriter, kFirmwareUnknownText);
            return kNoWriter;
        }
        std::cout << FirmwareVersionText(*version) << '\n';
        view.Result(a.command, kOk, "");
        return kOk;
    }
    if (a.command == "blank-check") {
        const int code = ExitCodeOf(ops.DoBlankCheck(), link);
        view.Result(a.command, code, code == kOk ? "blank" : "not blank");
        return code;
    }
    if (a.command == "read") {
        const std::string& out = a.operands[0];
        const FileFormat format = FormatOf(out, a.to, true);
        session.ExpectBlocks(ReadBlocks(s));
        const int code = ExitCodeOf(ops.ReadChip(), link);
        if (code != kOk) {
            view.Result(a.command, code, "read incomplete; " + out + " not written");
            return code;
        }
        SaveProgramFile(s, out, format);
        view.Result(a.command, kOk, "read into " + out);
        return kOk;
    }
    if (a.command == "download") {
        session.ExpectBlocks(DownloadBlocks(s));
        const int code = ExitCodeOf(ops.DownloadProgram(), link);
        view.Result(a.command, code, code == kOk ? "downloaded" : "download failed");
        return code;
    }

    WriterContext context{s, a, view, ops, link,
                          [&link](const OperationResult& r) { return ExitCodeOf(r, link); },
                          [&session](int blocks) { session.ExpectBlocks(blocks); },
                          DownloadBlocks(s), ReadBlocks(s)};
    if (a.command == "otp-check")
        return RunOtpCheckCommand(context);
    SetUpDeviceID(s, a);
    s.ProgramDialogOpen = true;
    return RunProgramCommand(context);
}

} // namespace

int RunCommand(const Arguments& a, ConsoleView& view, const std::string& exeDir)
{
    const std::string appDir = WithSlash(a.appDir.empty() ? exeDir : a.appDir);
    if (a.model)
        CheckModel(appDir, *a.model);

    AppState& s = TheAppState();
    if (a.command == "journal")
        return RunJournalCommand(a, view);
    if (a.command == "ports") {
        s.AppDir = appDir;
        return RunPortsCommand(a, view, s);
    }
    SetUpState(s, appDir, a.model);

    const bool takesFile = a.command == "info" || a.command == "convert" ||
                           a.command == "download" || a.command == "otp-check" ||
                           (a.command == "program" && !a.operands.empty());
    if (takesFile) {
        const std::string& in = a.operands[0];
        OpenProgramFile(s, in, FormatOf(in, a.format, false), view);
        if (const int stop = ApplyImageOptions(s, a, view); stop != kOk)
            return stop;
    }

    if (a.command == "info") {
        PrintInfo(s);
        view.Result(a.command, kOk, "");
        return kOk;
    }
    if (a.command == "convert") {
        const std::string& out = a.operands[1];
        SaveProgramFile(s, out, *a.to);
        view.Result(a.command, kOk, "wrote " + out);
        return kOk;
    }
    return RunWriterCommand(s, a, view);
}

} // namespace orvane::cli
