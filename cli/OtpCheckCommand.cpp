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
    c.expectBlocks(c.readBlocks);
    const OperationResult read = c.ops.ReadChip();
    const auto chip = c.s.RomImage;
    c.s = wanted;
    OtpVerdict verdict;
    verdict.code = c.exitCodeOf(read);
    if (verdict.code != kOk)
        return verdict;
    verdict.conflicts = FindOtpConflicts(wanted.RomImage, chip, wanted.RomStart, wanted.RomEnd);
    verdict.code = verdict.conflicts.empty() ? kOk : kChipError;
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
    const std::size_t n = verdict.conflicts.size();
    if (verdict.code != kOk && n == 0) {
        c.view.Result(c.a.command, verdict.code, "the chip could not be read");
        return verdict.code;
    }
    PrintOtpConflicts(c, verdict);
    c.view.Result(c.a.command, verdict.code,
                  n == 0 ? "the chip can take the image"
                         : "the chip cannot take the image: " + std::to_string(n) +
                               " address(es) need a 1 where the chip holds a 0");
    return verdict.code;
}

} // namespace orvane::cli
