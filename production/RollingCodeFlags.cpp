#include "production/RollingCodeFlags.h"

#include "foundation/Errors.h"
#include "image/RomImage.h"

#include <stdexcept>
#include <vector>

namespace orvane {
namespace {

std::vector<std::string> Split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(sep, from)) != std::string::npos; from = at + 1)
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

std::string ByteText(std::uint32_t value, int byte)
{
    return "0x" + Hex((value >> (8 * byte)) & 0xFF, 2);
}

} // namespace

RollingCodeForm ParseRollingCodeFlag(const std::string& text)
{
    RollingCodeForm f;
    if (text == "off")
        return f;
    const std::vector<std::string> parts = Split(text, ':');
    if (parts.size() != 6)
        throw std::invalid_argument("takes LEN:ADDR3,ADDR2,ADDR1,ADDR0:INIT:STEP:MAX:LIMIT or off");
    if (parts[0].size() != 1 || parts[0][0] < '1' || parts[0][0] > '4')
        throw std::invalid_argument("LEN must be 1, 2, 3 or 4, not '" + parts[0] + "'");
    f.enabled = true;
    f.length = parts[0][0] - '0';
    if (f.length == 3)
        f.addr[3] = "0x0000"; // choosing 3 bytes clears the hidden Addr3

    const std::vector<std::string> addresses = Split(parts[1], ',');
    const auto given = static_cast<int>(addresses.size());
    if (given != 4 && given != f.length)
        throw std::invalid_argument("give 4 addresses, or " + std::to_string(f.length) +
                                    " for LEN " + std::to_string(f.length));
    for (int i = 0; i < given; ++i) // the last address is Addr0
        f.addr[static_cast<std::size_t>(i)] = addresses[static_cast<std::size_t>(given - 1 - i)];

    std::uint32_t initial = 0;
    try {
        initial = RollingCodeNumber(parts[2]);
    } catch (const ConversionError& e) {
        throw std::invalid_argument("INIT: " + std::string(e.what()));
    }
    if (f.length < 4 && initial >> (8 * f.length) != 0)
        throw std::invalid_argument("INIT " + parts[2] + " does not fit in " +
                                    std::to_string(f.length) + " byte(s)");
    for (int i = 0; i < 4; ++i)
        f.value[static_cast<std::size_t>(i)] = ByteText(initial, i);
    f.step = parts[3];
    f.maxId = parts[4];
    f.counter = parts[5];
    return f;
}

} // namespace orvane
