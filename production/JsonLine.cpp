#include "production/JsonLine.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace orvane {
namespace {

using Json = nlohmann::ordered_json;

// The journal has always written control characters as \u00XX, upper-case: the library's short
// forms \b \f \n \r \t are turned back into those, so that lines compare byte for byte with older
// ones.
std::string JournalEscapes(const std::string& dumped)
{
    std::string out;
    for (std::size_t i = 0; i < dumped.size(); ++i) {
        const char c = dumped[i];
        if (c != '\\' || i + 1 == dumped.size()) {
            out += c;
            continue;
        }
        const char e = dumped[++i];
        const char* const shortForms = "b\bf\fn\nr\rt\t";
        const char* form = nullptr;
        for (const char* f = shortForms; *f != '\0'; f += 2)
            form = *f == e ? f : form;
        if (form) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(form[1]));
            out += code;
        } else {
            out += c;
            out += e;
        }
    }
    return out;
}

// Bytes that are not UTF-8 become U+FFFD.
std::string Dumped(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    std::uint32_t min = 0;
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0)
        n = 2, min = 0x80;
    else if ((b & 0xF0) == 0xE0)
        n = 3, min = 0x800;
    else if ((b & 0xF8) == 0xF0)
        n = 4, min = 0x10000;
    else
        return 0;
    if (i + n > text.size())
        return 0;
    std::uint32_t cp = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (c & 0x3F);
    }
    const bool valid = cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    return valid ? n : 0;
}

std::string JsonQuote(std::string_view text)
{
    return JournalEscapes(Dumped(Json(std::string(text))));
}

std::string JsonText(std::string_view text)
{
    return Dumped(Json(std::string(text)));
}

void JsonLine::Key(std::string_view key)
{
    if (text_.size() > 1)
        text_ += ',';
    text_ += JsonQuote(key) + ":";
}

JsonLine& JsonLine::Str(std::string_view key, std::string_view text)
{
    Key(key);
    text_ += JsonQuote(text);
    return *this;
}

JsonLine& JsonLine::Num(std::string_view key, std::int64_t number)
{
    Key(key);
    text_ += Dumped(Json(number));
    return *this;
}

JsonLine& JsonLine::Raw(std::string_view key, std::string_view json)
{
    Key(key);
    text_ += json;
    return *this;
}

std::optional<JsonFields> ParseJsonLine(std::string_view line)
{
    const Json doc = Json::parse(line, nullptr, false);
    if (doc.is_discarded() || !doc.is_object())
        return std::nullopt;
    JsonFields fields;
    for (const auto& [key, value] : doc.items()) {
        if (value.is_structured())
            return std::nullopt; // one flat object per line
        fields.insert_or_assign(key, value.is_string() ? value.get<std::string>() : Dumped(value));
    }
    return fields;
}

} // namespace orvane
