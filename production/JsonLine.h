// One flat JSON object per line: the journal's record format. Values are strings, integers,
// booleans or null, with no nesting; nlohmann-json writes and reads them.
#pragma once

#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Builds {"key":value,...} in the order the fields are added.
class JsonLine {
public:
    JsonLine& Str(std::string_view key, std::string_view text);
    JsonLine& Num(std::string_view key, std::int64_t number);
    JsonLine& Raw(std::string_view key, std::string_view json); // a value already in JSON form
    // The object, without a line end.
    std::string Text() const { return text_ + "}"; }

private:
    void Key(std::string_view key);
    std::string text_ = "{";
};

// Length of the valid UTF-8 sequence that starts at text[i]; 0 when none does (a stray or
// overlong byte, a surrogate, a sequence cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

// text as a JSON string literal; bytes that are not UTF-8 become U+FFFD. JsonQuote, for the
// journal, writes control characters as \u00XX; JsonText, for the command line's output, uses
// JSON's short escapes (\n, \t) where there are some.
std::string JsonQuote(std::string_view text);
std::string JsonText(std::string_view text);

// The fields of one flat object. Strings are unescaped; other values as JSON text ("12",
// "true", "null"). Nothing when the line is not one flat object.
using JsonFields = std::map<std::string, std::string, std::less<>>;
std::optional<JsonFields> ParseJsonLine(std::string_view line);

// A field as a whole number in base; nothing when it is missing or no such number.
template <typename T>
std::optional<T> FieldNumber(const JsonFields& f, std::string_view key, int base = 10)
{
    const auto it = f.find(key);
    if (it == f.end() || it->second.empty())
        return std::nullopt;
    T value{};
    const std::string& text = it->second;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A field's text, "" when it is missing.
inline std::string FieldText(const JsonFields& f, std::string_view key)
{
    const auto it = f.find(key);
    return it == f.end() ? std::string() : it->second;
}

} // namespace orvane
