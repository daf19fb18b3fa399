// `verify FILE`: is what is in the chip the image in FILE?
#include "app/ChipVerify.h"
#include "cli/Commands.h"
#include "cli/ProductionCommands.h"

#include "image/RomImage.h"
#include "production/JsonLine.h"

#include <iostream>

namespace orvane::cli {
namespace {

constexpr std::size_t kJsonListed = 20;

const char* VerdictName(VerifyVerdict verdict)
{
    switch (verdict) {
    case VerifyVerdict::Equal: return "equal";
    case VerifyVerdict::Different: return "different";
    case VerifyVerdict::Protected: return "protected";
    case VerifyVerdict::ReadFailed: break;
    }
    return "unread";
}

std::string JsonList(const std::vector<ByteDifference>& list)
{
    std::string out = "[";
    for (std::size_t i = 0; i < std::min(list.size(), kJsonListed); ++i)
        out += (i ? "," : "") + JsonLine()
                                    .Str("address", Hex(list[i].address, 4))
                                    .Str("image", Hex(list[i].image, 2))
                                    .Str("chip", Hex(list[i].chip, 2))
                                    .Text();
    return out + "]";
}

void PrintVerification(const ChipVerification& v, bool json)
{
    if (!json) {
        std::cout << v.text << '\n' << std::flush;
        return;
    }
    const ChipComparison& d = v.differences;
    std::cout << JsonLine()
                     .Str("type", "verify")
                     .Str("verdict", VerdictName(v.verdict))
                     .Num("differences", static_cast<std::int64_t>(d.program.size()))
                     .Raw("program", JsonList(d.program))
                     .Raw("deviceId", JsonList(d.deviceId))
                     .Raw("rollingCode", JsonList(d.rollingCode))
                     .Text()
              << '\n' << std::flush;
}

} // namespace

int RunVerifyCommand(WriterContext& c)
{
    const ChipVerification v = VerifyChip(c.s, c.link, c.view);
    if (v.verdict == VerifyVerdict::ReadFailed) {
        Outcome outcome = OutcomeOf(v.read, c.link, "");
        outcome.detail = "the chip could not be read: " + outcome.detail;
        return Finish(c.view, c.a.command, outcome);
    }
    PrintVerification(v, c.a.json);
    switch (v.verdict) {
    case VerifyVerdict::Protected:
        return Finish(c.view, c.a.command,
                      {kNotVerifiable, "the image protects the chip: its program cannot be read"});
    case VerifyVerdict::Different:
        return Finish(c.view, c.a.command,
                      {kChipError, std::to_string(v.differences.program.size()) +
                                       " byte(s) differ from the image"});
    case VerifyVerdict::Equal:
    case VerifyVerdict::ReadFailed:
        break;
    }
    return Finish(c.view, c.a.command, {kOk, "the chip holds the image"});
}

} // namespace orvane::cli
