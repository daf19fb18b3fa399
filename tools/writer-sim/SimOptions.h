// The simulator's command line.
#pragma once

#include "tools/writer-sim/WriterModel.h"

#include <chrono>
#include <string>
#include <vector>

namespace orvane {

struct SimOptions {
    WriterConfig writer;
    std::string linkPath;  // empty: no link
    bool replaceLink = false; // also when it points at another simulator's open terminal
    std::string tracePath; // empty: no trace
    bool pace = false;
    std::chrono::milliseconds replyDelay{0};
    bool help = false;
};

// Throws std::invalid_argument naming the offending argument.
SimOptions ParseSimOptions(const std::vector<std::string>& args);

extern const char* const kSimUsage;

} // namespace orvane
