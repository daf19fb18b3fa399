// The texts the product's sources show, found by reading them as tokens (no compiler): a string
// expression (one argument, initialiser, list element, or operand of return or throw) is its
// literals joined, "…" for every other part. HACKING.md states the rule for the manual's writers.
#pragma once

#include <set>
#include <string>

namespace orvane::messages {

inline const std::string kPlaceholder = "…";

struct SourceTexts {
    std::set<std::string> all;      // every string expression of the product
    std::set<std::string> messages; // those the operator is shown: the manual must explain them
};

// The texts of the product folders under sourceDir. The messages are those passed to Show,
// FileError, ECommsError or ConversionError, and those with a non-ASCII character in the
// widget-free core.
SourceTexts CollectSourceTexts(const std::string& sourceDir);

// Blanks and line breaks as one blank, "… …" as "…", no blanks at the ends.
std::string Normalise(const std::string& raw);

} // namespace orvane::messages
