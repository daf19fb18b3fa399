// `journal LOT`: the summary of a lot, over every Writer that added to it.
#include "cli/Commands.h"
#include "cli/ProductionCommands.h"

#include "foundation/Errors.h"
#include "production/JsonLine.h"
#include "production/LotJournal.h"

#include <iostream>

namespace orvane::cli {

int RunJournalCommand(const Arguments& a, ConsoleView& view)
{
    const std::string& path = a.operands[0];
    LotJournal journal(path, LotJournal::Access::ReadOnly);
    journal.SetLockWait(AnnouncedLockWait(view, {}));
    const LotSummary lot = journal.Read();
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

} // namespace orvane::cli
