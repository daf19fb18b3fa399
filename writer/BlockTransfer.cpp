// The two block transfers of the read and the download, run with the port open.
#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "writer/ChipOperations.h"
#include "writer/Frame.h"
#include "writer/TransferChoices.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orvane {

namespace {

constexpr int kWriteBlockSize = 16;
constexpr int kReadBlockSize = 32;
constexpr int kWriteBlockWaitMs = 600;
constexpr int kReadBlockWaitMs = 1000;
constexpr int kOptionCopyDistance = 0x20;

// Blocks of `size` bytes that cover the rows first..last as the Writer counts them.
std::int64_t BlockCount(std::int32_t first, std::int32_t last, int size)
{
    return std::int64_t{last} / size - std::int64_t{first} / size + 1;
}

// Stores a read block; bytes that would fall beyond the image are dropped.
void StoreBlock(AppState& s, std::int64_t address, const WriterLink& link)
{
    for (int i = 0; i < kReadBlockSize; ++i) {
        const std::int64_t at = address + i;
        if (at >= 0 && at < kImageSize)
            s.RomImage[static_cast<std::size_t>(at)] = link.RxData[static_cast<std::size_t>(i)];
    }
}

// The download's areas in the order they are sent: first and last row of each.
std::array<std::pair<std::int32_t, std::int32_t>, 5> DownloadAreas(const AppState& s)
{
    return {{
        {s.RomStart, s.RomEnd},
        {s.OptionAddr1, s.OptionAddr1Last},
        {s.OptionAddr2, s.OptionAddr2Last},
        {s.ChipDataAddr1, s.ChipDataAddr1Last},
        {s.ChipDataAddr2, s.ChipDataAddr2Last},
    }};
}

} // namespace

std::int64_t DownloadBlockCount(const AppState& s)
{
    std::int64_t blocks = 0;
    for (const auto& [first, last] : DownloadAreas(s))
        blocks += std::max<std::int64_t>(0, BlockCount(first, last, kWriteBlockSize));
    return blocks;
}

bool ChipOperations::StopBeforeNextBlock()
{
    transferStopped_ = transferStopped_ || (stopRequested_ && stopRequested_());
    return transferStopped_;
}

bool ChipOperations::DownloadImage()
{
    transferStopped_ = false;
    link_.SendCommand(1, 0, Hello); // not waited for: its answer comes ahead of the first block's
    const auto areas = DownloadAreas(s_);
    const std::int64_t blocksTotal = DownloadBlockCount(s_);
    std::int64_t blocksDone = 0;
    // An area without blocks keeps the result before it: an empty program area fails.
    bool good = false;
    bool helloPending = true;
    for (const auto& [first, last] : areas) {
        const std::int64_t blocks = BlockCount(first, last, kWriteBlockSize);
        if (blocks > 0)
            good = true;
        for (std::int64_t n = 0; n < blocks; ++n) {
            if (StopBeforeNextBlock())
                return false;
            const auto address = static_cast<std::int32_t>(first + n * kWriteBlockSize);
            link_.SendCommand(19, address, WriteBlock);
            link_.RxCount = 0;
            link_.WaitBlockReply(kWriteBlockWaitMs);
            // The Hello's answer comes first, alone or in one chunk with the block's.
            if (std::exchange(helloPending, false) && link_.SkipHelloAck() && link_.RxCount == 0)
                link_.WaitBlockReply(kWriteBlockWaitMs);
            if (s_.ProgramDialogOpen)
                view_.AdvanceProgress();
            view_.ReportTransferProgress(++blocksDone, blocksTotal);
            if (link_.RxCount == 0) {
                good = false;
                break;
            }
            link_.ParseReply();
            if (link_.RxCode != BlockAck)
                good = false; // a later good block does not make up for it
        }
        if (!good) {
            view_.Messages().Show(MessageKind::Error, Tr("通信错误2请检查烧写器是否连接正确！"));
            return false;
        }
    }
    return true;
}

bool ChipOperations::ReadImage()
{
    // Asks for one block; true when it came back whole as BlockData, stored at storeAt.
    const auto readBlock = [this](std::int32_t address, std::int64_t storeAt) {
        link_.SendCommand(3, address, ReadBlock);
        link_.RxCount = 0;
        link_.WaitBlockReply(kReadBlockWaitMs);
        if (link_.RxCount == 0)
            return false;
        link_.ParseReply();
        if (link_.RxCode != BlockData || link_.RxPayloadLength() < kReadBlockSize)
            return false;
        StoreBlock(s_, storeAt, link_);
        return true;
    };

    transferStopped_ = false;
    bool failed = false;
    const std::int64_t blocks = std::max<std::int64_t>(
        0, BlockCount(s_.RomStart, s_.RomEnd, kReadBlockSize));
    const std::int64_t blocksTotal = blocks + 1; // and the option row
    for (std::int64_t n = 0; n < blocks && !StopBeforeNextBlock(); ++n) {
        const std::int64_t address = s_.RomStart + n * kReadBlockSize;
        const bool good = readBlock(static_cast<std::int32_t>(address), address);
        view_.ReportTransferProgress(n + 1, blocksTotal);
        if (!good) {
            failed = true;
            if (link_.RxCount == 0)
                break; // no answer: the rest of the program area is not asked for
        }
    }

    if (StopBeforeNextBlock())
        return false;
    const TransferChoices& choices = TransferChoicesFor(s_);
    if (!readBlock(choices.optionRowAddr, choices.optionCopyAddr))
        failed = true;
    view_.ReportTransferProgress(blocksTotal, blocksTotal);
    const auto copy1 = static_cast<std::size_t>(choices.optionCopyAddr);
    s_.RomImage[copy1 + kOptionCopyDistance] = s_.RomImage[copy1];

    if (failed)
        view_.Messages().Show(MessageKind::Error, Tr("开始读取！"));
    return !failed;
}

} // namespace orvane
