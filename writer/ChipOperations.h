// The operations the operator starts on the Writer: blank check, read, download, and the
// programming run of the programming dialog, with the two block transfers they share. Each runs
// on the user-interface thread as a fixed sequence of exchanges; its effects on the screen go
// through OperationView. A port that cannot be opened throws ECommsError out of the operation
// after everything it switched off is switched on again and its busy window is closed.
#pragma once

#include "foundation/AppState.h"
#include "writer/DeviceIdLimit.h"
#include "writer/OperationView.h"
#include "writer/WriterLink.h"

#include <cstdint>
#include <functional>
#include <string>

namespace orvane {

// What came back for the command that decides an operation's result.
enum class ReplyKind {
    None,    // nothing arrived in the wait
    Garbled, // bytes arrived that are no reply frame
    Frame,   // a reply frame: replyCode holds its code
};

// How an operation ended, for callers that need more than the operator saw (the CLI's exit code).
struct OperationResult {
    bool succeeded = false;      // blank chip, complete read, Downloaded, Done
    bool declined = false;       // the operator answered No to the operation's question
    bool refused = false;        // the run did not start: its device ID cannot reach the chip
    bool transferFailed = false; // DownloadImage or ReadImage showed its error
    bool stopped = false;        // a stop request ended the transfer before its last block
    ReplyKind reply = ReplyKind::None;
    std::uint8_t replyCode = 0;   // the reply's code; 0 unless reply is Frame
    std::uint8_t failureKind = 0; // RxData[0] when replyCode is 0xF2
};

// The programming dialog's check boxes as the run reads them.
struct ProgramRunOptions {
    bool writeId = false;      // "烧录器件ID"
    bool autoIncrement = true; // "ID自动加"
    bool download = true;      // "下载缓冲区数据"; the run ticks it when it writes an ID
};

class ChipOperations {
public:
    ChipOperations(AppState& state, WriterLink& link, OperationView& view);

    OperationResult DoBlankCheck();    // "查空"
    OperationResult ReadChip();        // "读取"
    OperationResult DownloadProgram(); // "下载程序"
    // The dialog's "编程": optional ID write and download, ProgramChip, report, ID step. After a
    // failed download no chip is programmed (the Writer would burn its older image). A run that
    // writes an ID refuses to start, with a box saying why, when DeviceIDRefusal objects.
    OperationResult RunProgramming(ProgramRunOptions& options);

    // Asked before each block of a read or download. True ends the transfer there, after the
    // block in hand and without its error box; the operation then goes on with its closing
    // exchanges and reports stopped.
    void SetStopRequest(std::function<bool()> stopRequested);

    // With the port open. Greets the Writer without waiting, then sends program area, option
    // copies and chip-data area in 16-byte blocks; an area fails when a block gets no reply (the
    // area stops there) or a wrong code (the area still runs to its end). The first failed area
    // shows the error box and ends the transfer. True when every block was acknowledged; false
    // also when a stop request ended it.
    bool DownloadImage();
    // With the port open. Reads the program area in 32-byte blocks and the model's option row;
    // any block or row that failed makes the read fail and shows the error box. A stop request
    // makes it fail without the box.
    bool ReadImage();

private:
    // Whose texts a 0xF2 reply is reported with.
    enum class Reporter { BlankCheck, Download, Programming };

    void Exchange(std::uint8_t L, std::int32_t address, std::uint8_t code, int waitMs);
    // What this command's reply was, its code and its Failure kind, into result. A code left in
    // RxBuf by an earlier reply (no new chunk) is not this command's.
    void NoteReply(OperationResult& result) const;
    void ReportFailure(Reporter reporter);
    void ShowDownloadReport();
    // Whether the transfer is to end before its next block; remembered for the result.
    bool StopBeforeNextBlock();

    AppState& s_;
    WriterLink& link_;
    OperationView& view_;
    std::function<bool()> stopRequested_;
    bool transferStopped_ = false;
};

// Number of 16-byte blocks a download sends.
std::int64_t DownloadBlockCount(const AppState& s);

// The programming run's ID write: the low IDLen bytes of NextID's two's complement, most
// significant first, at IDAddr; bytes that would fall outside the image are not written.
void WriteDeviceID(AppState& s);

// Why an ID cannot be burned as set, "" when it can: IDLen must be 2 or 3, the ID's bytes must
// lie in the program area, the only part of the image a chip receives, and NextID must pass
// DeviceIDRangeRefusal.
std::string DeviceIDRefusal(const AppState& s);

// The ID step from its decimal text; ConversionError for a text that is not a number from 0 to
// 255 (a larger step would wrap and burn one ID into every chip).
std::uint8_t IDStepFromText(const std::string& text);

// NextID as the dialog shows it (DeviceIDText).
std::string NextIDText(const AppState& s);

} // namespace orvane
