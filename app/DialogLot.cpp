#include "app/DialogLot.h"

#include "app/LotRecords.h"
#include "app/Settings.h"

#include <chrono>

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

void DialogLot::BeforeRun(AppState& s, bool writeId)
{
    reservation_ = {};
    if (!journal_) {
        if (writeId)
            reservation_.id = DeviceId{s.NextID, s.IDLen};
        return;
    }
    IdRequest request;
    request.step = s.IDStep == 0 ? 1 : s.IDStep;
    if (writeId)
        request.wanted = s.NextID; // skipped, not refused, when another Writer has taken it
    reservation_ = journal_->Reserve(s.ComName, request, s.IDLen, s.IDAddr);
    if (reservation_.id)
        s.NextID = reservation_.id->value;
}

void DialogLot::AfterRun(const AppState& s, const OperationResult& result, const WriterLink& link)
{
    const ChipRecord record = RecordOfRun(s, result, link, reservation_, s.ComName, "");
    if (journal_)
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
    return "本次：成功 " + std::to_string(run_.passed) + " 片，失败 " +
           std::to_string(run_.tried - run_.passed) + " 片";
}

} // namespace orvane
