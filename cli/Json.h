// JSON lines for scripts: one object per line on stdout.
#pragma once

#include <string>
#include <string_view>

namespace orvane::cli {

// text as a JSON string literal. Bytes that are not UTF-8 become U+FFFD, so every line stays
// valid JSON whatever a file name or model name holds. Line ends read as \n and \r: the
// console's messages are multi-line texts. (The lot journal's quoting is JsonQuote.)
std::string JsonString(std::string_view text);

} // namespace orvane::cli
