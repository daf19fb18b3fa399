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

const std::string kRecord0 =
    "S1230000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FEC\r\n";
const std::string kRecord40 =
    "S123004012FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFA9\r\n";
const std::string kRecordTop = "S113FFF0A5FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF67\r\n";
const std::string kEnd = "S9030000FC\r\n";

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
    std::string path = dir.file("out.S19");
    std::unique_ptr<AppState> s = BlankState();
};

TEST_F(WriteTest, S19RecordsAreExact)
{
    struct Case { std::int32_t from, to; std::string text; };
    const Case cases[] = {
        {0, 0x41, kRecord0 + kRecord40 + kEnd},  // the last record reaches past `to`
        {0, 0x40, kRecord0 + kEnd},              // a record at `to` is not written
        {0x20, 0x40, kEnd},                      // all-0xFF records are left out
        {0x40, 0x40, kEnd},
        {0xFFF0, 0x7FFFFFFF, kRecordTop + kEnd}, // clipped at the top of the image ...
        {-40, 0, "S11B0000000102030405060708090A0B0C0D0E0F1011121314151617D0\r\n" + kEnd}, // ... and below 0
    };
    for (const Case& c : cases) {
        WriteS19File(*s, c.from, c.to, path);
        EXPECT_EQ(ReadText(path), c.text) << std::hex << c.from << ".." << c.to;
    }
}

TEST_F(WriteTest, WrtHeaderThenRecords)
{
    WriteWrtFile(*s, 0, 0x20, path);
    EXPECT_EQ(ReadText(path), "05QK128\r\n20\r\n" + kRecord0 + kEnd);
    WriteWrtFile(*s, 0x20, 0x40, path);
    EXPECT_EQ(ReadText(path), "05QK128\r\n20\r\n" + kEnd);
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

TEST_F(WriteTest, S19RoundTrip)
{
    for (int a = 0; a < 0x8000; ++a)
        s->RomImage[a] = std::uint8_t(a * 13 + a / 256);
    WriteS19File(*s, 0, 0x7FFF, path);
    auto back = BlankState();
    LoadS19Range(*back, 0, 0x7FFF, path);
    EXPECT_TRUE(std::equal(s->RomImage.begin(), s->RomImage.begin() + 0x8000, back->RomImage.begin()));
    EXPECT_EQ(back->RomImage[0x8000], 0xFF);
}

TEST_F(WriteTest, BinIsTheRawImage)
{
    WriteBinFile(*s, path);
    EXPECT_EQ(ReadText(path), std::string(s->RomImage.begin(), s->RomImage.end()));
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
