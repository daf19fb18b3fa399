// Parses arbitrary bytes as a settings file, writes keys into it, and checks that every written
// value reads back, before and after the text is serialised and parsed again.
//
// Input: byte 0 = number of writes (low 3 bits); then 3 bytes per write (section, key, value
// length); then the values; whatever is left is the file text.
#include "foundation/IniFile.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace {

constexpr std::array<const char*, 6> kSections = {"CHIP", "chip", "OPTION", "IRC", "PORTS", "Id"};
constexpr std::array<const char*, 7> kKeys = {"CHIP_NAME", "chip_name", "WDT", "fae",
                                              "COM3",      "LOCK15",    "x"};

std::string Fold(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

// What a reader sees of a written value: the part before a line break, without outer blanks.
std::string Expected(std::string value)
{
    value.resize(std::min(value.size(), value.find_first_of("\r\n")));
    constexpr std::string_view blanks = " \t\v\f\r";
    const auto first = value.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return value.substr(first, value.find_last_not_of(blanks) - first + 1);
}

// Only LF ends, or only CRLF ends, and no other CR.
bool OneLineEndStyle(const std::string& text)
{
    std::size_t lf = 0, crlf = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            ++lf;
        if (text[i] == '\r') {
            if (i + 1 == text.size() || text[i + 1] != '\n')
                return false;
            ++crlf;
        }
    }
    return crlf == 0 || crlf == lf;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view in(reinterpret_cast<const char*>(data), size);
    auto take = [&](std::size_t n) {
        const auto part = in.substr(0, n);
        in.remove_prefix(part.size());
        return part;
    };
    auto byte = [&] {
        const auto b = take(1);
        return b.empty() ? 0u : static_cast<unsigned char>(b[0]);
    };

    struct WriteOp {
        const char* section;
        const char* key;
        std::size_t length;
    };
    std::array<WriteOp, 8> ops{};
    const unsigned count = byte() & 7u;
    for (unsigned i = 0; i < count; ++i)
        ops[i] = {kSections[byte() % kSections.size()], kKeys[byte() % kKeys.size()], byte()};

    std::array<std::string, 8> values;
    for (unsigned i = 0; i < count; ++i)
        values[i] = std::string(take(ops[i].length));

    // A text with one style of line end comes back unchanged.
    const std::string original(in);
    orvane::IniFile ini = orvane::IniFile::Parse(original);
    if (OneLineEndStyle(original))
        Check(ini.Text() == original);

    std::map<std::pair<std::string, std::string>, std::string> written;
    for (unsigned i = 0; i < count; ++i) {
        ini.Write(ops[i].section, ops[i].key, values[i]);
        written[{Fold(ops[i].section), Fold(ops[i].key)}] = Expected(values[i]);
        Check(ini.Read(ops[i].section, ops[i].key) == Expected(values[i]));
    }

    const std::string text = ini.Text();
    const orvane::IniFile again = orvane::IniFile::Parse(text);
    for (const auto& [name, value] : written) {
        Check(ini.Read(name.first, name.second) == value);
        Check(again.Read(name.first, name.second) == value);
    }
    return 0;
}
