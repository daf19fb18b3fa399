// `otp-check FILE`: can the chip in the socket still take the image? OTP cells only go 1 -> 0.
#include "cli/Commands.h"
#include "cli/ProductionCommands.h"

#include "image/RomImage.h"
#include "production/JsonLine.h"

#include <iostream>

namespace orvane::cli {

OtpVerdict CheckChipTakesImage(WriterContext& c)
{
    // The read fills the image with the chip's content; the wanted image comes back afterwards,
    // checksums and all.
    const AppState wanted = c.s;
    const OperationResult read = c.ops.ReadChip();
    const auto chip = c.s.RomImage;
    c.s = wanted;
    OtpVerdict verdict;
    verdict.outcome = OutcomeOf(read, c.link, "the chip can take the image");
    if (verdict.outcome.exitCode != kOk) {
        verdict.outcome.detail = "the chip could not be read: " + verdict.outcome.detail;
        return verdict;
    }
    verdict.conflicts = FindOtpConflicts(wanted.RomImage, chip, wanted.RomStart, wanted.RomEnd);
    if (!verdict.conflicts.empty())
        verdict.outcome = {kChipError, "the chip cannot take the image: " +
                                           std::to_string(verdict.conflicts.size()) +
                                           " address(es) need a 1 where the chip holds a 0"};
    return verdict;
}

void PrintOtpConflicts(const WriterContext& c, const OtpVerdict& verdict)
{
    const std::size_t n = verdict.conflicts.size();
    if (!c.a.json) {
        std::cout << OtpConflictText(verdict.conflicts) << std::flush;
        return;
    }
    std::string addresses = "[";
    for (std::size_t i = 0; i < std::min<std::size_t>(n, 20); ++i)
        addresses += (i ? "," : "") + JsonQuote(Hex(verdict.conflicts[i].address, 4));
    std::cout << JsonLine().Str("type", "otp").Num("conflicts", static_cast<std::int64_t>(n))
                     .Raw("addresses", addresses + "]").Text() << '\n' << std::flush;
}

int RunOtpCheckCommand(WriterContext& c)
{
    const OtpVerdict verdict = CheckChipTakesImage(c);
    if (verdict.outcome.exitCode == kOk || !verdict.conflicts.empty())
        PrintOtpConflicts(c, verdict);
    return Finish(c.view, c.a.command, verdict.outcome);
}

} // namespace orvane::cli
