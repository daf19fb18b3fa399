// Shared by the S-record tests: record lines built independently of the code under test, and an
// AppState whose image is blank.
#pragma once

#include "app/AppState.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace orvane::test {

// "S1" line for address and data, without line end; checksumError is added to the right checksum.
inline std::string S1(unsigned address, const std::vector<std::uint8_t>& data, int checksumError = 0)
{
    unsigned sum = unsigned(data.size() + 3) + (address >> 8) + (address & 0xFF);
    char buf[16];
    std::snprintf(buf, sizeof buf, "S1%02X%04X", unsigned(data.size() + 3), address);
    std::string line = buf;
    for (std::uint8_t b : data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        line += buf;
        sum += b;
    }
    std::snprintf(buf, sizeof buf, "%02X", (0xFF - sum + checksumError) & 0xFF);
    return line + buf;
}

inline std::unique_ptr<AppState> BlankState()
{
    auto s = std::make_unique<AppState>();
    s->RomImage.fill(kBlank);
    return s;
}

} // namespace orvane::test
