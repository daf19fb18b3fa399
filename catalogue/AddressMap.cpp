#include "foundation/Errors.h"
#include "catalogue/Catalogue.h"
#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "image/SRecordFiles.h"

namespace orvane {

namespace {

// Option base by model, tested in this order, first match wins; any other name (an empty one
// included) gets 0x2100. The order matters when two slots hold the same text.
struct OptionBaseRule {
    std::span<const int> slots;
    std::int32_t base;
};
constexpr std::array<int, 5> kFirst4100Slots = {6, 14, 19, 18, 17};
constexpr std::array<int, 1> k8100Slots = {31};
constexpr std::array<int, 3> kSecond4100Slots = {24, 28, 23};
constexpr std::array<int, 1> kThird4100Slots = {21};
constexpr std::array<OptionBaseRule, 4> kOptionBaseRules = {{
    {kFirst4100Slots, 0x4100},
    {k8100Slots, 0x8100},
    {kSecond4100Slots, 0x4100},
    {kThird4100Slots, 0x4100},
}};
constexpr std::int32_t kDefaultOptionBase = 0x2100;

// Bounds used when the chip-data area gives an empty program area (start equal to end).
constexpr std::int32_t kFallbackRomStart = 0x0000;
constexpr std::int32_t kFallbackRomEnd = 0x07FF;

std::int32_t OptionBase(const AppState& s)
{
    for (const OptionBaseRule& rule : kOptionBaseRules) {
        if (FirstMatchingSlot(s, rule.slots) != 0)
            return rule.base;
    }
    return kDefaultOptionBase;
}


} // namespace

std::string ChipFileName(const AppState& s)
{
    return s.AppDir + s.ChipName + "_" + s.ChipPin + ".S19";
}

void SetChipDataAddresses(AppState& s)
{
    const std::int32_t base = ChipDataBase(s);
    s.ChipDataAddr1 = base;
    s.ChipDataAddr1Last = base + 0xB0;
    s.ChipDataAddr2 = base + 0xC0;
    s.ChipDataAddr2Last = base + 0x2F0;
}

void UpdateAddressMap(AppState& s)
{
    const std::int32_t optionBase = OptionBase(s);
    s.OptionAddr1 = optionBase;
    s.OptionAddr1Last = optionBase + 0x10;
    s.OptionAddr2 = optionBase + 0x20;
    s.OptionAddr2Last = optionBase + 0x30;

    SetChipDataAddresses(s);

    // Bounds as the image holds them now: before a new model's chip file is loaded they are the
    // previous model's.
    s.RomStart = ImageWord(s, s.ChipDataAddr1 + 4);
    s.RomEnd = ImageWord(s, s.ChipDataAddr1 + 6);
    if (!IsSlot(s, 31) && s.RomStart == s.RomEnd) {
        s.RomStart = kFallbackRomStart;
        s.RomEnd = kFallbackRomEnd;
    }
}

void LoadChipFile(AppState& s)
{
    // The name may come from a program file's header: it must not lead out of the data folder.
    const std::string fileName = ChipFileName(s);
    for (const std::string* part : {&s.ChipName, &s.ChipPin}) {
        if (part->find_first_of(std::string_view("/\0", 2)) != std::string::npos)
            throw FileError(Tr("芯片文件名无效：") + fileName);
    }
    LoadS19Range(s, s.ChipDataAddr1, s.ChipDataAddr2Last, fileName);
}

} // namespace orvane
