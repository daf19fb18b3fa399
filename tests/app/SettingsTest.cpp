#include "app/Settings.h"

#include "app/Errors.h"
#include "app/IniFile.h"
#include "catalogue/Catalogue.h"
#include "options/OptionKeys.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <tuple>
#include <sys/resource.h>
#include <unistd.h>

namespace orvane {
namespace {

using test::ReadText;
using test::WriteText;

class SettingsTest : public ::testing::Test {
protected:
    // The shipped model names, the ID fields set to tell "left alone" from "read".
    std::unique_ptr<AppState> Fresh() const
    {
        auto s = std::make_unique<AppState>();
        s->AppDir = test::DataDir();
        LoadModelNames(*s);
        s->AppDir = dir_.path();
        s->IDLen = 7;
        s->IDAddr = 0x100;
        s->InitID = 5;
        s->NextID = 9;
        return s;
    }

    // A fresh state loaded from a settings file of this text (nullptr: no file).
    std::unique_ptr<AppState> Loaded(const char* text) const
    {
        ::unlink(File().c_str());
        if (text)
            WriteText(File(), text);
        auto s = Fresh();
        LoadSettings(*s);
        return s;
    }

    std::string File() const { return dir_.file("Udate_VX.ini"); }

    test::TempDir dir_;
};

TEST_F(SettingsTest, MissingKeysReadAsReadErrorWithTheDefaults)
{
    for (const char* text : {static_cast<const char*>(nullptr), "", "[CHIP]\r\n[ID]\r\n"}) {
        const auto s = Loaded(text);
        EXPECT_EQ(s->ChipName, "QK106");
        EXPECT_EQ(s->ChipPin, "20");
        EXPECT_EQ(s->ComName, "COM1");
        EXPECT_EQ(s->RcName, "READ ERROR");
        for (const OptionKey& k : kOptionKeys) {
            const char* expected = k.key == "Freq" ? "0" : k.key == "oFreq" ? "15" : "READ ERROR";
            EXPECT_EQ(OptionText(*s, k), expected) << k.key;
        }
        EXPECT_EQ(s->IDLenText + s->IDAddrText + s->InitIDText, "READ ERRORREAD ERRORREAD ERROR");
        EXPECT_EQ(std::make_tuple(s->IDLen, s->IDAddr, s->InitID, s->NextID),
                  std::make_tuple(7, 0x100, 5, 5));
    }
}

TEST_F(SettingsTest, LoadChecksEachKey)
{
    const struct { const char* text; std::string AppState::*field; const char* want; } cases[] = {
        {"[CHIP]\nCHIP_NAME=QK101\n", &AppState::ChipName, "QK101"},
        {"[CHIP]\nCHIP_NAME=QK115\n", &AppState::ChipName, "QK106"}, // slot 9 is not accepted
        {"[CHIP]\nCHIP_NAME=qk134\n", &AppState::ChipName, "QK106"},
        {"[chip]\r\n chip_name = QK134 \r\n", &AppState::ChipName, "QK134"},
        {"[CHIP]\nCHIP_PIN=28\n", &AppState::ChipPin, "20"},
        {"[OPTION]\nFreq=7\n", &AppState::OptFreq, "0"},
        {"[OPTION]\noFreq=\n", &AppState::OptOFreq, "0"},
        {"[OPTION]\nLVD=0\n", &AppState::OptLVD, "0"},
        {"[COM]\nCOM_NAME=COM7\n", &AppState::ComName, "COM1"},
        {"[COM]\nCOM_NAME=com2\n", &AppState::ComName, "COM1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Loaded(c.text).get()->*c.field, c.want) << c.text;
}

TEST_F(SettingsTest, LoadReadsHexIdKeysAndWidensTheSign)
{
    const struct { const char* text; std::int32_t idLen, idAddr; std::int64_t initId; } cases[] = {
        {"ID_START=0001", 7, 0x100, 1},
        {"ID_START=FFFFFFFF", 7, 0x100, -1},
        {"ID_START=123456789", 7, 0x100, 0x23456789}, // 32 bits: higher digits fall off
        {"ID_START=xyz", 7, 0x100, 5},
        {"ID_START=", 7, 0x100, 0},
        {"ID_LENGTH=3\nID_ADDR_START=7ff0", 3, 0x7FF0, 5},
        {"ID_LENGTH=G\nID_ADDR_START=-1", 7, 0x100, 5},
    };
    for (const auto& c : cases) {
        const auto s = Loaded((std::string("[ID]\n") + c.text + "\n").c_str());
        EXPECT_EQ(std::make_tuple(s->IDLen, s->IDAddr, s->InitID, s->NextID),
                  std::make_tuple(c.idLen, c.idAddr, c.initId, c.initId)) << c.text;
    }
}

// Saved from scratch, a loaded file comes back byte for byte: every key, in order, CRLF.
TEST_F(SettingsTest, SaveWritesEveryKeyInOrderAndLoadReadsThemBack)
{
    const char* golden =
        "[CHIP]\r\nCHIP_NAME=QK128\r\nCHIP_PIN=20\r\n\r\n"
        "[OPTION]\r\nWDT=ON\r\nXT=RC1\r\nSEC=OFF\r\nPosLog=ON\r\nCW=06\r\nLVR=ON\r\n"
        "P12F=OFF\r\nFsys=00\r\nFs=011\r\nLCD=OFF\r\nlvrs=2.1V\r\nosc=110\r\nFreq=1\r\n"
        "oFreq=15\r\nTempAdj=16\r\nSMTSEL=0\r\nROTP=1\r\nODSEL=0\r\nDIVSEL=2\r\nVDSEL=1\r\n"
        "RCSMT=0\r\nLVD=0\r\nLOCK0=0\r\nLOCK1=0\r\nLOCK2=0\r\nLOCK3=1\r\nLOCK4=0\r\n"
        "LOCK5=0\r\nLOCK6=0\r\nLOCK7=0\r\nLOCK8=0\r\nLOCK9=0\r\nLOCK10=0\r\nLOCK11=0\r\n"
        "LOCK12=0\r\nLOCK13=0\r\nLOCK14=0\r\nLOCK15=0\r\n\r\n"
        "[COM]\r\nCOM_NAME=COM3\r\nRC_NAME=ON\r\n\r\n"
        "[ID]\r\nID_LENGTH=3\r\nID_ADDR_START=7F00\r\nID_START=00012A\r\n";
    const auto s = Loaded(golden);
    EXPECT_EQ(std::make_tuple(s->ChipName, s->OptLock[3], s->IDLen, s->IDAddr, s->NextID),
              std::make_tuple("QK128", "1", 3, 0x7F00, 0x12A));
    ::unlink(File().c_str());
    SaveSettings(*s);
    EXPECT_EQ(ReadText(File()), golden);
}

TEST_F(SettingsTest, SaveKeepsForeignLines)
{
    WriteText(File(), "; hand-set\n[PORTS]\nCOM3=/dev/serial/by-id/usb-writer\n\n"
                      "[chip]\nchip_name=QK101\nnote=x\n\n[IRC]\nfae=0\n");
    auto s = Fresh();
    s->ChipName = "QK128";
    SaveSettings(*s);
    const std::string kept = "; hand-set\n[PORTS]\nCOM3=/dev/serial/by-id/usb-writer\n\n"
                             "[chip]\nchip_name=QK128\nnote=x\nCHIP_PIN=\n\n"
                             "[IRC]\nfae=0\n\n[OPTION]\nWDT=\n";
    EXPECT_EQ(ReadText(File()).substr(0, kept.size()), kept);
    EXPECT_FALSE(ReadFaeFlag(*s));
}

TEST_F(SettingsTest, IdStartHasTwoDigitsPerIdByteAndLoadsBack)
{
    const struct { std::int32_t idLen; std::int64_t nextId; const char* text; std::int64_t loaded; }
        cases[] = {
        {3, 0x12A, "00012A", 0x12A},
        {2, 0x12345, "12345", 0x12345},
        {0, 0, "0", 0},
        {2, -1, "FFFFFFFF", -1},
        {3, -0x80000000LL, "80000000", -0x80000000LL},
        {0x7FFFFFFF, 1, "0000000000000001", 1}, // a hostile length does not blow up the file
        {4, 0x100000005LL, "100000005", 5},      // only 32 bits load back
    };
    for (const auto& c : cases) {
        auto s = Fresh();
        s->IDLen = c.idLen;
        s->NextID = c.nextId;
        SaveSettings(*s);
        EXPECT_EQ(IniFile::Load(File()).Read("ID", "ID_START"), c.text);
        auto loaded = Fresh();
        LoadSettings(*loaded);
        EXPECT_EQ(loaded->NextID, c.loaded) << c.text;
    }
}

TEST_F(SettingsTest, FailedSaveNamesTheFileAndKeepsTheOldOne)
{
    WriteText(dir_.file("plain"), "x");
    for (const std::string& folder : {dir_.file("gone/"), dir_.file("plain/")}) {
        auto s = Fresh();
        s->AppDir = folder;
        try {
            SaveSettings(*s);
            ADD_FAILURE() << folder;
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find(folder + "Udate_VX.ini"), std::string::npos);
        }
    }

    // A file size limit makes the write fail half-way, also for root.
    WriteText(File(), "[CHIP]\r\nCHIP_NAME=QK101\r\n");
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(SaveSettings(*Fresh()), FileError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadText(File()), "[CHIP]\r\nCHIP_NAME=QK101\r\n");
}

TEST_F(SettingsTest, FaeIsFalseOnlyForZero)
{
    const std::pair<const char*, bool> cases[] = {
        {nullptr, true},           {"[IRC]\nfae=1\n", true},     {"[IRC]\nfae=\n", true},
        {"[IRC]\nfae=00\n", true}, {"[OTHER]\nfae=0\n", true}, {"[irc]\n FAE = 0 \n", false},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ReadFaeFlag(*Loaded(text)), expected) << (text ? text : "no file");
}

} // namespace
} // namespace orvane
