#include "app/LotRecords.h"

#include "image/RomImage.h"
#include "writer/Frame.h"

namespace orvane {

ChipRecord RecordOfRun(const AppState& s, const OperationResult& r, const WriterLink& link,
                       const Reservation& reservation, const std::string& site,
                       const std::string& firmware)
{
    ChipRecord record;
    record.chip = reservation.chip;
    record.id = reservation.id;
    record.site = site;
    record.model = s.ChipName;
    record.firmware = firmware;
    record.checksum = s.FileChecksum;
    record.checksumWithOptions = s.FileChecksumWithOptions;
    record.replyCode = r.replyCode;
    if (r.replyCode == Failure) {
        record.failureKind = r.failureKind;
        if (r.failureKind == 3) {
            record.failureAddress = static_cast<std::uint16_t>(link.FailureAddress());
            record.failureData = {link.RxData[3], link.RxData[4]};
        }
    }

    if (r.succeeded) {
        record.outcome = ChipOutcome::Passed;
        record.detail = "programmed";
    } else if (r.transferFailed || r.declined || r.refused) {
        // ProgramChip was not sent: the chip is as it was.
        record.outcome = ChipOutcome::NotProgrammed;
        record.detail = r.declined  ? "declined"
                        : r.refused ? "refused before the Writer was asked"
                                    : "download failed";
    } else if (r.replyCode == 0) {
        // Without an answer the chip may hold part of the image.
        record.outcome = ChipOutcome::Failed;
        record.detail = "no answer to ProgramChip";
    } else {
        record.outcome = ChipOutcome::Failed;
        record.detail = "the Writer answered " + Hex(r.replyCode, 2);
        if (r.replyCode == Failure)
            record.detail += " kind " + std::to_string(r.failureKind);
        if (record.failureAddress)
            record.detail += " at " + Hex(*record.failureAddress, 4);
    }
    return record;
}

} // namespace orvane
