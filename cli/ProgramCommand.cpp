// `program`: chip after chip, each reserved in the lot journal (chip number and ID) before it is
// programmed and recorded after it, so that no two Writers of a line burn the same ID.
#include "cli/Commands.h"
#include "cli/ProductionCommands.h"

#include "image/RomImage.h"
#include "production/JsonLine.h"
#include "production/LotJournal.h"
#include "writer/Frame.h"

#include <chrono>
#include <csignal>
#include <iostream>
#include <unistd.h>

namespace orvane::cli {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal)
{
    stopSignal = signal;
}

// SIGINT and SIGTERM let the chip in hand finish and end the run with its summary; a second one
// ends the process at once. Waits are not restarted, so a wait for Enter ends too.
class StopSignals {
public:
    StopSignals()
    {
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopSignals()
    {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    static int Caught() { return stopSignal; }

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

void WaitForNextChip(int chip, int count)
{
    if (::isatty(STDIN_FILENO) != 1)
        return;
    std::cerr << "Insert chip " << chip << " of " << count << " and press Enter " << std::flush;
    std::string ignored;
    std::getline(std::cin, ignored);
}

std::string SignalName(int signal)
{
    return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "end";
}

// "V1.2---2011.5.17", as the status bar shows it after its label; "" when the Writer does not say.
std::string FirmwareOf(WriterContext& c)
{
    std::string panel = c.view.FirmwarePanel();
    if (panel.empty() || panel == kFirmwareUnknownText) {
        const auto version = c.link.QueryFirmwareVersion();
        panel = version ? FirmwareVersionText(*version) : "";
    }
    const auto v = panel.find(" V");
    return v == std::string::npos ? "" : panel.substr(v + 1);
}

// The chip's record from the run's result and the reply it left in the link.
ChipRecord RecordOf(const WriterContext& c, const OperationResult& r, int code)
{
    ChipRecord record;
    record.replyCode = r.replyCode;
    record.failureKind = r.replyCode == Failure ? r.failureKind : 0;
    if (r.replyCode == Failure && r.failureKind == 3) {
        record.failureAddress = static_cast<std::uint16_t>(c.link.FailureAddress());
        record.failureData = {c.link.RxData[3], c.link.RxData[4]};
    }
    if (r.succeeded) {
        record.outcome = ChipOutcome::Passed;
        record.detail = "programmed";
    } else if (r.transferFailed || r.declined || r.replyCode == 0) {
        // Without a ProgramChip answer the chip may still hold part of the image.
        record.outcome = r.transferFailed || r.declined ? ChipOutcome::NotProgrammed
                                                        : ChipOutcome::Failed;
        record.detail = r.declined ? "declined" : r.transferFailed ? "download failed"
                                                                   : "no answer to ProgramChip";
    } else {
        record.outcome = ChipOutcome::Failed;
        record.detail = "the Writer answered " + Hex(r.replyCode, 2);
        if (r.replyCode == Failure)
            record.detail += " kind " + std::to_string(r.failureKind);
        if (record.failureAddress)
            record.detail += " at " + Hex(*record.failureAddress, 4);
        record.detail += " (exit status " + std::to_string(code) + ")";
    }
    return record;
}

// A lot's IDs go into the image before the download: they need one, and a lot started with IDs
// goes on with them.
void CheckLotIds(const Arguments& a, const LotSummary& lot)
{
    const bool ids = a.idStart || lot.lastId;
    if (ids && a.noDownload)
        throw UsageError("the lot writes device IDs, which go into the image to download: not "
                         "with --no-download");
    if (!ids && (a.idAddr || a.idLen))
        throw UsageError("the lot has no ID yet: give --id-start for its first ID");
}

void PrintSummary(const WriterContext& c, const RunSummary& run)
{
    if (c.a.json) {
        const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::system_clock::now().time_since_epoch());
        std::cout << SummaryLine(run, now.count()) << '\n' << std::flush;
        return;
    }
    std::cerr << "summary: " << run.tried << " tried, " << run.passed << " passed, "
              << run.tried - run.passed << " failed, yield " << YieldText(run.passed, run.tried);
    if (run.firstId)
        std::cerr << ", IDs " << IdText(*run.firstId) << ".." << IdText(*run.lastId);
    std::cerr << '\n';
}

} // namespace

int RunProgramCommand(WriterContext& c)
{
    const Arguments& a = c.a;
    AppState& s = c.s;
    StopSignals signals;
    std::optional<LotJournal> journal;
    if (a.journal) {
        journal.emplace(*a.journal);
        CheckLotIds(a, journal->Read());
    }
    const std::string site = a.port.value_or(s.ComName);
    const std::string firmware = journal ? FirmwareOf(c) : "";
    const auto started = std::chrono::steady_clock::now();

    RunSummary run;
    run.site = site;
    bool runWritesIds = a.idStart.has_value();
    std::optional<std::int64_t> previousId;
    int code = kOk;
    for (int chip = 1; chip <= a.count && code == kOk && !StopSignals::Caught(); ++chip) {
        if (chip > 1)
            WaitForNextChip(chip, a.count);
        if (StopSignals::Caught())
            break;

        ChipRecord record;
        if (journal) {
            IdRequest request;
            request.step = s.IDStep;
            request.allowReissue = a.allowReissue;
            if (chip == 1) {
                if (a.idStart)
                    request.wanted = s.NextID;
                request.insist = a.idStart.has_value();
                request.fromLot = true;
            } else if (previousId) {
                request.wanted = static_cast<std::int64_t>(
                    static_cast<std::uint64_t>(*previousId) + s.IDStep);
            }
            Reservation reserved;
            try {
                reserved = journal->Reserve(site, request, s.IDLen, s.IDAddr);
            } catch (const IdReservedError& e) {
                const std::string text = std::string(e.what()) + ". Leave out --id-start to go "
                                         "on with the lot, or give --allow-reissue to burn it again";
                c.view.Show(MessageKind::Error, text);
                code = kIdReserved;
                break;
            }
            record.chip = reserved.chip;
            record.id = reserved.id;
            runWritesIds = reserved.id.has_value();
            if (reserved.id)
                s.NextID = reserved.id->value;
        } else if (runWritesIds) {
            record.id = DeviceId{s.NextID, s.IDLen};
        }
        if (record.id) {
            previousId = record.id->value;
            run.firstId = run.firstId.value_or(*record.id);
            run.lastId = record.id;
        }

        ProgramRunOptions options{.writeId = runWritesIds,
                                  .autoIncrement = !journal,
                                  .download = !a.noDownload};
        OperationResult result;
        if (a.otpCheck) {
            if (runWritesIds)
                WriteDeviceID(s); // the ID is part of what the chip must take
            const OtpVerdict verdict = CheckChipTakesImage(c);
            if (verdict.code != kOk) {
                std::cout << OtpConflictText(verdict.conflicts) << std::flush;
                record.outcome = ChipOutcome::NotProgrammed;
                record.detail = verdict.conflicts.empty()
                    ? "OTP check: the chip could not be read"
                    : "OTP check: " + std::to_string(verdict.conflicts.size()) +
                          " address(es) need a 1 where the chip holds a 0";
                code = verdict.code;
            }
        }
        if (code == kOk) {
            c.expectBlocks(options.download || options.writeId ? c.downloadBlocks : 0);
            result = c.ops.RunProgramming(options);
            code = c.exitCodeOf(result);
            const ChipRecord answer = RecordOf(c, result, code);
            record.replyCode = answer.replyCode;
            record.failureKind = answer.failureKind;
            record.failureAddress = answer.failureAddress;
            record.failureData = answer.failureData;
            record.outcome = answer.outcome;
            record.detail = answer.detail;
        }
        ++run.tried;
        run.passed += record.outcome == ChipOutcome::Passed ? 1 : 0;
        if (journal) {
            record.site = site;
            record.model = s.ChipName;
            record.firmware = firmware;
            record.checksum = s.FileChecksum;
            record.checksumWithOptions = s.FileChecksumWithOptions;
            journal->Record(record);
        }
        if (code != kOk)
            c.view.Result(a.command, code, "chip " + std::to_string(chip) + " failed: " +
                                               record.detail);
    }

    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.endedBy = SignalName(StopSignals::Caught());
    if (journal)
        journal->Record(run);
    if (journal || a.count > 1)
        PrintSummary(c, run);
    if (StopSignals::Caught()) {
        c.view.Result(a.command, 128 + StopSignals::Caught(),
                      "stopped by " + run.endedBy + " after " + std::to_string(run.tried) +
                          " chip(s)");
        return 128 + StopSignals::Caught();
    }
    if (code == kOk)
        c.view.Result(a.command, kOk, "programmed " + std::to_string(run.passed) + " chip(s)");
    else if (code == kIdReserved)
        c.view.Result(a.command, code, "ID already reserved in " + *a.journal);
    return code;
}

} // namespace orvane::cli
