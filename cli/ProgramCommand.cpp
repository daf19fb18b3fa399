// `program`: chip after chip, each reserved in the lot journal (chip number and ID) before it is
// programmed and recorded after it, so that no two Writers of a line burn the same ID.
#include "cli/Commands.h"
#include "cli/ProductionCommands.h"
#include "cli/StopSignals.h"
#include "foundation/Translate.h"

#include "app/LotRecords.h"
#include "app/LotSpill.h"

#include "image/RomImage.h"
#include "production/JsonLine.h"
#include "production/LotStore.h"
#include "writer/DeviceIdLimit.h"

#include <chrono>
#include <iostream>
#include <unistd.h>

namespace orvane::cli {
namespace {

void WaitForNextChip(int chip, int count)
{
    if (::isatty(STDIN_FILENO) != 1)
        return;
    std::cerr << "Insert chip " << chip << " of " << count << " and press Enter " << std::flush;
    std::string ignored;
    std::getline(std::cin, ignored);
}

// "V1.2---2011.5.17", as the status bar shows it after its label; "" when the Writer does not say.
std::string FirmwareOf(WriterContext& c)
{
    std::string panel = c.view.FirmwarePanel();
    if (panel.empty() || panel == Tr(kFirmwareUnknownText)) {
        const auto version = c.link.QueryFirmwareVersion();
        panel = version ? FirmwareVersionText(*version) : "";
    }
    const auto v = panel.find(" V");
    return v == std::string::npos ? "" : panel.substr(v + 1);
}

// Which ID the journal gives the run's chip: the operator's first ID for chip 1 (or the lot's
// next one), then one step past the run's previous ID (or past the lot's last one when another
// Writer took it).
IdRequest RequestFor(const Arguments& a, const AppState& s, int chip,
                     std::optional<std::int64_t> previousId)
{
    IdRequest request;
    request.step = s.IDStep;
    request.allowReissue = a.allowReissue;
    if (chip == 1) {
        if (a.idStart)
            request.wanted = s.NextID;
        request.insist = a.idStart.has_value();
        request.fromLot = true;
    } else if (previousId) {
        request.wanted =
            static_cast<std::int64_t>(static_cast<std::uint64_t>(*previousId) + s.IDStep);
    }
    return request;
}

// A lot's IDs go into the image before the download: they need one, and a lot started with IDs
// goes on with them.
void CheckLotIds(const Arguments& a, const AppState& s, const LotSummary& lot)
{
    const bool ids = a.idStart || lot.lastId;
    // Every Writer of a lot writes its IDs at the same place, with the same length.
    if (lot.lastId && lot.idAddr && (*lot.idAddr != s.IDAddr || lot.idLength != s.IDLen))
        throw UsageError("the lot writes its IDs at " + Hex(*lot.idAddr, 4) + " with --id-len " +
                         std::to_string(lot.idLength) + ", not at " + Hex(s.IDAddr, 4) +
                         " with --id-len " + std::to_string(s.IDLen));
    if (ids && a.noDownload)
        throw UsageError("the lot writes device IDs, which go into the image to download: not "
                         "with --no-download");
    if (!ids && (a.idAddr || a.idLen))
        throw UsageError("the lot has no ID yet: give --id-start for its first ID");
}

// "ID 10000 is past FFFF, the last ID --id-len 2 can hold"
std::string PastLimitText(const DeviceId& id)
{
    if (id.value < 0)
        return "ID " + DeviceIDText(id.value, id.length) + " is below 0";
    return "ID " + DeviceIDText(id.value, id.length) + " is past " +
           DeviceIDText(LastDeviceID(id.length), id.length) + ", the last ID --id-len " +
           std::to_string(id.length) + " can hold";
}

int StoppedWaiting(WriterContext& c, const LockWaitStopped& e)
{
    return Finish(c.view, c.a.command,
                  {128 + e.signal, "stopped by " + std::string(StopSignals::Name(e.signal)) +
                                       " while waiting for the lock on the lot journal " +
                                       *c.a.journal + "; nothing reserved"});
}

// A record the lot server could not take, kept in the spill file: said on the console.
void ReportSpill(WriterContext& c, const std::string& spilled)
{
    if (!spilled.empty())
        c.view.Show(MessageKind::Error, spilled);
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

LockWait AnnouncedLockWait(ConsoleView& view, std::function<int()> stopSignal)
{
    return {.announce =
                [&view](const std::string& path) {
                    view.Show(MessageKind::Information,
                              "waiting for the lock on the lot journal " + path +
                                  ", which another process holds");
                },
            .stopSignal = std::move(stopSignal)};
}

int RunProgramCommand(WriterContext& c)
{
    const Arguments& a = c.a;
    AppState& s = c.s;
    StopSignals signals;
    LotStore* journal = c.lot;
    try {
        if (journal) {
            journal->SetLockWait(AnnouncedLockWait(c.view, [] { return StopSignals::Caught(); }));
            CheckLotIds(a, s, journal->Read());
        }
    } catch (const LockWaitStopped& e) {
        return StoppedWaiting(c, e);
    }
    const std::string site = a.port.value_or(s.ComName);
    const std::string firmware = journal ? FirmwareOf(c) : "";
    const auto started = std::chrono::steady_clock::now();

    RunSummary run;
    run.site = site;
    bool runWritesIds = a.idStart.has_value();
    std::optional<std::int64_t> previousId;
    Outcome outcome{kOk, ""};
    for (int chip = 1; chip <= a.count && outcome.exitCode == kOk && !StopSignals::Caught();
         ++chip) {
        if (chip > 1)
            WaitForNextChip(chip, a.count);
        if (StopSignals::Caught())
            break;

        Reservation reserved;
        try {
            if (journal) {
                reserved = journal->Reserve(site, RequestFor(a, s, chip, previousId), s.IDLen,
                                            s.IDAddr);
                runWritesIds = reserved.id.has_value();
                if (reserved.id)
                    s.NextID = reserved.id->value;
            } else if (runWritesIds) {
                reserved.id = DeviceId{s.NextID, s.IDLen};
                CheckIdRange(*reserved.id);
            }
        } catch (const IdReservedError& e) {
            const std::string text = std::string(e.what()) + ". Leave out --id-start to go "
                                     "on with the lot, or give --allow-reissue to burn it again";
            c.view.Show(MessageKind::Error, text);
            outcome = {kIdReserved, "ID already reserved in " + *a.journal};
            break;
        } catch (const IdRangeError& e) {
            c.view.Show(MessageKind::Error, e.what());
            outcome = {kIdPastLimit, "chip " + std::to_string(chip) + " refused: " +
                                         PastLimitText(e.id)};
            break;
        } catch (const LockWaitStopped&) {
            break; // nothing reserved: the run ends as stopped
        } catch (const ServerError& e) {
            // No chip is programmed without a reservation the server has committed.
            outcome = {kFileError, "chip " + std::to_string(chip) + " not started: " + e.what()};
            break;
        }
        if (reserved.id) {
            previousId = reserved.id->value;
            run.firstId = run.firstId.value_or(*reserved.id);
            run.lastId = reserved.id;
        }
        ProgramRunOptions options{.writeId = runWritesIds,
                                  .autoIncrement = !journal,
                                  .download = !a.noDownload};
        ChipRecord record;
        if (a.otpCheck) {
            if (runWritesIds)
                WriteDeviceID(s); // the ID is part of what the chip must take
            const OtpVerdict verdict = CheckChipTakesImage(c);
            outcome = verdict.outcome;
            if (outcome.exitCode != kOk) {
                PrintOtpConflicts(c, verdict);
                record = RecordOfRun(s, {}, c.link, reserved, site, firmware);
                record.outcome = ChipOutcome::NotProgrammed;
                record.detail = "OTP check: " + outcome.detail;
            }
        }
        if (outcome.exitCode == kOk) {
            const OperationResult result = c.ops.RunProgramming(options);
            outcome = OutcomeOf(result, c.link, "");
            record = RecordOfRun(s, result, c.link, reserved, site, firmware);
        }
        ++run.tried;
        run.passed += record.outcome == ChipOutcome::Passed ? 1 : 0;
        if (outcome.exitCode != kOk && outcome.exitCode != kIdReserved)
            outcome.detail = "chip " + std::to_string(chip) + " failed: " + outcome.detail;
        // A lot server gone away ends the run after the chip in hand.
        if (const std::string spilled = journal ? RecordOrSpill(*journal, record, s.AppDir) : "";
            !spilled.empty()) {
            ReportSpill(c, spilled);
            if (outcome.exitCode == kOk)
                outcome = {kFileError, "the record of chip " + std::to_string(chip) +
                                           " is in the spill file, not yet in the lot"};
        }
    }

    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.endedBy = StopSignals::Name(StopSignals::Caught());
    if (journal && run.tried > 0) // a run refused before its first chip leaves no trace
        ReportSpill(c, RecordOrSpill(*journal, run, s.AppDir));
    if (journal || a.count > 1)
        PrintSummary(c, run);
    if (StopSignals::Caught())
        return Finish(c.view, a.command,
                      {128 + StopSignals::Caught(), "stopped by " + run.endedBy + " after " +
                                                        std::to_string(run.tried) + " chip(s)"});
    if (outcome.exitCode == kOk)
        outcome.detail = "programmed " + std::to_string(run.passed) + " chip(s)";
    return Finish(c.view, a.command, outcome);
}

} // namespace orvane::cli
