// Hand-made S-records for the tests that write program files.
#pragma once

#include "image/RomImage.h"

#include <string>
#include <vector>

namespace orvane::test {

// "S1" record for address and data, no line end; bad is added to the right checksum.
inline std::string S1(unsigned address, std::vector<int> data, int bad = 0)
{
    data.insert(data.begin(), {int(data.size()) + 3, int(address >> 8), int(address & 0xFF)});
    std::string line = "S1";
    int sum = 0;
    for (const int b : data)
        line += Hex(b, 2), sum += b;
    return line + Hex((0xFF - sum + bad) & 0xFF, 2);
}

} // namespace orvane::test
