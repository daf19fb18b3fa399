#include "tools/writer-sim/SimOptions.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(SimOptions, FaultTexts)
{
    struct Case {
        const char* text;
        WriterFaultKind kind;
        std::optional<unsigned> nth;
        std::optional<std::uint8_t> code;
    };
    const Case cases[] = {
        {"no-reply@5", WriterFaultKind::NoReply, 5u, std::nullopt},
        {"kind5@code=05", WriterFaultKind::ChecksumError, std::nullopt, 0x05},
        {"hang-up@code=e1", WriterFaultKind::HangUp, std::nullopt, 0xE1},
        {"split@1", WriterFaultKind::SplitReply, 1u, std::nullopt},
        {"oversize@code=38", WriterFaultKind::OversizeReply, std::nullopt, 0x38},
    };
    for (const Case& c : cases) {
        const WriterFault f = ParseWriterFault(c.text);
        EXPECT_EQ(f.kind, c.kind) << c.text;
        EXPECT_EQ(f.nth, c.nth) << c.text;
        EXPECT_EQ(f.code, c.code) << c.text;
    }
    for (const char* bad : {"no-reply", "no-reply@0", "no-reply@", "no-reply@-1", "nope@3",
                            "pin@code=100", "pin@code=", "pin@code=0x05", "pin@3x", "@3"})
        EXPECT_THROW(ParseWriterFault(bad), std::invalid_argument) << bad;
}

TEST(SimOptions, VersionTexts)
{
    EXPECT_EQ(ParseWriterVersion("1.2 2011.5.17"), (std::array<std::uint8_t, 5>{1, 2, 11, 5, 17}));
    EXPECT_EQ(ParseWriterVersion("0.0 2000.1.1"), (std::array<std::uint8_t, 5>{0, 0, 0, 1, 1}));
    for (const char* bad : {"1.2", "1 2011.5.17", "1.2 2011.5", "1.2 1999.5.17", "1.2 2256.1.1",
                            "256.0 2011.5.17", "1.2 2011.5.17.1", "a.b 2011.5.17", ""})
        EXPECT_THROW(ParseWriterVersion(bad), std::invalid_argument) << bad;
}

TEST(SimOptions, CommandLine)
{
    const SimOptions o = ParseSimOptions({"--link", "/tmp/x", "--version", "2.3", "2020.12.1",
                                          "--chip", "none", "--fresh-chip", "--pace",
                                          "--reply-delay", "15", "--trace", "t.txt", "--fault",
                                          "pin@2", "--fault", "kind1@code=01"});
    EXPECT_EQ(o.linkPath, "/tmp/x");
    EXPECT_EQ(o.tracePath, "t.txt");
    EXPECT_EQ(o.writer.version, (std::array<std::uint8_t, 5>{2, 3, 20, 12, 1}));
    EXPECT_EQ(o.writer.chip, SocketChip::None);
    EXPECT_TRUE(o.writer.freshChipAfterProgram);
    EXPECT_TRUE(o.pace);
    EXPECT_EQ(o.replyDelay, std::chrono::milliseconds(15));
    ASSERT_EQ(o.writer.faults.size(), 2u);
    EXPECT_EQ(o.writer.faults[1].kind, WriterFaultKind::Rejected);
    EXPECT_TRUE(ParseSimOptions({"--help"}).help);

    const std::vector<std::vector<std::string>> bad = {
        {"--link"}, {"--version", "1.2"}, {"--chip", "used"}, {"--reply-delay", "-1"},
        {"--reply-delay", "1s"}, {"--fault", "pin"}, {"--bogus"}, {"/dev/pts/3"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(ParseSimOptions(args), std::invalid_argument) << args[0];
}

} // namespace
} // namespace orvane
