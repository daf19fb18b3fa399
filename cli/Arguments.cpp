#include "cli/Arguments.h"

#include "foundation/ReadFile.h"
#include "image/IntelHex.h"
#include "production/LotStore.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <map>

namespace orvane::cli {

const char* const kUsageText = R"(Usage: orvane-cli COMMAND [OPTIONS]

Files:
  info FILE                  load FILE as Open does; print model, address map, option texts and
                             the chip information
  convert IN OUT --to FMT    load IN and write OUT as Save As does (FMT: s19, wrt, ihex or bin)
Writer:
  version                    the Writer's firmware version
  blank-check                blank-check the chip in the socket
  read OUT                   read the chip and save it to OUT
  download FILE              download FILE into the Writer
  program [FILE]             download FILE and program the chip (FILE may be left out with
                             --no-download: the Writer programs what it holds)
  otp-check FILE             read the chip and tell whether it can still take FILE
  verify FILE                read the chip and compare it with FILE (program area and option
                             row; device-ID and rolling-code bytes listed apart)
Production line:
  journal LOT                print the summary of a lot (a journal file or a server lot URI)
  lot init URI               create the lot tables on the server (or bring them up to date) and
                             the lot the URI names
  lot export LOT FILE.jsonl  write the lot as a journal file
  lot import URI FILE.jsonl  fold a journal file (a spill file, an export) into a server lot
  ports                      list the serial ports with their USB identity and access
Option bytes:
  options IN OUT.WRT --set KEY=TEXT ...
                             load IN, take the settings file's option texts, replace those
                             given, encode them as the option dialog's OK does, write OUT.WRT
  options --model M --list   the option keys of M's dialog with the texts each one stores

Options:
  --app-dir DIR              data folder (device.name, chip files, Udate_VX.ini); default: the
                             folder of this executable
  --model NAME               use this model instead of the settings file's
  --format s19|wrt|ihex      how FILE/IN is read (default: by extension, .WRT, .S19 or .ihx;
                             a .hex file is read as Intel HEX when its first line starts with ':')
  --to s19|wrt|ihex|bin      how OUT is written (default: by extension; .hex is raw bytes)
  --port COMn|PATH           the Writer's port; default: search COM1..COM20
  --yes                      answer Yes to every question
  --json                     JSON lines on stdout (progress, message, result)
  --lang en|zh               the language of the messages (default: [UI] LANG of the settings
                             file, else LANGUAGE/LC_ALL/LC_MESSAGES/LANG; Chinese when unset)
  --id-len 2|3 --id-addr HEX --id-start HEX --step N
                             program: write a device ID into each chip, stepping it; a chip
                             whose ID is past FFFF (--id-len 2) or FFFFFF (3) is refused
  --no-download              program: program what the Writer already holds
  --count N                  program: N chips in a row (Enter between chips on a terminal)
  --set KEY=TEXT             options: one option text (repeat for more)
  --list                     options: list the keys and texts instead of writing a file

  --port usb:VVVV:PPPP[:SERIAL]
                             the Writer's USB adapter by vendor, product and serial number
  --journal LOT              program: record every chip in the lot journal LOT and take the
                             next unused ID from it (shared by the Writers of one line); LOT is a
                             file, or postgresql://USER@HOST/DB?lot=NAME for a lot on a server
                             (password from ~/.pgpass or PGPASSWORD)
  --allow-reissue            program: burn an ID the journal already records as reserved
  --expect-checksum HHHH     download/program: refuse an image whose checksum with options
                             (before any ID is written) is not HHHH
  --otp-check                program: check before each chip that it can still take the image
  --rolling-code LEN:ADDR3,ADDR2,ADDR1,ADDR0:INIT:STEP:MAX:LIMIT
                             info/download/program: build the rolling-code block into the image
                             (or "off")


A "--" ends the options: the words after it are file names even when they begin with "--".

Exit status: 0 success, 1 Writer gave an unexpected answer, 2 usage, 3 file error (also: the lot
server cannot be reached, or a chip's record went to the spill file), 4 no Writer, 5 transfer
failed, 6 command rejected, 7 chip not blank / data error (also: the chip cannot take the image),
8 pin failure, 9 checksum error (the Writer's, a record's in a WRT file, or the image gate),
10 declined, 11 no reply to the command, 12 a reply that is no valid frame, 13 ID already reserved
in the journal, 14 ID past the last its length holds (FFFF, FFFFFF), 15 the chip cannot be verified
(the image protects it); 128+N stopped by signal N (the journal has its summary; a wait for the
journal's lock ends with nothing reserved).
)";

namespace {

const std::map<std::string, int> kOperandCounts = {
    {"info", 1}, {"convert", 2}, {"version", 0}, {"blank-check", 0},
    {"read", 1}, {"download", 1}, {"program", -1}, // program: 0 or 1
    {"options", -1}, // options: 2, or none with --list
    {"otp-check", 1}, {"verify", 1}, {"journal", 1}, {"ports", 0},
    {"lot", -1}, // lot init URI | lot export LOT FILE | lot import URI FILE
};

std::optional<FileFormat> ParseFormat(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "s19")
        return FileFormat::S19;
    if (lower == "wrt")
        return FileFormat::Wrt;
    if (lower == "bin" || lower == "hex")
        return FileFormat::Bin;
    if (lower == "ihex" || lower == "ihx")
        return FileFormat::IntelHex;
    return std::nullopt;
}

int ParseCount(const std::string& option, const std::string& text, int min, int max)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
        throw UsageError(option + " takes a number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not '" + text + "'");
    return value;
}

std::uint16_t ParseChecksum(const std::string& option, const std::string& text)
{
    std::uint16_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 4 || ec != std::errc() || end != text.data() + text.size())
        throw UsageError(option + " takes four hexadecimal digits, not '" + text + "'");
    return value;
}

// The production options go with the commands they serve and exclude what defeats them.
void CheckProductionOptions(const Arguments& a)
{
    const bool program = a.command == "program";
    if (a.expectChecksum && a.noDownload)
        throw UsageError("--expect-checksum checks the image to download: not with --no-download");
    if (a.expectChecksum && !program && a.command != "download")
        throw UsageError("--expect-checksum goes with download or program");
    // verify lists the rolling-code bytes apart, at the addresses the block names.
    if (a.rollingCode && !program && a.command != "download" && a.command != "info" &&
        a.command != "verify")
        throw UsageError("--rolling-code goes with info, download, program or verify");
    if (a.rollingCode && a.noDownload)
        throw UsageError("--rolling-code builds the block into the image to download: not with "
                         "--no-download");
    for (const auto& [given, name] : {std::pair{a.journal.has_value(), "--journal"},
                                      std::pair{a.allowReissue, "--allow-reissue"},
                                      std::pair{a.otpCheck, "--otp-check"}}) {
        if (given && !program)
            throw UsageError(std::string(name) + " goes with program");
    }
    if (a.otpCheck && a.noDownload)
        throw UsageError("--otp-check compares the chip with the image: not with --no-download");
    if (a.journal && a.step == 0)
        throw UsageError("--step 0 would burn one ID into every chip of the lot");
}

void CheckLotOperands(const std::vector<std::string>& words)
{
    const std::size_t n = words.size();
    const std::string what = n == 0 ? "" : words[0];
    if (!((what == "init" && n == 2) || ((what == "export" || what == "import") && n == 3)))
        throw UsageError("lot takes init URI, export LOT FILE.jsonl or import URI FILE.jsonl");
    if (what != "export" && !IsServerLot(words[1]))
        throw UsageError("lot " + what + " takes a server lot: postgresql://USER@HOST/DB?lot=NAME");
}

} // namespace

Arguments ParseArguments(const std::vector<std::string>& args)
{
    Arguments a;
    std::vector<std::string> words;
    bool optionsEnded = false; // after "--" every word is a command or file name
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.rfind("--", 0) != 0) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.resize(eq);
        }
        auto value = [&]() -> std::string {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            return args[++i];
        };
        auto flag = [&](bool& target) {
            if (inlineValue)
                throw UsageError(arg + " takes no value");
            target = true;
        };
        auto format = [&](std::optional<FileFormat>& target, bool allowBin) {
            const std::string text = value();
            target = ParseFormat(text);
            if (!target || (!allowBin && *target == FileFormat::Bin))
                throw UsageError(arg + " takes " +
                                 (allowBin ? "s19, wrt, ihex or bin" : "s19, wrt or ihex") +
                                 ", not '" + text + "'");
        };

        if (arg == "--app-dir") a.appDir = value();
        else if (arg == "--model") a.model = value();
        else if (arg == "--format") format(a.format, false);
        else if (arg == "--to") format(a.to, true);
        else if (arg == "--port") a.port = value();
        else if (arg == "--yes") flag(a.yes);
        else if (arg == "--json") flag(a.json);
        else if (arg == "--lang") {
            const std::string code = value();
            a.language = ParseLanguage(code);
            if (!a.language || code.empty())
                throw UsageError("--lang takes en or zh, not '" + code + "'");
        }
        else if (arg == "--id-len") a.idLen = value();
        else if (arg == "--id-addr") a.idAddr = value();
        else if (arg == "--id-start") a.idStart = value();
        else if (arg == "--step") a.step = ParseCount(arg, value(), 0, 255);
        else if (arg == "--no-download") flag(a.noDownload);
        else if (arg == "--count") a.count = ParseCount(arg, value(), 1, 1000000);
        else if (arg == "--set") {
            const std::string set = value();
            const auto eq = set.find('=');
            if (eq == std::string::npos || eq == 0)
                throw UsageError("--set takes KEY=TEXT, not '" + set + "'");
            a.sets.emplace_back(set.substr(0, eq), set.substr(eq + 1));
        }
        else if (arg == "--list") flag(a.list);
        else if (arg == "--journal") a.journal = value();
        else if (arg == "--allow-reissue") flag(a.allowReissue);
        else if (arg == "--expect-checksum") a.expectChecksum = ParseChecksum(arg, value());
        else if (arg == "--otp-check") flag(a.otpCheck);
        else if (arg == "--rolling-code") a.rollingCode = value();
        else if (arg == "--help") throw UsageError("");
        else throw UsageError("unknown option " + arg);
    }

    if (words.empty())
        throw UsageError("no command given");
    a.command = words.front();
    a.operands.assign(words.begin() + 1, words.end());
    const auto known = kOperandCounts.find(a.command);
    if (known == kOperandCounts.end())
        throw UsageError("unknown command '" + a.command + "'");
    const int n = static_cast<int>(a.operands.size());
    if (known->second >= 0 && n != known->second)
        throw UsageError(a.command + " takes " + std::to_string(known->second) + " file name(s)");
    if (a.command == "program" && (n > 1 || (n == 0 && !a.noDownload)))
        throw UsageError("program takes one FILE, or none with --no-download");
    if (a.command == "options" && (a.list ? n != 0 || !a.model : n != 2))
        throw UsageError("options takes IN OUT.WRT [--set KEY=TEXT ...], or --model M --list");
    if (a.command == "convert" && !a.to)
        throw UsageError("convert needs --to s19|wrt|ihex|bin");
    if (a.command == "lot")
        CheckLotOperands(a.operands);
    for (const std::string* lot : {a.journal ? &*a.journal : nullptr,
                                   a.command == "journal" ? &a.operands[0]
                                   : a.command == "lot"   ? &a.operands[1]
                                                          : nullptr}) {
        if (lot && IsServerLot(*lot))
            try {
                ParseLotUri(*lot);
            } catch (const LotUriError& e) {
                throw UsageError(e.what());
            }
    }
    if (a.idLen && *a.idLen != "2" && *a.idLen != "3")
        throw UsageError("--id-len takes 2 or 3");
    CheckProductionOptions(a);
    return a;
}

FileFormat FormatOf(const std::string& fileName, const std::optional<FileFormat>& given,
                    bool forOutput)
{
    if (given)
        return *given;
    const auto dot = fileName.rfind('.');
    const auto slash = fileName.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        const auto format = ParseFormat(fileName.substr(dot + 1));
        if (format && (forOutput || *format != FileFormat::Bin))
            return *format;
        // Save As writes raw ".hex" files; compilers write Intel HEX ones.
        if (format && LooksLikeIntelHex(ReadWholeFile(fileName, kProgramFileLimit)))
            return FileFormat::IntelHex;
    }
    throw UsageError("cannot tell the format of '" + fileName + "': give " +
                     (forOutput ? "--to s19|wrt|ihex|bin" : "--format s19|wrt|ihex"));
}

} // namespace orvane::cli
