// The production line end to end: lot journals shared by several simulated Writers, the image
// gate, the OTP re-burn check, the rolling code on the wire and the port list.
#include "tests/cli/CliLineFixture.h"

#include "image/RomImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

class CliProductionTest : public ::testing::Test, public CliLineFixture {
protected:
    std::string Pick(const std::string& type, const std::string& keys) const
    {
        return test::Pick(ReadText(lot), type, keys);
    }
};

TEST_F(CliProductionTest, JournalRecordsPassedAndFailedChipsAndRefusesToReissueAnId)
{
    // The same chip twice: the second needs 02 at 0101 where the first left 01.
    const SimulatorProcess& writer = AddWriter({});
    const ProcessResult r = Cli(Program({"--id-start", "0001", "--count", "2"}), &writer);
    EXPECT_EQ(r.exitCode, 7) << r.err;
    EXPECT_TRUE(Has(r.err, "summary: 2 tried, 1 passed, 1 failed, yield 50.0%, IDs 0001..0002\n"))
        << r.err;
    std::string types;
    for (const JsonFields& f : JsonLines(ReadText(lot)))
        types += f.at("type") + " ";
    EXPECT_EQ(types, "reserve chip reserve chip summary ");
    EXPECT_EQ(Pick("reserve", "id id_addr"), "0001 0100 0002 0100");
    EXPECT_EQ(Pick("chip", "id outcome reply model site firmware checksum checksum_options"),
              "0001 passed 02 QK101 " + writer.Link() + " V1.2---2011.5.17 C810 CD09 " +
                  "0002 failed F2 QK101 " + writer.Link() + " V1.2---2011.5.17 C810 CD09");
    // The Writer's byte, then the chip's.
    EXPECT_EQ(Pick("chip", "kind address data"), "- - - 3 0101 0201");
    EXPECT_EQ(Pick("summary", "tried passed yield first_id last_id ended_by"),
              "2 1 50.0% 0001 0002 end");

    // A spoiled ID is not burned again; without --id-start the lot goes on past its last ID.
    const SimulatorProcess& fresh = AddWriter();
    const std::string before = ReadText(lot);
    const ProcessResult again = Cli(Program({"--id-start", "0002"}), &fresh);
    EXPECT_EQ(again.exitCode, 13);
    EXPECT_TRUE(Has(again.err, "error: ID 0002 is already reserved in the lot journal; its next "
                               "free ID is 0003. Leave out --id-start to go on with the lot, or "
                               "give --allow-reissue to burn it again\n")) << again.err;
    EXPECT_EQ(ReadText(lot), before) << "no summary of no chip, no site";
    const ProcessResult elsewhere = Cli(Program({"--id-addr", "0102"}), &fresh);
    EXPECT_EQ(elsewhere.exitCode, 2);
    EXPECT_TRUE(Has(elsewhere.err, "orvane-cli: the lot writes its IDs at 0100 with --id-len 2, "
                                   "not at 0102 with --id-len 2\n")) << elsewhere.err;
    EXPECT_EQ(Cli(Program({}), &fresh).exitCode, 0);
    EXPECT_EQ(Cli(Program({"--id-start", "0001", "--allow-reissue"}), &fresh).exitCode, 0);
    EXPECT_EQ(Pick("reserve", "id"), "0001 0002 0003 0001");

    // The summary's text is LotJournal's; here only that the command prints it.
    const ProcessResult summary = RunProcess(CLI_PATH, {"journal", lot});
    EXPECT_EQ(summary.exitCode, 0) << summary.err;
    EXPECT_TRUE(Has(summary.out, "chips tried: 4\npassed: 3\n")) << summary.out;
}

TEST_F(CliProductionTest, FourWritersOnOneJournalIssueFiftyDistinctConsecutiveIds)
{
    const SimulatorProcess& first = AddWriter();
    ASSERT_EQ(Cli(Program({"--id-start", "0001", "--count", "2"}), &first).exitCode, 0);
    std::vector<std::future<ProcessResult>> line;
    for (int w = 0; w < 4; ++w)
        line.push_back(Start(Program({"--count", "12"}), w == 0 ? first : AddWriter()));
    for (auto& run : line) {
        const ProcessResult r = run.get();
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }
    std::istringstream ids(Pick("reserve", "id")), sites(Pick("reserve", "site"));
    std::set<std::string> issued{std::istream_iterator<std::string>(ids), {}};
    std::set<std::string> expected, used{std::istream_iterator<std::string>(sites), {}};
    for (int id = 1; id <= 50; ++id)
        expected.insert(Hex(id, 4));
    EXPECT_EQ(issued, expected);
    EXPECT_EQ(used.size(), 4u);
    EXPECT_EQ(Pick("summary", "tried"), "2 12 12 12 12") << "a summary per run";
}

TEST_F(CliProductionTest, SigtermEndsTheLotAfterTheChipInHandWithItsSummary)
{
    const std::string pid = app.file("pid");
    auto run = Start(Program({"--id-start", "0100", "--count", "50"}), AddWriter(), pid);
    for (int waited = 0; waited < 300; ++waited) { // until two chips are recorded
        std::this_thread::sleep_for(50ms);
        if (std::filesystem::exists(lot) && Has(ReadText(lot), "\"chip\":2,"))
            break;
    }
    kill(std::stoi(ReadText(pid)), SIGTERM);
    const ProcessResult r = run.get();
    EXPECT_EQ(r.exitCode, 128 + SIGTERM);
    EXPECT_TRUE(Has(r.err, "failed: stopped by SIGTERM after ")) << r.err;
    // The chip in hand was finished: as many outcomes as reservations, fewer than 50.
    const std::string chips = Pick("chip", "chip");
    EXPECT_EQ(chips, Pick("reserve", "chip"));
    const auto count = std::count(chips.begin(), chips.end(), ' ') + 1;
    EXPECT_EQ(Pick("summary", "ended_by tried"), "SIGTERM " + std::to_string(count));
    EXPECT_LT(count, 50);
}

TEST_F(CliProductionTest, ImageGateRefusesAnotherChecksumBeforeTheWriterHearsOfIt)
{
    const std::string trace = app.file("trace");
    const SimulatorProcess& writer = AddWriter({"--trace", trace});
    const ProcessResult wrong =
        Cli({"download", program, "--yes", "--expect-checksum", "CD08"}, &writer);
    EXPECT_EQ(wrong.exitCode, 9);
    EXPECT_TRUE(Has(wrong.err, "error: image gate: the checksum with options is CD09, not the "
                               "expected CD08; nothing was sent to the Writer\n")) << wrong.err;
    EXPECT_EQ(ReadText(trace), "");
    EXPECT_EQ(Cli({"download", program, "--yes", "--expect-checksum", "cd09"}, &writer).exitCode, 0);

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
        {{"download", program, "--yes", "--rolling-code", "2:0x1,0x10000:1:1:0:0"},
         "--rolling-code: 数值不能大于0xffff"},
        {{"convert", program, app.file("out.WRT"), "--to", "wrt", "--rolling-code", "off"},
         "--rolling-code goes with info, download, program or verify"},
        {{"download", program, "--expect-checksum", "CD9"},
         "--expect-checksum takes four hexadecimal digits, not 'CD9'"},
    };
    for (const auto& [args, message] : refused) {
        const ProcessResult r = Cli(args, &writer);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_TRUE(Has(r.err, std::string("orvane-cli: ") + message + "\n")) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(lot)); // refused before any chip was reserved
    EXPECT_FALSE(std::filesystem::exists(app.file("out.WRT")));
}

TEST_F(CliProductionTest, OtpCheckListsWhereTheChipCannotTakeTheImage)
{
    const std::string image = app.file("image.S19"), chip = app.file("chip.S19");
    const std::string end = "S9030000FC\r\n";
    WriteText(image, "S107001012345678D4\r\n" + end); // 12 34 56 78 at 0010
    WriteText(chip, "S107001012345678D4\r\nS1040020FFDC\r\n" + end); // holds the image already
    const ProcessResult ok = Cli({"otp-check", image}, &AddWriter({"--chip", chip}));
    EXPECT_EQ(std::tuple(ok.exitCode, ok.out), std::tuple(0, std::string()));
    EXPECT_TRUE(Has(ok.err, "ok: the chip can take the image\n")) << ok.err;

    WriteText(chip, "S107001002305678E8\r\nS10400207F5C\r\n" + end);
    const SimulatorProcess& writer = AddWriter({"--chip", chip});
    const ProcessResult r = Cli({"otp-check", image}, &writer);
    EXPECT_EQ(std::tuple(r.exitCode, r.out),
              std::tuple(7, std::string("0010: chip 02, image 12\n0011: chip 30, image 34\n"
                                        "0020: chip 7F, image FF\n")));
    const ProcessResult json = Cli({"otp-check", image, "--json"}, &writer);
    EXPECT_TRUE(Has(json.out, "\n" R"({"type":"otp","conflicts":3,"addresses":["0010","0011","0020"]})"
                              "\n")) << json.out;

    // program --otp-check leaves such a chip alone and the journal says so.
    const ProcessResult program = Cli({"program", image, "--yes", "--otp-check", "--journal", lot},
                                      &writer);
    EXPECT_EQ(std::tuple(program.exitCode, program.out.substr(0, 24)),
              std::tuple(7, std::string("0010: chip 02, image 12\n")));
    EXPECT_EQ(Pick("chip", "outcome reply"), "not-programmed null");
}

TEST_F(CliProductionTest, RollingCodeGoesOutInTheChipDataAndInfoDecodesIt)
{
    const std::string flag = "1:0x8d03,0x8d02,0x8d01,0x8d00:1:1:0xffffffff:0xffffffff";
    const ProcessResult info = Cli({"info", program, "--rolling-code", flag});
    EXPECT_TRUE(Has(info.out, "rolling code: on, 1 byte(s) at 8D00, initial 00000001, step 1, "
                              "max FFFFFFFF, limit FFFFFFFF\n")) << info.out;

    const std::string trace = app.file("trace");
    const SimulatorProcess& writer = AddWriter({"--trace", trace});
    ASSERT_EQ(Cli({"download", program, "--yes", "--rolling-code", flag}, &writer).exitCode, 0);
    // LoadChipData2 carries the block's first 42 bytes from 0x7DC0.
    EXPECT_TRUE(Has(ReadText(trace),
                    "RX 68 2D 04 7D C0 0A 01 8D 00 8D 01 8D 02 8D 03 00 00 00 01 01 FF FF FF FF "
                    "00 00 00 00 00 00 00 01 FF FF FF FF 00 00 00 00 00 00 00 00 00 00 00 AE 16\n"));
}

TEST_F(CliProductionTest, PortsListEndsWithModemManager)
{
    const ProcessResult r = RunCli({"ports"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Has(r.out, "ModemManager: ")) << r.out;
    const auto json = JsonLines(RunCli({"ports", "--json"}).out);
    ASSERT_GE(json.size(), 2u);
    EXPECT_EQ(json.end()[-2].at("key"), "ModemManager");
    const ProcessResult bad = RunCli({"version", "--port", "usb:1a86"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(Has(bad.err, "--port: 'usb:1a86' is not usb:VVVV:PPPP[:SERIAL]")) << bad.err;
}

} // namespace
} // namespace orvane::test
