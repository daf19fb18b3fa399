// The programming dialog's share of the production line: how many chips of this session passed
// and failed, and, when the settings file names a journal folder, the lot journal of the model and
// day, in which every chip is reserved before the run and recorded after it, as the command line
// does.
#pragma once

#include "foundation/AppState.h"
#include "production/LotJournal.h"

#include <memory>
#include "writer/ChipOperations.h"
#include "writer/WriterLink.h"

#include <string>

namespace orvane {

// The lot of the settings file: its [JOURNAL] URL, else the journal of its journal folder for the
// model and today; "" for none.
std::string DialogJournalFor(const AppState& s);

class DialogLot {
public:
    // Opens the lot store at journal (a file or a server URI), none when it is empty; throws
    // FileError when it cannot.
    DialogLot(const AppState& s, const std::string& journal);

    // Before a run: reserves the chip and, when the run writes an ID, the ID, which becomes
    // NextID: the next ID no Writer of the lot has taken, NextID itself when it is free. A run
    // the programming run will refuse (DeviceIDRefusal) reserves nothing; nor does one whose
    // next free ID is past its length's last, which NextID then holds for the run to refuse.
    // Returns the memo line that says which IDs the journal skipped and why, "" for none.
    std::string BeforeRun(AppState& s, bool writeId);
    // After it: counts the chip and records it in the journal when it was reserved. Returns the
    // memo line that says where a record the lot server could not take is kept, "" for none.
    std::string AfterRun(const AppState& s, const OperationResult& result, const WriterLink& link);
    // The session's summary line, when a chip was tried.
    void Close();

    // "本次：成功 N 片，失败 M 片"
    std::string CountsText() const;

private:
    std::unique_ptr<LotStore> journal_;
    std::string appDir_;
    Reservation reservation_;
    RunSummary run_;
};

} // namespace orvane
