// Arbitrary bytes as the files the program reads at start-up and on Open: a program file through
// LoadS19Range and LoadWrtFile (header, chip file of the named model, records), the model list
// "device.name" and the hand-set port names of the settings file's [PORTS]. Each must end in its
// result or a FileError; a WRT file's model name never leads out of the data folder. The rest of
// the settings file has a fuzzer of its own (fuzz_settings).
#include "app/Settings.h"
#include "app/SettingsPath.h"
#include "catalogue/Catalogue.h"
#include "foundation/Errors.h"
#include "fuzz/FuzzFolder.h"
#include "image/SRecordFiles.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

class NoMessages : public orvane::OperatorMessages {
public:
    bool Show(orvane::MessageKind, const std::string&) override { return true; }
};

// The input as a program file, the model list and the settings file, beside a chip file for
// QK128.
struct DataFolder : orvane::fuzz::FuzzFolder {
    DataFolder() : FuzzFolder({"input", "device.name", "Udate_VX.ini"})
    {
        std::ofstream(path + "QK128_20.S19") << "S1077D0400001FFF59\r\nS9030000FC\r\n";
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static orvane::AppState s;
    static const DataFolder folder;
    folder.Hold(data, size);
    NoMessages messages;

    s.AppDir = folder.path;
    for (int slot = 1; slot <= orvane::kSlotCount; ++slot)
        s.ModelName[slot] = "QK" + std::to_string(100 + slot);
    s.ChipName = "QK128";
    s.ChipPin = "20";
    s.RomImage.fill(orvane::kBlank);
    orvane::UpdateAddressMap(s);
    try {
        orvane::LoadS19Range(s, s.RomStart, s.RomEnd, folder.input);
    } catch (const orvane::FileError&) {
    }
    try {
        orvane::LoadWrtFile(s, folder.input, messages);
        if (s.ChipName.find('/') != std::string::npos)
            std::abort();
    } catch (const orvane::FileError&) {
    }
    try {
        orvane::LoadModelNames(s);
        for (const std::string& name : s.ModelName)
            if (name.find('\n') != std::string::npos)
                std::abort();
    } catch (const orvane::FileError&) {
    }
    orvane::PortNaming naming = orvane::SettingsPortNaming(folder.path);
    naming.deviceDir = folder.path + "no-devices/"; // only the hand-set names answer
    naming.isRealUart = [](const std::string&) { return false; };
    try {
        // The name is picked by the input's length, so that every COMn can be reached.
        orvane::ResolvePortName("COM" + std::to_string(1 + size % 20), naming);
    } catch (const orvane::FileError&) {
    }
    return 0;
}
