#include "tools/writer-sim/WriterModel.h"
#include "writer/Frame.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(std::string text) // pairs of hex digits; spaces only group them
{
    std::erase(text, ' ');
    Bytes bytes;
    for (std::size_t i = 0; i < text.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

Bytes At(std::uint8_t code, std::uint16_t address, Bytes data = {})
{
    data.insert(data.begin(), {std::uint8_t(address >> 8), std::uint8_t(address)});
    return BuildFrame(code, data);
}

Bytes Answer(WriterModel& model, const Bytes& frame) { return model.Feed(frame).at(0).bytes; }

void Put(WriterModel& model, std::uint16_t at, const char* hex) // into the downloaded image
{
    std::ranges::copy(Hex(hex), model.Memory().begin() + at);
}

const Bytes kHelloAck = Hex("6801E2E316"), kDone = Hex("6801020316"),
            kRejected = Hex("6802F201F516"), kPinFailure = Hex("6806F203 7D00 0000 7816"),
            kVersion = Hex("680646 01020B0511 7016"), kProgram = BuildFrame(ProgramChip);

TEST(WriterModel, EveryCommandAndMisfitGetsItsExactReply)
{
    const std::pair<Bytes, Bytes> cases[] = {
        {BuildFrame(Hello), kHelloAck}, {BuildFrame(GetVersion), kVersion},
        {BuildFrame(StartDownload), Hex("6801080916")}, {BuildFrame(StartRead), Hex("6801383916")},
        {BuildFrame(FinishRead), Hex("6801414216")}, {BuildFrame(CheckBlank), Hex("6801040516")},
        {BuildFrame(FinishDownload), Hex("680706 00FF FFFFFFFF 0816")}, {kProgram, kDone},
        {At(LoadChipData, 0x8D00, Bytes(52, 1)), Hex("6801222316")},
        {At(LoadChipData2, 0x7DC0, Bytes(42, 1)), Hex("6801050616")},
        {At(WriteBlock, 0x0100, Bytes(16, 0)), Hex("6801121316")},
        {BuildFrame(0x99), kRejected}, {At(WriteBlock, 0x0100, Bytes(15, 0)), kRejected},
        {BuildFrame(LoadChipData, Bytes{0x7D}), kRejected},
        {Hex("6801E1E316"), Hex("6802F205F916")}, // wrong checksum
    };
    for (const auto& [command, reply] : cases) {
        WriterModel model;
        EXPECT_EQ(Answer(model, command), reply) << int(command[2]);
    }
}

TEST(WriterModel, FramesAreFoundInAnySplitAndInNoise)
{
    for (const char* noise : {"", "00FF16", "6800", "680211", "6801E1E217", "6801"}) {
        const Bytes stream = Hex(noise + std::string("6801E1E216 6801E1E216"));
        for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
            WriterModel model;
            auto replies = model.Feed(std::span(stream).first(cut));
            for (const WriterReply& r : model.Feed(std::span(stream).subspan(cut)))
                replies.push_back(r);
            ASSERT_EQ(replies.size(), 2u) << noise << " cut " << cut;
            EXPECT_EQ(replies[1].commandNumber, 2u);
        }
    }
    WriterModel model;
    EXPECT_TRUE(model.Feed(Hex("68131100")).empty());
    model.DropPartialFrame();
    EXPECT_EQ(Answer(model, BuildFrame(Hello)), kHelloAck);
    EXPECT_EQ(Answer(model, BuildFrame(0x77, Bytes(254, 0xAB))), kRejected); // L = 255
}

TEST(WriterModel, BlocksWrapAtTheTopOfTheAddressSpace)
{
    WriterModel model;
    Answer(model, At(WriteBlock, 0xFFF8, Hex("4041424344454647 48494A4B4C4D4E4F")));
    EXPECT_EQ((Bytes{model.Memory()[0xFFFF], model.Memory()[0], model.Memory()[8]}), Hex("4748FF"));
    model.Chip()[0x0000] = 0x12; // read from the chip, not from the stored image
    EXPECT_EQ(Answer(model, At(ReadBlock, 0xFFFF)),
              BuildFrame(BlockData, Hex("FF12" + std::string(60, 'F'))));
}

// FinishDownload sums the program area and reports the second option copy, at the bases the
// download used last; the blank check covers the area of the descriptor loaded with it.
TEST(WriterModel, FinishDownloadAndBlankCheckFollowTheirDescriptors)
{
    WriterModel model;
    Put(model, 0x0000, "102030F0");
    Put(model, 0x7D04, "0000 0002"); // program area [0, 2]
    Answer(model, At(WriteBlock, 0x4120, Bytes(16, 0x11))); // program data at another base
    Answer(model, At(WriteBlock, 0x2120, Hex("A0A1A2A3 0000000000000000 00000000")));
    EXPECT_EQ(Answer(model, BuildFrame(FinishDownload)), Hex("680706 0060 A0A1A2A3 F316"));
    Answer(model, At(WriteBlock, 0x8120, Hex("B0B1B2B3 0000000000000000 00000000")));
    Answer(model, At(WriteBlock, 0x8D00, Hex("FFFFFFFF 0000 0003 0000000000000000")));
    EXPECT_EQ(Answer(model, BuildFrame(FinishDownload)), Hex("680706 0150 B0B1B2B3 2416"));

    Answer(model, At(LoadChipData, 0x7D00, Hex("FFFFFFFF 0000 07FF")));
    model.Chip()[0x0800] = 0x00;
    EXPECT_EQ(Answer(model, BuildFrame(CheckBlank)), Hex("6801040516"));
    model.Chip()[0x0523] = 0x5A;
    EXPECT_EQ(Answer(model, BuildFrame(CheckBlank)), Hex("6806F203 0523 FF5A 7C16"));
    model.InsertChip(SocketChip::None);
    EXPECT_EQ(Answer(model, BuildFrame(CheckBlank)), kPinFailure);
}

TEST(WriterModel, ProgrammingOnlyClearsBitsAndRefusesAChipThatCannotTakeTheImage)
{
    WriterModel model;
    Put(model, 0x0010, "3C"), Put(model, 0x2100, "11"), Put(model, 0x213F, "33");
    Put(model, 0x7D04, "0000 00FF");
    EXPECT_EQ(Answer(model, kProgram), kDone);
    const auto& chip = model.Chip(); // the first option copy is not programmed
    EXPECT_EQ((Bytes{chip[0x0010], chip[0x2100], chip[0x213F]}), Hex("3CFF33"));

    // The address needing a bit back at 1, the Writer's byte and the chip's; nothing is written.
    Put(model, 0x0010, "0C"), Put(model, 0x0080, "C3");
    model.Chip()[0x0080] = 0x81;
    EXPECT_EQ(Answer(model, kProgram), Hex("6806F203 0080 C381 BF16"));
    EXPECT_EQ(chip[0x0010], 0x3C);
}

TEST(WriterModel, RollingCodeIsWrittenSteppedWrappedAndLimited)
{
    WriterModel model;
    const auto& chip = model.Chip();
    Put(model, 0x7D04, "0000 00FF");
    // State, length, addresses of bytes 0..3, initial, step, limit, count, current, max.
    Put(model, 0x7DC0, "0A02 0101 0100 0000 0000 000000FE 01 00000003 00000000 000000FE 000000FF");
    for (const char* code : {"00FEFF", "00FFFF", "00FEFF", "FFFFFF"}) { // then the limit
        model.InsertChip(SocketChip::Blank);
        EXPECT_EQ(Answer(model, kProgram), code[0] == '0' ? kDone : kRejected);
        EXPECT_EQ((Bytes{chip[0x0100], chip[0x0101], chip[0x0000]}), Hex(code));
    }

    // Near the top of 32 bits the code wraps to its initial value instead of overflowing.
    Put(model, 0x7DC0, "0A04 0203 0202 0201 0200 FFFFFFF0 20 0000000A 00000000 FFFFFFF0 FFFFFFFF");
    EXPECT_EQ(Answer(model, kProgram), kDone);
    EXPECT_EQ(Answer(model, kProgram), kDone); // the same code again, on the same chip
    EXPECT_EQ(Bytes(&chip[0x0200], &chip[0x0204]), Hex("FFFFFFF0"));
}

TEST(WriterModel, FaultsShapeTheReplyOfTheirCommandOnly)
{
    const std::tuple<const char*, Bytes, std::size_t, bool> cases[] = {
        {"no-reply@2", {}, 0, false}, {"split@2", kVersion, 5, false},
        {"pin@2", kPinFailure, 0, false}, {"not-blank@2", Hex("6806F203 0000 FF00 FA16"), 0, false},
        {"kind5@2", Hex("6802F205F916"), 0, false}, {"kind1@2", kRejected, 0, false},
        {"hang-up@2", Hex("680646 0102"), 0, true},
    };
    for (const auto& [text, bytes, splitAfter, hangUp] : cases) {
        WriterModel model({.faults = {ParseWriterFault(text)}});
        const auto r = model.Feed(Hex("6801454616 6801454616 6801454616"));
        EXPECT_EQ(std::tie(r.at(0).bytes, r.at(2).bytes, r[1].bytes, r[1].splitAfter, r[1].hangUp),
                  std::tie(kVersion, kVersion, bytes, splitAfter, hangUp)) << text;
    }
    WriterModel model({.faults = {ParseWriterFault("garbage@code=E1"),
                                  ParseWriterFault("oversize@code=38")}});
    EXPECT_NE(Answer(model, BuildFrame(Hello)).at(0), kFrameStart);
    const Bytes big = Answer(model, At(ReadBlock, 0x0040)); // past the host's 100-byte buffer
    ASSERT_EQ(big.size(), 121u);
    EXPECT_EQ((Bytes{big[1], big[2], big.back()}), Hex("7539 16"));

    // A lost reply keeps the work done; a failure reply means it was not done.
    WriterModel work({.faults = {ParseWriterFault("no-reply@1"), ParseWriterFault("kind1@2")}});
    EXPECT_TRUE(Answer(work, At(WriteBlock, 0x00, Bytes(16, 1))).empty());
    EXPECT_EQ(Answer(work, At(WriteBlock, 0x10, Bytes(16, 2))), kRejected);
    EXPECT_EQ((Bytes{work.Memory()[0x00], work.Memory()[0x10]}), Hex("01FF"));

    for (const char* bad : {"no-reply", "no-reply@0", "nope@3", "pin@code=100", "pin@3x"})
        EXPECT_THROW(ParseWriterFault(bad), std::invalid_argument) << bad;
}

} // namespace
} // namespace orvane
