// The lot journal's record of one programming run, shared by the programming dialog and the
// command line: what the Writer answered and what that made of the chip.
#pragma once

#include "foundation/AppState.h"
#include "production/LotJournal.h"
#include "writer/ChipOperations.h"
#include "writer/WriterLink.h"

#include <optional>
#include <string>

namespace orvane {

// The record of the run that just ended: result and the reply left in link, the image's model
// and checksums from s, the chip number and ID from its reservation.
ChipRecord RecordOfRun(const AppState& s, const OperationResult& result, const WriterLink& link,
                       const Reservation& reservation, const std::string& site,
                       const std::string& firmware);

} // namespace orvane
