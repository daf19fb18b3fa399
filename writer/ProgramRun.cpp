// The programming dialog's run, without its widgets.
#include "foundation/Errors.h"
#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "writer/ChipOperations.h"
#include "writer/Frame.h"

#include <algorithm>
#include <charconv>

namespace orvane {

namespace {

constexpr int kIdValueBytes = 4; // the ID is taken from the low 32 bits of NextID

} // namespace

void WriteDeviceID(AppState& s)
{
    const auto value = static_cast<std::uint32_t>(s.NextID); // two's complement low bits
    const std::int64_t first = s.IDAddr;
    const std::int64_t last = first + s.IDLen - 1; // the least significant byte
    for (std::int64_t at = std::max<std::int64_t>(first, 0);
         at <= std::min<std::int64_t>(last, kImageSize - 1); ++at) {
        const std::int64_t shift = last - at; // bytes below this one
        s.RomImage[static_cast<std::size_t>(at)] =
            shift < kIdValueBytes ? static_cast<std::uint8_t>(value >> (8 * shift)) : 0;
    }
}

std::string DeviceIDRefusal(const AppState& s)
{
    if (s.IDLen != 2 && s.IDLen != 3)
        return Tr("ID长度只能为2或3,器件ID未烧录!");
    const std::int64_t last = std::int64_t{s.IDAddr} + s.IDLen - 1;
    if (s.IDAddr < s.RomStart || last > s.RomEnd)
        return Tr("ID地址") + Hex(static_cast<std::uint32_t>(s.IDAddr), 4) + Tr("超出程序区") +
               Hex(static_cast<std::uint32_t>(s.RomStart), 4) + "-" +
               Hex(static_cast<std::uint32_t>(s.RomEnd), 4) + Tr(",器件ID不会烧入芯片!");
    return DeviceIDRangeRefusal(s.NextID, s.IDLen);
}

std::uint8_t IDStepFromText(const std::string& text)
{
    int value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (error == std::errc() && end == last && !text.empty()) {
        if (value >= 0 && value <= 255)
            return static_cast<std::uint8_t>(value);
        throw ConversionError(Tr("ID步进值只能为0到255!"));
    }
    throw ConversionError("'" + text + "' is not a valid integer value");
}

std::string NextIDText(const AppState& s)
{
    return DeviceIDText(s.NextID, s.IDLen);
}

OperationResult ChipOperations::RunProgramming(ProgramRunOptions& options)
{
    OperationResult result;
    if (options.writeId) {
        const std::string refusal = DeviceIDRefusal(s_);
        if (!refusal.empty()) {
            view_.Messages().Show(MessageKind::Plain, refusal);
            result.refused = true;
            return result;
        }
    }
    view_.SetEnabled(Control::DialogButtons, false);
    try {
        link_.RxCount = 0;
        link_.Comm1().OpenPort();
        link_.SendCommand(1, 0, Hello);
        link_.WaitReply(1000);

        if (options.writeId) {
            WriteDeviceID(s_);
            view_.RefreshHexView();
            view_.ScrollHexView(std::clamp(s_.IDAddr / 16, 0, kImageSize / 16 - 1), std::nullopt);
            options.download = true; // a new ID must reach the Writer
            view_.SetDownloadBox(true, false);
        } else {
            view_.SetDownloadBox(options.download, true);
        }

        bool proceed = false;
        if (options.download) {
            Exchange(1, 0, StartDownload, 1000);
            view_.SetStatusLine(Tr("数据下载中......"));
            result.transferFailed = !DownloadImage();
            view_.ResetProgress();
            proceed = true;
        } else {
            proceed = view_.Messages().Show(MessageKind::InformationQuestion, Tr("烧写程序将为上次下载内容!"));
            result.declined = !proceed;
        }

        // After a failed download the Writer still holds an older image, with an older device
        // ID: burning it would make a wrong chip and a duplicate ID, so the chip is left alone.
        if (proceed && !result.transferFailed) {
            link_.WaitReply(1000); // ends at once while the last block's reply is still counted
            view_.SetStatusLine(Tr("下载完毕!"));
            Exchange(1, 0, Hello, 500);
            Exchange(1, 0, ProgramChip, 5000);
            link_.ParseReply();
            NoteReply(result);
            if (link_.RxCode == Failure)
                ReportFailure(Reporter::Programming);
            if (link_.RxCode == Done) {
                view_.SetStatusLine(Tr("编程完毕!"));
                view_.ResetProgress();
                if (options.writeId && options.autoIncrement) {
                    // The ID burned passed DeviceIDRangeRefusal: no overflow. One past the
                    // last ID is shown in full, and the next run refuses it.
                    s_.NextID += s_.IDStep;
                    view_.ShowNextID(NextIDText(s_));
                }
            }
            result.succeeded = link_.RxCode == Done;
        }
        if (proceed)
            Exchange(1, 0, Hello, 500);
        link_.Comm1().ClosePort();
    } catch (...) {
        link_.Comm1().ClosePort();
        view_.SetEnabled(Control::DialogButtons, true);
        throw;
    }
    view_.SetEnabled(Control::DialogButtons, true);
    return result;
}

} // namespace orvane
