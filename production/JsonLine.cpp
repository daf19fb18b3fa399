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

namespace {

// Collects the fields of one flat object as the parser meets them, without building a document:
// a journal of 100,000 chips is read whole before every reservation.
class FlatObject : public nlohmann::json_sax<nlohmann::json> {
public:
    JsonFields fields;

    bool null() override { return Value("null"); }
    bool boolean(bool value) override { return Value(value ? "true" : "false"); }
    bool number_integer(number_integer_t value) override { return Value(std::to_string(value)); }
    bool number_unsigned(number_unsigned_t value) override { return Value(std::to_string(value)); }
    bool number_float(number_float_t, const string_t& text) override { return Value(text); }
    bool string(string_t& value) override { return Value(std::move(value)); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return ++depth_ == 1; }
    bool key(string_t& key) override
    {
        key_ = std::move(key);
        return true;
    }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return false; }
    bool end_array() override { return false; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
    {
        return false;
    }

private:
    bool Value(std::string value)
    {
        if (depth_ != 1)
            return false; // a bare value, not an object
        fields.insert_or_assign(std::move(key_), std::move(value));
        return true;
    }
    int depth_ = 0;
    std::string key_;
};

} // namespace

std::optional<JsonFields> ParseJsonLine(std::string_view line)
{
    FlatObject object;
    if (!nlohmann::json::sax_parse(line, &object))
        return std::nullopt;
    return std::move(object.fields);
}

} // namespace orvane
