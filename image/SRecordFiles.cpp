#include "image/SRecordFiles.h"

#include "foundation/AtomicFile.h"
#include "foundation/Errors.h"
#include "foundation/ReadFile.h"
#include "catalogue/Catalogue.h"
#include "foundation/Translate.h"
#include "image/SRecordText.h"

namespace orvane {
namespace {

constexpr int kWrtFirstRecordLine = 3;

// Room for every record a 64 KiB image can give, so the text is built without reallocation.
std::string RecordBuffer()
{
    std::string out;
    out.reserve(kImageSize / 32 * 76 + 64);
    return out;
}

} // namespace

void LoadS19Range(AppState& s, std::int32_t low, std::int32_t high, const std::string& fileName)
{
    const std::string text = ReadWholeFile(fileName, kProgramFileLimit);
    SRecordReader reader(text, fileName);
    StoreRecords(s.RomImage, reader, low, high, nullptr);
}

bool LoadWrtFile(AppState& s, const std::string& fileName, OperatorMessages& messages)
{
    const std::string text = ReadWholeFile(fileName, kProgramFileLimit);
    WrtHeader header = ParseWrtHeader(text, fileName);
    s.ChipName = std::move(header.chipName);
    s.UnmatchedChipName.reset(); // the file names the model the settings are to keep
    s.ChipPin = std::move(header.chipPin);
    UpdateAddressMap(s); // where the new model's chip file goes
    LoadChipFile(s);
    UpdateAddressMap(s); // the program area as the new chip file gives it
    SRecordReader reader(text, fileName, header.recordsOffset, kWrtFirstRecordLine);
    const bool whole = StoreRecords(s.RomImage, reader, s.RomStart, s.OptionAddr2Last, &messages);
    ApplySizeRules(s);
    return whole;
}

void WriteS19File(const AppState& s, std::int32_t from, std::int32_t to, const std::string& fileName)
{
    std::string out = RecordBuffer();
    AppendS1Records(out, s.RomImage, from, to);
    WriteFileAtomically(fileName, out);
}

void WriteWrtFile(const AppState& s, std::int32_t from, std::int32_t to, const std::string& fileName)
{
    // A header the reader would refuse is never written: the file could not be opened again.
    if (s.ChipName.size() > 0xFF || !IsWrtHeaderText(s.ChipName))
        throw FileError(Tr("无法写入文件 ") + fileName +
                        Tr("：型号名称超过 255 字节或含有控制字符、路径分隔符"));
    if (s.ChipPin.size() != 2 || !IsWrtHeaderText(s.ChipPin))
        throw FileError(Tr("无法写入文件 ") + fileName + Tr("：封装代码必须是两个可打印字符"));

    std::string out = RecordBuffer();
    AppendHexByte(out, static_cast<std::uint8_t>(s.ChipName.size()));
    out += s.ChipName;
    out += "\r\n";
    out += s.ChipPin;
    out += "\r\n";
    AppendS1Records(out, s.RomImage, from, to);
    WriteFileAtomically(fileName, out);
}

void WriteBinFile(const AppState& s, const std::string& fileName)
{
    WriteFileAtomically(fileName, std::string_view(reinterpret_cast<const char*>(s.RomImage.data()),
                                                   s.RomImage.size()));
}

} // namespace orvane
