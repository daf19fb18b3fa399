#include "production/JsonLine.h"

#include <cstdio>

namespace orvane {
namespace {

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

class Reader {
public:
    explicit Reader(std::string_view text) : t_(text) {}

    std::optional<JsonFields> Object()
    {
        JsonFields fields;
        Space();
        if (!Take('{'))
            return std::nullopt;
        Space();
        if (!Take('}')) {
            do {
                Space();
                auto key = String();
                Space();
                if (!key || !Take(':'))
                    return std::nullopt;
                Space();
                auto value = Value();
                if (!value)
                    return std::nullopt;
                fields.insert_or_assign(std::move(*key), std::move(*value));
                Space();
            } while (Take(','));
            if (!Take('}'))
                return std::nullopt;
        }
        Space();
        if (i_ != t_.size())
            return std::nullopt;
        return fields;
    }

private:
    bool Take(char c)
    {
        if (i_ < t_.size() && t_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void Space()
    {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\r'))
            ++i_;
    }
    std::optional<std::uint32_t> Hex4()
    {
        if (i_ + 4 > t_.size())
            return std::nullopt;
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = t_[i_++];
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0)
                return std::nullopt;
            v = v << 4 | static_cast<std::uint32_t>(d);
        }
        return v;
    }
    std::optional<std::string> String()
    {
        if (!Take('"'))
            return std::nullopt;
        std::string out;
        while (i_ < t_.size()) {
            const char c = t_[i_++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= t_.size())
                return std::nullopt;
            const char e = t_[i_++];
            switch (e) {
            case '"': case '\\': case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                const auto cp = Hex4();
                if (!cp)
                    return std::nullopt;
                // Surrogates stand for no character on their own; they only come from other
                // writers, so they read as U+FFFD rather than failing the line.
                AppendUtf8(out, *cp >= 0xD800 && *cp <= 0xDFFF ? 0xFFFD : *cp);
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    std::optional<std::string> Value()
    {
        if (i_ < t_.size() && t_[i_] == '"')
            return String();
        for (std::string_view word : {"true", "false", "null"}) {
            if (t_.substr(i_, word.size()) == word) {
                i_ += word.size();
                return std::string(word);
            }
        }
        const std::size_t from = i_;
        Take('-');
        while (i_ < t_.size() && ((t_[i_] >= '0' && t_[i_] <= '9') || t_[i_] == '.' ||
                                  t_[i_] == 'e' || t_[i_] == 'E' || t_[i_] == '+' ||
                                  t_[i_] == '-'))
            ++i_;
        if (i_ == from || (i_ == from + 1 && t_[from] == '-'))
            return std::nullopt;
        return std::string(t_.substr(from, i_ - from));
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

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
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8SequenceLength(text, i);
        if (n == 0) {
            out += "\uFFFD";
            ++i;
            continue;
        }
        const char c = text[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    return out + "\"";
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
    return Raw(key, std::to_string(number));
}

JsonLine& JsonLine::Raw(std::string_view key, std::string_view json)
{
    Key(key);
    text_ += json;
    return *this;
}

std::optional<JsonFields> ParseJsonLine(std::string_view line)
{
    return Reader(line).Object();
}

} // namespace orvane
