// The production line end to end: lot journals shared by several simulated Writers, the image
// gate, the OTP re-burn check, the rolling code on the wire and the port list.
#include "tests/cli/CliSupport.h"

#include "production/JsonLine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <memory>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

// The journal's lines, each parsed; a line that is no flat JSON object fails the test.
std::vector<JsonFields> JournalLines(const std::string& path)
{
    std::vector<JsonFields> lines;
    for (const std::string& line : Lines(ReadText(path))) {
        auto fields = ParseJsonLine(line);
        EXPECT_TRUE(fields) << line;
        if (fields)
            lines.push_back(std::move(*fields));
    }
    return lines;
}

std::vector<JsonFields> OfType(const std::vector<JsonFields>& lines, const std::string& type)
{
    std::vector<JsonFields> out;
    for (const JsonFields& f : lines) {
        if (f.at("type") == type)
            out.push_back(f);
    }
    return out;
}

// The values of the given keys of every line, space-separated.
std::string Pick(const std::vector<JsonFields>& lines, const std::string& keys)
{
    std::string out;
    for (const JsonFields& f : lines) {
        std::istringstream words(keys);
        for (std::string key; words >> key;)
            out += (out.empty() ? "" : " ") + f.at(key);
    }
    return out;
}

class CliProductionTest : public ::testing::Test, public CliFixture {
protected:
    CliProductionTest() { WriteText(program, Golden("program.S19")); }

    // A simulated Writer of its own in dir + "wN/".
    SimulatorProcess& AddWriter(std::vector<std::string> args = {"--fresh-chip"})
    {
        const std::string dir = app.file("w" + std::to_string(writers_.size()) + "/");
        std::filesystem::create_directories(dir);
        writers_.push_back(std::make_unique<SimulatorProcess>(SIM_PATH, dir, std::move(args)));
        return *writers_.back();
    }

    std::vector<std::string> Program(const SimulatorProcess& writer, std::vector<std::string> more)
    {
        std::vector<std::string> args = {"program", program, "--yes", "--model", model_,
                                         "--port", writer.Link(), "--journal", lot,
                                         "--id-addr", "0100", "--app-dir", app.path()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    ProcessResult Run(std::vector<std::string> args) const { return RunProcess(CLI_PATH, args); }

    // orvane-cli run to its end on a thread of its own, through a shell that notes its pid.
    std::future<ProcessResult> Start(std::vector<std::string> args, const std::string& pidFile)
    {
        args.insert(args.begin(), {"-c", "\"$0\" \"$@\" & echo $! >" + pidFile + "; wait $!",
                                   CLI_PATH});
        return std::async(std::launch::async, [args] { return RunProcess("/bin/sh", args); });
    }

    const std::string program = app.file("program.S19");
    const std::string lot = app.file("lot.jsonl");
    std::string model_ = "QK101"; // a small program area: quick chips
    std::vector<std::unique_ptr<SimulatorProcess>> writers_;
};

TEST_F(CliProductionTest, JournalRecordsPassedAndFailedChipsAndRefusesToReissueAnId)
{
    // The same chip twice: the second needs 02 at 0101 where the first left 01.
    const SimulatorProcess& writer = AddWriter({});
    const ProcessResult r = Run(Program(writer, {"--id-start", "0001", "--count", "2"}));
    EXPECT_EQ(r.exitCode, 7) << r.err;
    EXPECT_TRUE(Has(r.err, "summary: 2 tried, 1 passed, 1 failed, yield 50.0%, IDs 0001..0002\n"))
        << r.err;
    const auto lines = JournalLines(lot);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Pick(lines, "type"), "reserve chip reserve chip summary");
    EXPECT_EQ(Pick({lines[0]}, "id id_addr"), "0001 0100");
    EXPECT_EQ(Pick({lines[1]}, "outcome reply model site firmware checksum checksum_options"),
              "passed 02 QK101 " + writer.Link() + " V1.2---2011.5.17 C810 CD09");
    // The Writer's byte, then the chip's.
    EXPECT_EQ(Pick({lines[3]}, "id outcome reply kind address data"), "0002 failed F2 3 0101 0201");
    EXPECT_EQ(Pick({lines[4]}, "tried passed yield first_id last_id ended_by"),
              "2 1 50.0% 0001 0002 end");

    // A spoiled ID is not burned again; without --id-start the lot goes on past its last ID.
    const SimulatorProcess& fresh = AddWriter();
    const ProcessResult again = Run(Program(fresh, {"--id-start", "0002"}));
    EXPECT_EQ(again.exitCode, 13);
    EXPECT_TRUE(Has(again.err, "error: ID 0002 is already reserved in the lot journal; its next "
                               "free ID is 0003. Leave out --id-start to go on with the lot, or "
                               "give --allow-reissue to burn it again\n")) << again.err;
    EXPECT_EQ(OfType(JournalLines(lot), "reserve").size(), 2u);

    const ProcessResult elsewhere = Run(Program(fresh, {"--id-addr", "0102"}));
    EXPECT_EQ(elsewhere.exitCode, 2);
    EXPECT_TRUE(Has(elsewhere.err, "orvane-cli: the lot writes its IDs at 0100 with --id-len 2, "
                                   "not at 0102 with --id-len 2\n")) << elsewhere.err;
    EXPECT_EQ(Run(Program(fresh, {})).exitCode, 0);
    EXPECT_EQ(Run(Program(fresh, {"--id-start", "0001", "--allow-reissue"})).exitCode, 0);
    EXPECT_EQ(Pick(OfType(JournalLines(lot), "reserve"), "id"), "0001 0002 0003 0001");

    const ProcessResult summary2 = Run({"journal", lot});
    EXPECT_EQ(summary2.exitCode, 0) << summary2.err;
    EXPECT_TRUE(Has(summary2.out, "chips tried: 4\npassed: 3\nfailed: 1\nyield: 75.0%\n"
                                  "first ID: 0001\nlast ID: 0003\nspoiled IDs: 0002\n"))
        << summary2.out;
}

TEST_F(CliProductionTest, FourWritersOnOneJournalIssueFiftyDistinctConsecutiveIds)
{
    const SimulatorProcess& first = AddWriter();
    ASSERT_EQ(Run(Program(first, {"--id-start", "0001", "--count", "2"})).exitCode, 0);
    std::vector<std::future<ProcessResult>> line;
    for (int w = 0; w < 4; ++w) {
        const SimulatorProcess& writer = w == 0 ? first : AddWriter();
        line.push_back(Start(Program(writer, {"--count", "12"}), app.file("pid" + std::to_string(w))));
    }
    for (auto& run : line) {
        const ProcessResult r = run.get();
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }

    std::set<std::string> ids, sites, expected;
    const auto lines = JournalLines(lot);
    for (const JsonFields& f : OfType(lines, "reserve")) {
        ids.insert(f.at("id"));
        sites.insert(f.at("site"));
    }
    char text[8];
    for (int id = 1; id <= 50; ++id)
        expected.insert((std::snprintf(text, sizeof text, "%04X", id), text));
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(std::tuple(sites.size(), OfType(lines, "reserve").size(),
                         OfType(lines, "summary").size()), std::tuple(4u, 50u, 5u));

    const ProcessResult summary = Run({"journal", lot});
    EXPECT_TRUE(Has(summary.out, "chips tried: 50\npassed: 50\nfailed: 0\nyield: 100.0%\n"
                                 "first ID: 0001\nlast ID: 0032\nspoiled IDs: -\n"))
        << summary.out;
}

TEST_F(CliProductionTest, SigtermEndsTheLotAfterTheChipInHandWithItsSummary)
{
    const SimulatorProcess& writer = AddWriter();
    const std::string pid = app.file("pid");
    auto run = Start(Program(writer, {"--id-start", "0100", "--count", "50"}), pid);
    for (int waited = 0; waited < 300; ++waited) { // until two chips are recorded
        std::this_thread::sleep_for(50ms);
        if (std::filesystem::exists(lot) && OfType(JournalLines(lot), "chip").size() >= 2)
            break;
    }
    kill(std::stoi(ReadText(pid)), SIGTERM);
    const ProcessResult r = run.get();
    EXPECT_EQ(r.exitCode, 128 + SIGTERM);
    EXPECT_TRUE(Has(r.err, "failed: stopped by SIGTERM after ")) << r.err;

    const auto lines = JournalLines(lot);
    ASSERT_FALSE(lines.empty());
    const auto chips = OfType(lines, "chip");
    EXPECT_EQ(OfType(lines, "reserve").size(), chips.size()); // the chip in hand was finished
    EXPECT_EQ(Pick({lines.back()}, "type ended_by tried"),
              "summary SIGTERM " + std::to_string(chips.size()));
    EXPECT_LT(chips.size(), 50u);
}

TEST_F(CliProductionTest, ImageGateRefusesAnotherChecksumBeforeTheWriterHearsOfIt)
{
    const std::string trace = app.file("trace");
    const SimulatorProcess& writer = AddWriter({"--trace", trace});
    const auto download = [&](const std::string& checksum) {
        return Run({"download", program, "--yes", "--model", model_, "--port", writer.Link(),
                    "--expect-checksum", checksum, "--app-dir", app.path()});
    };
    const ProcessResult wrong = download("CD08");
    EXPECT_EQ(wrong.exitCode, 9);
    EXPECT_TRUE(Has(wrong.err, "error: image gate: the checksum with options is CD09, not the "
                               "expected CD08; nothing was sent to the Writer\n")) << wrong.err;
    EXPECT_EQ(ReadText(trace), "");
    EXPECT_EQ(download("cd09").exitCode, 0);

    const std::pair<std::vector<std::string>, const char*> refused[] = {
        {{"program", "--no-download", "--expect-checksum", "CD09"},
         "--expect-checksum checks the image to download: not with --no-download"},
        {{"program", "--no-download", "--journal", lot, "--id-start", "0001"},
         "the lot writes device IDs, which go into the image to download: not with --no-download"},
        {{"program", program, "--journal", lot, "--id-addr", "0100"},
         "the lot has no ID yet: give --id-start for its first ID"},
        {{"program", program, "--journal", lot, "--id-start", "1", "--step", "0"},
         "--step 0 would burn one ID into every chip of the lot"},
        {{"download", program, "--journal", lot}, "--journal goes with program"},
    };
    for (auto [args, message] : refused) {
        args.insert(args.end(), {"--port", writer.Link(), "--app-dir", app.path()});
        const ProcessResult r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_TRUE(Has(r.err, std::string("orvane-cli: ") + message + "\n")) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(lot)); // refused before any chip was reserved
}

TEST_F(CliProductionTest, OtpCheckListsWhereTheChipCannotTakeTheImage)
{
    const std::string image = app.file("image.S19");
    const std::string end = "S9030000FC\r\n";
    WriteText(image, "S107001012345678D4\r\n" + end); // 12 34 56 78 at 0010
    struct Case {
        std::string at0010, at0020;
        int exitCode;
        std::string out;
    };
    const Case cases[] = {
        {"S107001012345678D4", "S1040020FFDC", 0, ""},          // holds the image already
        {"S1070010123056FF51", "S1040020FFDC", 7,               // 34 over 30 needs bit 2
         "0011: chip 30, image 34\n"},
        {"S107001002305678E8", "S10400207F5C", 7,
         "0010: chip 02, image 12\n0011: chip 30, image 34\n0020: chip 7F, image FF\n"},
    };
    for (const Case& c : cases) {
        const std::string chip = app.file("chip.S19");
        WriteText(chip, c.at0010 + "\r\n" + c.at0020 + "\r\n" + end);
        const SimulatorProcess& writer = AddWriter({"--chip", chip});
        const ProcessResult r = Run({"otp-check", image, "--model", model_, "--port",
                                     writer.Link(), "--app-dir", app.path()});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.out, c.out);
        if (c.exitCode == 0) {
            EXPECT_TRUE(Has(r.err, "ok: the chip can take the image\n")) << r.err;
        }
    }

    const ProcessResult json = Run({"otp-check", image, "--json", "--model", model_, "--port",
                                    writers_.back()->Link(), "--app-dir", app.path()});
    EXPECT_TRUE(Has(json.out, "\n" R"({"type":"otp","conflicts":3,"addresses":["0010","0011","0020"]})"
                              "\n")) << json.out;

    // program --otp-check leaves such a chip alone and the journal says so.
    const std::string chip = app.file("chip.S19");
    WriteText(chip, "S104001002E9\r\n" + end); // 02 at 0010
    const SimulatorProcess& writer = AddWriter({"--chip", chip});
    const ProcessResult r = Run({"program", image, "--yes", "--otp-check", "--journal", lot,
                                 "--model", model_, "--port", writer.Link(), "--app-dir",
                                 app.path()});
    EXPECT_EQ(r.exitCode, 7) << r.err;
    EXPECT_EQ(r.out, "0010: chip 02, image 12\n");
    const auto chips = OfType(JournalLines(lot), "chip");
    EXPECT_EQ(Pick(chips, "outcome reply"), "not-programmed null");
}

TEST_F(CliProductionTest, RollingCodeGoesOutInTheChipDataAndInfoDecodesIt)
{
    const std::string flag = "1:0x8d03,0x8d02,0x8d01,0x8d00:1:1:0xffffffff:0xffffffff";
    const ProcessResult info = Run({"info", program, "--model", model_, "--rolling-code", flag,
                                    "--app-dir", app.path()});
    EXPECT_TRUE(Has(info.out, "rolling code: on, 1 byte(s) at 8D00, initial 00000001, step 1, "
                              "max FFFFFFFF, limit FFFFFFFF\n")) << info.out;

    const std::string trace = app.file("trace");
    const SimulatorProcess& writer = AddWriter({"--trace", trace});
    ASSERT_EQ(Run({"download", program, "--yes", "--model", model_, "--port", writer.Link(),
                   "--rolling-code", flag, "--app-dir", app.path()}).exitCode, 0);
    // LoadChipData2 carries the block's first 42 bytes from 0x7DC0.
    EXPECT_TRUE(Has(ReadText(trace),
                    "RX 68 2D 04 7D C0 0A 01 8D 00 8D 01 8D 02 8D 03 00 00 00 01 01 FF FF FF FF "
                    "00 00 00 00 00 00 00 01 FF FF FF FF 00 00 00 00 00 00 00 00 00 00 00 AE 16\n"));

    const ProcessResult range = Run({"download", program, "--yes", "--model", model_,
                                     "--rolling-code", "2:0x1,0x10000:1:1:0:0",
                                     "--app-dir", app.path()});
    EXPECT_EQ(range.exitCode, 2);
    EXPECT_TRUE(Has(range.err, "orvane-cli: --rolling-code: 数值不能大于0xffff\n")) << range.err;
}

TEST_F(CliProductionTest, PortsListEndsWithModemManager)
{
    const ProcessResult r = RunCli({"ports"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "ModemManager: ")) << r.out;
    const ProcessResult json = RunCli({"ports", "--json"});
    for (const std::string& line : Lines(json.out))
        EXPECT_TRUE(IsJson(line)) << line;
    const ProcessResult bad = RunCli({"version", "--port", "usb:1a86"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(Has(bad.err, "--port: 'usb:1a86' is not usb:VVVV:PPPP[:SERIAL]")) << bad.err;
}

} // namespace
} // namespace orvane::test
