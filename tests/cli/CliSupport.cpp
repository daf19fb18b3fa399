#include "tests/cli/CliSupport.h"

#include <cctype>
#include <cstring>
#include <sstream>

namespace orvane::test {
namespace {

// Consumes one JSON value at t[i..]; false when the text is not JSON. Numbers are taken loosely.
bool Value(const std::string& t, std::size_t& i);

void Skip(const std::string& t, std::size_t& i)
{
    while (i < t.size() && std::isspace(static_cast<unsigned char>(t[i])))
        ++i;
}

bool Eat(const std::string& t, std::size_t& i, char c)
{
    Skip(t, i);
    return i < t.size() && t[i] == c && (++i, true);
}

bool String(const std::string& t, std::size_t& i)
{
    if (!Eat(t, i, '"'))
        return false;
    while (i < t.size() && t[i] != '"') {
        const unsigned char c = static_cast<unsigned char>(t[i++]);
        if (c < 0x20 || (c == '\\' && (i >= t.size() || !std::strchr("\"\\/bfnrtu", t[i++]))))
            return false;
    }
    return Eat(t, i, '"');
}

bool Value(const std::string& t, std::size_t& i)
{
    Skip(t, i);
    if (i >= t.size())
        return false;
    const char c = t[i];
    if (c == '"')
        return String(t, i);
    if (c == '{' || c == '[') {
        const char close = c == '{' ? '}' : ']';
        if (++i, Eat(t, i, close))
            return true;
        do {
            if (c == '{' && !(String(t, i) && Eat(t, i, ':')))
                return false;
            if (!Value(t, i))
                return false;
        } while (Eat(t, i, ','));
        return Eat(t, i, close);
    }
    for (const char* word : {"true", "false", "null"})
        if (t.compare(i, std::strlen(word), word) == 0)
            return i += std::strlen(word), true;
    const std::size_t start = i;
    while (i < t.size() && std::strchr("-+.eE0123456789", t[i]))
        ++i;
    return i > start;
}

} // namespace

std::string Golden(const std::string& name) { return ReadText(GOLDEN_DIR + name); }

bool IsJson(const std::string& text)
{
    std::size_t i = 0;
    return Value(text, i) && (Skip(text, i), i == text.size());
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace orvane::test
