#include "operations_fixture.h"

#include "catalogue/Catalogue.h"
#include "image/RomImage.h"

#include <cstdio>

namespace orvane::test {

const char* const kModelNames[kSlotCount] = {
    "QK101", "QK106", "QK105", "QK104", "QK116", "QK103", "QK111", "QK122", "QK115", "QK113",
    "QK109", "QK126", "QK117", "QK124", "QK120", "QK118", "QK114", "QK125", "QK127", "QK128",
    "QK110", "QK131", "QK135", "QK138", "QK132", "QK130", "QK133", "QK137", "QK129", "QK139",
    "QK134"};

void SelectModel(AppState& s, int slot, std::int32_t first, std::int32_t last)
{
    for (int n = 1; n <= kSlotCount; ++n)
        s.ModelName[n] = kModelNames[n - 1];
    s.ChipName = s.ModelName[slot];
    ClearImage(s);
    SetChipDataAddresses(s);
    const auto base = static_cast<std::size_t>(s.ChipDataAddr1);
    s.RomImage[base + 4] = static_cast<std::uint8_t>(first >> 8);
    s.RomImage[base + 5] = static_cast<std::uint8_t>(first);
    s.RomImage[base + 6] = static_cast<std::uint8_t>(last >> 8);
    s.RomImage[base + 7] = static_cast<std::uint8_t>(last);
    UpdateAddressMap(s);
    ComputeChecksum(s);
}

std::vector<std::string> OperationsTest::Commands() const
{
    std::vector<std::string> commands;
    char text[16];
    for (const Bytes& frame : port.sent) {
        if (frame[1] == 1)
            std::snprintf(text, sizeof text, "%02X", frame[2]);
        else
            std::snprintf(text, sizeof text, "%02X@%02X%02X", frame[2], frame[3], frame[4]);
        commands.push_back(text);
    }
    return commands;
}

std::vector<std::string> OperationsTest::Commands(std::uint8_t code) const
{
    std::vector<std::string> commands;
    for (std::size_t i = 0; i < port.sent.size(); ++i)
        if (port.sent[i][2] == code)
            commands.push_back(Commands()[i]);
    return commands;
}

std::vector<std::string> OperationsTest::Reports() const
{
    std::vector<std::string> reports;
    for (const std::string& line : view.log)
        if ((line.rfind("box ", 0) == 0 && line.rfind("box question ", 0) != 0) ||
            line.rfind("memo ", 0) == 0)
            reports.push_back(line);
    return reports;
}

} // namespace orvane::test
