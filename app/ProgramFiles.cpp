#include "app/ProgramFiles.h"

#include "foundation/Translate.h"
#include "image/IntelHex.h"
#include "image/RomImage.h"
#include "image/SRecordFiles.h"
#include "options/OptionCodecs.h"

#include <stdexcept>
#include <utility>

namespace orvane {

OpenedFile OpenProgramFile(AppState& state, const std::string& fileName, FileFormat format,
                           OperatorMessages& messages)
{
    // Read into a copy: a file that fails half-way must not leave a half-blanked image, another
    // model or other option texts behind the checksum and memo the operator still sees.
    AppState s = state;
    OpenedFile opened;
    switch (format) {
    case FileFormat::S19:
        BlankRange(s, 0, s.RomEnd + 15);
        LoadS19Range(s, s.RomStart, s.RomEnd, fileName);
        break;
    case FileFormat::Wrt:
        BlankRange(s, 0, s.OptionAddr2Last + 15);
        opened.whole = LoadWrtFile(s, fileName, messages);
        ReadOptionTexts(s, s.RomImage[s.OptionAddr2]);
        break;
    case FileFormat::IntelHex:
        BlankRange(s, 0, s.RomEnd + 15);
        opened.bytesOutside = LoadIntelHexRange(s, s.RomStart, s.RomEnd, fileName);
        break;
    case FileFormat::Bin:
        throw std::invalid_argument("raw files are saved, not opened");
    }
    s.ProgramInfo = fileName;
    ComputeChecksum(s);
    state = std::move(s);
    return opened;
}

std::string BytesOutsideNote(const OpenedFile& opened)
{
    if (opened.bytesOutside == 0)
        return "";
    return Tr("已忽略程序区以外的 ") + std::to_string(opened.bytesOutside) + Tr(" 个字节");
}

void SaveProgramFile(const AppState& s, const std::string& fileName, FileFormat format)
{
    switch (format) {
    case FileFormat::Wrt:
        WriteWrtFile(s, s.RomStart, s.OptionAddr2Last, fileName);
        break;
    case FileFormat::S19:
        WriteS19File(s, s.RomStart, s.RomEnd, fileName);
        break;
    case FileFormat::Bin:
        WriteBinFile(s, fileName);
        break;
    case FileFormat::IntelHex:
        WriteIntelHexFile(s, s.RomStart, s.RomEnd, fileName);
        break;
    }
}

std::string WithExtension(const std::string& fileName, FileFormat format)
{
    static constexpr const char* kExtensions[] = {".S19", ".WRT", ".hex", ".ihx"}; // by FileFormat
    const std::string ext = kExtensions[static_cast<int>(format)];
    const bool has = fileName.size() >= 4 && fileName.compare(fileName.size() - 4, 4, ext) == 0;
    return has ? fileName : fileName + ext;
}

} // namespace orvane
