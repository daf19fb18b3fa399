// One flat JSON object per line: the journal's record format. Values are strings, integers,
// booleans or null, with no nesting; nlohmann-json writes and reads them.
#pragma once

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

} // namespace orvane
