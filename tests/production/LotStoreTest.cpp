// Both lot stores, the journal file and the lot on a server, from one table: reservation rules,
// refusals, skips, spoiled IDs, the summary and the export; then what only a server has: its
// URIs, its errors and Writers reserving at the same time.
#include "production/LotStore.h"
#include "production/PgConnection.h"
#include "production/ServerLot.h"

#include "tests/support/LotServer.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>

#include <thread>

namespace orvane {
namespace {

using testing::StartsWith;
using testing::StrEq;
using testing::ThrowsMessage;

class LotStoreTest : public ::testing::TestWithParam<bool> { // true: on the server
protected:
    LotStoreTest()
    {
        if (GetParam()) {
            name = test::LotServerUri("table");
            ServerLot::Init(name);
        }
    }

    test::TempDir dir;
    std::string name = dir.file("lot.jsonl");
};

// ID length 2 unless a step says otherwise.
IdRequest Wanted(std::int64_t id, bool insist, bool reissue = false)
{
    return {id, insist, true, 1, reissue};
}

TEST_P(LotStoreTest, ReservesRefusesSkipsAndSummarisesAsTheJournalDoes)
{
    struct Step {
        const char* what;
        IdRequest request;
        std::optional<ChipOutcome> outcome; // nothing: the run stopped during the chip
        std::int64_t chip = 0;               // 0: refused, with this message
        std::optional<std::int64_t> id{};
        const char* refused = "";
        int length = 2;
    };
    const Step steps[] = {
        {"the operator's first ID", Wanted(0x10, true), ChipOutcome::Passed, 1, 0x10},
        {"the lot's next", {std::nullopt, false, true, 1, false}, ChipOutcome::Failed, 2, 0x11},
        {"a step of 0 lands on the ID just issued", {std::nullopt, false, true, 0, false}, {}, 0, {},
         "ID 0011 is already reserved in the lot journal; its next free ID is 0011"},
        {"a reserved ID given", Wanted(0x11, true), {}, 0, {},
         "ID 0011 is already reserved in the lot journal; its next free ID is 0012"},
        {"taken by another Writer", Wanted(0x11, false), {}, 3, 0x12},
        {"burned again on purpose", Wanted(0x11, true, true), ChipOutcome::Passed, 4, 0x11},
        {"past the last of 2 bytes", Wanted(0x10000, true), {}, 0, {},
         "下一个ID 10000 超出2字节ID的最大值FFFF,器件ID未烧录!"},
        {"a chip without ID", {}, ChipOutcome::NotProgrammed, 5},
        {"3 past the highest", {std::nullopt, false, true, 3, false}, ChipOutcome::Passed, 6, 0x15},
        {"3 bytes after 2", Wanted(0x1FFFF, true), ChipOutcome::Passed, 7, 0x1FFFF, "", 3},
    };
    const auto store = OpenLotStore(name);
    for (const Step& s : steps) {
        try {
            const Reservation r = store->Reserve("COM" + std::to_string(s.length), s.request,
                                                 s.length, 0x0100);
            EXPECT_EQ(r.chip, s.chip) << s.what;
            EXPECT_EQ(r.id ? std::optional(r.id->value) : std::nullopt, s.id) << s.what;
            if (s.outcome) {
                ChipRecord record;
                std::tie(record.chip, record.id, record.outcome) = std::tuple(r.chip, r.id, *s.outcome);
                store->Record(record);
            }
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(s.chip, 0) << s.what << ": " << e.what();
            EXPECT_STREQ(e.what(), s.refused) << s.what;
        }
    }
    store->Record(RunSummary{"COM2", 6, 3, DeviceId{0x10, 2}, DeviceId{0x1FFFF, 3}, 66.0, "end"});

    const LotSummary lot = store->Read();
    std::string text = LotSummaryText(lot);
    EXPECT_EQ(text.substr(0, text.find("duration: ")),
              "chips tried: 7\npassed: 4\nfailed: 2\nunfinished: 1\nyield: 57.1%\n"
              "first ID: 0010\nlast ID: 01FFFF\nspoiled IDs: 0011 0012\nsites: COM2, COM3\n");
    EXPECT_EQ(std::tuple(lot.idLength, lot.idAddr), std::tuple(3, std::optional(0x0100)));
    // An export reads back, as a journal file, to the same summary, time span included.
    EXPECT_EQ(LotSummaryText(SummarizeLot(store->Export())), text);
    EXPECT_EQ(SummarizeLot(store->Export()).reservedIds, lot.reservedIds);
}

INSTANTIATE_TEST_SUITE_P(Stores, LotStoreTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "File"; });

TEST(ServerLot, RefusesUrisItCannotUse)
{
    const std::pair<const char*, const char*> refused[] = {
        {"postgresql://h/db", "the lot URI postgresql://h/db names no lot: add ?lot=NAME"},
        {"postgresql://h/db?lot=", "the lot URI postgresql://h/db?lot= must name its lot once: ?lot=NAME"},
        {"postgresql://h/db?lot=A&lot=B", "the lot URI postgresql://h/db?lot=A&lot=B must name its lot once: ?lot=NAME"},
        {"postgresql://h/db?lot=%4", "the lot URI postgresql://h/db?lot=%4 must name its lot once: ?lot=NAME"},
        {"postgresql://u:secret@h/db?lot=A", "the lot URI postgresql://u:secret@h/db?lot=A holds a password: put it in ~/.pgpass or PGPASSWORD"},
        {"postgresql://h/db?lot=A&password=x", "the lot URI postgresql://h/db?lot=A&password=x holds a password: put it in ~/.pgpass or PGPASSWORD"},
        {"postgresql://h:5x/db?lot=A", "the lot URI postgresql://h:5x/db?lot=A gives no port number: 5x"},
        {"postgresql://h/db?lot=A&colour=red", "the lot URI postgresql://h/db?lot=A&colour=red is no connection URI: invalid URI query parameter: \"colour\""},
    };
    for (const auto& r : refused)
        EXPECT_THAT([&] { ParseLotUri(r.first); }, ThrowsMessage<LotUriError>(StrEq(r.second)));
    const LotUri parts = ParseLotUri("postgres://line@db.local:6432/lots?sslmode=require&lot=LOT%2F7&application_name=w");
    EXPECT_EQ(std::tuple(parts.connection, parts.lot),
              std::tuple(std::string("postgres://line@db.local:6432/lots?sslmode=require&application_name=w"),
                         std::string("LOT/7")));
    EXPECT_EQ(ServerText(std::string("ok\0\xC3", 4)), "ok\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(ServerLot, SaysWhichServerItCannotReachAndWhichLotItLacks)
{
    EXPECT_THAT([] { ServerLot("postgresql:///orvane?host=/nonexistent&lot=A"); },
                ThrowsMessage<ServerError>(StartsWith(
                    "cannot reach the lot server the socket in /nonexistent: connection to server "
                    "on socket \"/nonexistent/.s.PGSQL.5432\" failed: ")));
    ServerLot::Init(test::LotServerUri("other")); // the tables, without the lot
    const std::string uri = test::LotServerUri("missing");
    EXPECT_THAT([&] { ServerLot{uri}; },
                ThrowsMessage<ServerError>("the lot server the socket in " LOT_SERVER_DIR
                                           " has no lot " + uri.substr(uri.find("lot=") + 4) +
                                           "; create it with orvane-cli lot init " + uri));
    EXPECT_NE(ServerLot::Init(uri).find(" created"), std::string::npos);
    EXPECT_NE(ServerLot::Init(uri).find(" already there"), std::string::npos);
}

TEST(ServerLot, InitsRacingOnAnEmptyDatabaseAllSucceed)
{
    const std::string lot = test::LotServerUri("init"), name = "init" + lot.substr(lot.rfind('-') + 1);
    PgConnection("postgresql:///orvane?host=" LOT_SERVER_DIR "&user=orvane").Run("CREATE DATABASE " + name);
    std::vector<std::thread> inits;
    for (int i = 0; i < 4; ++i)
        inits.emplace_back([&] {
            try {
                ServerLot::Init("postgresql:///" + name + "?host=" LOT_SERVER_DIR "&user=orvane&lot=L");
            } catch (const ServerError& e) {
                ADD_FAILURE() << e.what();
            }
        });
    for (std::thread& t : inits)
        t.join();
}

TEST(ServerLot, EightWritersAtOnceGetConsecutiveDistinctIds)
{
    const std::string uri = test::LotServerUri("eight");
    ServerLot::Init(uri);
    ServerLot(uri).Reserve("COM0", Wanted(0x100, true), 2, 0);
    std::vector<std::thread> writers;
    for (int w = 1; w <= 8; ++w)
        writers.emplace_back([&uri, w] {
            try {
                ServerLot lot(uri);
                for (int chip = 0; chip < 20; ++chip)
                    lot.Reserve("COM" + std::to_string(w), {std::nullopt, false, true, 1, false},
                                2, 0);
            } catch (const ServerError& e) {
                ADD_FAILURE() << e.what(); // the unique index refused a second reservation
            }
        });
    for (std::thread& t : writers)
        t.join();
    const LotSummary lot = ServerLot(uri).Read();
    EXPECT_EQ(std::tuple(lot.tried, lot.lastChip, lot.reservedIds.size()), std::tuple(161, 161, 161u));
    EXPECT_EQ(std::tuple(*lot.reservedIds.begin(), *lot.reservedIds.rbegin()), std::tuple(0x100, 0x1A0));
}

TEST(ServerLot, ImportFoldsASpillFileBackOnce)
{
    const std::string uri = test::LotServerUri("import");
    ServerLot::Init(uri);
    ServerLot lot(uri);
    const Reservation r = lot.Reserve("COM1", Wanted(0x20, true), 2, 0x100);
    ChipRecord record;
    std::tie(record.chip, record.id, record.outcome, record.detail) =
        std::tuple(r.chip, r.id, ChipOutcome::Passed, "ok \"quoted\"");
    const std::string spill = ChipLine(record, 5000) + "\n" +
                              SummaryLine({"COM1", 1, 1, r.id, r.id, 11.5, "end"}, 6000) + "\n" +
                              R"({"type":"chip","unix_ms":1,"chip":99,"outcome":"passed"})" "\nnot json\n";
    const ServerLot::Folded first = lot.Import(spill);
    EXPECT_EQ(std::tuple(first.added, first.present, first.unreadable), std::tuple(2, 0, 2));
    const ServerLot::Folded again = lot.Import(spill);
    EXPECT_EQ(std::tuple(again.added, again.present, again.unreadable), std::tuple(0, 2, 2));
    // The chip's line comes back byte for byte.
    EXPECT_NE(lot.Export().find(ChipLine(record, 5000) + "\n"), std::string::npos) << lot.Export();
    EXPECT_EQ(lot.Read().passed, 1);
}

} // namespace
} // namespace orvane
