#include "production/LotJournal.h"

#include "foundation/Errors.h"
#include "image/RomImage.h"
#include "production/JsonLine.h"
#include "writer/DeviceIdLimit.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <time.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {
namespace {

// Chip numbers beyond this come from no lot: such a line is unreadable, and the next number
// cannot overflow.
constexpr std::int64_t kMaxChipNumber = 1'000'000'000'000;

std::string IsoTime(std::int64_t unixMs)
{
    const std::time_t seconds = static_cast<std::time_t>(unixMs / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(unixMs % 1000));
    return text;
}

JsonLine Head(std::string_view type, std::int64_t unixMs)
{
    JsonLine line;
    line.Str("type", type).Str("time", IsoTime(unixMs)).Num("unix_ms", unixMs);
    return line;
}

// A wait for a lock another process holds is announced after this long.
constexpr auto kAnnounceAfter = std::chrono::seconds(1);
// Between two tries the wait sleeps this long; a signal cuts the sleep short.
constexpr long kRetryNs = 10'000'000;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::int64_t NowUnixMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string DialogJournalPath(const std::string& folder, const std::string& model,
                              std::int64_t unixMs)
{
    // A model name is a byte string from device.name: keep it out of other folders.
    std::string name = model;
    for (char& c : name) {
        if (c == '/' || c == '\0')
            c = '_';
    }
    if (name.empty() || name == "." || name == "..")
        name = "lot";
    const std::string day = IsoTime(unixMs).substr(0, 10);
    return folder + (folder.empty() || folder.back() == '/' ? "" : "/") + name + "-" + day + ".jsonl";
}

std::string IdText(const DeviceId& id)
{
    return Hex(static_cast<std::uint64_t>(id.value), 2 * std::clamp(id.length, 1, 8));
}

IdRangeError::IdRangeError(const DeviceId& id)
    : std::runtime_error(DeviceIDRangeRefusal(id.value, id.length)), id(id)
{
}

void CheckIdRange(const DeviceId& id)
{
    if (!DeviceIDRangeRefusal(id.value, id.length).empty())
        throw IdRangeError(id);
}

LockWaitStopped::LockWaitStopped(const std::string& path, int signal)
    : std::runtime_error("stopped by signal " + std::to_string(signal) +
                         " while waiting for the lock on the journal " + path),
      signal(signal)
{
}

// The lock is asked for without blocking and asked again after a short sleep, so that the wait
// can be announced and a stop signal can end it; flock itself would wait deaf to both.
class LotJournal::Lock {
public:
    Lock(const LotJournal& journal, int mode, Stop stop) : fd_(journal.fd_)
    {
        const LockWait& wait = journal.wait_;
        const auto start = std::chrono::steady_clock::now();
        bool announced = false;
        while (::flock(fd_, mode | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                throw FileError("cannot lock the journal " + journal.path_ + ": " +
                                std::strerror(errno));
            if (!announced && std::chrono::steady_clock::now() - start >= kAnnounceAfter) {
                announced = true;
                if (wait.announce)
                    wait.announce(journal.path_);
            }
            const timespec pause{0, kRetryNs};
            ::nanosleep(&pause, nullptr);
            // Before the next try: the lock may be free by now, but the run was asked to stop.
            if (const int signal = wait.stopSignal ? wait.stopSignal() : 0;
                signal != 0 && stop == Stop::OnSignal)
                throw LockWaitStopped(journal.path_, signal);
        }
    }
    ~Lock() { ::flock(fd_, LOCK_UN); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    int fd_;
};

std::string_view OutcomeName(ChipOutcome outcome)
{
    switch (outcome) {
    case ChipOutcome::Passed: return "passed";
    case ChipOutcome::Failed: return "failed";
    case ChipOutcome::NotProgrammed: return "not-programmed";
    }
    return "failed";
}

std::string YieldText(int passed, int tried)
{
    if (tried <= 0)
        return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.1f%%", 100.0 * passed / tried);
    return text;
}

std::optional<DeviceId> IdOfLine(const JsonFields& f, std::string_view key)
{
    // All 64 bits, as NextID holds them.
    const auto value = FieldNumber<std::uint64_t>(f, key, 16);
    if (!value)
        return std::nullopt;
    const int length = key == "id" ? FieldNumber<int>(f, "id_len").value_or(2)
                                   : static_cast<int>(FieldText(f, key).size() / 2);
    return DeviceId{static_cast<std::int64_t>(*value), length};
}

std::optional<ChipOutcome> OutcomeNamed(std::string_view name)
{
    for (ChipOutcome o : {ChipOutcome::Passed, ChipOutcome::Failed, ChipOutcome::NotProgrammed})
        if (OutcomeName(o) == name)
            return o;
    return std::nullopt;
}

ChipRecord ChipOfLine(const JsonFields& f)
{
    ChipRecord r;
    r.chip = FieldNumber<std::int64_t>(f, "chip").value_or(0);
    r.site = FieldText(f, "site");
    r.model = FieldText(f, "model");
    r.firmware = FieldText(f, "firmware");
    r.checksum = FieldNumber<std::uint16_t>(f, "checksum", 16).value_or(0);
    r.checksumWithOptions = FieldNumber<std::uint16_t>(f, "checksum_options", 16).value_or(0);
    r.id = IdOfLine(f, "id");
    r.replyCode = FieldNumber<std::uint8_t>(f, "reply", 16).value_or(0);
    r.failureKind = FieldNumber<std::uint8_t>(f, "kind").value_or(0);
    r.failureAddress = FieldNumber<std::uint16_t>(f, "address", 16);
    const auto data = FieldNumber<std::uint16_t>(f, "data", 16).value_or(0);
    r.failureData = {static_cast<std::uint8_t>(data >> 8), static_cast<std::uint8_t>(data)};
    r.outcome = OutcomeNamed(FieldText(f, "outcome")).value_or(ChipOutcome::Failed);
    r.detail = FieldText(f, "detail");
    return r;
}

RunSummary SummaryOfLine(const JsonFields& f)
{
    RunSummary s;
    s.site = FieldText(f, "site");
    s.tried = FieldNumber<int>(f, "tried").value_or(0);
    s.passed = FieldNumber<int>(f, "passed").value_or(0);
    s.firstId = IdOfLine(f, "first_id");
    s.lastId = IdOfLine(f, "last_id");
    s.seconds = std::strtod(FieldText(f, "seconds").c_str(), nullptr);
    s.endedBy = FieldText(f, "ended_by");
    return s;
}

std::string ReserveLine(const std::string& site, const Reservation& r, std::int32_t idAddr,
                        std::int64_t unixMs)
{
    JsonLine line = Head("reserve", unixMs);
    line.Num("chip", r.chip).Str("site", site);
    if (r.id)
        line.Str("id", IdText(*r.id)).Num("id_len", r.id->length).Str("id_addr", Hex(idAddr, 4));
    return line.Text();
}

std::string ChipLine(const ChipRecord& r, std::int64_t unixMs)
{
    JsonLine line = Head("chip", unixMs);
    line.Num("chip", r.chip).Str("site", r.site).Str("model", r.model).Str("firmware", r.firmware);
    line.Str("checksum", Hex(r.checksum, 4)).Str("checksum_options", Hex(r.checksumWithOptions, 4));
    if (r.id)
        line.Str("id", IdText(*r.id)).Num("id_len", r.id->length);
    if (r.replyCode == 0)
        line.Raw("reply", "null");
    else
        line.Str("reply", Hex(r.replyCode, 2));
    if (r.replyCode == 0xF2)
        line.Num("kind", r.failureKind);
    if (r.failureAddress)
        line.Str("address", Hex(*r.failureAddress, 4))
            .Str("data", Hex(r.failureData[0], 2) + Hex(r.failureData[1], 2));
    line.Str("outcome", OutcomeName(r.outcome)).Str("detail", r.detail);
    return line.Text();
}

std::string SummaryLine(const RunSummary& s, std::int64_t unixMs)
{
    JsonLine line = Head("summary", unixMs);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", s.seconds);
    line.Str("site", s.site).Num("tried", s.tried).Num("passed", s.passed)
        .Num("failed", s.tried - s.passed).Str("yield", YieldText(s.passed, s.tried));
    if (s.firstId)
        line.Str("first_id", IdText(*s.firstId)).Str("last_id", IdText(*s.lastId));
    line.Raw("seconds", seconds).Str("ended_by", s.endedBy);
    return line.Text();
}

void LotTally::Seen(std::int64_t unixMs, const std::string& site)
{
    if (unixMs != 0) {
        lot_.firstMs = lot_.firstMs == 0 ? unixMs : std::min(lot_.firstMs, unixMs);
        lot_.lastMs = std::max(lot_.lastMs, unixMs);
    }
    if (!site.empty())
        lot_.sites.insert(site);
}

void LotTally::Reserved(std::int64_t chip, const std::optional<DeviceId>& id,
                        std::optional<std::int32_t> idAddr)
{
    Chip& c = chips_[chip];
    c.id = id;
    if (id) {
        lot_.reservedIds.insert(id->value);
        lot_.idLength = id->length;
        if (idAddr)
            lot_.idAddr = idAddr;
        if (!lot_.firstId || id->value < lot_.firstId->value)
            lot_.firstId = id;
        if (!lot_.lastId || id->value > lot_.lastId->value)
            lot_.lastId = id;
    }
    lot_.lastChip = std::max(lot_.lastChip, chip);
}

void LotTally::Finished(std::int64_t chip, std::string outcome)
{
    chips_[chip].outcome = std::move(outcome);
}

LotSummary LotTally::Finish() &&
{
    for (const auto& [number, c] : chips_) {
        ++lot_.tried;
        const bool passed = c.outcome == std::string(OutcomeName(ChipOutcome::Passed));
        if (passed)
            ++lot_.passed;
        else if (c.outcome)
            ++lot_.failed;
        else
            ++lot_.unfinished;
        if (!passed && c.id)
            lot_.spoiledIds.push_back(*c.id);
    }
    return std::move(lot_);
}

void ForEachJournalLine(std::string_view text, const std::function<void(std::string_view)>& each)
{
    for (std::size_t from = 0; from < text.size();) {
        std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view raw = text.substr(from, end - from);
        from = end + 1;
        if (raw.find_first_not_of(" \t\r") != std::string_view::npos)
            each(raw);
    }
}

LotSummary SummarizeLot(std::string_view text)
{
    LotTally tally;
    ForEachJournalLine(text, [&](std::string_view raw) {
        const auto fields = ParseJsonLine(raw);
        const auto chip = fields ? FieldNumber<std::int64_t>(*fields, "chip") : std::nullopt;
        const std::string type = fields ? FieldText(*fields, "type") : std::string();
        const bool chipOk = chip && *chip > 0 && *chip <= kMaxChipNumber;
        if (!fields || (type != "summary" && !chipOk) ||
            (type != "reserve" && type != "chip" && type != "summary")) {
            tally.Unreadable();
            return;
        }
        tally.Seen(FieldNumber<std::int64_t>(*fields, "unix_ms").value_or(0), FieldText(*fields, "site"));
        if (type == "reserve")
            tally.Reserved(*chip, IdOfLine(*fields, "id"), FieldNumber<std::int32_t>(*fields, "id_addr", 16));
        else if (type == "chip")
            tally.Finished(*chip, FieldText(*fields, "outcome"));
    });
    return std::move(tally).Finish();
}

std::string LotSummaryText(const LotSummary& lot)
{
    std::string sites;
    for (const std::string& site : lot.sites)
        sites += (sites.empty() ? "" : ", ") + site;
    std::string spoiled;
    for (const DeviceId& id : lot.spoiledIds)
        spoiled += (spoiled.empty() ? "" : " ") + IdText(id);
    const double seconds = static_cast<double>(lot.lastMs - lot.firstMs) / 1000.0;
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f s", seconds);

    std::string out;
    out += "chips tried: " + std::to_string(lot.tried) + "\n";
    out += "passed: " + std::to_string(lot.passed) + "\n";
    out += "failed: " + std::to_string(lot.failed) + "\n";
    if (lot.unfinished > 0)
        out += "unfinished: " + std::to_string(lot.unfinished) + "\n";
    out += "yield: " + YieldText(lot.passed, lot.tried) + "\n";
    out += "first ID: " + (lot.firstId ? IdText(*lot.firstId) : "-") + "\n";
    out += "last ID: " + (lot.lastId ? IdText(*lot.lastId) : "-") + "\n";
    out += "spoiled IDs: " + (spoiled.empty() ? "-" : spoiled) + "\n";
    out += "sites: " + (sites.empty() ? "-" : sites) + "\n";
    out += std::string("duration: ") + duration + "\n";
    if (lot.unreadableLines > 0)
        out += "unreadable lines: " + std::to_string(lot.unreadableLines) + "\n";
    return out;
}

std::optional<std::int64_t> ChooseId(const LotSummary& lot, const IdRequest& request)
{
    return ChooseId(LotIds{lot.lastId, lot.idLength,
                           [&](std::int64_t id) { return lot.reservedIds.count(id) != 0; }},
                    request);
}

std::optional<std::int64_t> ChooseId(const LotIds& lot, const IdRequest& request)
{
    const auto& reserved = lot.reserved;
    const auto next = [&]() -> std::optional<std::int64_t> {
        if (!lot.lastId)
            return std::nullopt;
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(lot.lastId->value) +
                                         request.step);
    };
    const auto refuse = [&](std::int64_t id) {
        const auto free = next();
        throw IdReservedError("ID " + IdText({id, lot.idLength}) +
                              " is already reserved in the lot journal; its next free ID is " +
                              (free ? IdText({*free, lot.idLength}) : "-"));
    };

    std::optional<std::int64_t> id = request.wanted;
    if (id && reserved(*id) && !request.allowReissue) {
        if (request.insist)
            refuse(*id);
        id = next(); // another Writer took it: go on past the lot's last ID
    }
    if (!request.wanted && request.fromLot)
        id = next();
    if (id && reserved(*id) && !request.allowReissue)
        refuse(*id); // a step of 0 lands on the ID just issued
    return id;
}

LotJournal::LotJournal(std::string path, Access access) : path_(std::move(path))
{
    const int flags = access == Access::Append ? O_RDWR | O_APPEND : O_RDONLY;
    fd_ = ::open(path_.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0 && errno == ENOENT && access == Access::Append) {
        // Created by the first line written; the folder must be able to take it.
        if (::access(FolderOf(path_).c_str(), W_OK | X_OK) != 0)
            throw FileError("cannot open the journal " + path_ + ": " + std::strerror(errno));
        return;
    }
    if (fd_ < 0)
        throw FileError("cannot open the journal " + path_ + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        throw FileError("the journal " + path_ + " is not a regular file");
    }
}

LotJournal::~LotJournal()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void LotJournal::Create()
{
    if (fd_ >= 0)
        return;
    fd_ = ::open(path_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string why = fd_ < 0 ? std::strerror(errno) : "not a regular file";
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        throw FileError("cannot open the journal " + path_ + ": " + why);
    }
}

std::string LotJournal::ReadLocked() const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        throw FileError("cannot read the journal " + path_ + ": " + std::strerror(errno));
    if (static_cast<std::size_t>(st.st_size) > kMaxJournalFileBytes)
        throw FileError("the journal " + path_ + " is larger than 256 MiB");
    std::string text(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::pread(fd_, text.data() + done, text.size() - done,
                                  static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw FileError("cannot read the journal " + path_ + ": " + std::strerror(errno));
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    return text;
}

void LotJournal::AppendLocked(const std::string& line)
{
    // A line cut short by a crash stays a line of its own: the new one starts on a fresh line.
    std::string out = line + "\n";
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && st.st_size > 0) {
        char last = '\n';
        if (::pread(fd_, &last, 1, st.st_size - 1) == 1 && last != '\n')
            out.insert(out.begin(), '\n');
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::write(fd_, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw FileError("cannot write the journal " + path_ + ": " + std::strerror(errno));
        done += static_cast<std::size_t>(n);
    }
    while (::fsync(fd_) != 0) {
        if (errno != EINTR)
            throw FileError("cannot sync the journal " + path_ + ": " + std::strerror(errno));
    }
}

Reservation LotJournal::Reserve(const std::string& site, const IdRequest& request, int idLength,
                                std::int32_t idAddr)
{
    if (fd_ < 0) {
        // A first ID out of range is refused before the file exists.
        if (const auto id = ChooseId(LotSummary{}, request))
            CheckIdRange({*id, idLength});
        Create();
    }
    Lock lock(*this, LOCK_EX, Stop::OnSignal);
    const LotSummary lot = SummarizeLot(ReadLocked());
    Reservation r;
    r.chip = lot.lastChip + 1;
    if (const auto id = ChooseId(lot, request)) {
        r.id = DeviceId{*id, idLength};
        CheckIdRange(*r.id);
    }

    AppendLocked(ReserveLine(site, r, idAddr, NowUnixMs()));
    return r;
}

void LotJournal::Record(const ChipRecord& record)
{
    Create();
    Lock lock(*this, LOCK_EX, Stop::Never);
    AppendLocked(ChipLine(record, NowUnixMs()));
}

void LotJournal::Record(const RunSummary& summary)
{
    Create();
    Lock lock(*this, LOCK_EX, Stop::Never);
    AppendLocked(SummaryLine(summary, NowUnixMs()));
}

std::string LotJournal::Export() const
{
    if (fd_ < 0)
        return "";
    Lock lock(*this, LOCK_SH, Stop::OnSignal);
    return ReadLocked();
}

LotSummary LotJournal::Read() const
{
    if (fd_ < 0)
        return {}; // not created yet: an empty lot
    Lock lock(*this, LOCK_SH, Stop::OnSignal);
    return SummarizeLot(ReadLocked());
}

} // namespace orvane
