// Arbitrary command lines through the CLI's argument parser: NUL bytes separate the words. Each
// must give Arguments with a known command and fitting operands, or a UsageError.
#include "cli/Arguments.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += static_cast<char>(data[i]);
    }
    try {
        const orvane::cli::Arguments a = orvane::cli::ParseArguments(words);
        if (a.command.empty() || a.count < 1 || a.step < 0 || a.step > 255)
            std::abort();
        if (a.command == "convert" && (a.operands.size() != 2 || !a.to))
            std::abort();
        for (const std::string& operand : a.operands)
            orvane::cli::FormatOf(operand, a.format, false);
    } catch (const orvane::cli::UsageError&) {
    }
    return 0;
}
