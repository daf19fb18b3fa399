// A lot on a server end to end: a process killed mid-chip and Writers of a line going on with
// the lot at once, the server going away mid-run and the spill file folded back, and lots it
// cannot use.
#include "tests/cli/CliLineFixture.h"

#include "production/PgConnection.h"
#include "tests/support/LotServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sstream>
#include <thread>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

class CliLotServerTest : public ::testing::Test, public CliLineFixture {
protected:
    CliLotServerTest() { lot = LotServerUri("cli"); }

    // The number of this lot's chips with a reservation and, of them, those without a record.
    std::pair<long, long> Chips(const std::string& socketDir = LOT_SERVER_DIR) const
    {
        PgConnection db("postgresql:///orvane?host=" + socketDir + "&user=orvane");
        const PgResult r = db.Run(
            "SELECT count(*), count(*) - count(c.chip) FROM reservations r JOIN lots USING "
            "(lot_id) LEFT JOIN chips c USING (lot_id, chip) WHERE lots.name = $1",
            {lot.substr(lot.find("lot=") + 4)});
        return {*r.Number(0, 0), *r.Number(0, 1)};
    }
    void WaitFor(const std::function<bool()>& done) const
    {
        for (int waited = 0; waited < 600 && !done(); ++waited)
            std::this_thread::sleep_for(20ms);
    }
};

TEST_F(CliLotServerTest, AProcessKilledMidChipLeavesItsIdSpoiledForGood)
{
    ASSERT_EQ(RunCli({"lot", "init", lot}).exitCode, 0);
    const std::string pid = app.file("pid");
    // Slow chips (about 2.5 s), so that the kill comes during one.
    auto run = Start(Program({"--id-start", "0040", "--count", "5"}),
                     AddWriter({"--fresh-chip", "--reply-delay", "20"}), pid);
    WaitFor([&] { return Chips() == std::pair(2L, 1L); }); // chip 2 reserved, not recorded
    ASSERT_EQ(Chips(), std::pair(2L, 1L));
    kill(std::stoi(ReadText(pid)), SIGKILL);
    EXPECT_EQ(run.get().exitCode, 128 + SIGKILL);

    // Two Writers at once go on with the lot, past the spoiled ID.
    auto first = Start(Program({"--count", "2"}), AddWriter());
    EXPECT_EQ(Start(Program({"--count", "2"}), AddWriter()).get().exitCode, 0);
    EXPECT_EQ(first.get().exitCode, 0);
    const std::string file = app.file("export.jsonl");
    ASSERT_EQ(RunCli({"lot", "export", lot, file}).exitCode, 0);
    std::istringstream exported(Pick(ReadText(file), "reserve", "id"));
    std::vector<std::string> ids{std::istream_iterator<std::string>(exported), {}};
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"0040", "0041", "0042", "0043", "0044", "0045"}));
    // The summary's text is LotJournal's; the server's lot reads as its export does.
    const ProcessResult fromServer = RunCli({"journal", lot});
    EXPECT_TRUE(Has(fromServer.out, "unfinished: 1\n")) << fromServer.out << fromServer.err;
    EXPECT_TRUE(Has(fromServer.out, "spoiled IDs: 0041\n")) << fromServer.out;
    EXPECT_EQ(RunCli({"journal", file}).out, fromServer.out);
}

TEST_F(CliLotServerTest, AServerGoneMidRunEndsItAfterTheChipInHandWhichImportBringsBack)
{
    // A server of its own, to stop; under /tmp, where the server's user can reach it.
    const std::string socketDir = LOT_SERVER_DIR "-" + std::to_string(::getpid());
    ASSERT_EQ(RunProcess(LOT_SERVER_SH, {"fresh", socketDir}).exitCode, 0);
    lot = LotServerUri("gone", socketDir);
    ASSERT_EQ(RunCli({"lot", "init", lot}).exitCode, 0);
    // Chips of about 5 s: the server is gone well before the second one ends.
    auto run = Start(Program({"--id-start", "0001", "--count", "5"}),
                     AddWriter({"--fresh-chip", "--reply-delay", "40"}));
    WaitFor([&] { return Chips(socketDir) == std::pair(2L, 1L); });
    ASSERT_EQ(RunProcess(LOT_SERVER_SH, {"stop", socketDir}).exitCode, 0);
    const ProcessResult r = run.get();

    const std::string spill = app.file(lot.substr(lot.find("lot=") + 4) + "-spill.jsonl");
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_TRUE(Has(r.err, "lost the lot server the socket in " + socketDir + " for 3 s; the "
                           "record of chip 2 is kept in " + spill + ": fold it back with "
                           "orvane-cli lot import " + lot + " " + spill + "\n")) << r.err;
    EXPECT_TRUE(Has(r.err, "failed: the record of chip 2 is in the spill file, not yet in the lot\n"));
    std::string types;
    for (const JsonFields& f : JsonLines(ReadText(spill)))
        types += f.at("type") + ":" + (f.contains("chip") ? f.at("chip") : f.at("tried")) + " ";
    EXPECT_EQ(types, "chip:2 summary:2 ");

    ASSERT_EQ(RunProcess(LOT_SERVER_SH, {"start", socketDir}).exitCode, 0);
    const ProcessResult import = RunCli({"lot", "import", lot, spill});
    EXPECT_TRUE(Has(import.err, "ok: folded " + spill + " into the lot: 2 record(s) added, 0 "
                                "already there, 0 unreadable\n")) << import.err;
    EXPECT_TRUE(Has(RunCli({"journal", lot}).out, "chips tried: 2\npassed: 2\nfailed: 0\n"));
    RunProcess(LOT_SERVER_SH, {"clean", socketDir});
}

TEST_F(CliLotServerTest, LotsItCannotUseAreRefusedBeforeTheWriterHearsAnything)
{
    const std::string trace = app.file("trace");
    const SimulatorProcess& writer = AddWriter({"--trace", trace});
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"journal", "postgresql://h/db"}, "the lot URI postgresql://h/db names no lot: add ?lot=NAME"},
        {{"lot", "init", "lot.jsonl"}, "lot init takes a server lot: postgresql://USER@HOST/DB?lot=NAME"},
        {{"lot", "import", "postgresql://h/db?lot=A"}, "lot takes init URI, export LOT FILE.jsonl or import URI FILE.jsonl"},
        {{"program", program, "--port", writer.Link(), "--journal", "postgresql://u:pw@h/db?lot=A"},
         "the lot URI postgresql://u:pw@h/db?lot=A holds a password: put it in ~/.pgpass or PGPASSWORD"},
    };
    for (const auto& [args, message] : refused) {
        const ProcessResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_TRUE(Has(r.err, "orvane-cli: " + message + "\n")) << r.err;
    }
    const ProcessResult away = RunCli({"program", program, "--yes", "--port", writer.Link(),
                                    "--journal", "postgresql:///db?host=/nonexistent&lot=A"});
    EXPECT_EQ(away.exitCode, 3);
    EXPECT_TRUE(Has(away.err, "error: cannot reach the lot server the socket in /nonexistent: "
                              "connection to server on socket \"/nonexistent/.s.PGSQL.5432\" "
                              "failed: No such file or directory")) << away.err;
    EXPECT_EQ(ReadText(trace), "");
}

} // namespace
} // namespace orvane::test
