#include "app/DialogLot.h"

#include "app/LotRecords.h"
#include "app/LotSpill.h"
#include "app/Settings.h"
#include "foundation/Translate.h"
#include "production/LotStore.h"

#include <utility>

namespace orvane {

std::string DialogJournalFor(const AppState& s)
{
    if (std::string url = ReadJournalUrl(s); !url.empty())
        return url;
    const std::string folder = ReadJournalFolder(s);
    return folder.empty() ? "" : DialogJournalPath(folder, s.ChipName, NowUnixMs());
}

DialogLot::DialogLot(const AppState& s, const std::string& journal) : appDir_(s.AppDir)
{
    run_.site = s.ComName;
    if (!journal.empty())
        journal_ = OpenLotStore(journal);
}

std::string DialogLot::BeforeRun(AppState& s, bool writeId)
{
    reservation_ = {};
    if (!journal_) {
        if (writeId)
            reservation_.id = DeviceId{s.NextID, s.IDLen};
        return "";
    }
    if (writeId && !DeviceIDRefusal(s).empty())
        return "";
    IdRequest request;
    request.step = s.IDStep == 0 ? 1 : s.IDStep;
    if (writeId)
        request.wanted = s.NextID; // skipped, not refused, when another Writer has taken it
    std::int64_t given = s.NextID;
    try {
        reservation_ = journal_->Reserve(s.ComName, request, s.IDLen, s.IDAddr);
        if (reservation_.id)
            given = reservation_.id->value;
    } catch (const IdRangeError& e) {
        given = e.id.value;
    }
    if (!writeId || given == s.NextID)
        return "";
    const std::int64_t wanted = std::exchange(s.NextID, given);
    const std::int64_t lastTaken = given - request.step;
    return "ID " + DeviceIDText(wanted, s.IDLen) +
           (lastTaken > wanted ? "-" + DeviceIDText(lastTaken, s.IDLen) : "") +
           Tr(" 已被其他Writer在批次记录 ") + journal_->Name() + Tr(" 中预留，已跳过；下一个ID为 ") +
           NextIDText(s);
}

std::string DialogLot::AfterRun(const AppState& s, const OperationResult& result,
                                const WriterLink& link)
{
    const ChipRecord record = RecordOfRun(s, result, link, reservation_, s.ComName, "");
    std::string spilled;
    if (journal_ && reservation_.chip != 0) // an ID reserved for a chip not programmed stays spoiled
        spilled = RecordOrSpill(*journal_, record, appDir_);
    if (record.outcome == ChipOutcome::NotProgrammed)
        return spilled; // no chip was touched: nothing to count
    ++run_.tried;
    run_.passed += record.outcome == ChipOutcome::Passed ? 1 : 0;
    if (reservation_.id) {
        run_.firstId = run_.firstId.value_or(*reservation_.id);
        run_.lastId = reservation_.id;
    }
    return spilled;
}

void DialogLot::Close()
{
    if (journal_ && run_.tried > 0) {
        run_.endedBy = "end";
        RecordOrSpill(*journal_, run_, appDir_);
    }
}

std::string DialogLot::CountsText() const
{
    return Tr("本次：成功 ") + std::to_string(run_.passed) + Tr(" 片，失败 ") +
           std::to_string(run_.tried - run_.passed) + Tr(" 片");
}

} // namespace orvane
