// Arbitrary bytes as every file the program reads: a program file through LoadS19Range and
// LoadWrtFile (header, chip file of the named model, records), the model list "device.name" and
// the settings file's [PORTS] names. Each must end in its result or a FileError; a WRT file's
// model name never leads out of the data folder.
#include "app/Settings.h"
#include "catalogue/Catalogue.h"
#include "foundation/Errors.h"
#include "image/SRecordFiles.h"
#include "app/SettingsPath.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class NoMessages : public orvane::OperatorMessages {
public:
    bool Show(orvane::MessageKind, const std::string&) override { return true; }
};

// A fresh data folder for one input, with a chip file for QK128; removed with the object.
class Folder {
public:
    Folder()
    {
        char name[] = "/tmp/orvane-fuzz-XXXXXX";
        if (!::mkdtemp(name))
            std::abort();
        path = std::string(name) + "/";
        std::ofstream(path + "QK128_20.S19") << "S1077D0400001FFF59\r\nS9030000FC\r\n";
    }
    ~Folder() { std::filesystem::remove_all(path); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    std::string path;
};

void Write(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static orvane::AppState s;
    const Folder folder;
    const std::string& dir = folder.path;
    const std::string file = dir + "input";
    Write(file, data, size);
    NoMessages messages;

    s.AppDir = dir;
    for (int slot = 1; slot <= orvane::kSlotCount; ++slot)
        s.ModelName[slot] = "QK" + std::to_string(100 + slot);
    s.ChipName = "QK128";
    s.ChipPin = "20";
    s.RomImage.fill(orvane::kBlank);
    orvane::UpdateAddressMap(s);
    try {
        orvane::LoadS19Range(s, s.RomStart, s.RomEnd, file);
    } catch (const orvane::FileError&) {
    }
    try {
        orvane::LoadWrtFile(s, file, messages);
        if (s.ChipName.find('/') != std::string::npos)
            std::abort();
    } catch (const orvane::FileError&) {
    }

    // The same bytes as the model list and as the settings file.
    Write(dir + "device.name", data, size);
    try {
        orvane::LoadModelNames(s);
        for (const std::string& name : s.ModelName)
            if (name.find('\n') != std::string::npos)
                std::abort();
    } catch (const orvane::FileError&) {
    }
    Write(dir + orvane::kSettingsFileName, data, size);
    orvane::PortNaming naming = orvane::SettingsPortNaming(dir);
    naming.deviceDir = dir; // no devices: only the hand-set names answer
    naming.isRealUart = [](const std::string&) { return false; };
    try {
        for (int n = 1; n <= 20; ++n)
            orvane::ResolvePortName("COM" + std::to_string(n), naming);
        orvane::LoadSettings(s);
    } catch (const orvane::FileError&) {
    }
    return 0;
}
