#include "tools/writer-sim/SimOptions.h"

#include "foundation/Errors.h"
#include "image/SRecordFiles.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <charconv>
#include <stdexcept>

namespace orvane {

const char* const kSimUsage = R"(Usage: orvane-writer-sim [options]
A simulated Writer on a pseudo-terminal. The first line printed is the terminal's path; the
simulator then answers until it gets SIGINT or SIGTERM.

  --link PATH          place a symbolic link PATH to the terminal (removed on exit); a link
                       to a terminal that is still open (another simulator's) is refused
  --replace-link       replace such a link all the same
  --version M.m Y.M.D  firmware version to report (default 1.2 2011.5.17)
  --chip KIND          chip in the socket: blank (default), programmed, none (pin failure)
  --chip FILE.S19      a chip holding what the S19 file holds (0xFF elsewhere)
  --fresh-chip         insert a new blank chip after each chip programmed well
  --pace               deliver bytes at 19200 baud wire time
  --reply-delay MS     wait MS milliseconds before each reply
  --trace FILE         write one line per frame (time, direction, bytes) to FILE
  --fault KIND@WHEN    inject a fault; repeatable. WHEN is N (the N-th command since start,
                       counting from 1) or code=HH (every command with code HH, hexadecimal).
                       KIND: no-reply, split (pause of 20 ms inside the reply), garbage,
                       oversize (121-byte frame), pin (0xF2 kind 3 at 0x7D00), not-blank,
                       kind5 (checksum error), kind1 (command rejected), hang-up (half the
                       reply, then the terminal is closed and a new one opened)
  --help               show this text

A chip whose rolling-code limit is reached is refused with 0xF2 kind 1.
Example: orvane-writer-sim --link /tmp/orvane-com1 --pace --fault no-reply@code=05
)";

namespace {

unsigned ToNumber(std::string_view text, int base, unsigned max, std::string_view what)
{
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value > max)
        throw std::invalid_argument("bad " + std::string(what) + ": '" + std::string(text) + "'");
    return value;
}

std::vector<std::string_view> SplitAt(std::string_view text, char sep)
{
    std::vector<std::string_view> parts;
    for (std::size_t from = 0;;) {
        const std::size_t at = text.find(sep, from);
        parts.push_back(text.substr(from, at - from));
        if (at == std::string_view::npos)
            return parts;
        from = at + 1;
    }
}

struct FaultName {
    std::string_view name;
    WriterFaultKind kind;
};
constexpr FaultName kFaultNames[] = {
    {"no-reply", WriterFaultKind::NoReply},     {"split", WriterFaultKind::SplitReply},
    {"garbage", WriterFaultKind::GarbageReply}, {"oversize", WriterFaultKind::OversizeReply},
    {"pin", WriterFaultKind::PinFailure},       {"not-blank", WriterFaultKind::NotBlank},
    {"kind5", WriterFaultKind::ChecksumError},  {"kind1", WriterFaultKind::Rejected},
    {"hang-up", WriterFaultKind::HangUp},
};

// The bytes an S19 file puts on a chip that was blank before.
std::array<std::uint8_t, 0x10000> ChipContentFrom(const std::string& fileName)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        throw std::invalid_argument("--chip takes blank, programmed, none or an S19 file, not '" +
                                    fileName + "'");
    auto image = std::make_unique<AppState>();
    image->RomImage.fill(kBlank);
    try {
        LoadS19Range(*image, 0, kImageSize - 16, fileName);
    } catch (const FileError& e) {
        throw std::invalid_argument(e.what());
    }
    return image->RomImage;
}

} // namespace

WriterFault ParseWriterFault(std::string_view text)
{
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos)
        throw std::invalid_argument("fault '" + std::string(text) + "' needs @N or @code=HH");
    const std::string_view name = text.substr(0, at);
    const std::string_view when = text.substr(at + 1);

    WriterFault fault;
    const auto known = std::find_if(std::begin(kFaultNames), std::end(kFaultNames),
                                    [name](const FaultName& f) { return f.name == name; });
    if (known == std::end(kFaultNames))
        throw std::invalid_argument("unknown fault kind '" + std::string(name) + "'");
    fault.kind = known->kind;
    if (when.starts_with("code="))
        fault.code = static_cast<std::uint8_t>(ToNumber(when.substr(5), 16, 0xFF, "command code"));
    else
        fault.nth = ToNumber(when, 10, ~0u, "command number");
    if (fault.nth == 0u)
        throw std::invalid_argument("command numbers count from 1");
    return fault;
}

std::array<std::uint8_t, 5> ParseWriterVersion(std::string_view text)
{
    const std::size_t space = text.find(' ');
    const auto release = SplitAt(text.substr(0, space), '.');
    const auto date = space == std::string_view::npos ? std::vector<std::string_view>{}
                                                      : SplitAt(text.substr(space + 1), '.');
    if (release.size() != 2 || date.size() != 3)
        throw std::invalid_argument("version '" + std::string(text) +
                                    "' is not like 1.2 2011.5.17");
    const unsigned year = ToNumber(date[0], 10, 2255, "year");
    if (year < 2000)
        throw std::invalid_argument("year must lie in 2000..2255");
    return {static_cast<std::uint8_t>(ToNumber(release[0], 10, 255, "major version")),
            static_cast<std::uint8_t>(ToNumber(release[1], 10, 255, "minor version")),
            static_cast<std::uint8_t>(year - 2000),
            static_cast<std::uint8_t>(ToNumber(date[1], 10, 255, "month")),
            static_cast<std::uint8_t>(ToNumber(date[2], 10, 255, "day"))};
}

SimOptions ParseSimOptions(const std::vector<std::string>& args)
{
    SimOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](int count = 1) {
            if (i + count >= args.size())
                throw std::invalid_argument(arg + " needs a value");
            std::string joined = args[++i];
            for (int k = 1; k < count; ++k)
                joined += " " + args[++i];
            return joined;
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--link") {
            options.linkPath = value();
        } else if (arg == "--replace-link") {
            options.replaceLink = true;
        } else if (arg == "--trace") {
            options.tracePath = value();
        } else if (arg == "--version") {
            options.writer.version = ParseWriterVersion(value(2));
        } else if (arg == "--chip") {
            const std::string kind = value();
            if (kind == "blank")
                options.writer.chip = SocketChip::Blank;
            else if (kind == "programmed")
                options.writer.chip = SocketChip::Programmed;
            else if (kind == "none")
                options.writer.chip = SocketChip::None;
            else
                options.writer.chipContent = ChipContentFrom(kind);
        } else if (arg == "--fresh-chip") {
            options.writer.freshChipAfterProgram = true;
        } else if (arg == "--pace") {
            options.pace = true;
        } else if (arg == "--reply-delay") {
            options.replyDelay = std::chrono::milliseconds(ToNumber(value(), 10, 600000, "delay"));
        } else if (arg == "--fault") {
            options.writer.faults.push_back(ParseWriterFault(value()));
        } else {
            throw std::invalid_argument("unknown option '" + arg + "' (see --help)");
        }
    }
    return options;
}

} // namespace orvane
