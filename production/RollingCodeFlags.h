// The command line's --rolling-code value as the rolling-code dialog's fields:
// "LEN:ADDR3,ADDR2,ADDR1,ADDR0:INIT:STEP:MAX:LIMIT" (decimal or 0x-hex), or "off".
#pragma once

#include "production/RollingCode.h"

#include <string>

namespace orvane {

// Throws std::invalid_argument saying what is wrong with the text's shape; the numbers' ranges
// are left to BuildRollingCodeBlock, which reports them with the dialog's messages. ADDRs may
// also be given as LEN addresses, high to low; the ones left out keep what the dialog shows for
// that length. INIT fills Va3..Va0, most significant first, and must fit in LEN bytes.
RollingCodeForm ParseRollingCodeFlag(const std::string& text);

} // namespace orvane
