// Records a lot server could not take: kept in a spill file beside the settings file, one per
// lot, until `orvane-cli lot import URI FILE` folds them back in.
#pragma once

#include "production/LotJournal.h"

#include <string>

namespace orvane {

// "<settings folder>/<lot>-spill.jsonl" for the lot that store names (appDir ends with '/').
std::string SpillPathFor(const std::string& appDir, const LotStore& store);

// Records in store. When a server cannot take it even after its retries, the record's journal
// line goes to the spill file instead and the operator's message saying so is returned; "" when
// the store took it. Throws FileError when the spill file cannot be written either.
std::string RecordOrSpill(LotStore& store, const ChipRecord& record, const std::string& appDir);
std::string RecordOrSpill(LotStore& store, const RunSummary& summary, const std::string& appDir);

} // namespace orvane
