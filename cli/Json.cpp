#include "cli/Json.h"

#include <cstdio>

namespace orvane::cli {
namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is not valid.
std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    std::size_t n = 0;
    unsigned min = 0;
    unsigned cp = 0;
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0) {
        n = 2, min = 0x80, cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3, min = 0x800, cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, cp = b & 0x07;
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    return cp < min || cp > 0x10FFFF || surrogate ? 0 : n;
}

} // namespace

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else if (const std::size_t n = Utf8Length(text, i); n > 0) {
            out.append(text, i, n);
            i += n;
            continue;
        } else {
            out += "\\ufffd";
        }
        ++i;
    }
    return out + "\"";
}

} // namespace orvane::cli
