#include "tools/writer-sim/SimOptions.h"
#include "tools/writer-sim/WriterModel.h"
#include "writer/Frame.h"

#include <gtest/gtest.h>

#include <numeric>

namespace orvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes At(std::uint8_t code, std::uint16_t address, Bytes data = {})
{
    data.insert(data.begin(),
                {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)});
    return BuildFrame(code, data);
}

Bytes Answer(WriterModel& model, const Bytes& frame)
{
    const auto replies = model.Feed(frame);
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? Bytes{} : replies.front().bytes;
}

const Bytes kHelloAck{0x68, 0x01, 0xE2, 0xE3, 0x16};
const Bytes kDone{0x68, 0x01, 0x02, 0x03, 0x16};
const Bytes kRejected{0x68, 0x02, 0xF2, 0x01, 0xF5, 0x16};
const Bytes kChecksumError{0x68, 0x02, 0xF2, 0x05, 0xF9, 0x16};
const Bytes kPinFailure{0x68, 0x06, 0xF2, 0x03, 0x7D, 0x00, 0x00, 0x00, 0x78, 0x16};
const Bytes kVersion{0x68, 0x06, 0x46, 0x01, 0x02, 0x0B, 0x05, 0x11, 0x70, 0x16};

Bytes AddressFailure(std::uint16_t a, std::uint8_t stored, std::uint8_t chip)
{
    return BuildFrame(Failure, Bytes{3, static_cast<std::uint8_t>(a >> 8),
                                     static_cast<std::uint8_t>(a), stored, chip});
}

// A host image and its download as the host sends it: program area, both option copies, the
// chip-data area, whose descriptor names the program area [0, end].
struct Download {
    Bytes image = Bytes(0x10000, 0xFF);
    std::uint16_t end = 0x7FF, options = 0x2100, descriptor = 0x7D00;

    void SendTo(WriterModel& model)
    {
        image[descriptor + 4] = 0, image[descriptor + 5] = 0;
        image[descriptor + 6] = static_cast<std::uint8_t>(end >> 8);
        image[descriptor + 7] = static_cast<std::uint8_t>(end);
        for (auto [first, last] : {std::pair<unsigned, unsigned>{0, end},
                                   {options, options + 0x3Fu},
                                   {descriptor, descriptor + 0x2FFu}}) {
            for (unsigned a = first; a <= last; a += 16)
                ASSERT_EQ(Answer(model, At(WriteBlock, a, Bytes(&image[a], &image[a] + 16))),
                          (Bytes{0x68, 0x01, 0x12, 0x13, 0x16}));
        }
    }

    // Enabled rolling code as the host lays it out: state, length, addresses of bytes 0..3,
    // initial value, step, limit, zero count, initial value again, max.
    void RollingCode(std::uint8_t length, std::array<std::uint16_t, 4> addr, std::uint32_t initial,
                     std::uint8_t step, std::uint32_t limit, std::uint32_t max)
    {
        Bytes block{0x0A, length};
        for (std::uint16_t a : addr)
            block.insert(block.end(),
                         {static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)});
        for (std::uint32_t v : {initial, std::uint32_t{step} << 24, limit, 0u, initial, max})
            block.insert(block.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16),
                                       std::uint8_t(v >> 8), std::uint8_t(v)});
        block.erase(block.begin() + 15, block.begin() + 18); // the step is one byte
        std::copy(block.begin(), block.end(), image.begin() + descriptor + 0xC0);
    }
};

TEST(WriterModel, EveryCommandAndMisfitGetsItsExactReply)
{
    const std::pair<Bytes, Bytes> cases[] = {
        {BuildFrame(Hello), kHelloAck},
        {BuildFrame(GetVersion), kVersion},
        {BuildFrame(StartDownload), {0x68, 0x01, 0x08, 0x09, 0x16}},
        {BuildFrame(StartRead), {0x68, 0x01, 0x38, 0x39, 0x16}},
        {BuildFrame(FinishRead), {0x68, 0x01, 0x41, 0x42, 0x16}},
        {At(LoadChipData, 0x7D00, Bytes(32, 1)), {0x68, 0x01, 0x22, 0x23, 0x16}},
        {At(LoadChipData, 0x8D00, Bytes(52, 1)), {0x68, 0x01, 0x22, 0x23, 0x16}},
        {At(LoadChipData2, 0x7DC0, Bytes(42, 1)), {0x68, 0x01, 0x05, 0x06, 0x16}},
        {At(WriteBlock, 0x0100, Bytes(16, 0)), {0x68, 0x01, 0x12, 0x13, 0x16}},
        {BuildFrame(CheckBlank), {0x68, 0x01, 0x04, 0x05, 0x16}},
        {BuildFrame(FinishDownload),
         BuildFrame(Downloaded, Bytes{0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        {BuildFrame(ProgramChip), kDone},
        {BuildFrame(0x99), kRejected},
        {At(Hello, 0), kRejected},
        {At(WriteBlock, 0x0100, Bytes(15, 0)), kRejected},
        {At(ReadBlock, 0x0100, Bytes(1, 0)), kRejected},
        {At(LoadChipData2, 0x7DC0, Bytes(43, 0)), kRejected},
        {BuildFrame(LoadChipData, Bytes{0x7D}), kRejected},
        {{0x68, 0x01, 0xE1, 0xE3, 0x16}, kChecksumError},
    };
    for (const auto& [command, reply] : cases) {
        WriterModel model;
        EXPECT_EQ(Answer(model, command), reply) << int(command[2]);
    }
    WriterConfig config;
    config.version = ParseWriterVersion("3.14 2024.12.31");
    WriterModel model(config);
    EXPECT_EQ(Answer(model, BuildFrame(GetVersion)),
              (Bytes{0x68, 0x06, 0x46, 3, 14, 24, 12, 31, 0xA0, 0x16}));
}

TEST(WriterModel, FramesAreFoundInAnySplitAndInNoise)
{
    Bytes stream = BuildFrame(Hello);
    const Bytes read{0x68, 0x03, 0x38, 0x01, 0x20, 0x5C, 0x16};
    stream.insert(stream.end(), read.begin(), read.end());
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        WriterModel model;
        auto replies = model.Feed(std::span(stream).first(cut));
        const auto rest = model.Feed(std::span(stream).subspan(cut));
        replies.insert(replies.end(), rest.begin(), rest.end());
        ASSERT_EQ(replies.size(), 2u) << cut;
        EXPECT_EQ(replies[0].bytes, kHelloAck);
        EXPECT_EQ(replies[1].command, read);
        EXPECT_EQ(replies[1].commandNumber, 2u);
    }
    // Noise before a Hello: each must leave exactly that Hello to answer.
    const Bytes noises[] = {{0x00, 0xFF, 0x16},
                            {0x68, 0x00},
                            {0x68, 0x02, 0x11},
                            {0x68, 0x01, 0xE1, 0xE2, 0x17},
                            {0x68, 0x01}};
    for (Bytes noise : noises) {
        noise.insert(noise.end(), stream.begin(), stream.begin() + 5);
        WriterModel model;
        const auto replies = model.Feed(noise);
        ASSERT_EQ(replies.size(), 1u) << noise.size();
        EXPECT_EQ(replies[0].bytes, kHelloAck);
    }
    WriterModel model;
    EXPECT_TRUE(model.Feed(Bytes{0x68, 0x13, 0x11, 0x00}).empty());
    model.DropPartialFrame();
    EXPECT_EQ(Answer(model, BuildFrame(Hello)), kHelloAck);
    EXPECT_EQ(Answer(model, BuildFrame(0x77, Bytes(254, 0xAB))), kRejected); // L = 255
    EXPECT_EQ(Answer(model, BuildFrame(Hello)), kHelloAck);
}

TEST(WriterModel, StoresBlocksReadsTheChipAndWrapsAddresses)
{
    WriterModel model;
    Bytes data(16);
    std::iota(data.begin(), data.end(), 0x40);
    Answer(model, At(WriteBlock, 0xFFF8, data));
    EXPECT_EQ(model.Memory()[0xFFFF], 0x47);
    EXPECT_EQ(model.Memory()[0x0007], 0x4F);
    EXPECT_EQ(model.Memory()[0x0008], 0xFF);

    model.Chip()[0x0000] = 0x12;
    Bytes expected(32, 0xFF);
    expected[1] = 0x12; // 0xFFFF, then 0x0000: the chip, not the stored image
    EXPECT_EQ(Answer(model, At(ReadBlock, 0xFFFF)), BuildFrame(BlockData, expected));
}

TEST(WriterModel, FinishDownloadSumsTheStoredAreaAndReportsTheSecondOptionCopy)
{
    struct Case {
        std::uint16_t end, options, descriptor;
    };
    // The last two: the program area covers another option base, or the first descriptor.
    for (const Case c : {Case{0x07FF, 0x2100, 0x7D00}, Case{0x0FFF, 0x4100, 0x7D00},
                         Case{0x4FFF, 0x2100, 0x7D00}, Case{0x7FFF, 0x8100, 0x8D00}}) {
        WriterModel model;
        Download d;
        d.end = c.end, d.options = c.options, d.descriptor = c.descriptor;
        for (unsigned a = 0; a <= c.end; ++a)
            d.image[a] = static_cast<std::uint8_t>(a * 7 + 3);
        for (int i = 0; i < 4; ++i) {
            d.image[c.options + i] = 0x00;
            d.image[c.options + 0x20 + i] = static_cast<std::uint8_t>(0xA0 + i);
        }
        d.SendTo(model);
        const unsigned sum = std::accumulate(d.image.begin(), d.image.begin() + c.end + 1, 0u);
        EXPECT_EQ(Answer(model, BuildFrame(FinishDownload)),
                  BuildFrame(Downloaded, Bytes{std::uint8_t(sum >> 8), std::uint8_t(sum), 0xA0,
                                               0xA1, 0xA2, 0xA3}))
            << c.end;
    }
}

TEST(WriterModel, BlankCheckReportsTheFirstNonBlankAddressOfTheGivenDescriptor)
{
    struct Case {
        SocketChip chip;
        std::uint16_t dirtyAt; // 0: none
        Bytes reply;
    };
    const Case cases[] = {
        {SocketChip::Blank, 0, {0x68, 0x01, 0x04, 0x05, 0x16}},
        {SocketChip::Blank, 0x0523, AddressFailure(0x0523, 0xFF, 0x5A)},
        {SocketChip::Blank, 0x0800, {0x68, 0x01, 0x04, 0x05, 0x16}},
        {SocketChip::Programmed, 0, AddressFailure(0x0000, 0xFF, 0xA5)},
        {SocketChip::None, 0, kPinFailure},
    };
    for (const Case& c : cases) {
        WriterConfig config;
        config.chip = c.chip;
        WriterModel model(config);
        Download d; // the download's descriptor at 0x7D00 names a smaller area than the one sent
        d.end = 0x00FF;
        d.SendTo(model);
        if (c.dirtyAt)
            model.Chip()[c.dirtyAt] = 0x5A;
        Bytes descriptor(32, 0xFF);
        descriptor[4] = 0x00, descriptor[5] = 0x00, descriptor[6] = 0x07, descriptor[7] = 0xFF;
        Answer(model, At(LoadChipData, 0x8D00, descriptor));
        EXPECT_EQ(Answer(model, BuildFrame(CheckBlank)), c.reply) << c.dirtyAt;
    }
}

TEST(WriterModel, ProgrammingOnlyClearsBitsAndRefusesAChipThatCannotTakeTheImage)
{
    WriterModel model;
    Download d;
    d.end = 0x00FF;
    d.image[0x0010] = 0x3C;
    d.image[0x2100] = 0x11; // first option copy: not programmed
    d.image[0x213F] = 0x33;
    d.SendTo(model);
    EXPECT_EQ(Answer(model, BuildFrame(ProgramChip)), kDone);
    EXPECT_EQ(Answer(model, BuildFrame(ProgramChip)), kDone); // same image: nothing to raise
    EXPECT_EQ((Bytes{model.Chip()[0x0010], model.Chip()[0x2100], model.Chip()[0x213F]}),
              (Bytes{0x3C, 0xFF, 0x33}));

    // Lowest address needing a 0 bit back at 1, with the Writer's byte and the chip's byte; the
    // chip is left untouched.
    d.image[0x0010] = 0x0C;
    d.image[0x0080] = 0xC3;
    d.SendTo(model);
    model.Chip()[0x0080] = 0x81;
    EXPECT_EQ(Answer(model, BuildFrame(ProgramChip)), AddressFailure(0x0080, 0xC3, 0x81));
    EXPECT_EQ(model.Chip()[0x0010], 0x3C);
    EXPECT_EQ(model.ChipsProgrammed(), 2u);

    model.InsertChip(SocketChip::Programmed);
    EXPECT_EQ(Answer(model, BuildFrame(ProgramChip)), AddressFailure(0x0000, 0xFF, 0xA5));
    model.InsertChip(SocketChip::None);
    EXPECT_EQ(Answer(model, BuildFrame(ProgramChip)), kPinFailure);
    EXPECT_EQ(Answer(model, At(ReadBlock, 0)), kPinFailure);
}

TEST(WriterModel, RollingCodeIsWrittenSteppedWrappedAndLimited)
{
    WriterModel model;
    Download d;
    // Two bytes, least significant at 0x0101; 0x00FE, step 1, max 0x00FF, three chips.
    d.RollingCode(2, {0x0101, 0x0100, 0x0000, 0x0000}, 0x00FE, 1, 3, 0x00FF);
    d.image[0x0100] = 0x77; // the code replaces the image's byte there
    d.SendTo(model);
    for (std::uint8_t low : {0xFE, 0xFF, 0xFE}) {
        model.InsertChip(SocketChip::Blank);
        ASSERT_EQ(Answer(model, BuildFrame(ProgramChip)), kDone);
        EXPECT_EQ((Bytes{model.Chip()[0x0100], model.Chip()[0x0101], model.Chip()[0x0000]}),
                  (Bytes{0x00, low, 0xFF}));
    }
    model.InsertChip(SocketChip::Blank);
    EXPECT_EQ(Answer(model, BuildFrame(ProgramChip)),
              BuildFrame(Failure, Bytes{WriterModel::kLimitReachedKind}));
    EXPECT_EQ(model.Chip()[0x0101], 0xFF);
    EXPECT_EQ(model.ChipsProgrammed(), 3u);
    d.SendTo(model); // a new download starts the count again
    EXPECT_EQ(Answer(model, BuildFrame(ProgramChip)), kDone);

    // Near the top of 32 bits the code wraps to its initial value instead of overflowing; a chip
    // whose byte cannot take the code fails at the code's address; state 0xFF switches it off.
    d.RollingCode(4, {0x0203, 0x0202, 0x0201, 0x0200}, 0xFFFFFFF0, 0x20, 10, 0xFFFFFFFF);
    d.SendTo(model);
    for (int chip = 0; chip < 2; ++chip) {
        model.InsertChip(SocketChip::Blank);
        ASSERT_EQ(Answer(model, BuildFrame(ProgramChip)), kDone);
        EXPECT_EQ((Bytes(&model.Chip()[0x200], &model.Chip()[0x204])),
                  (Bytes{0xFF, 0xFF, 0xFF, 0xF0}));
    }
    model.InsertChip(SocketChip::Blank);
    model.Chip()[0x0203] = 0x07;
    EXPECT_EQ(Answer(model, BuildFrame(ProgramChip)), AddressFailure(0x0203, 0xF0, 0x07));
    d.image[0x7DC0] = 0xFF;
    d.SendTo(model);
    model.InsertChip(SocketChip::Blank);
    ASSERT_EQ(Answer(model, BuildFrame(ProgramChip)), kDone);
    EXPECT_EQ(model.Chip()[0x0203], 0xFF);
}

TEST(WriterModel, FreshChipAfterEachGoodOneMakesAProductionRun)
{
    WriterConfig config;
    config.freshChipAfterProgram = true;
    WriterModel model(config);
    Download d;
    std::fill(d.image.begin(), d.image.begin() + 0x800, 0x00);
    d.SendTo(model);
    for (int chip = 0; chip < 3; ++chip)
        EXPECT_EQ(Answer(model, BuildFrame(ProgramChip)), kDone) << chip;
    EXPECT_EQ(model.ChipsProgrammed(), 3u);
    EXPECT_EQ(model.Chip()[0x0000], 0xFF);
}

TEST(WriterModel, FaultsShapeTheReplyOfTheirCommandOnly)
{
    struct Case {
        const char* text;
        Bytes reply;
        std::size_t splitAfter;
        bool hangUp;
    };
    const Case cases[] = {
        {"no-reply@2", {}, 0, false},
        {"split@2", kVersion, 5, false},
        {"pin@2", kPinFailure, 0, false},
        {"not-blank@2", AddressFailure(0x0000, 0xFF, 0x00), 0, false},
        {"kind5@2", kChecksumError, 0, false},
        {"kind1@2", kRejected, 0, false},
        {"hang-up@2", Bytes(kVersion.begin(), kVersion.begin() + 5), 0, true},
    };
    for (const Case& c : cases) {
        WriterConfig config;
        config.faults.push_back(ParseWriterFault(c.text));
        WriterModel model(config);
        EXPECT_EQ(Answer(model, BuildFrame(GetVersion)), kVersion) << c.text;
        const WriterReply reply = model.Feed(BuildFrame(GetVersion)).at(0);
        EXPECT_EQ(reply.bytes, c.reply) << c.text;
        EXPECT_EQ(reply.splitAfter, c.splitAfter) << c.text;
        EXPECT_GT(reply.splitPause, std::chrono::milliseconds(4));
        EXPECT_EQ(reply.hangUp, c.hangUp) << c.text;
        EXPECT_EQ(Answer(model, BuildFrame(GetVersion)), kVersion) << c.text;
    }
}

TEST(WriterModel, CodeTriggeredFaultsGarbageOversizeAndWhatTheWorkBecomes)
{
    WriterConfig config;
    for (const char* f : {"garbage@code=E1", "oversize@code=38", "kind1@code=11", "no-reply@5"})
        config.faults.push_back(ParseWriterFault(f));
    WriterModel model(config);
    for (int i = 0; i < 3; ++i) {
        const Bytes garbage = Answer(model, BuildFrame(Hello));
        ASSERT_GE(garbage.size(), 8u);
        EXPECT_NE(garbage[0], kFrameStart);
    }
    model.Chip()[0x0040] = 0x3D;
    const Bytes big = Answer(model, At(ReadBlock, 0x0040));
    ASSERT_GT(big.size(), 100u);
    EXPECT_EQ((Bytes{big[1], big[2], big[3], big.back()}),
              (Bytes{std::uint8_t(big.size() - 4), BlockData, 0x3D, 0x16}));
    // A lost reply keeps the work done; a failure reply means it was not done.
    EXPECT_TRUE(Answer(model, At(LoadChipData2, 0x7DC0, Bytes(42, 0x02))).empty());
    EXPECT_EQ(model.Memory()[0x7DC0], 0x02);
    EXPECT_EQ(Answer(model, At(WriteBlock, 0x0000, Bytes(16, 0x01))), kRejected);
    EXPECT_EQ(model.Memory()[0x0000], 0xFF);

    for (const char* bad :
         {"no-reply", "no-reply@0", "nope@3", "pin@code=100", "pin@code=0x05", "pin@3x"})
        EXPECT_THROW(ParseWriterFault(bad), std::invalid_argument) << bad;
    for (const char* bad :
         {"1.2", "1.2 2011.5", "1.2 1999.5.17", "256.0 2011.5.17", "1.2 2011.5.17.1"})
        EXPECT_THROW(ParseWriterVersion(bad), std::invalid_argument) << bad;
    EXPECT_THROW(ParseSimOptions({"--reply-delay", "1s"}), std::invalid_argument);
    EXPECT_THROW(ParseSimOptions({"--chip"}), std::invalid_argument);
}

} // namespace
} // namespace orvane
