// The lot journal: its exact lines, reading a lot back (also one left by a crash or tampered
// with) and the file under the lock. LotStoreTest runs the reservation rules, which ID the next
// chip gets, over both stores.
#include "production/JsonLine.h"
#include "production/LotJournal.h"

#include "app/DialogLot.h"
#include "app/Settings.h"
#include "foundation/Errors.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orvane {
namespace {

TEST(LotJournal, ChipAndSummaryLinesHoldEveryFieldInTheirOrder)
{
    const ChipRecord r{2,    "COM1", "QK128", "V1.2---2011.5.17", 0x9020, 0x951C, DeviceId{2, 2},
                       0xF2, 3,      0x0101,  {0x02, 0x01},       ChipOutcome::Failed,
                       "bad \"cell\""};
    EXPECT_EQ(ChipLine(r, 1'796'561'773'241),
              R"({"type":"chip","time":"2026-12-06T12:56:13.241Z","unix_ms":1796561773241,)"
              R"("chip":2,"site":"COM1","model":"QK128","firmware":"V1.2---2011.5.17",)"
              R"("checksum":"9020","checksum_options":"951C","id":"0002","id_len":2,)"
              R"("reply":"F2","kind":3,"address":"0101","data":"0201","outcome":"failed",)"
              R"("detail":"bad \"cell\""})");

    ChipRecord silent; // no ID, no answer
    silent.chip = 1;
    EXPECT_EQ(ChipLine(silent, 0),
              R"({"type":"chip","time":"1970-01-01T00:00:00.000Z","unix_ms":0,"chip":1,)"
              R"("site":"","model":"","firmware":"","checksum":"0000","checksum_options":"0000",)"
              R"("reply":null,"outcome":"not-programmed","detail":""})");

    RunSummary run{"usb:1a86:7523", 3, 2, DeviceId{0x1FE, 3}, DeviceId{0x200, 3}, 12.34, "SIGTERM"};
    EXPECT_EQ(SummaryLine(run, 0),
              R"({"type":"summary","time":"1970-01-01T00:00:00.000Z","unix_ms":0,)"
              R"("site":"usb:1a86:7523","tried":3,"passed":2,"failed":1,"yield":"66.7%",)"
              R"("first_id":"0001FE","last_id":"000200","seconds":12.3,"ended_by":"SIGTERM"})");
}

TEST(LotJournal, JsonLinesQuoteHostileTextAndReadOnlyFlatObjects)
{
    // Control characters are escaped, bytes that are not UTF-8 become U+FFFD.
    EXPECT_EQ(JsonQuote(std::string("a\nb\x01\xC0\xAF\\\xE6\xB5\x8B", 10)),
              "\"a\\u000Ab\\u0001\xEF\xBF\xBD\xEF\xBF\xBD\\\\\xE6\xB5\x8B\"");
    const auto fields = ParseJsonLine(R"( {"a":"x\"\u00e9\n","b":-12,"c":true,"d":null} )");
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->at("a"), "x\"\xC3\xA9\n");
    EXPECT_EQ(fields->at("b"), "-12");
    EXPECT_EQ(fields->at("c"), "true");
    EXPECT_EQ(fields->at("d"), "null");
    for (const char* bad : {"", "{", "{\"a\":1", "{\"a\":1}x", "{\"a\":{\"b\":1}}", "[1]",
                            "{\"a\":\"\\q\"}", "{\"a\":\"\\u12\"}", "{\"a\":-}", "{a:1}",
                            "{\"a\":\"tab\there\"}", "{\"a\":1,}"})
        EXPECT_FALSE(ParseJsonLine(bad)) << bad;
}

// Four chips from two sites: one passed, one failed, one cut off by a crash (reserved, no
// outcome), one without ID; plus a torn line, a line of another program and a summary.
const char* const kLot =
    R"({"type":"reserve","unix_ms":1000,"chip":1,"site":"COM1","id":"0010","id_len":2})" "\n"
    R"({"type":"chip","unix_ms":2000,"chip":1,"site":"COM1","id":"0010","outcome":"passed"})" "\n"
    R"({"type":"reserve","unix_ms":2500,"chip":2,"site":"COM2","id":"0011","id_len":2})" "\n"
    R"({"type":"reserve","unix_ms":2600,"chip":3,"site":"COM1","id":"0012","id_len":2})" "\n"
    R"({"type":"chip","unix_ms":3000,"chip":2,"site":"COM2","id":"0011","outcome":"failed"})" "\n"
    "\n"
    R"({"type":"summary","unix_ms":4000,"site":"COM1","tried":2})" "\n"
    R"({"type":"reserve","unix_ms":4100,"chip":4,"site":"COM2"})" "\n"
    R"({"type":"chip","unix_ms":9000,"chip":4,"site":"COM2","outcome":"passed"})" "\n"
    R"({"type":"mystery","chip":9})" "\n"
    R"({"type":"reserve","chip":9223372036854775807,"id":"FFFF","id_len":2147483647})" "\n"
    R"({"type":"reserve","chip":-3,"id":"7777"})" "\n"
    R"({"type":"reserve","unix_ms":9100,"chip":5,"site":"COM1","id":"00)";

TEST(LotJournal, ALotReadsBackFromEverySiteAndSurvivesACrash)
{
    const LotSummary lot = SummarizeLot(kLot);
    EXPECT_EQ(std::tuple(lot.tried, lot.passed, lot.failed, lot.unfinished, lot.lastChip,
                         lot.unreadableLines),
              std::tuple(4, 2, 1, 1, 4, 4));
    EXPECT_EQ(lot.reservedIds, (std::set<std::int64_t>{0x10, 0x11, 0x12}));
    EXPECT_EQ(LotSummaryText(lot),
              "chips tried: 4\npassed: 2\nfailed: 1\nunfinished: 1\nyield: 50.0%\n"
              "first ID: 0010\nlast ID: 0012\nspoiled IDs: 0011 0012\nsites: COM1, COM2\n"
              "duration: 8.0 s\nunreadable lines: 4\n");
    EXPECT_EQ(IdText({0x1234, 2147483647}), "0000000000001234");
    EXPECT_EQ(IdText({-1, 0}), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(ChooseId(SummarizeLot(""), {std::nullopt, false, true, 1, false}), std::nullopt)
        << "a lot without IDs gives none";
    EXPECT_EQ(LotSummaryText(SummarizeLot("")),
              "chips tried: 0\npassed: 0\nfailed: 0\nyield: -\nfirst ID: -\nlast ID: -\n"
              "spoiled IDs: -\nsites: -\nduration: 0.0 s\n");
}

TEST(LotJournal, ReservationsAndRecordsGoToTheFileWholeAndSynced)
{
    test::TempDir dir;
    const std::string path = dir.file("lot.jsonl");
    test::WriteText(path, R"({"type":"reserve","chip":7,"id":"0030","id_len":2})" "\n{\"type\":\"ch");
    {
        LotJournal journal(path);
        IdRequest request;
        request.fromLot = true;
        const Reservation r = journal.Reserve("COM2", request, 2, 0x1800);
        ASSERT_TRUE(r.id);
        EXPECT_EQ(std::tuple(r.chip, r.id->value), std::tuple(8, 0x31));
        ChipRecord record;
        std::tie(record.chip, record.id, record.outcome) =
            std::tuple(r.chip, r.id, ChipOutcome::Passed);
        journal.Record(record);
    }
    const std::string text = test::ReadText(path);
    // The torn line stays alone; every new line is whole.
    const std::size_t torn = text.find("{\"type\":\"ch\n{\"type\":\"reserve\"");
    EXPECT_NE(torn, std::string::npos) << text;
    EXPECT_NE(text.find(R"("chip":8,"site":"COM2","id":"0031","id_len":2,"id_addr":"1800"})" "\n"),
              std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');
    const LotSummary lot = LotJournal(path, LotJournal::Access::ReadOnly).Read();
    EXPECT_EQ(std::tuple(lot.passed, lot.unfinished, lot.unreadableLines), std::tuple(1, 1, 1))
        << "chip 7 is unfinished";

    // Neither a folder nor a missing file can be a journal to read.
    EXPECT_THROW(LotJournal(dir.path()), FileError);
    EXPECT_THROW(LotJournal(dir.file("none.jsonl"), LotJournal::Access::ReadOnly), FileError);
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_THROW(LotJournal(dir.file("fifo")), FileError);
}

TEST(LotJournal, TheDialogKeepsOneLotPerModelAndDay)
{
    const std::int64_t noon = 1'796'561'773'241; // 2026-12-06
    EXPECT_EQ(DialogJournalPath("/lots", "QK128", noon), "/lots/QK128-2026-12-06.jsonl");
    EXPECT_EQ(DialogJournalPath("/lots/", "../x", noon), "/lots/.._x-2026-12-06.jsonl");
    EXPECT_EQ(DialogJournalPath("/lots", "..", noon), "/lots/lot-2026-12-06.jsonl");

    // The folder is a hand-set key; without it the dialog keeps no journal.
    test::TempDir dir;
    AppState s;
    s.AppDir = dir.path();
    EXPECT_EQ(ReadJournalFolder(s), "");
    test::WriteText(dir.file("Udate_VX.ini"), "[CHIP]\r\nCHIP_NAME=QK128\r\n[JOURNAL]\r\n"
                                              "FOLDER=/srv/lots\r\n");
    EXPECT_EQ(ReadJournalFolder(s), "/srv/lots");
    // A lot on a server goes before the folder.
    test::WriteText(dir.file("Udate_VX.ini"), "[JOURNAL]\r\nFOLDER=/srv/lots\r\n"
                                              "URL=postgresql://line@db/lots?lot=L7\r\n");
    EXPECT_EQ(DialogJournalFor(s), "postgresql://line@db/lots?lot=L7");
}

} // namespace
} // namespace orvane
