#include "tools/writer-sim/WriterModel.h"

#include "writer/Frame.h"

#include <algorithm>
#include <map>

namespace orvane {

namespace {

constexpr std::uint8_t kRejectedKind = 1;
constexpr std::uint8_t kAddressKind = 3;
constexpr std::uint8_t kChecksumKind = 5;

// Rolling-code block, at descriptor base + 0xC0. The host writes zero at +19 and the initial value
// at +23; this Writer keeps its count of programmed chips and its current code there.
constexpr std::uint16_t kRollingBlockOffset = 0xC0;
constexpr std::uint8_t kRollingEnabled = 0x0A;
enum RollingField : std::size_t {
    RcState = 0,
    RcLength = 1,
    RcAddr0 = 2,
    RcInitial = 10,
    RcStep = 14,
    RcLimit = 15,
    RcCount = 19,
    RcCurrent = 23,
    RcMax = 27,
};

// The parameter count (L - 1) each command must carry; LoadChipData takes any data length.
struct CommandShape {
    std::uint8_t code;
    std::size_t params;
};
constexpr CommandShape kShapes[] = {
    {Hello, 0},          {GetVersion, 0}, {WriteBlock, 18},   {ReadBlock, 2},
    {LoadChipData2, 44}, {CheckBlank, 0}, {StartDownload, 0}, {FinishDownload, 0},
    {ProgramChip, 0},    {StartRead, 0},  {FinishRead, 0},
};

std::vector<std::uint8_t> Frame(std::uint8_t code, std::initializer_list<std::uint8_t> params = {})
{
    const std::vector<std::uint8_t> p(params);
    return BuildFrame(code, p);
}

std::vector<std::uint8_t> FailureFrame(std::uint8_t kind)
{
    return Frame(Failure, {kind});
}

std::vector<std::uint8_t> AddressFailure(std::uint16_t address, std::uint8_t stored,
                                         std::uint8_t chip)
{
    return Frame(Failure, {kAddressKind, static_cast<std::uint8_t>(address >> 8),
                           static_cast<std::uint8_t>(address), stored, chip});
}

std::uint16_t Word(const WriterModel::Buffer& mem, std::size_t at)
{
    return static_cast<std::uint16_t>(mem[at & 0xFFFF] << 8 | mem[(at + 1) & 0xFFFF]);
}

std::uint32_t Long(const WriterModel::Buffer& mem, std::size_t at)
{
    return static_cast<std::uint32_t>(Word(mem, at)) << 16 | Word(mem, at + 2);
}

void PutLong(WriterModel::Buffer& mem, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        mem[(at + i) & 0xFFFF] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// The program area [start, end] named by the descriptor at base; empty when end < start.
struct Area {
    std::uint32_t start;
    std::uint32_t end;
};

Area ProgramArea(const WriterModel::Buffer& mem, std::uint16_t base)
{
    return {Word(mem, base + 4u), Word(mem, base + 6u)};
}

bool Replaces(WriterFaultKind kind)
{
    switch (kind) {
    case WriterFaultKind::PinFailure:
    case WriterFaultKind::NotBlank:
    case WriterFaultKind::ChecksumError:
    case WriterFaultKind::Rejected:
        return true;
    default:
        return false;
    }
}

} // namespace

WriterModel::WriterModel(WriterConfig config)
    : config_(std::move(config)), garbage_(config_.garbageSeed)
{
    memory_.fill(0xFF);
    InsertChip(config_.chip);
    if (config_.chipContent)
        chip_ = *config_.chipContent;
}

void WriterModel::InsertChip(SocketChip chip)
{
    socket_ = chip;
    chip_.fill(0xFF);
    if (chip != SocketChip::Programmed)
        return;
    // A chip that carries an earlier program: every bit pattern occurs below the chip-data area.
    for (std::size_t a = 0; a < 0x7D00; ++a)
        chip_[a] = static_cast<std::uint8_t>(a ^ 0xA5);
}

void WriterModel::DropPartialFrame()
{
    pending_.clear();
}

std::vector<WriterReply> WriterModel::Feed(std::span<const std::uint8_t> bytes)
{
    std::vector<WriterReply> replies;
    std::vector<std::uint8_t> queue(bytes.begin(), bytes.end());
    std::size_t next = 0;
    while (next < queue.size()) {
        const std::uint8_t b = queue[next++];
        if (pending_.empty() && b != kFrameStart)
            continue;
        pending_.push_back(b);
        if (pending_.size() < 2)
            continue;
        const std::size_t length = pending_[1];
        const bool badLength = length == 0;
        if (!badLength && pending_.size() < length + 4)
            continue;
        if (badLength || pending_.back() != kFrameEnd) {
            // Not a frame after all: look for a start byte again right after this one.
            queue.insert(queue.begin() + static_cast<std::ptrdiff_t>(next), pending_.begin() + 1,
                         pending_.end());
            pending_.clear();
            continue;
        }
        replies.push_back(Answer(pending_));
        pending_.clear();
    }
    return replies;
}

WriterReply WriterModel::Answer(const std::vector<std::uint8_t>& frame)
{
    WriterReply reply;
    reply.commandNumber = ++commandCount_;
    reply.commandCode = frame[2];
    reply.command = frame;

    const std::span<const std::uint8_t> params(frame.data() + 3, frame.size() - 5);
    const WriterFault* fault = FaultFor(reply.commandNumber, reply.commandCode);
    if (fault && Replaces(fault->kind)) {
        ApplyFault(*fault, reply);
        return reply;
    }
    const bool sumOk = FrameChecksum(reply.commandCode, params) == frame[frame.size() - 2];
    reply.bytes = sumOk ? Execute(reply.commandCode, params) : FailureFrame(kChecksumKind);
    if (fault)
        ApplyFault(*fault, reply);
    return reply;
}

const WriterFault* WriterModel::FaultFor(unsigned number, std::uint8_t code) const
{
    for (const WriterFault& f : config_.faults) {
        if ((f.nth && *f.nth == number) || (f.code && *f.code == code))
            return &f;
    }
    return nullptr;
}

void WriterModel::ApplyFault(const WriterFault& fault, WriterReply& reply)
{
    auto& bytes = reply.bytes;
    switch (fault.kind) {
    case WriterFaultKind::NoReply:
        bytes.clear();
        break;
    case WriterFaultKind::SplitReply:
        reply.splitAfter = std::max<std::size_t>(1, bytes.size() / 2);
        break;
    case WriterFaultKind::GarbageReply: {
        std::uniform_int_distribution<int> length(8, 24);
        std::uniform_int_distribution<int> value(0, 255);
        bytes.resize(static_cast<std::size_t>(length(garbage_)));
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(value(garbage_));
        if (bytes[0] == kFrameStart)
            bytes[0] = 0x00;
        break;
    }
    case WriterFaultKind::OversizeReply: {
        // The reply's own code and payload, padded into one well-formed 121-byte frame.
        const std::uint8_t code = bytes.size() > 2 ? bytes[2] : std::uint8_t{Failure};
        std::vector<std::uint8_t> payload;
        if (bytes.size() > 5)
            payload.assign(bytes.begin() + 3, bytes.end() - 2);
        payload.resize(116, 0x00);
        bytes = BuildFrame(code, payload);
        break;
    }
    case WriterFaultKind::PinFailure:
        bytes = AddressFailure(kPinFailureAddress, 0x00, 0x00);
        break;
    case WriterFaultKind::NotBlank: {
        // An address the host reads as content, not as a pin: below 0x7D00.
        const std::uint32_t start = ProgramArea(memory_, descriptorBase_).start;
        bytes = AddressFailure(start < kPinFailureAddress ? static_cast<std::uint16_t>(start) : 0,
                               0xFF, 0x00);
        break;
    }
    case WriterFaultKind::ChecksumError:
        bytes = FailureFrame(kChecksumKind);
        break;
    case WriterFaultKind::Rejected:
        bytes = FailureFrame(kRejectedKind);
        break;
    case WriterFaultKind::HangUp:
        bytes.resize(bytes.size() / 2);
        reply.hangUp = true;
        break;
    }
}

std::vector<std::uint8_t> WriterModel::Execute(std::uint8_t code,
                                               std::span<const std::uint8_t> params)
{
    const auto shape = std::find_if(std::begin(kShapes), std::end(kShapes),
                                    [code](const CommandShape& s) { return s.code == code; });
    const bool known = shape != std::end(kShapes) || code == LoadChipData;
    const bool fits =
        code == LoadChipData ? params.size() >= 2 : known && shape->params == params.size();
    if (!fits)
        return FailureFrame(kRejectedKind);

    const auto address = params.size() >= 2 ? static_cast<std::uint16_t>(params[0] << 8 | params[1])
                                            : std::uint16_t{0};
    const bool chipAbsent = socket_ == SocketChip::None;
    switch (code) {
    case Hello:
        return Frame(HelloAck);
    case GetVersion:
        return BuildFrame(VersionInfo, config_.version);
    case WriteBlock:
        StoreBlock(address, params.subspan(2));
        return Frame(BlockAck);
    case ReadBlock: {
        if (chipAbsent)
            return AddressFailure(kPinFailureAddress, 0x00, 0x00);
        std::vector<std::uint8_t> data(32);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = chip_[(address + i) & 0xFFFF];
        return BuildFrame(BlockData, data);
    }
    case LoadChipData:
    case LoadChipData2:
        for (std::size_t i = 2; i < params.size(); ++i)
            memory_[(address + i - 2) & 0xFFFF] = params[i];
        if (code == LoadChipData)
            blankCheckBase_ = address;
        return Frame(static_cast<std::uint8_t>(code + 1));
    case CheckBlank:
        return CheckBlankNow();
    case FinishDownload:
        return FinishDownloadNow();
    case ProgramChip:
        return ProgramChipNow();
    default: // StartDownload, StartRead, FinishRead
        return Frame(static_cast<std::uint8_t>(code + 1));
    }
}

void WriterModel::StoreBlock(std::uint16_t address, std::span<const std::uint8_t> data)
{
    for (std::size_t i = 0; i < data.size(); ++i)
        memory_[(address + i) & 0xFFFF] = data[i];
    // The download sends the program area first, then the option copies, then the chip data, so
    // the last block seen at a candidate base tells which base this model uses.
    for (std::uint16_t base : {0x7D00, 0x8D00}) {
        if (address == base)
            descriptorBase_ = base;
    }
    for (std::uint16_t base : {0x2100, 0x4100, 0x8100}) {
        if (address == base + 0x20)
            optionBase_ = base;
    }
}

std::vector<std::uint8_t> WriterModel::CheckBlankNow() const
{
    if (socket_ == SocketChip::None)
        return AddressFailure(kPinFailureAddress, 0x00, 0x00);
    const Area area = ProgramArea(memory_, blankCheckBase_);
    for (std::uint32_t a = area.start; a <= area.end; ++a) {
        if (chip_[a] != 0xFF)
            return AddressFailure(static_cast<std::uint16_t>(a), 0xFF, chip_[a]);
    }
    return Frame(Blank);
}

std::vector<std::uint8_t> WriterModel::FinishDownloadNow() const
{
    const Area area = ProgramArea(memory_, descriptorBase_);
    std::uint16_t sum = 0;
    for (std::uint32_t a = area.start; a <= area.end; ++a)
        sum = static_cast<std::uint16_t>(sum + memory_[a]);
    const std::size_t options = optionBase_ + 0x20u;
    return Frame(Downloaded, {static_cast<std::uint8_t>(sum >> 8), static_cast<std::uint8_t>(sum),
                              memory_[options], memory_[options + 1], memory_[options + 2],
                              memory_[options + 3]});
}

std::vector<std::uint8_t> WriterModel::ProgramChipNow()
{
    if (socket_ == SocketChip::None)
        return AddressFailure(kPinFailureAddress, 0x00, 0x00);

    const std::size_t rc = descriptorBase_ + kRollingBlockOffset;
    const bool rolling = memory_[rc + RcState] == kRollingEnabled;
    if (rolling && Long(memory_, rc + RcCount) >= Long(memory_, rc + RcLimit))
        return FailureFrame(kLimitReachedKind);

    // What the chip must hold afterwards, by address: the program area, the second option copy,
    // and the current rolling code on top.
    std::map<std::uint16_t, std::uint8_t> target;
    const Area area = ProgramArea(memory_, descriptorBase_);
    for (std::uint32_t a = area.start; a <= area.end; ++a)
        target[static_cast<std::uint16_t>(a)] = memory_[a];
    for (std::uint16_t a = optionBase_ + 0x20; a < optionBase_ + 0x40; ++a)
        target[a] = memory_[a];
    const std::uint32_t code = Long(memory_, rc + RcCurrent);
    if (rolling) {
        const int length = std::clamp<int>(memory_[rc + RcLength], 1, 4);
        for (int i = 0; i < length; ++i)
            target[Word(memory_, rc + RcAddr0 + 2u * i)] =
                static_cast<std::uint8_t>(code >> (8 * i));
    }

    // An OTP cell only goes from 1 to 0: refuse the chip before touching it if any byte cannot
    // be reached, reporting the lowest such address, the wanted byte and the chip's byte.
    for (const auto& [a, want] : target) {
        if ((chip_[a] & want) != want)
            return AddressFailure(a, want, chip_[a]);
    }
    for (const auto& [a, want] : target)
        chip_[a] = want;

    ++chipsProgrammed_;
    if (rolling) {
        PutLong(memory_, rc + RcCount, Long(memory_, rc + RcCount) + 1);
        const std::uint64_t next = std::uint64_t{code} + memory_[rc + RcStep];
        PutLong(memory_, rc + RcCurrent,
                next > Long(memory_, rc + RcMax) ? Long(memory_, rc + RcInitial)
                                                 : static_cast<std::uint32_t>(next));
    }
    if (config_.freshChipAfterProgram)
        InsertChip(SocketChip::Blank);
    return Frame(Done);
}

} // namespace orvane
