// `journal LOT`: the summary of a lot, over every Writer that added to it; `lot ...`: a lot on a
// server set up, exported and given back its spilled records.
#include "cli/Commands.h"
#include "cli/ProductionCommands.h"

#include "foundation/AtomicFile.h"
#include "foundation/Errors.h"
#include "foundation/ReadFile.h"
#include "production/JsonLine.h"
#include "production/LotStore.h"
#include "production/ServerLot.h"

#include <iostream>

namespace orvane::cli {

int RunJournalCommand(const Arguments& a, ConsoleView& view)
{
    const auto journal = OpenLotStore(a.operands[0], LotAccess::ReadOnly);
    journal->SetLockWait(AnnouncedLockWait(view, {}));
    const LotSummary lot = journal->Read();
    if (a.json) {
        JsonLine line;
        line.Str("type", "lot").Num("tried", lot.tried).Num("passed", lot.passed)
            .Num("failed", lot.failed).Num("unfinished", lot.unfinished)
            .Str("yield", YieldText(lot.passed, lot.tried))
            .Str("first_id", lot.firstId ? IdText(*lot.firstId) : "")
            .Str("last_id", lot.lastId ? IdText(*lot.lastId) : "")
            .Num("spoiled", static_cast<std::int64_t>(lot.spoiledIds.size()))
            .Num("sites", static_cast<std::int64_t>(lot.sites.size()))
            .Num("unreadable_lines", lot.unreadableLines);
        std::cout << line.Text() << '\n';
    } else {
        std::cout << LotSummaryText(lot);
    }
    view.Result(a.command, kOk, "");
    return kOk;
}

int RunLotCommand(const Arguments& a, ConsoleView& view)
{
    const std::string& what = a.operands[0];
    const std::string& uri = a.operands[1];
    if (what == "init")
        return Finish(view, a.command, {kOk, ServerLot::Init(uri)});
    if (what == "export") {
        const auto lot = OpenLotStore(uri, LotAccess::ReadOnly);
        lot->SetLockWait(AnnouncedLockWait(view, {}));
        const std::string& file = a.operands[2];
        WriteFileAtomically(file, lot->Export());
        return Finish(view, a.command, {kOk, "wrote " + file});
    }
    const std::string& file = a.operands[2];
    const ServerLot::Folded folded =
        ServerLot(uri).Import(ReadWholeFile(file, kMaxJournalFileBytes));
    const std::string text = "folded " + file + " into the lot: " + std::to_string(folded.added) +
                             " record(s) added, " + std::to_string(folded.present) +
                             " already there, " + std::to_string(folded.unreadable) +
                             " unreadable";
    return Finish(view, a.command, {folded.unreadable > 0 ? kFileError : kOk, text});
}

} // namespace orvane::cli
