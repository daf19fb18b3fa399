// A believable Writer as pure logic: it parses the bytes the host sends, keeps the Writer's
// 64 KiB buffer and the chip in its socket, and says for each complete command what to send back.
// It owns no port and no clock; the simulator executable (or a test) moves the bytes.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// What sits in the socket. A missing chip (or one with a bad contact) makes every command that
// touches the chip answer 0xF2 kind 3 at address 0x7D00, which the host reports as a pin failure.
enum class SocketChip { Blank, Programmed, None };

enum class WriterFaultKind {
    NoReply,       // the command takes effect but nothing is sent back
    SplitReply,    // the reply is sent in two pieces with a pause longer than the host's 4 ms gap
    GarbageReply,  // random bytes that do not form a frame
    OversizeReply, // one frame longer than the host's 100-byte receive buffer
    PinFailure,    // 0xF2 kind 3 at 0x7D00 instead of the work
    NotBlank,      // 0xF2 kind 3 at the program start (stored 0xFF, chip 0x00) instead of the work
    ChecksumError, // 0xF2 kind 5 instead of the work
    Rejected,      // 0xF2 kind 1 instead of the work
    HangUp,        // half of the reply, then the line is closed
};

// A fault fires on the command whose 1-based number (all frames since start) equals `nth`, or on
// every command with the code `code`.
struct WriterFault {
    WriterFaultKind kind = WriterFaultKind::NoReply;
    std::optional<unsigned> nth;
    std::optional<std::uint8_t> code;
};

// Parses "KIND@N" or "KIND@code=HH" (kinds: no-reply, split, garbage, oversize, pin, not-blank,
// kind5, kind1, hang-up). Throws std::invalid_argument with a readable message.
WriterFault ParseWriterFault(std::string_view text);

// Parses "MAJOR.MINOR YYYY.M.D" into the five bytes of the version reply. Throws
// std::invalid_argument.
std::array<std::uint8_t, 5> ParseWriterVersion(std::string_view text);

struct WriterConfig {
    std::array<std::uint8_t, 5> version{1, 2, 11, 5, 17}; // major, minor, year - 2000, month, day
    SocketChip chip = SocketChip::Blank;
    // What the chip in the socket holds at start (a partly programmed chip); none: as `chip` says.
    std::optional<std::array<std::uint8_t, 0x10000>> chipContent{};
    bool freshChipAfterProgram = false; // a new blank chip replaces each chip programmed well
    std::vector<WriterFault> faults;
    std::uint32_t garbageSeed = 1;
};

// What the transport does with one command's answer.
struct WriterReply {
    unsigned commandNumber = 0; // 1-based count of frames received
    std::uint8_t commandCode = 0;
    std::vector<std::uint8_t> command; // the frame as received, for tracing
    std::vector<std::uint8_t> bytes;   // to send; empty: no reply
    std::size_t splitAfter = 0;        // > 0: pause `splitPause` after this many bytes
    std::chrono::milliseconds splitPause{20};
    bool hangUp = false; // close the line once `bytes` are out
};

class WriterModel {
public:
    static constexpr std::size_t kMemorySize = 0x10000;
    static constexpr std::uint16_t kPinFailureAddress = 0x7D00;
    // Kind of the 0xF2 reply when the rolling code's limit on programmed chips is reached:
    // the Writer refuses the command, which the host reports as "Command error!".
    static constexpr std::uint8_t kLimitReachedKind = 1;

    using Buffer = std::array<std::uint8_t, kMemorySize>;

    explicit WriterModel(WriterConfig config = {});

    // Feeds received bytes in any split; returns one entry per command completed by them, in
    // order. A frame whose checksum is wrong is answered 0xF2 kind 5; bytes that cannot start or
    // end a frame are skipped.
    std::vector<WriterReply> Feed(std::span<const std::uint8_t> bytes);

    // Forgets a partly received frame (the transport calls it after a long silence or when the
    // host reopens the port).
    void DropPartialFrame();

    // The Writer's own buffer, as downloaded (blank 0xFF at start).
    const Buffer& Memory() const { return memory_; }
    Buffer& Memory() { return memory_; }

    // The chip in the socket; meaningless while the socket is empty.
    const Buffer& Chip() const { return chip_; }
    Buffer& Chip() { return chip_; }
    SocketChip Socket() const { return socket_; }
    void InsertChip(SocketChip chip);

    unsigned CommandCount() const { return commandCount_; }
    unsigned ChipsProgrammed() const { return chipsProgrammed_; }

    // Bases the last download used: the chip descriptor (0x7D00 or 0x8D00) and the option copies
    // (0x2100, 0x4100 or 0x8100).
    std::uint16_t DescriptorBase() const { return descriptorBase_; }
    std::uint16_t OptionBase() const { return optionBase_; }

private:
    WriterReply Answer(const std::vector<std::uint8_t>& frame);
    std::vector<std::uint8_t> Execute(std::uint8_t code, std::span<const std::uint8_t> params);
    std::vector<std::uint8_t> ProgramChipNow();
    std::vector<std::uint8_t> CheckBlankNow() const;
    std::vector<std::uint8_t> FinishDownloadNow() const;
    void StoreBlock(std::uint16_t address, std::span<const std::uint8_t> data);
    const WriterFault* FaultFor(unsigned number, std::uint8_t code) const;
    void ApplyFault(const WriterFault& fault, WriterReply& reply);

    WriterConfig config_;
    Buffer memory_{};
    Buffer chip_{};
    SocketChip socket_ = SocketChip::Blank;
    std::vector<std::uint8_t> pending_; // bytes of the frame being received
    unsigned commandCount_ = 0;
    unsigned chipsProgrammed_ = 0;
    std::uint16_t descriptorBase_ = 0x7D00;
    std::uint16_t optionBase_ = 0x2100;
    std::uint16_t blankCheckBase_ = 0x7D00;
    std::mt19937 garbage_;
};

} // namespace orvane
