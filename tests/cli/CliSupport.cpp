#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orvane::test {

std::string Golden(const std::string& name) { return ReadText(GOLDEN_DIR + name); }

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<JsonFields> JsonLines(const std::string& text)
{
    std::vector<JsonFields> lines;
    for (const std::string& line : Lines(text)) {
        auto fields = ParseJsonLine(line);
        EXPECT_TRUE(fields) << line;
        lines.push_back(fields.value_or(JsonFields{}));
    }
    return lines;
}

} // namespace orvane::test
