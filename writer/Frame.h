// The frame both sides speak: 0x68, L, code, parameters, checksum, 0x16. L counts the code and
// the parameters; the checksum is the low byte of L plus those L bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orvane {

constexpr std::uint8_t kFrameStart = 0x68;
constexpr std::uint8_t kFrameEnd = 0x16;

// Command codes (program to Writer) and reply codes (Writer to program).
enum Code : std::uint8_t {
    ProgramChip = 0x01, Done = 0x02,
    CheckBlank = 0x03, Blank = 0x04,
    FinishDownload = 0x05, Downloaded = 0x06,
    StartDownload = 0x07,
    WriteBlock = 0x11, BlockAck = 0x12,
    LoadChipData = 0x21,
    LoadChipData2 = 0x04, // shares its value with the Blank reply
    StartRead = 0x37,
    ReadBlock = 0x38, BlockData = 0x39,
    FinishRead = 0x40,
    GetVersion = 0x45, VersionInfo = 0x46,
    Hello = 0xE1, HelloAck = 0xE2,
    Failure = 0xF2,
};

std::uint8_t FrameChecksum(std::uint8_t code, std::span<const std::uint8_t> params);

// The whole frame for code and params (L = 1 + params.size(), at most 255).
std::vector<std::uint8_t> BuildFrame(std::uint8_t code, std::span<const std::uint8_t> params = {});

} // namespace orvane
