// `verify` against the simulated Writer: a QK128 image (program area 0000..1FFF, second option
// copy at 2120) and chips that hold it, or differ in a program byte, in the option row (which the
// read of this model asks for at 4000), only in the device ID and rolling code; and an image that
// protects the chip.
#include "tests/cli/CliSupport.h"

#include "tests/support/SRecords.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

std::string Rec(int address, std::vector<int> data) { return S1(address, std::move(data)) + "\r\n"; }

const std::string kEnd = "S9030000FC\r\n";
const std::string kProgram = Rec(0x0010, {0x12, 0x34, 0x56, 0x78});

class CliVerifyTest : public ::testing::Test, public CliFixture {
protected:
    // A QK128 image whose option copies start with the bytes given; settings with an ID at 1800.
    std::string Image(int optionByte3)
    {
        const std::string options = Rec(0x2100, {0xC0, 0xFF, 0xFF, 0xDF}) +
                                    Rec(0x2120, {0xC0, 0xFF, 0xFF, optionByte3});
        WriteText(app.file("image.WRT"), "05QK128\r\n20\r\n" + kProgram + options + kEnd);
        WriteText(app.file("Udate_VX.ini"), "[ID]\nID_LENGTH=2\nID_ADDR_START=1800\n");
        return app.file("image.WRT");
    }

    // verify of image with a simulated Writer whose chip holds `chip` (S1 records).
    ProcessResult Verify(const std::string& image, const std::string& chip,
                         std::vector<std::string> more = {})
    {
        WriteText(app.file("chip.S19"), chip + kEnd);
        SimulatorProcess sim(SIM_PATH, app.path(), {"--chip", app.file("chip.S19")});
        std::vector<std::string> args = {"verify", image, "--port", sim.Link()};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args);
    }
};

TEST_F(CliVerifyTest, TheChipIsComparedOverProgramAndOptionRowWithIdAndRollingCodeApart)
{
    const std::string row = Rec(0x4000, {0xC0, 0xFF, 0xFF, 0xFF});
    const struct {
        int optionByte3; // 0xDF: protected (QK128 protects with bit 5 of byte 3)
        std::string chip;
        std::vector<std::string> more;
        int exitCode;
        std::string out;
    } cases[] = {
        {0xFF, kProgram + row, {}, 0, "芯片内容与当前程序一致\n"},
        {0xFF, Rec(0x0010, {0x12, 0x30, 0x56, 0x78}) + row + Rec(0x1FFF, {0x00}), {}, 7,
         "芯片内容与当前程序不一致，共 2 个字节不同：\n0011: 程序 34 芯片 30\n1FFF: 程序 FF 芯片 00\n"},
        {0xFF, kProgram + Rec(0x4000, {0xC0, 0x7F, 0xFF, 0xFF}) + Rec(0x4004, {0x00}), {}, 7,
         "芯片内容与当前程序不一致，共 1 个字节不同：\n2121: 程序 FF 芯片 7F\n"},
        {0xFF, kProgram + row + Rec(0x1801, {0x05}) + Rec(0x1810, {0x01, 0x00}),
         {"--rolling-code", "2:0x1811,0x1810:1:1:0xffff:0xffff"}, 0,
         "除器件ID和滚动码以外，芯片内容与当前程序一致\n器件ID的字节不同：\n1801: 程序 FF 芯片 05\n"
         "滚动码的字节不同：\n1810: 程序 FF 芯片 01\n1811: 程序 FF 芯片 00\n"},
        {0xDF, kProgram, {}, 15, "当前程序设置了加密，加密的芯片读不出程序，无法校验\n"},
        {0xFF, kProgram + row + Rec(0x0011, {0x30}), {"--json"}, 7,
         R"({"type":"verify","verdict":"different","differences":1,)"
         R"("program":[{"address":"0011","image":"34","chip":"30"}],"deviceId":[],"rollingCode":[]})"
         "\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = Verify(Image(c.optionByte3), c.chip, c.more);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_TRUE(Has(r.out, c.out)) << r.out;
    }
}

} // namespace
} // namespace orvane::test
