// orvane-messages SOURCE_DIR [--all | --check TABLE.md]: lists the operator messages of the
// sources, one a line (--all: every string expression); with --check, compares them with the
// backticked texts of the first cells of TABLE.md's tables and exits 1 when a message has no row
// or a row names a text the code no longer has.
#include "tools/messages/SourceTexts.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace {

using orvane::messages::Normalise;

std::set<std::string> TableEntries(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::set<std::string> entries;
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("|"))
            continue;
        const std::string cell = line.substr(1, line.find('|', 1) - 1);
        for (auto open = cell.find('`'); open != std::string::npos;) {
            const auto close = cell.find('`', open + 1);
            entries.insert(Normalise(cell.substr(open + 1, close - open - 1)));
            open = close == std::string::npos ? close : cell.find('`', close + 1);
        }
    }
    return entries;
}

// Those of a that b lacks, in the form the table needs, after the heading; "" when none.
std::string Lacking(const std::set<std::string>& a, const std::set<std::string>& b,
                    const std::string& heading)
{
    std::vector<std::string> lacking;
    std::ranges::set_difference(a, b, std::back_inserter(lacking));
    std::string out = lacking.empty() ? "" : heading;
    for (const std::string& t : lacking)
        out += "\n  `" + t + "`";
    return out.empty() ? out : out + '\n';
}

int Run(const std::vector<std::string>& args)
{
    if (args.empty() || (args.size() == 2 && args[1] != "--all") ||
        (args.size() == 3 && args[1] != "--check") || args.size() > 3)
        throw std::runtime_error("usage: orvane-messages SOURCE_DIR [--all | --check TABLE.md]");
    const auto code = orvane::messages::CollectSourceTexts(args[0]);
    if (args.size() < 3) {
        for (const std::string& t : args.size() == 2 ? code.all : code.messages)
            std::cout << t << '\n';
        return 0;
    }
    const std::set<std::string> table = TableEntries(args[2]);
    const std::string report =
        Lacking(code.messages, table, "messages without a row in " + args[2] + ":") +
        Lacking(table, code.all, "rows for texts the code no longer has:");
    std::cerr << report;
    return report.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run({argv + 1, argv + argc});
    } catch (const std::exception& e) {
        std::cerr << "orvane-messages: " << e.what() << '\n';
        return 2;
    }
}
