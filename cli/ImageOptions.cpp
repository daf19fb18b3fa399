// The options that act on the loaded image: the checksum gate and the rolling-code block.
#include "cli/Commands.h"
#include "cli/ProductionCommands.h"

#include "foundation/Errors.h"
#include "image/RomImage.h"
#include "production/RollingCodeFlags.h"

#include <algorithm>
#include <stdexcept>

namespace orvane::cli {
namespace {

RollingCodeBytes BlockInImage(const AppState& s)
{
    RollingCodeBytes block{};
    std::copy_n(s.RomImage.begin() + s.ChipDataAddr2, block.size(), block.begin());
    return block;
}

} // namespace

std::string RollingCodeText(const AppState& s)
{
    return DescribeRollingCodeBlock(BlockInImage(s));
}

int ApplyImageOptions(AppState& s, const Arguments& a, ConsoleView& view)
{
    // The lot's paperwork names the checksum of the file as released, before any ID goes in.
    if (a.expectChecksum && s.FileChecksumWithOptions != *a.expectChecksum) {
        const std::string text = "image gate: the checksum with options is " +
                                 Hex(s.FileChecksumWithOptions, 4) + ", not the expected " +
                                 Hex(*a.expectChecksum, 4) + "; nothing was sent to the Writer";
        view.Show(MessageKind::Error, text);
        view.Result(a.command, kChecksum, text);
        return kChecksum;
    }
    if (a.rollingCode) {
        RollingCodeBytes block{};
        try {
            block = BuildRollingCodeBlock(ParseRollingCodeFlag(*a.rollingCode), BlockInImage(s));
        } catch (const std::invalid_argument& e) {
            throw UsageError("--rolling-code " + std::string(e.what()));
        } catch (const RollingCodeRangeError& e) {
            throw UsageError("--rolling-code: " + std::string(e.what()));
        } catch (const ConversionError& e) {
            throw UsageError("--rolling-code: " + std::string(e.what()));
        }
        std::copy(block.begin(), block.end(), s.RomImage.begin() + s.ChipDataAddr2);
        ComputeChecksum(s);
    }
    return kOk;
}

} // namespace orvane::cli
