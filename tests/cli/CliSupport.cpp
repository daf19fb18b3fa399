#include "tests/cli/CliSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace orvane::test {

std::string Golden(const std::string& name) { return ReadText(GOLDEN_DIR + name); }

std::string CliFixture::Put(const std::string& golden, const std::string& name) const
{
    WriteText(app.file(name), Golden(golden));
    return app.file(name);
}

std::string CliFixture::InfoOf(const std::string& file) const
{
    std::string info = Golden("info_QK128.txt");
    info.replace(info.find("@FILE@"), 6, file);
    return info.replace(info.find("@APP@"), 5, app.path());
}

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

std::size_t CountLines(const std::string& text, const std::string& part)
{
    return std::ranges::count_if(Lines(text), [&](const std::string& l) { return Has(l, part); });
}

std::string Pick(const std::string& journal, const std::string& type, const std::string& keys)
{
    std::string out;
    for (const JsonFields& f : JsonLines(journal)) {
        std::istringstream words(keys);
        for (std::string key; f.at("type") == type && words >> key;)
            out += (out.empty() ? "" : " ") + (f.contains(key) ? f.at(key) : "-");
    }
    return out;
}

} // namespace orvane::test
