#include "writer/ChipOperations.h"

#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "writer/Frame.h"
#include "writer/TransferChoices.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace orvane {

namespace {

// Addresses from here up are the chip-data area: a Failure there means the pins, not the content.
// The read blanks everything below the chip-data area before it starts.
constexpr std::size_t kReadBlankEnd = 0x7D00;

// Downloaded carries the Writer's checksum and its four option bytes.
constexpr int kDownloadedPayload = 6;

constexpr const char* kCommandError = "Command error!";
constexpr const char* kChecksumError = "Check_sum error!";
constexpr const char* kDownloadFailedText = TrNoop("程序下载失败!");
constexpr const char* kNotBlankPrefix = "Chip not blank!\nChip Addr:";

std::string BlankCheckAddressText(const WriterLink& link, const AppState&, int address)
{
    return kNotBlankPrefix + Hex(address, 4) + " Data:" + Hex(link.RxData[4], 2);
}

std::string DownloadAddressText(const WriterLink& link, const AppState&, int address)
{
    return kNotBlankPrefix + Hex(address, 4) + " Data:" +
           Hex(link.RxData[4] * 256 + link.RxData[3], 4);
}

// The chip's byte, the Writer's stored byte and the image's byte at the reported address.
std::string ProgrammingAddressText(const WriterLink& link, const AppState& s, int address)
{
    return "Chip Addr:" + Hex(address, 4) + " Data:" + Hex(link.RxData[4], 2) +
           "\nFlash_buffer data:" + Hex(link.RxData[3], 2) +
           "\nfile_buffer data:" + Hex(s.RomImage[static_cast<std::size_t>(address)], 2);
}

struct FailureTexts {
    MessageKind pinKind;
    const char* pinText;
    MessageKind checksumKind;
    std::string (*addressText)(const WriterLink&, const AppState&, int address);
};

// Index: ChipOperations::Reporter.
constexpr FailureTexts kFailureTexts[] = {
    {MessageKind::Information, TrNoop("引脚错误2,检查芯片是否正确!"), MessageKind::Information,
     BlankCheckAddressText},
    {MessageKind::Information, TrNoop("引脚错误,检查芯片是否正确!"), MessageKind::Information,
     DownloadAddressText},
    {MessageKind::Plain, TrNoop("管脚检测错误,请查看芯片是否插入正确!"), MessageKind::Plain,
     ProgrammingAddressText},
};

} // namespace

ChipOperations::ChipOperations(AppState& state, WriterLink& link, OperationView& view)
    : s_(state), link_(link), view_(view)
{
}

void ChipOperations::SetStopRequest(std::function<bool()> stopRequested)
{
    stopRequested_ = std::move(stopRequested);
}

void ChipOperations::Exchange(std::uint8_t L, std::int32_t address, std::uint8_t code, int waitMs)
{
    link_.RxCount = 0;
    link_.SendCommand(L, address, code);
    link_.WaitReply(waitMs);
}

void ChipOperations::NoteReply(OperationResult& result) const
{
    result.reply = link_.RxCount == 0 ? ReplyKind::None
                   : link_.RxLen == 0 ? ReplyKind::Garbled
                                      : ReplyKind::Frame;
    const bool frame = result.reply == ReplyKind::Frame;
    result.replyCode = frame ? link_.RxCode : 0;
    result.failureKind = frame && link_.RxCode == Failure ? link_.RxData[0] : 0;
}

void ChipOperations::ReportFailure(Reporter reporter)
{
    const FailureTexts& texts = kFailureTexts[static_cast<int>(reporter)];
    OperatorMessages& messages = view_.Messages();
    switch (link_.RxData[0]) {
    case 1:
        messages.Show(MessageKind::Plain, kCommandError);
        break;
    case 3: {
        if (link_.IsPinFailure())
            messages.Show(texts.pinKind, Tr(texts.pinText));
        else
            messages.Show(MessageKind::Information,
                          texts.addressText(link_, s_, link_.FailureAddress()));
        break;
    }
    case 5:
        messages.Show(texts.checksumKind, kChecksumError);
        break;
    default: // the Writer's other kinds carry no message
        break;
    }
}

OperationResult ChipOperations::DoBlankCheck()
{
    view_.SetEnabled(Control::BlankCheckButton, false);
    view_.SetEnabled(Control::MainWindow, false);
    const auto switchOn = [this] {
        view_.SetEnabled(Control::MainWindow, true);
        view_.SetEnabled(Control::BlankCheckButton, true);
    };
    OperationResult result;
    try {
        link_.RxCount = 0;
        link_.Comm1().OpenPort();
        Exchange(1, 0, Hello, 1000);
        Exchange(35, s_.ChipDataAddr1, LoadChipData, 2000);
        Exchange(1, 0, CheckBlank, 3000);
        link_.ParseReply();
        NoteReply(result);
        if (link_.RxCode != Failure && link_.RxCode != Done) {
            // The diagnostic line of the Writer's answer; without one it shows the code still in
            // the receive buffer and a count of 00. Bytes that are no reply count as none.
            const int count = result.reply == ReplyKind::Frame ? link_.RxCount : 0;
            view_.AppendMemoLine(Hex(link_.RxCode, 2) + Hex(count, 2));
            link_.WaitFull(3000);
        }
        // The boxes report this command's reply only: a code left from LoadChipData's reply
        // must not show "芯片为空!" for a Writer that did not answer.
        if (result.replyCode == Failure)
            ReportFailure(Reporter::BlankCheck);
        else if (result.replyCode == Blank)
            view_.Messages().Show(MessageKind::Information, TrNoop("芯片为空!"));
        Exchange(1, 0, Hello, 1000);
        link_.Comm1().ClosePort();
    } catch (...) {
        link_.Comm1().ClosePort();
        switchOn();
        throw;
    }
    switchOn();
    result.succeeded = result.replyCode == Blank;
    return result;
}

OperationResult ChipOperations::ReadChip()
{
    // The wait window blanks everything below the chip-data area as it opens. Until the port is
    // open that is undone on failure, so a read that never started loses nothing.
    view_.SetWindowShown(BusyWindow::Wait, true);
    const std::vector<std::uint8_t> before(s_.RomImage.begin(),
                                           s_.RomImage.begin() + kReadBlankEnd);
    std::fill_n(s_.RomImage.begin(), kReadBlankEnd, kBlank);
    view_.SetEnabled(Control::ReadButton, false);
    view_.SetStatusLabel("Waitting...");
    view_.SetEnabled(Control::MainWindow, false);
    // Closing the wait window switches the button and the main window on again.
    const auto closeWaitWindow = [this] {
        view_.SetWindowShown(BusyWindow::Wait, false);
        view_.SetEnabled(Control::ReadButton, true);
        view_.SetEnabled(Control::MainWindow, true);
    };

    bool opened = false;
    bool complete = false;
    try {
        link_.Comm1().OpenPort();
        opened = true;
        Exchange(1, 0, Hello, 1000);
        Exchange(55, s_.ChipDataAddr1, LoadChipData, 2000);
        Exchange(1, 0, StartRead, 1000);
        link_.RxCount = 0;
        complete = ReadImage();
        link_.WaitReply(2000); // ends at once while the last block's reply is still counted
        Exchange(1, 0, FinishRead, 1000);
        Exchange(1, 0, Hello, 1000);
        link_.Comm1().ClosePort();
    } catch (...) {
        link_.Comm1().ClosePort();
        if (!opened)
            std::copy(before.begin(), before.end(), s_.RomImage.begin());
        view_.SetStatusLabel("");
        closeWaitWindow();
        throw;
    }

    const TransferChoices& choices = TransferChoicesFor(s_);
    const auto copy1 = s_.RomImage.begin() + choices.optionCopyAddr;
    std::copy_n(copy1, choices.copyAgainBytes, copy1 + 0x20);

    view_.SetStatusLabel("");
    ComputeChecksum(s_);
    closeWaitWindow();
    view_.ShowChipInfo(ChecksumInfoLines(s_));
    view_.RefreshHexView();
    // Two rows above the program start on top (row 0 for a start below 0x20).
    view_.ScrollHexView((s_.RomStart + 96) / 16, std::max(0, (s_.RomStart - 32) / 16));

    OperationResult result;
    result.replyCode = complete ? BlockData : 0;
    result.stopped = transferStopped_;
    result.transferFailed = !complete && !transferStopped_;
    result.succeeded = complete;
    return result;
}

OperationResult ChipOperations::DownloadProgram()
{
    const auto switchOn = [this] {
        view_.SetEnabled(Control::MainWindow, true);
        view_.SetEnabled(Control::DownloadButton, true);
    };
    OperationResult result;
    if (!view_.Messages().Show(MessageKind::Question, Tr("请确认电源，USB线已经连接好!"))) {
        result.declined = true;
        switchOn();
        return result;
    }
    view_.SetEnabled(Control::DownloadButton, false);
    view_.SetEnabled(Control::MainWindow, false);
    view_.SetWindowShown(BusyWindow::DownloadNotice, true);
    bool transferred = false;
    try {
        link_.Comm1().OpenPort();
        link_.RxCount = 0;
        link_.SendCommand(1, 0, Hello);
        link_.WaitFull(1000);
        Exchange(45, s_.ChipDataAddr2, LoadChipData2, 5000);
        Exchange(1, 0, StartDownload, 5000);
        link_.RxCount = 0;
        transferred = DownloadImage();
        link_.WaitReply(2000); // ends at once while the last block's reply is still counted
        Exchange(1, 0, Hello, 1000);
        link_.RxCount = 0;
        link_.SendCommand(1, 0, FinishDownload);
        link_.RxCode = 0;
        link_.WaitReply(3000, 6);
        link_.ParseReply();
    } catch (...) {
        view_.SetWindowShown(BusyWindow::DownloadNotice, false);
        link_.Comm1().ClosePort();
        switchOn();
        throw;
    }
    view_.SetWindowShown(BusyWindow::DownloadNotice, false);
    link_.Comm1().ClosePort();

    NoteReply(result);
    result.stopped = transferStopped_;
    result.transferFailed = !transferred && !transferStopped_;
    // After a failed transfer the Writer's checksum is of a partial image: no finished report.
    const bool downloaded = result.replyCode == Downloaded &&
                            link_.RxPayloadLength() >= kDownloadedPayload;
    if (result.replyCode == Failure)
        ReportFailure(Reporter::Download);
    else if (downloaded && transferred)
        ShowDownloadReport();
    if (!transferred)
        view_.AppendMemoLine(Tr(kDownloadFailedText));
    result.succeeded = transferred && downloaded;
    switchOn();
    return result;
}

void ChipOperations::ShowDownloadReport()
{
    // The Writer's checksum and option bytes beside the file's, for the operator to compare.
    const auto& d = link_.RxData;
    const auto fileOption = static_cast<std::size_t>(TransferChoicesFor(s_).fileOptionAddr);
    std::string fileOptions, flashOptions;
    for (std::size_t i = 0; i < 4; ++i) {
        fileOptions += Hex(s_.RomImage[fileOption + i], 2);
        flashOptions += Hex(d[2 + i], 2);
    }
    view_.Messages().Show(
        MessageKind::Information,
        Tr("程序下载完毕,请检查File Check_sum与Flash Check_sum是否相同！\n\nFile Check_sum=") +
            Hex(s_.FileChecksum, 4) + "\nFlash Check_sum=" + Hex(d[0] * 256 + d[1], 4) +
            "\nFile Option=" + fileOptions + "\nFlash Option =" + flashOptions);
}

} // namespace orvane
