#include "app/DialogLot.h"

#include "app/LotRecords.h"
#include "app/Settings.h"
#include "foundation/Translate.h"

#include <chrono>
#include <utility>

namespace orvane {

namespace {

std::int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

std::string DialogJournalFor(const AppState& s)
{
    const std::string folder = ReadJournalFolder(s);
    return folder.empty() ? "" : DialogJournalPath(folder, s.ChipName, NowMs());
}

DialogLot::DialogLot(const AppState& s, const std::string& journalPath)
{
    run_.site = s.ComName;
    if (!journalPath.empty())
        journal_.emplace(journalPath);
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
           Tr(" 已被其他Writer在批次记录 ") + journal_->Path() + Tr(" 中预留，已跳过；下一个ID为 ") +
           NextIDText(s);
}

void DialogLot::AfterRun(const AppState& s, const OperationResult& result, const WriterLink& link)
{
    const ChipRecord record = RecordOfRun(s, result, link, reservation_, s.ComName, "");
    if (journal_ && reservation_.chip != 0)
        journal_->Record(record); // an ID reserved for a chip not programmed stays spoiled
    if (record.outcome == ChipOutcome::NotProgrammed)
        return; // no chip was touched: nothing to count
    ++run_.tried;
    run_.passed += record.outcome == ChipOutcome::Passed ? 1 : 0;
    if (reservation_.id) {
        run_.firstId = run_.firstId.value_or(*reservation_.id);
        run_.lastId = reservation_.id;
    }
}

void DialogLot::Close()
{
    if (journal_ && run_.tried > 0) {
        run_.endedBy = "end";
        journal_->Record(run_);
    }
}

std::string DialogLot::CountsText() const
{
    return Tr("本次：成功 ") + std::to_string(run_.passed) + Tr(" 片，失败 ") +
           std::to_string(run_.tried - run_.passed) + Tr(" 片");
}

} // namespace orvane
