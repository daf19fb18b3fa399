// Verify against the chip: "is what is in this chip the image I have open?" The chip is read with
// the read the operator knows, into an image of its own, and compared with RomImage; the window
// and the command line only present the result.
#pragma once

#include "foundation/AppState.h"
#include "writer/ChipOperations.h"
#include "writer/OperationView.h"
#include "writer/WriterLink.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

struct ByteDifference {
    std::uint16_t address; // in the image
    std::uint8_t image;
    std::uint8_t chip;
};

// The differences in address order; device-ID and rolling-code bytes apart, since a chip
// programmed with them is meant to differ there.
struct ChipComparison {
    std::vector<ByteDifference> program; // program area and option row
    std::vector<ByteDifference> deviceId;
    std::vector<ByteDifference> rollingCode;
};

enum class VerifyVerdict {
    Equal,      // also when only device-ID or rolling-code bytes differ
    Different,
    Protected,  // the image protects the chip, which then reads back no program: nothing is read
    ReadFailed, // the read showed its own error
};

struct ChipVerification {
    VerifyVerdict verdict = VerifyVerdict::Equal;
    OperationResult read; // the read's result; untouched when nothing was read
    ChipComparison differences;
    std::string text; // the report for the operator; "" after a failed read
};

// The image's second option copy has the model's protection bit cleared.
bool ImageSetsProtection(const AppState& s);

// chip (a read's image) against the image of s over the program area, and the bytes of the option
// row that the read carries into the second option copy against that copy.
ChipComparison CompareWithChip(const AppState& s, const std::array<std::uint8_t, kImageSize>& chip);

// "芯片内容与当前程序一致", or the count and the first 20 differences as
// "<address>: 程序 <image byte> 芯片 <chip byte>"; then the device-ID and rolling-code bytes.
std::string VerifyReportText(const ChipComparison& c);

// Reads the chip into an image of its own (the view's hex editor and memo stay as they are) and
// compares. The read's progress, wait window and errors go through view; ECommsError propagates.
ChipVerification VerifyChip(const AppState& s, WriterLink& link, OperationView& view);

} // namespace orvane
