// Arbitrary bytes as the settings file Udate_VX.ini: every setting the start-up reads. Each input
// must end in its result or a FileError. The hand-set port names of [PORTS] are fuzz_files' part.
#include "app/Settings.h"
#include "foundation/Errors.h"
#include "fuzz/FuzzFolder.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static orvane::AppState s;
    static const orvane::fuzz::FuzzFolder folder({"Udate_VX.ini"});
    folder.Hold(data, size);

    s.AppDir = folder.path;
    try {
        orvane::LoadSettings(s);
    } catch (const orvane::FileError&) {
    }
    return 0;
}
