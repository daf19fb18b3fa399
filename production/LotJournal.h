// The lot journal: one file of JSON lines per lot, shared by every Writer of a production line.
// Before a chip is programmed a "reserve" line takes its chip number and its device ID; after it a
// "chip" line records what the Writer answered; each run ends with a "summary" line. Every line is
// written whole and synced before the next chip starts, under an exclusive lock on the file, so a
// journal left by a crash reads back up to its last chip and an ID once reserved is never issued
// again by any Writer.
#pragma once

#include "production/JsonLine.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// A journal this large is no lot of ours (a lot of 100,000 chips stays near 60 MiB).
inline constexpr std::size_t kMaxJournalFileBytes = std::size_t{256} << 20;

// An ID the journal already records as reserved.
class IdReservedError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The device ID written into a chip: its value and the ID length that gives its digits.
struct DeviceId {
    std::int64_t value = 0;
    int length = 2; // bytes; shown with 2 × length hexadecimal digits at least
};
std::string IdText(const DeviceId& id);

// An ID its length cannot hold (below 0, or past FFFF for 2 bytes and FFFFFF for 3): what() is
// the operator's message.
class IdRangeError : public std::runtime_error {
public:
    explicit IdRangeError(const DeviceId& id);
    DeviceId id;
};

// Throws IdRangeError unless id fits its length.
void CheckIdRange(const DeviceId& id);

// A wait for the journal's lock that a stop signal ended before anything was read or written.
class LockWaitStopped : public std::runtime_error {
public:
    LockWaitStopped(const std::string& path, int signal);
    int signal;
};

// What a wait for the journal's lock does while another process holds it, besides sleeping.
struct LockWait {
    std::function<void(const std::string& path)> announce; // once, after a second
    std::function<int()> stopSignal; // a signal that asks to stop, 0 while there is none
};

// What the Writer answered to ProgramChip and what that made of the chip.
enum class ChipOutcome { Passed, Failed, NotProgrammed };
std::string_view OutcomeName(ChipOutcome outcome);

struct ChipRecord {
    std::int64_t chip = 0; // number in the lot, from the reservation
    std::string site;      // the Writer's port
    std::string model;
    std::string firmware;  // the Writer's version text, "" when unknown
    std::uint16_t checksum = 0;            // image checksum without options
    std::uint16_t checksumWithOptions = 0;
    std::optional<DeviceId> id;
    std::uint8_t replyCode = 0;   // 0: no answer
    std::uint8_t failureKind = 0; // with reply 0xF2
    std::optional<std::uint16_t> failureAddress; // kind 3
    std::array<std::uint8_t, 2> failureData{};   // kind 3: the two data bytes of the answer
    ChipOutcome outcome = ChipOutcome::NotProgrammed;
    std::string detail; // why, in words
};

// What one `program` run did, for its closing summary line.
struct RunSummary {
    std::string site;
    int tried = 0;
    int passed = 0;
    std::optional<DeviceId> firstId, lastId;
    double seconds = 0;
    std::string endedBy; // "end", or the signal that stopped the run
};

// The lot as its journal records it, from every site.
struct LotSummary {
    int tried = 0;      // chips with a reservation
    int passed = 0;
    int failed = 0;      // programmed and reported bad, or not programmed after reservation
    int unfinished = 0;  // reserved with no outcome: the run stopped during that chip
    std::optional<DeviceId> firstId, lastId; // lowest and highest ID reserved
    std::set<std::int64_t> reservedIds;
    std::vector<DeviceId> spoiledIds; // reserved for a chip that did not pass, in lot order
    std::int64_t lastChip = 0;
    std::set<std::string> sites;
    std::int64_t firstMs = 0, lastMs = 0; // times of the first and last line (Unix ms)
    int unreadableLines = 0;
    int idLength = 2;                  // of the last ID reserved
    std::optional<std::int32_t> idAddr; // where the last ID reserved goes in the image
};

// Calls each with every line of a journal's text that is not blank, without its newline.
void ForEachJournalLine(std::string_view text, const std::function<void(std::string_view)>& each);
LotSummary SummarizeLot(std::string_view journalText);

// Builds a LotSummary from a lot's records, whichever store they come from.
class LotTally {
public:
    void Seen(std::int64_t unixMs, const std::string& site); // any record
    void Reserved(std::int64_t chip, const std::optional<DeviceId>& id,
                  std::optional<std::int32_t> idAddr);
    void Finished(std::int64_t chip, std::string outcome); // the last outcome of a chip counts
    void Unreadable() { ++lot_.unreadableLines; }
    LotSummary Finish() &&;

private:
    struct Chip {
        std::optional<DeviceId> id;
        std::optional<std::string> outcome;
    };
    LotSummary lot_;
    std::map<std::int64_t, Chip> chips_;
};

// The lot summary as orvane-cli prints it, one "name: value" per line.
std::string LotSummaryText(const LotSummary& lot);

// Yield in percent with one decimal ("96.0%"), "-" when nothing was tried.
std::string YieldText(int passed, int tried);

// Which ID a chip gets.
struct IdRequest {
    std::optional<std::int64_t> wanted; // the ID asked for: the operator's first ID, or one step
                                        // past the run's previous ID
    bool insist = false;   // wanted came from the operator: refuse it rather than skip it
    bool fromLot = false;  // nothing wanted: take the lot's next ID when the lot has IDs
    std::uint8_t step = 1;
    bool allowReissue = false;
};

// What ChooseId needs to know of a lot: a server answers it without reading the whole lot.
struct LotIds {
    std::optional<DeviceId> lastId; // the highest ID reserved
    int idLength = 2;               // of the last ID reserved
    std::function<bool(std::int64_t)> reserved;
};

// The ID for the next chip, or nothing when it gets none. Throws IdReservedError when the ID
// asked for is reserved and may not be skipped.
std::optional<std::int64_t> ChooseId(const LotIds& lot, const IdRequest& request);
std::optional<std::int64_t> ChooseId(const LotSummary& lot, const IdRequest& request);

struct Reservation {
    std::int64_t chip = 0;
    std::optional<DeviceId> id;
};

// Where a lot lives: the JSON-lines file of one computer (LotJournal below) or a PostgreSQL
// server that the Writers of many computers share (ServerLot). The command line and the
// programming dialog talk to this interface only; OpenLotStore in LotStore.h picks one.
class LotStore {
public:
    virtual ~LotStore() = default;

    // Takes the chip number and the ID for the next chip, stored for good before it returns.
    // Throws IdReservedError or IdRangeError having reserved nothing, LockWaitStopped when a
    // stop signal ends a wait for another Writer, and ServerError when a server cannot commit it.
    virtual Reservation Reserve(const std::string& site, const IdRequest& request, int idLength,
                                std::int32_t idAddr) = 0;
    virtual void Record(const ChipRecord& record) = 0;
    virtual void Record(const RunSummary& summary) = 0;
    virtual LotSummary Read() const = 0;
    // The lot as JSON lines that SummarizeLot reads back to the same summary.
    virtual std::string Export() const = 0;
    // The file or the lot's URI, for messages.
    virtual const std::string& Name() const = 0;
    // How waits for another Writer behave, besides sleeping.
    virtual void SetLockWait(LockWait) {}
};

class LotJournal : public LotStore {
public:
    enum class Access { Append, ReadOnly };
    // Opens the journal; throws FileError naming it when it is not a regular file or cannot be
    // opened. For Append a missing journal is created by the first line written, so that a run
    // refused before its first chip leaves no file behind.
    explicit LotJournal(std::string path, Access access = Access::Append);
    ~LotJournal();
    LotJournal(const LotJournal&) = delete;
    LotJournal& operator=(const LotJournal&) = delete;

    // How waits for the lock behave; by default they wait silently until the lock is free.
    void SetLockWait(LockWait wait) override { wait_ = std::move(wait); }

    // Under the lock: reads the lot, chooses the chip number and ID and appends the reservation.
    // Throws IdReservedError or IdRangeError, and LockWaitStopped, having appended nothing.
    Reservation Reserve(const std::string& site, const IdRequest& request, int idLength,
                        std::int32_t idAddr) override;
    void Record(const ChipRecord& record) override;
    void Record(const RunSummary& summary) override;
    // Throws LockWaitStopped when a stop signal ends the wait for the lock.
    LotSummary Read() const override;
    // The file as it stands.
    std::string Export() const override;

    const std::string& Name() const override { return path_; }

private:
    enum class Stop { OnSignal, Never };
    // Holds the journal's flock for one read or append.
    class Lock;

    void Create();
    std::string ReadLocked() const;
    void AppendLocked(const std::string& line);

    std::string path_;
    int fd_ = -1; // -1: the journal does not exist yet
    LockWait wait_;
};

// The journal the programming dialog writes in folder: one lot per model and day,
// "<folder>/<model>-YYYY-MM-DD.jsonl" (UTC), so that a restarted dialog goes on with the same lot.
std::string DialogJournalPath(const std::string& folder, const std::string& model,
                              std::int64_t unixMs);

// The time every record of a lot carries: Unix milliseconds.
std::int64_t NowUnixMs();

// The JSON line of each record, as the journal holds it (without the line end).
std::string ReserveLine(const std::string& site, const Reservation& reservation,
                        std::int32_t idAddr, std::int64_t unixMs);
std::string ChipLine(const ChipRecord& record, std::int64_t unixMs);
std::string SummaryLine(const RunSummary& summary, std::int64_t unixMs);

// And back: the records of journal lines, as lot import folds them into a server.
std::optional<DeviceId> IdOfLine(const JsonFields& line, std::string_view key); // "id", "first_id"
std::optional<ChipOutcome> OutcomeNamed(std::string_view name);
ChipRecord ChipOfLine(const JsonFields& line);
RunSummary SummaryOfLine(const JsonFields& line);

} // namespace orvane
