#include "foundation/IniFile.h"

#include "foundation/AtomicFile.h"
#include "foundation/Errors.h"
#include "foundation/ReadFile.h"
#include "foundation/Translate.h"

#include <string_view>

namespace orvane {
namespace {

constexpr std::string_view kBlanks = " \t\v\f\r";

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Names compare like the profile functions: ASCII letters without case, every other byte (GBK
// included) exactly.
char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

// "[name]" with blanks allowed around and inside; text after the first ']' is ignored. A '['
// without ']' makes an ordinary line.
std::optional<std::string_view> SectionName(std::string_view line)
{
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// "key=value"; comments (';' lines) and lines without '=' are not keys.
std::optional<KeyLine> ParseKeyLine(std::string_view line)
{
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || SectionName(t))
        return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// Lines [header + 1, end) of the first section with this name; the profile functions look no
// further than the first one either.
struct SectionSpan {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<std::string>& lines,
                                       std::string_view name)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto found = SectionName(lines[i]);
        if (!found || !SameName(*found, name))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end]))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

} // namespace

IniFile IniFile::Load(const std::string& path)
{
    const std::optional<std::string> text = ReadFileIfPresent(path, kSmallFileLimit);
    return text ? Parse(*text) : IniFile{};
}

IniFile IniFile::Parse(const std::string& text)
{
    IniFile ini;
    const auto firstEnd = text.find('\n');
    if (firstEnd != std::string::npos)
        ini.eol_ = (firstEnd > 0 && text[firstEnd - 1] == '\r') ? "\r\n" : "\n";

    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        const bool ended = end != std::string::npos;
        if (!ended)
            end = text.size();
        std::size_t length = end - start;
        if (ended && length > 0 && text[end - 1] == '\r')
            --length; // a CRLF end in a file of either style
        ini.lines_.emplace_back(text, start, length);
        ini.finalEol_ = ended;
        start = end + 1;
    }
    return ini;
}

std::optional<std::string> IniFile::Read(const std::string& section, const std::string& key) const
{
    const auto span = FindSection(lines_, section);
    if (!span)
        return std::nullopt;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        const auto line = ParseKeyLine(lines_[i]);
        if (line && SameName(line->key, key))
            return std::string(line->value);
    }
    return std::nullopt;
}

void IniFile::Write(const std::string& section, const std::string& key, const std::string& value)
{
    // A line break would end the line early and could smuggle in keys or sections of its own;
    // a reader would only ever see the part before it.
    const std::string kept = value.substr(0, value.find_first_of("\r\n"));
    finalEol_ = true;

    const auto span = FindSection(lines_, section);
    if (!span) {
        if (!lines_.empty() && !Trim(lines_.back()).empty())
            lines_.emplace_back();
        lines_.push_back("[" + section + "]");
        lines_.push_back(key + "=" + kept);
        return;
    }
    std::size_t insertAt = span->header + 1;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        const auto line = ParseKeyLine(lines_[i]);
        if (!line)
            continue;
        if (SameName(line->key, key)) {
            lines_[i] = std::string(line->key) + "=" + kept; // keeps the file's spelling of the key
            return;
        }
        insertAt = i + 1;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), key + "=" + kept);
}

std::vector<std::pair<std::string, std::string>> IniFile::Section(const std::string& section) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    const auto span = FindSection(lines_, section);
    if (!span)
        return entries;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (const auto line = ParseKeyLine(lines_[i]))
            entries.emplace_back(line->key, line->value);
    }
    return entries;
}

std::string IniFile::Text() const
{
    std::string text;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i];
        if (i + 1 < lines_.size() || finalEol_)
            text += eol_;
    }
    return text;
}

void IniFile::Save(const std::string& path) const
{
    // A file Load would refuse would lock the program out of its own settings from then on.
    const std::string text = Text();
    if (text.size() > kSmallFileLimit)
        throw FileError(Tr("无法写入文件 ") + path + Tr("：文件过大（超过 ") +
                        std::to_string(kSmallFileLimit) + Tr(" 字节）"));
    WriteFileAtomically(path, text);
}

} // namespace orvane
