// Shared by the S-record tests: record lines built independently of the code under test, a blank
// AppState, and the image reduced to its non-blank bytes for readable comparisons.
#pragma once

#include "app/AppState.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvane::test {

// "S1" line for address and data, no line end; checksumError is added to the right checksum.
inline std::string S1(unsigned address, const std::vector<int>& data, int checksumError = 0)
{
    std::vector<int> bytes = {int(data.size() + 3), int(address >> 8), int(address & 0xFF)};
    bytes.insert(bytes.end(), data.begin(), data.end());
    std::string line = "S1";
    int sum = 0;
    char digits[3];
    for (int b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b & 0xFF);
        line += digits;
        sum += b;
    }
    std::snprintf(digits, sizeof digits, "%02X", (0xFF - sum + checksumError) & 0xFF);
    return line + digits;
}

inline std::unique_ptr<AppState> BlankState()
{
    auto s = std::make_unique<AppState>();
    s->RomImage.fill(kBlank);
    return s;
}

using Bytes = std::map<int, int>; // address -> value of every byte that is not 0xFF

inline Bytes NonBlank(const AppState& s)
{
    Bytes bytes;
    for (int a = 0; a < kImageSize; ++a)
        if (s.RomImage[a] != kBlank)
            bytes[a] = s.RomImage[a];
    return bytes;
}

} // namespace orvane::test
