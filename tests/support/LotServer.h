// The throwaway lot server of the tests (tests/support/lot-server.sh, started by CTest before
// them): URIs of fresh lots on it.
#pragma once

#include <chrono>
#include <string>
#include <unistd.h>

namespace orvane::test {

// The URI of a lot on the server in socketDir; lot names a lot no earlier run has used.
inline std::string LotServerUri(const std::string& lot, const std::string& socketDir = LOT_SERVER_DIR)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return "postgresql:///orvane?host=" + socketDir + "&user=orvane&lot=" + lot + "-" +
           std::to_string(::getpid()) + "-" + std::to_string(now);
}

} // namespace orvane::test
