#include "app/Errors.h"
#include "image/SRecordFiles.h"
#include "tests/image/srecord_support.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace orvane::test {
namespace {

class WriteTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (int a = 0; a < 32; ++a)
            s->RomImage[a] = std::uint8_t(a);
        s->RomImage[0x40] = 0x12;
        s->RomImage[0xFFF0] = 0xA5;
        s->ChipName = "QK128";
        s->ChipPin = "20";
    }

    TempDir dir;
    std::string path = dir.file("out");
    std::unique_ptr<AppState> s = BlankState();
};

TEST_F(WriteTest, RecordsAndHeaderAreExact)
{
    const std::string r0 =
        "S1230000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FEC\r\n";
    const std::string r40 =
        "S123004012FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFA9\r\n";
    const std::string end = "S9030000FC\r\n", wrt = "05QK128\r\n20\r\n";
    using Writer = void (*)(const AppState&, std::int32_t, std::int32_t, const std::string&);
    const std::tuple<Writer, std::int32_t, std::int32_t, std::string> cases[] = {
        {WriteS19File, 0, 0x41, r0 + r40 + end}, // the last record reaches past `to`
        {WriteS19File, 0, 0x40, r0 + end},       // a record at `to` is not written
        {WriteS19File, 0x20, 0x40, end},         // all-0xFF records are left out
        {WriteS19File, 0xFFF0, 0x7FFFFFFF, "S113FFF0A5FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF67\r\n" + end},
        {WriteS19File, -40, 0, "S11B0000000102030405060708090A0B0C0D0E0F1011121314151617D0\r\n" + end},
        {WriteWrtFile, 0, 0x20, wrt + r0 + end},
        {WriteWrtFile, 0x20, 0x40, wrt + end},
    };
    for (const auto& [write, from, to, text] : cases) {
        write(*s, from, to, path);
        EXPECT_EQ(ReadText(path), text) << std::hex << from << ".." << to;
    }
    WriteBinFile(*s, path);
    EXPECT_EQ(ReadText(path), std::string(s->RomImage.begin(), s->RomImage.end()));
}

TEST_F(WriteTest, WrtRefusesAHeaderItCouldNotReadBack)
{
    for (const auto& [name, pin] : {std::pair<std::string, std::string>{std::string(256, 'Q'), "20"},
                                    {"QK/128", "20"}, {"QK128", "2"}, {"QK128", "\r\n"}}) {
        s->ChipName = name;
        s->ChipPin = pin;
        EXPECT_THROW(WriteWrtFile(*s, 0, 0x20, path), FileError) << name << pin;
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST_F(WriteTest, FailedSaveNamesTheFileAndKeepsTheOldOne)
{
    WriteText(dir.file("plain"), "x");
    const std::string nowhere = dir.file("plain") + "/out.S19";
    try {
        WriteS19File(*s, 0, 0x40, nowhere);
        ADD_FAILURE();
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("无法写入文件 " + nowhere + "：", 0), 0u) << e.what();
    }

    // A file-size limit stands in for a full disk; it holds for root as well.
    WriteText(path, "old");
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(WriteWrtFile(*s, 0, 0x41, path), FileError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadText(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2); // no leftovers
}

} // namespace
} // namespace orvane::test
