#include "production/ServerLot.h"

#include "production/JsonLine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>
#include <vector>

namespace orvane {
namespace {

// The lot tables, one step per schema version: Init runs the steps a database has not had yet.
// Texts are UTF-8; IDs and chip numbers are 64-bit; times are Unix milliseconds, as in the file.
const char* const kSchemaSteps[] = {
    R"(CREATE TABLE lots (
         lot_id bigserial PRIMARY KEY,
         name text NOT NULL UNIQUE,
         last_chip bigint NOT NULL DEFAULT 0);
       CREATE TABLE reservations (
         lot_id bigint NOT NULL REFERENCES lots,
         chip bigint NOT NULL,
         unix_ms bigint NOT NULL,
         site text NOT NULL,
         device_id bigint,
         id_len integer,
         id_addr integer,
         reissue boolean NOT NULL DEFAULT false,
         PRIMARY KEY (lot_id, chip));
       CREATE UNIQUE INDEX reservations_one_id ON reservations (lot_id, device_id)
         WHERE NOT reissue;
       CREATE INDEX reservations_by_id ON reservations (lot_id, device_id);
       CREATE TABLE chips (
         lot_id bigint NOT NULL,
         chip bigint NOT NULL,
         unix_ms bigint NOT NULL,
         site text NOT NULL,
         model text NOT NULL,
         firmware text NOT NULL,
         checksum integer NOT NULL,
         checksum_options integer NOT NULL,
         device_id bigint,
         id_len integer,
         reply integer,
         kind integer,
         address integer,
         data integer,
         outcome text NOT NULL,
         detail text NOT NULL,
         PRIMARY KEY (lot_id, chip),
         FOREIGN KEY (lot_id, chip) REFERENCES reservations);
       CREATE TABLE runs (
         lot_id bigint NOT NULL REFERENCES lots,
         unix_ms bigint NOT NULL,
         site text NOT NULL,
         tried integer NOT NULL,
         passed integer NOT NULL,
         first_id bigint,
         last_id bigint,
         id_len integer,
         seconds double precision NOT NULL,
         ended_by text NOT NULL,
         UNIQUE (lot_id, site, unix_ms));)",
};
constexpr int kSchemaVersion = static_cast<int>(std::size(kSchemaSteps));

// How long a record is tried again while the server is away.
constexpr auto kRetryFor = std::chrono::seconds(3);
constexpr auto kRetryPause = std::chrono::milliseconds(250);

PgParam Num(std::int64_t n)
{
    return std::to_string(n);
}

template <typename T>
PgParam Maybe(const std::optional<T>& n)
{
    return n ? Num(static_cast<std::int64_t>(*n)) : PgParam();
}

// A server that holds no lot tables, older ones or newer ones than this program knows.
void CheckSchema(PgConnection& db, const std::string& uri)
{
    const PgResult exists = db.Run("SELECT to_regclass('orvane_schema') IS NOT NULL");
    if (exists.Text(0, 0) != "t")
        throw ServerError("the lot server " + db.Server() +
                          " holds no lot tables; run orvane-cli lot init " + uri);
    const auto version = db.Run("SELECT max(version) FROM orvane_schema").Number(0, 0).value_or(0);
    if (version > kSchemaVersion)
        throw ServerError("the lot tables on " + db.Server() + " are of schema version " +
                          std::to_string(version) + ", newer than this program's " +
                          std::to_string(kSchemaVersion));
    if (version < kSchemaVersion)
        throw ServerError("the lot tables on " + db.Server() + " are of schema version " +
                          std::to_string(version) + "; run orvane-cli lot init " + uri +
                          " to bring them up to date");
}

// Runs write in a transaction; rolls back and rethrows on failure.
template <typename Fn>
auto InTransaction(PgConnection& db, const char* begin, Fn&& write)
{
    db.Run(begin);
    try {
        if constexpr (std::is_void_v<decltype(write())>) {
            write();
            db.Run("COMMIT");
        } else {
            auto result = write();
            db.Run("COMMIT");
            return result;
        }
    } catch (...) {
        if (!db.Lost())
            db.Run("ROLLBACK");
        throw;
    }
}

std::optional<DeviceId> IdOfRow(const PgResult& r, int row, int value, int length)
{
    const auto id = r.Number(row, value);
    if (!id)
        return std::nullopt;
    return DeviceId{*id, static_cast<int>(r.Number(row, length).value_or(2))};
}

constexpr const char* kInsertChip =
    "INSERT INTO chips (lot_id, chip, unix_ms, site, model, firmware, checksum, "
    "checksum_options, device_id, id_len, reply, kind, address, data, outcome, detail) "
    "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16) "
    "ON CONFLICT (lot_id, chip) DO NOTHING";

std::vector<PgParam> ChipParams(const std::string& lot, const ChipRecord& r, std::int64_t ms)
{
    const bool failedAt = r.failureAddress.has_value();
    return {lot, Num(r.chip), Num(ms), ServerText(r.site), ServerText(r.model),
            ServerText(r.firmware), Num(r.checksum), Num(r.checksumWithOptions),
            r.id ? Num(r.id->value) : PgParam(), r.id ? Num(r.id->length) : PgParam(),
            r.replyCode == 0 ? PgParam() : Num(r.replyCode),
            r.replyCode == 0xF2 ? Num(r.failureKind) : PgParam(), Maybe(r.failureAddress),
            failedAt ? Num(r.failureData[0] << 8 | r.failureData[1]) : PgParam(),
            std::string(OutcomeName(r.outcome)), ServerText(r.detail)};
}

constexpr const char* kInsertRun =
    "INSERT INTO runs (lot_id, unix_ms, site, tried, passed, first_id, last_id, id_len, "
    "seconds, ended_by) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10) "
    "ON CONFLICT (lot_id, site, unix_ms) DO NOTHING";

std::vector<PgParam> RunParams(const std::string& lot, const RunSummary& s, std::int64_t ms)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", s.seconds);
    return {lot, Num(ms), ServerText(s.site), Num(s.tried), Num(s.passed),
            s.firstId ? Num(s.firstId->value) : PgParam(),
            s.lastId ? Num(s.lastId->value) : PgParam(),
            s.firstId ? Num(s.firstId->length) : PgParam(), seconds, ServerText(s.endedBy)};
}

constexpr const char* kInsertReservation =
    "INSERT INTO reservations (lot_id, chip, unix_ms, site, device_id, id_len, id_addr, reissue) "
    "VALUES ($1, $2, $3, $4, $5, $6, $7, $8)";

// Reading and exporting see one snapshot of the lot while other Writers go on reserving.
constexpr const char* kBeginSnapshot = "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY";

} // namespace

ServerLot::ServerLot(const std::string& uri) : uri_(uri)
{
    const LotUri parts = ParseLotUri(uri);
    db_ = std::make_unique<PgConnection>(parts.connection);
    CheckSchema(*db_, uri_);
    const PgResult lot = db_->Run("SELECT lot_id FROM lots WHERE name = $1", {parts.lot});
    if (lot.Rows() == 0)
        throw ServerError("the lot server " + db_->Server() + " has no lot " + parts.lot +
                          "; create it with orvane-cli lot init " + uri_);
    lotId_ = lot.Text(0, 0);
}

std::string ServerLot::Init(const std::string& uri)
{
    const LotUri parts = ParseLotUri(uri);
    PgConnection db(parts.connection);
    return InTransaction(db, "BEGIN", [&] {
        // One init at a time: two CREATE TABLE IF NOT EXISTS racing on an empty database both
        // try to create the table, and the second fails on the catalogue's unique index.
        db.Run("SELECT pg_advisory_xact_lock(hashtext('orvane_schema'))");
        db.Run("CREATE TABLE IF NOT EXISTS orvane_schema (version integer NOT NULL)");
        int version =
            static_cast<int>(db.Run("SELECT max(version) FROM orvane_schema").Number(0, 0).value_or(0));
        if (version > kSchemaVersion)
            throw ServerError("the lot tables on " + db.Server() + " are of schema version " +
                              std::to_string(version) + ", newer than this program's " +
                              std::to_string(kSchemaVersion));
        std::string did;
        if (version < kSchemaVersion) {
            did = "lot tables brought from schema version " + std::to_string(version) + " to " +
                  std::to_string(kSchemaVersion) + "; ";
            for (; version < kSchemaVersion; ++version)
                db.Run(kSchemaSteps[version]);
            db.Run("DELETE FROM orvane_schema");
            db.Run("INSERT INTO orvane_schema VALUES ($1)", {Num(kSchemaVersion)});
        }
        const bool added = db.Run("INSERT INTO lots (name) VALUES ($1) ON CONFLICT DO NOTHING",
                                  {parts.lot})
                               .Affected() == 1;
        return did + "lot " + parts.lot + (added ? " created" : " already there");
    });
}

Reservation ServerLot::Reserve(const std::string& site, const IdRequest& request, int idLength,
                               std::int32_t idAddr)
{
    if (db_->Lost())
        db_->Reconnect(); // a server back after a restart takes the next chip
    return InTransaction(*db_, "BEGIN", [&] {
        const PgResult lot =
            db_->Run("SELECT last_chip FROM lots WHERE lot_id = $1 FOR UPDATE", {lotId_});
        const PgResult ids = db_->Run(
            "SELECT hi.device_id, hi.id_len, (SELECT id_len FROM reservations WHERE lot_id = $1 "
            "AND device_id IS NOT NULL ORDER BY chip DESC LIMIT 1) FROM (SELECT 1) one LEFT JOIN "
            "LATERAL (SELECT device_id, id_len FROM reservations WHERE lot_id = $1 AND device_id "
            "IS NOT NULL ORDER BY device_id DESC LIMIT 1) hi ON true",
            {lotId_});
        const auto reserved = [&](std::int64_t id) {
            return db_->Run("SELECT 1 FROM reservations WHERE lot_id = $1 AND device_id = $2 "
                            "LIMIT 1",
                            {lotId_, Num(id)})
                       .Rows() > 0;
        };
        LotIds known{IdOfRow(ids, 0, 0, 1), static_cast<int>(ids.Number(0, 2).value_or(2)),
                     reserved};
        Reservation r;
        r.chip = lot.Number(0, 0).value_or(0) + 1;
        if (const auto id = ChooseId(known, request)) {
            r.id = DeviceId{*id, idLength};
            CheckIdRange(*r.id);
        }
        const bool reissue = r.id && request.allowReissue && reserved(r.id->value);
        db_->Run(kInsertReservation,
                 {lotId_, Num(r.chip), Num(NowUnixMs()), ServerText(site),
                  r.id ? Num(r.id->value) : PgParam(), r.id ? Num(idLength) : PgParam(),
                  r.id ? Num(idAddr) : PgParam(), reissue ? "true" : "false"});
        db_->Run("UPDATE lots SET last_chip = $2 WHERE lot_id = $1", {lotId_, Num(r.chip)});
        return r;
    });
}

template <typename Fn>
void ServerLot::Retried(Fn&& write)
{
    const auto until = std::chrono::steady_clock::now() + kRetryFor;
    for (;;) {
        try {
            if (!db_->Lost() || db_->Reconnect()) {
                write();
                return;
            }
        } catch (const ServerError&) {
            if (!db_->Lost() || std::chrono::steady_clock::now() >= until)
                throw;
        }
        if (std::chrono::steady_clock::now() >= until)
            throw ServerError("lost the lot server " + db_->Server() + " for " +
                              std::to_string(kRetryFor.count()) + " s");
        std::this_thread::sleep_for(kRetryPause);
    }
}

void ServerLot::Record(const ChipRecord& record)
{
    const std::int64_t ms = NowUnixMs();
    Retried([&] { db_->Run(kInsertChip, ChipParams(lotId_, record, ms)); });
}

void ServerLot::Record(const RunSummary& summary)
{
    const std::int64_t ms = NowUnixMs();
    Retried([&] { db_->Run(kInsertRun, RunParams(lotId_, summary, ms)); });
}

LotSummary ServerLot::Read() const
{
    return InTransaction(*db_, kBeginSnapshot, [&] {
        LotTally tally;
        const PgResult chips = db_->Run(
            "SELECT r.chip, r.unix_ms, r.site, r.device_id, r.id_len, r.id_addr, c.unix_ms, "
            "c.site, c.outcome FROM reservations r LEFT JOIN chips c USING (lot_id, chip) "
            "WHERE r.lot_id = $1 ORDER BY r.chip",
            {lotId_});
        for (int row = 0; row < chips.Rows(); ++row) {
            const std::int64_t chip = *chips.Number(row, 0);
            tally.Seen(*chips.Number(row, 1), chips.Text(row, 2));
            const auto addr = chips.Number(row, 5);
            tally.Reserved(chip, IdOfRow(chips, row, 3, 4),
                           addr ? std::optional<std::int32_t>(static_cast<std::int32_t>(*addr))
                                : std::nullopt);
            if (!chips.Null(row, 8)) {
                tally.Seen(*chips.Number(row, 6), chips.Text(row, 7));
                tally.Finished(chip, chips.Text(row, 8));
            }
        }
        const PgResult runs =
            db_->Run("SELECT unix_ms, site FROM runs WHERE lot_id = $1", {lotId_});
        for (int row = 0; row < runs.Rows(); ++row)
            tally.Seen(*runs.Number(row, 0), runs.Text(row, 1));
        return std::move(tally).Finish();
    });
}

std::string ServerLot::Export() const
{
    return InTransaction(*db_, kBeginSnapshot, [&] {
        std::vector<std::pair<std::int64_t, std::string>> lines;
        const PgResult res = db_->Run(
            "SELECT chip, unix_ms, site, device_id, id_len, id_addr FROM reservations "
            "WHERE lot_id = $1 ORDER BY chip",
            {lotId_});
        for (int row = 0; row < res.Rows(); ++row) {
            const Reservation r{*res.Number(row, 0), IdOfRow(res, row, 3, 4)};
            lines.emplace_back(*res.Number(row, 1),
                               ReserveLine(res.Text(row, 2), r,
                                           static_cast<std::int32_t>(res.Number(row, 5).value_or(0)),
                                           *res.Number(row, 1)));
        }
        const PgResult chips = db_->Run(
            "SELECT chip, unix_ms, site, model, firmware, checksum, checksum_options, device_id, "
            "id_len, reply, kind, address, data, outcome, detail FROM chips WHERE lot_id = $1 "
            "ORDER BY chip",
            {lotId_});
        for (int row = 0; row < chips.Rows(); ++row) {
            ChipRecord c;
            c.chip = *chips.Number(row, 0);
            c.site = chips.Text(row, 2);
            c.model = chips.Text(row, 3);
            c.firmware = chips.Text(row, 4);
            c.checksum = static_cast<std::uint16_t>(*chips.Number(row, 5));
            c.checksumWithOptions = static_cast<std::uint16_t>(*chips.Number(row, 6));
            c.id = IdOfRow(chips, row, 7, 8);
            c.replyCode = static_cast<std::uint8_t>(chips.Number(row, 9).value_or(0));
            c.failureKind = static_cast<std::uint8_t>(chips.Number(row, 10).value_or(0));
            if (const auto address = chips.Number(row, 11))
                c.failureAddress = static_cast<std::uint16_t>(*address);
            const auto data = chips.Number(row, 12).value_or(0);
            c.failureData = {static_cast<std::uint8_t>(data >> 8), static_cast<std::uint8_t>(data)};
            c.outcome = OutcomeNamed(chips.Text(row, 13)).value_or(ChipOutcome::Failed);
            c.detail = chips.Text(row, 14);
            lines.emplace_back(*chips.Number(row, 1), ChipLine(c, *chips.Number(row, 1)));
        }
        const PgResult runs = db_->Run(
            "SELECT unix_ms, site, tried, passed, first_id, last_id, id_len, seconds, ended_by "
            "FROM runs WHERE lot_id = $1 ORDER BY unix_ms",
            {lotId_});
        for (int row = 0; row < runs.Rows(); ++row) {
            RunSummary s;
            s.site = runs.Text(row, 1);
            s.tried = static_cast<int>(*runs.Number(row, 2));
            s.passed = static_cast<int>(*runs.Number(row, 3));
            s.firstId = IdOfRow(runs, row, 4, 6);
            s.lastId = IdOfRow(runs, row, 5, 6);
            s.seconds = std::stod(runs.Text(row, 7));
            s.endedBy = runs.Text(row, 8);
            lines.emplace_back(*runs.Number(row, 0), SummaryLine(s, *runs.Number(row, 0)));
        }
        // In time order; a chip's reservation comes before its record of the same millisecond.
        std::stable_sort(lines.begin(), lines.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::string out;
        for (const auto& [ms, line] : lines)
            out += line + "\n";
        return out;
    });
}

ServerLot::Folded ServerLot::Import(std::string_view text)
{
    Folded folded;
    InTransaction(*db_, "BEGIN", [&] {
        db_->Run("SELECT 1 FROM lots WHERE lot_id = $1 FOR UPDATE", {lotId_});
        ForEachJournalLine(text, [&](std::string_view raw) {
            const auto f = ParseJsonLine(raw);
            const std::string type = f ? FieldText(*f, "type") : "";
            const std::int64_t chip = f ? FieldNumber<std::int64_t>(*f, "chip").value_or(0) : 0;
            const std::int64_t ms = f ? FieldNumber<std::int64_t>(*f, "unix_ms").value_or(-1) : -1;
            std::int64_t added = -1;
            if (type == "reserve" && chip > 0 && ms >= 0) {
                const auto id = IdOfLine(*f, "id");
                added = db_->Run(std::string(kInsertReservation) + " ON CONFLICT DO NOTHING",
                                 {lotId_, Num(chip), Num(ms), ServerText(FieldText(*f, "site")),
                                  id ? Num(id->value) : PgParam(),
                                  id ? Num(id->length) : PgParam(),
                                  Maybe(FieldNumber<std::int32_t>(*f, "id_addr", 16)), "false"})
                            .Affected();
                db_->Run("UPDATE lots SET last_chip = greatest(last_chip, $2) WHERE lot_id = $1",
                         {lotId_, Num(chip)});
            } else if (type == "chip" && chip > 0 && ms >= 0 &&
                       OutcomeNamed(FieldText(*f, "outcome"))) {
                const bool reservedChip =
                    db_->Run("SELECT 1 FROM reservations WHERE lot_id = $1 AND chip = $2",
                             {lotId_, Num(chip)})
                        .Rows() > 0;
                if (reservedChip)
                    added = db_->Run(kInsertChip, ChipParams(lotId_, ChipOfLine(*f), ms)).Affected();
            } else if (type == "summary" && ms >= 0) {
                added = db_->Run(kInsertRun, RunParams(lotId_, SummaryOfLine(*f), ms)).Affected();
            }
            if (added < 0)
                ++folded.unreadable;
            else if (added == 0)
                ++folded.present;
            else
                ++folded.added;
        });
    });
    return folded;
}

} // namespace orvane
