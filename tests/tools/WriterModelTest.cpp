#include "tools/writer-sim/WriterModel.h"
#include "writer/Frame.h"

#include <gtest/gtest.h>

#include <numeric>

namespace orvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Command(std::uint8_t code, Bytes params = {})
{
    return BuildFrame(code, params);
}

Bytes AddressCommand(std::uint8_t code, std::uint16_t address, Bytes data = {})
{
    Bytes params{static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    params.insert(params.end(), data.begin(), data.end());
    return BuildFrame(code, params);
}

// Sends one frame and returns the single reply it earns.
WriterReply Exchange(WriterModel& model, const Bytes& frame)
{
    auto replies = model.Feed(frame);
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? WriterReply{} : replies.front();
}

Bytes Answer(WriterModel& model, const Bytes& frame)
{
    return Exchange(model, frame).bytes;
}

// A host image with a descriptor at `descriptor` naming the program area [start, end], and the
// download of it as the host sends it: program area, both option copies, the chip-data area.
struct Download {
    Bytes image = Bytes(0x10000, 0xFF);
    std::uint16_t start = 0, end = 0x7FF, options = 0x2100, descriptor = 0x7D00;

    void SetBounds()
    {
        image[descriptor + 4] = static_cast<std::uint8_t>(start >> 8);
        image[descriptor + 5] = static_cast<std::uint8_t>(start);
        image[descriptor + 6] = static_cast<std::uint8_t>(end >> 8);
        image[descriptor + 7] = static_cast<std::uint8_t>(end);
    }

    void SendTo(WriterModel& model)
    {
        SetBounds();
        const auto rows = [&](std::uint32_t first, std::uint32_t last) {
            for (std::uint32_t a = first; a <= last; a += 16) {
                Bytes data(image.begin() + a, image.begin() + a + 16);
                ASSERT_EQ(Answer(model, AddressCommand(WriteBlock, static_cast<std::uint16_t>(a), data)),
                          (Bytes{0x68, 0x01, 0x12, 0x13, 0x16}));
            }
        };
        rows(start, end);
        rows(options, options + 0x3F);
        rows(descriptor, descriptor + 0x2FF);
    }

    // Rolling code enabled: length, byte addresses (least significant first), initial value,
    // step, limit, max, laid out as the host's rolling-code dialog writes them.
    void EnableRollingCode(std::uint8_t length, std::array<std::uint16_t, 4> addr,
                           std::uint32_t initial, std::uint8_t step, std::uint32_t limit,
                           std::uint32_t max)
    {
        const std::size_t rc = descriptor + 0xC0u;
        const auto put32 = [&](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                image[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
        };
        std::fill(image.begin() + rc, image.begin() + rc + 64, 0x00);
        image[rc] = 0x0A;
        image[rc + 1] = length;
        for (int i = 0; i < 4; ++i) {
            image[rc + 2 + 2 * i] = static_cast<std::uint8_t>(addr[i] >> 8);
            image[rc + 3 + 2 * i] = static_cast<std::uint8_t>(addr[i]);
        }
        put32(rc + 10, initial);
        image[rc + 14] = step;
        put32(rc + 15, limit);
        put32(rc + 23, initial);
        put32(rc + 27, max);
    }
};

const Bytes kDone{0x68, 0x01, 0x02, 0x03, 0x16};
const Bytes kRejected{0x68, 0x02, 0xF2, 0x01, 0xF5, 0x16};
const Bytes kChecksumError{0x68, 0x02, 0xF2, 0x05, 0xF9, 0x16};
const Bytes kPinFailure{0x68, 0x06, 0xF2, 0x03, 0x7D, 0x00, 0x00, 0x00, 0x78, 0x16};

TEST(WriterModelReplies, EveryCommandAndMisfit)
{
    struct Case {
        const char* what;
        Bytes command;
        Bytes reply;
    };
    const Case cases[] = {
        {"Hello", Command(Hello), {0x68, 0x01, 0xE2, 0xE3, 0x16}},
        {"GetVersion", Command(GetVersion), {0x68, 0x06, 0x46, 0x01, 0x02, 0x0B, 0x05, 0x11, 0x70, 0x16}},
        {"StartDownload", Command(StartDownload), {0x68, 0x01, 0x08, 0x09, 0x16}},
        {"StartRead", Command(StartRead), {0x68, 0x01, 0x38, 0x39, 0x16}},
        {"FinishRead", Command(FinishRead), {0x68, 0x01, 0x41, 0x42, 0x16}},
        {"LoadChipData 35", AddressCommand(LoadChipData, 0x7D00, Bytes(32, 0x11)), {0x68, 0x01, 0x22, 0x23, 0x16}},
        {"LoadChipData 55", AddressCommand(LoadChipData, 0x8D00, Bytes(52, 0x11)), {0x68, 0x01, 0x22, 0x23, 0x16}},
        {"LoadChipData2", AddressCommand(LoadChipData2, 0x7DC0, Bytes(42, 0xFF)), {0x68, 0x01, 0x05, 0x06, 0x16}},
        {"WriteBlock", AddressCommand(WriteBlock, 0x0100, Bytes(16, 0x00)), {0x68, 0x01, 0x12, 0x13, 0x16}},
        {"CheckBlank on a blank chip", Command(CheckBlank), {0x68, 0x01, 0x04, 0x05, 0x16}},
        {"ProgramChip", Command(ProgramChip), kDone},
        {"unknown code", Command(0x99), kRejected},
        {"Hello with parameters", AddressCommand(Hello, 0x0000), kRejected},
        {"WriteBlock short of data", AddressCommand(WriteBlock, 0x0100, Bytes(15, 0x00)), kRejected},
        {"ReadBlock with data", AddressCommand(ReadBlock, 0x0100, Bytes(1, 0x00)), kRejected},
        {"LoadChipData2 of 43 bytes", AddressCommand(LoadChipData2, 0x7DC0, Bytes(43, 0)), kRejected},
        {"LoadChipData without address", Command(LoadChipData, {0x7D}), kRejected},
        {"bad checksum", {0x68, 0x01, 0xE1, 0xE3, 0x16}, kChecksumError},
    };
    for (const Case& c : cases) {
        WriterModel model;
        EXPECT_EQ(Answer(model, c.command), c.reply) << c.what;
    }
}

TEST(WriterModelReplies, ConfiguredVersion)
{
    WriterConfig config;
    config.version = {3, 14, 24, 12, 31};
    WriterModel model(config);
    EXPECT_EQ(Answer(model, Command(GetVersion)),
              (Bytes{0x68, 0x06, 0x46, 0x03, 0x0E, 0x18, 0x0C, 0x1F, 0xA0, 0x16}));
}

TEST(WriterModelParser, AnySplitOfTheStreamGivesTheSameReplies)
{
    Bytes stream = Command(Hello);
    const Bytes read = AddressCommand(ReadBlock, 0x0120);
    ASSERT_EQ(read, (Bytes{0x68, 0x03, 0x38, 0x01, 0x20, 0x5C, 0x16}));
    stream.insert(stream.end(), read.begin(), read.end());
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        WriterModel model;
        auto first = model.Feed(std::span(stream).first(cut));
        const auto second = model.Feed(std::span(stream).subspan(cut));
        first.insert(first.end(), second.begin(), second.end());
        ASSERT_EQ(first.size(), 2u) << "cut " << cut;
        EXPECT_EQ(first[0].bytes, (Bytes{0x68, 0x01, 0xE2, 0xE3, 0x16}));
        EXPECT_EQ(first[1].command, read);
        EXPECT_EQ(first[1].commandNumber, 2u);
        EXPECT_EQ(first[1].bytes.size(), 37u);
    }
    WriterModel model;
    std::vector<WriterReply> replies;
    for (std::uint8_t b : stream) {
        auto got = model.Feed(std::span(&b, 1));
        replies.insert(replies.end(), got.begin(), got.end());
    }
    EXPECT_EQ(replies.size(), 2u);
}

TEST(WriterModelParser, FindsFramesInNoise)
{
    struct Case {
        const char* what;
        Bytes stream;
        std::size_t frames;
    };
    const Bytes hello = Command(Hello);
    const auto with = [&](Bytes noise) {
        noise.insert(noise.end(), hello.begin(), hello.end());
        return noise;
    };
    const Case cases[] = {
        {"leading garbage", with({0x00, 0xFF, 0x16, 0x01}), 1},
        {"a start byte with L = 0", with({0x68, 0x00}), 1},
        {"a false start swallowing the real one", with({0x68, 0x02, 0x11}), 1},
        {"a frame whose end byte is wrong", with({0x68, 0x01, 0xE1, 0xE2, 0x17}), 1},
        {"two frames back to back", with(hello), 2},
        {"only noise", {0x16, 0x16, 0x00}, 0},
    };
    for (const Case& c : cases) {
        WriterModel model;
        const auto replies = model.Feed(c.stream);
        ASSERT_EQ(replies.size(), c.frames) << c.what;
        if (!replies.empty()) {
            EXPECT_EQ(replies.back().bytes, (Bytes{0x68, 0x01, 0xE2, 0xE3, 0x16})) << c.what;
        }
    }
}

TEST(WriterModelParser, DroppedPartialFrameIsForgotten)
{
    WriterModel model;
    const Bytes head{0x68, 0x13, 0x11, 0x00};
    EXPECT_TRUE(model.Feed(head).empty());
    model.DropPartialFrame();
    EXPECT_EQ(Answer(model, Command(Hello)), (Bytes{0x68, 0x01, 0xE2, 0xE3, 0x16}));
}

TEST(WriterModelParser, LongestFrameAndHostileLengths)
{
    WriterModel model;
    // L = 255 of an unknown code: read whole, answered as rejected, then back in step.
    Bytes big = Command(0x77, Bytes(254, 0xAB));
    ASSERT_EQ(big.size(), 259u);
    EXPECT_EQ(Answer(model, big), kRejected);
    EXPECT_EQ(Answer(model, Command(Hello)), (Bytes{0x68, 0x01, 0xE2, 0xE3, 0x16}));
    EXPECT_EQ(model.CommandCount(), 2u);
}

TEST(WriterModelMemory, BlocksAreStoredAndChipBytesAreRead)
{
    WriterModel model;
    Bytes data(16);
    std::iota(data.begin(), data.end(), 0x40);
    Answer(model, AddressCommand(WriteBlock, 0x1230, data));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), model.Memory().begin() + 0x1230));
    EXPECT_EQ(model.Memory()[0x122F], 0xFF);
    EXPECT_EQ(model.Memory()[0x1240], 0xFF);

    // ReadBlock answers from the chip, not from the stored image.
    model.Chip()[0x1230] = 0x5A;
    const Bytes reply = Answer(model, AddressCommand(ReadBlock, 0x1230));
    ASSERT_EQ(reply.size(), 37u);
    EXPECT_EQ((Bytes(reply.begin(), reply.begin() + 4)), (Bytes{0x68, 0x21, 0x39, 0x5A}));
    EXPECT_EQ(reply[4], 0xFF);
    EXPECT_EQ(reply[35], FrameChecksum(BlockData, std::span(reply).subspan(3, 32)));
    EXPECT_EQ(reply[36], 0x16);
}

TEST(WriterModelMemory, AddressesWrapInsteadOfOverrunning)
{
    WriterModel model;
    Answer(model, AddressCommand(WriteBlock, 0xFFF8, Bytes(16, 0x00)));
    EXPECT_EQ(model.Memory()[0xFFFF], 0x00);
    EXPECT_EQ(model.Memory()[0x0007], 0x00);
    EXPECT_EQ(model.Memory()[0x0008], 0xFF);
    model.Chip()[0x0000] = 0x12;
    const Bytes reply = Answer(model, AddressCommand(ReadBlock, 0xFFFF));
    EXPECT_EQ(reply[3], 0xFF); // 0xFFFF
    EXPECT_EQ(reply[4], 0x12); // then 0x0000
}

TEST(WriterModelDownload, FinishDownloadReportsStoredSumAndSecondOptionCopy)
{
    struct Case {
        const char* what;
        std::uint16_t end, options;
    };
    const Case cases[] = {
        {"common model", 0x07FF, 0x2100},
        {"options at 0x4100", 0x0FFF, 0x4100},
        {"options at 0x8100", 0x07FF, 0x8100},
        {"program area over another option base", 0x4FFF, 0x2100},
    };
    for (const Case& c : cases) {
        WriterModel model;
        Download d;
        d.end = c.end, d.options = c.options;
        for (std::uint32_t a = 0; a <= c.end; ++a)
            d.image[a] = static_cast<std::uint8_t>(a * 7 + 3);
        // The first option copy differs: the Writer reports the second.
        for (int i = 0; i < 4; ++i) {
            d.image[c.options + i] = 0x00;
            d.image[c.options + 0x20 + i] = static_cast<std::uint8_t>(0xA0 + i);
        }
        const unsigned sum = std::accumulate(d.image.begin(), d.image.begin() + c.end + 1, 0u);
        d.SendTo(model);
        EXPECT_EQ(model.OptionBase(), c.options) << c.what;
        const Bytes reply = Answer(model, Command(FinishDownload));
        EXPECT_EQ(reply, BuildFrame(Downloaded, Bytes{static_cast<std::uint8_t>(sum >> 8),
                                                      static_cast<std::uint8_t>(sum), 0xA0, 0xA1,
                                                      0xA2, 0xA3}))
            << c.what;
    }
}

TEST(WriterModelDownload, ProgramAreaOverTheFirstDescriptorUsesTheSecond)
{
    // The model whose program area covers 0x7D00 keeps its descriptor at 0x8D00: the bounds there
    // win although the program bytes at 0x7D04..0x7D07 look like bounds too.
    WriterModel model;
    Download d;
    d.end = 0x7FFF, d.options = 0x8100, d.descriptor = 0x8D00;
    std::fill(d.image.begin(), d.image.begin() + 0x8000, 0x01);
    d.image[0x7D04] = 0x00, d.image[0x7D05] = 0x00, d.image[0x7D06] = 0x00, d.image[0x7D07] = 0x00;
    d.SendTo(model);
    EXPECT_EQ(model.DescriptorBase(), 0x8D00);
    EXPECT_EQ(model.OptionBase(), 0x8100);
    EXPECT_EQ(Answer(model, Command(FinishDownload)),
              (BuildFrame(Downloaded, Bytes{0x7F, 0xFC, 0xFF, 0xFF, 0xFF, 0xFF})));
}

TEST(WriterModelDownload, EmptyProgramAreaSumsToZero)
{
    WriterModel model;
    Download d;
    d.start = 0x0800, d.end = 0x07FF;
    d.SetBounds();
    for (std::uint32_t a = 0x7D00; a < 0x8000; a += 16)
        Answer(model, AddressCommand(WriteBlock, static_cast<std::uint16_t>(a),
                                     Bytes(d.image.begin() + a, d.image.begin() + a + 16)));
    EXPECT_EQ(Answer(model, Command(FinishDownload)),
              (BuildFrame(Downloaded, Bytes{0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF})));
}

TEST(WriterModelChip, BlankCheckReportsTheFirstNonBlankAddress)
{
    struct Case {
        const char* what;
        SocketChip chip;
        std::uint16_t dirtyAt; // 0: none
        Bytes reply;
    };
    const Case cases[] = {
        {"blank", SocketChip::Blank, 0, {0x68, 0x01, 0x04, 0x05, 0x16}},
        {"one byte written", SocketChip::Blank, 0x0123, BuildFrame(Failure, Bytes{3, 0x01, 0x23, 0xFF, 0x5A})},
        {"byte outside the area ignored", SocketChip::Blank, 0x0800, {0x68, 0x01, 0x04, 0x05, 0x16}},
        {"programmed chip", SocketChip::Programmed, 0, BuildFrame(Failure, Bytes{3, 0x00, 0x00, 0xFF, 0xA5})},
        {"no chip", SocketChip::None, 0, kPinFailure},
    };
    for (const Case& c : cases) {
        WriterConfig config;
        config.chip = c.chip;
        WriterModel model(config);
        if (c.dirtyAt)
            model.Chip()[c.dirtyAt] = 0x5A;
        Bytes descriptor(32, 0xFF);
        descriptor[4] = 0x00, descriptor[5] = 0x00, descriptor[6] = 0x07, descriptor[7] = 0xFF;
        Answer(model, AddressCommand(LoadChipData, 0x7D00, descriptor));
        EXPECT_EQ(Answer(model, Command(CheckBlank)), c.reply) << c.what;
    }
}

TEST(WriterModelChip, BlankCheckUsesTheDescriptorItWasGiven)
{
    // The download placed the descriptor at 0x8D00; the blank check sends one at 0x7D00.
    WriterModel model;
    Download d;
    d.end = 0x00FF, d.options = 0x8100, d.descriptor = 0x8D00;
    d.SendTo(model);
    model.Chip()[0x0400] = 0x00;
    Bytes descriptor(32, 0xFF);
    descriptor[4] = 0x04, descriptor[5] = 0x00, descriptor[6] = 0x04, descriptor[7] = 0x0F;
    Answer(model, AddressCommand(LoadChipData, 0x7D00, descriptor));
    EXPECT_EQ(Answer(model, Command(CheckBlank)), BuildFrame(Failure, Bytes{3, 0x04, 0x00, 0xFF, 0x00}));
    EXPECT_EQ(model.DescriptorBase(), 0x8D00);
    EXPECT_EQ(Answer(model, Command(FinishDownload)),
              BuildFrame(Downloaded, Bytes{0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(WriterModelChip, ProgrammingWritesAreaAndOptionsOnlyClearingBits)
{
    WriterModel model;
    Download d;
    d.end = 0x00FF;
    d.image[0x0010] = 0x3C;
    d.image[0x2100] = 0x11; // first option copy: not programmed
    d.image[0x2120] = 0x22;
    d.image[0x213F] = 0x33;
    d.SendTo(model);
    EXPECT_EQ(Answer(model, Command(ProgramChip)), kDone);
    EXPECT_EQ(model.Chip()[0x0010], 0x3C);
    EXPECT_EQ(model.Chip()[0x2100], 0xFF);
    EXPECT_EQ(model.Chip()[0x2120], 0x22);
    EXPECT_EQ(model.Chip()[0x213F], 0x33);
    EXPECT_EQ(model.ChipsProgrammed(), 1u);
    // The same image again: nothing to raise, so the chip takes it.
    EXPECT_EQ(Answer(model, Command(ProgramChip)), kDone);

    // A new image needing a bit back at 1 is refused before the chip is touched, naming the
    // lowest such address, the Writer's byte and the chip's byte.
    d.image[0x0010] = 0x0C;
    d.image[0x0020] = 0x00;
    d.image[0x0080] = 0xC3;
    d.SendTo(model);
    model.Chip()[0x0080] = 0x81;
    EXPECT_EQ(Answer(model, Command(ProgramChip)), BuildFrame(Failure, Bytes{3, 0x00, 0x80, 0xC3, 0x81}));
    EXPECT_EQ(model.Chip()[0x0010], 0x3C);
    EXPECT_EQ(model.Chip()[0x0020], 0xFF);
    EXPECT_EQ(model.ChipsProgrammed(), 2u);
}

TEST(WriterModelChip, NoChipOrProgrammedChipFailsProgramming)
{
    WriterConfig none;
    none.chip = SocketChip::None;
    WriterModel empty(none);
    EXPECT_EQ(Answer(empty, Command(ProgramChip)), kPinFailure);
    EXPECT_EQ(Answer(empty, AddressCommand(ReadBlock, 0x0000)), kPinFailure);

    WriterConfig used;
    used.chip = SocketChip::Programmed;
    WriterModel model(used);
    Download d;
    d.image[0x0000] = 0xFF;
    d.SendTo(model);
    EXPECT_EQ(Answer(model, Command(ProgramChip)), BuildFrame(Failure, Bytes{3, 0x00, 0x00, 0xFF, 0xA5}));
}

TEST(WriterModelChip, FreshChipMakesAProductionRun)
{
    WriterConfig config;
    config.freshChipAfterProgram = true;
    WriterModel model(config);
    Download d;
    std::fill(d.image.begin(), d.image.begin() + 0x800, 0x00);
    d.SendTo(model);
    for (int chip = 0; chip < 3; ++chip)
        EXPECT_EQ(Answer(model, Command(ProgramChip)), kDone) << chip;
    EXPECT_EQ(model.ChipsProgrammed(), 3u);
    EXPECT_EQ(model.Chip()[0x0000], 0xFF);
}

TEST(WriterModelRollingCode, WrittenIntoEachChipSteppedWrappedAndLimited)
{
    WriterModel model;
    Download d;
    // Two bytes, least significant at 0x0101, most at 0x0100; 0x00FE, step 1, max 0x00FF, 3 chips.
    d.EnableRollingCode(2, {0x0101, 0x0100, 0x0000, 0x0000}, 0x00FE, 1, 3, 0x00FF);
    d.image[0x0100] = 0x77; // the code replaces the image's bytes there
    d.SendTo(model);
    const std::pair<std::uint8_t, std::uint8_t> expected[] = {{0x00, 0xFE}, {0x00, 0xFF}, {0x00, 0xFE}};
    for (const auto& [high, low] : expected) {
        model.InsertChip(SocketChip::Blank);
        ASSERT_EQ(Answer(model, Command(ProgramChip)), kDone);
        EXPECT_EQ(model.Chip()[0x0100], high);
        EXPECT_EQ(model.Chip()[0x0101], low);
        EXPECT_EQ(model.Chip()[0x0000], 0xFF); // byte 2's address is unused at length 2
    }
    model.InsertChip(SocketChip::Blank);
    EXPECT_EQ(Answer(model, Command(ProgramChip)), BuildFrame(Failure, Bytes{WriterModel::kLimitReachedKind}));
    EXPECT_EQ(model.Chip()[0x0100], 0xFF);
    EXPECT_EQ(model.ChipsProgrammed(), 3u);

    // A new download starts the count and the code again.
    d.SendTo(model);
    EXPECT_EQ(Answer(model, Command(ProgramChip)), kDone);
    EXPECT_EQ(model.Chip()[0x0101], 0xFE);
}

TEST(WriterModelRollingCode, FourBytesStepAndDisabledBlock)
{
    WriterModel model;
    Download d;
    d.EnableRollingCode(4, {0x0203, 0x0202, 0x0201, 0x0200}, 0x12345678, 0x10, 0xFFFFFFFF, 0xFFFFFFFF);
    d.SendTo(model);
    model.InsertChip(SocketChip::Blank);
    ASSERT_EQ(Answer(model, Command(ProgramChip)), kDone);
    model.InsertChip(SocketChip::Blank);
    ASSERT_EQ(Answer(model, Command(ProgramChip)), kDone);
    EXPECT_EQ((Bytes(model.Chip().begin() + 0x200, model.Chip().begin() + 0x204)),
              (Bytes{0x12, 0x34, 0x56, 0x88}));

    // A code near the top of 32 bits wraps to the initial value instead of overflowing.
    d.EnableRollingCode(1, {0x0300, 0, 0, 0}, 0xFFFFFFF0, 0x20, 10, 0xFFFFFFFF);
    d.SendTo(model);
    for (int chip = 0; chip < 2; ++chip) {
        model.InsertChip(SocketChip::Blank);
        ASSERT_EQ(Answer(model, Command(ProgramChip)), kDone);
        EXPECT_EQ(model.Chip()[0x0300], 0xF0) << chip;
    }

    // The state byte 0xFF switches it off: the addresses stay blank.
    d.image[0x7DC0] = 0xFF;
    d.SendTo(model);
    model.InsertChip(SocketChip::Blank);
    ASSERT_EQ(Answer(model, Command(ProgramChip)), kDone);
    EXPECT_EQ(model.Chip()[0x0300], 0xFF);
}

TEST(WriterModelRollingCode, CodeTheChipCannotTakeFailsAtItsAddress)
{
    WriterModel model;
    Download d;
    d.EnableRollingCode(1, {0x0400, 0, 0, 0}, 0x0F, 1, 100, 0xFF);
    d.SendTo(model);
    model.Chip()[0x0400] = 0x07;
    EXPECT_EQ(Answer(model, Command(ProgramChip)), BuildFrame(Failure, Bytes{3, 0x04, 0x00, 0x0F, 0x07}));
    EXPECT_EQ(model.ChipsProgrammed(), 0u);
}

TEST(WriterModelFaults, EachKindShapesTheReply)
{
    struct Case {
        const char* what;
        WriterFaultKind kind;
        Bytes reply;
        std::size_t splitAfter;
        bool hangUp;
    };
    const Bytes version{0x68, 0x06, 0x46, 0x01, 0x02, 0x0B, 0x05, 0x11, 0x70, 0x16};
    const Case cases[] = {
        {"no reply", WriterFaultKind::NoReply, {}, 0, false},
        {"split", WriterFaultKind::SplitReply, version, 5, false},
        {"pin", WriterFaultKind::PinFailure, kPinFailure, 0, false},
        {"not blank", WriterFaultKind::NotBlank, BuildFrame(Failure, Bytes{3, 0x00, 0x00, 0xFF, 0x00}), 0, false},
        {"kind 5", WriterFaultKind::ChecksumError, kChecksumError, 0, false},
        {"kind 1", WriterFaultKind::Rejected, kRejected, 0, false},
        {"hang-up", WriterFaultKind::HangUp, Bytes(version.begin(), version.begin() + 5), 0, true},
    };
    for (const Case& c : cases) {
        WriterConfig config;
        config.faults.push_back({c.kind, 2u, std::nullopt});
        WriterModel model(config);
        EXPECT_EQ(Answer(model, Command(GetVersion)), version) << c.what << ": first command untouched";
        const WriterReply reply = Exchange(model, Command(GetVersion));
        EXPECT_EQ(reply.bytes, c.reply) << c.what;
        EXPECT_EQ(reply.splitAfter, c.splitAfter) << c.what;
        EXPECT_GT(reply.splitPause, std::chrono::milliseconds(4)) << c.what;
        EXPECT_EQ(reply.hangUp, c.hangUp) << c.what;
        EXPECT_EQ(Answer(model, Command(GetVersion)), version) << c.what << ": third command untouched";
    }
}

TEST(WriterModelFaults, GarbageAndOversize)
{
    WriterConfig config;
    config.faults.push_back({WriterFaultKind::GarbageReply, std::nullopt, std::uint8_t{Hello}});
    config.faults.push_back({WriterFaultKind::OversizeReply, std::nullopt, std::uint8_t{ReadBlock}});
    WriterModel model(config);
    for (int i = 0; i < 50; ++i) {
        const Bytes garbage = Answer(model, Command(Hello));
        ASSERT_GE(garbage.size(), 8u);
        ASSERT_NE(garbage[0], kFrameStart);
    }
    model.Chip()[0x0040] = 0x3D;
    const Bytes big = Answer(model, AddressCommand(ReadBlock, 0x0040));
    ASSERT_GT(big.size(), 100u);
    EXPECT_EQ(big[1], big.size() - 4);
    EXPECT_EQ(big[2], BlockData);
    EXPECT_EQ(big[3], 0x3D);
    EXPECT_EQ(big.back(), kFrameEnd);
}

TEST(WriterModelFaults, FailureRepliesSkipTheWorkLostRepliesDoNot)
{
    WriterConfig config;
    config.faults.push_back({WriterFaultKind::Rejected, 1u, std::nullopt});
    config.faults.push_back({WriterFaultKind::NoReply, 2u, std::nullopt});
    WriterModel model(config);
    Answer(model, AddressCommand(WriteBlock, 0x0000, Bytes(16, 0x01)));
    EXPECT_EQ(model.Memory()[0x0000], 0xFF);
    EXPECT_TRUE(Answer(model, AddressCommand(WriteBlock, 0x0010, Bytes(16, 0x02))).empty());
    EXPECT_EQ(model.Memory()[0x0010], 0x02);
}

TEST(WriterModelFaults, CodeTriggerFiresOnEveryMatchAndCountsIncludeBadFrames)
{
    WriterConfig config;
    config.faults.push_back({WriterFaultKind::PinFailure, std::nullopt, std::uint8_t{ProgramChip}});
    config.faults.push_back({WriterFaultKind::NoReply, 3u, std::nullopt});
    WriterModel model(config);
    EXPECT_EQ(Answer(model, Command(ProgramChip)), kPinFailure);
    EXPECT_EQ(Answer(model, Bytes{0x68, 0x01, 0xE1, 0x00, 0x16}), kChecksumError);
    EXPECT_TRUE(Answer(model, Command(Hello)).empty());
    EXPECT_EQ(Answer(model, Command(ProgramChip)), kPinFailure);
    EXPECT_EQ(model.ChipsProgrammed(), 0u);
}

} // namespace
} // namespace orvane
