// Which lot store a --journal or [JOURNAL] URL names: a file, or a lot on a PostgreSQL server.
#pragma once

#include "foundation/Errors.h"
#include "production/LotJournal.h"

#include <memory>
#include <string>

namespace orvane {

// A lot server that cannot be reached or that failed a statement; what() names the server and
// the reason. A FileError, so that every front end treats it as a store it cannot use.
class ServerError : public FileError {
public:
    using FileError::FileError;
};

// A lot URI that is no connection string, names no lot or carries a password; what() says which.
class LotUriError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "postgresql://user@host/db?lot=LOT-2407" taken apart: the connection string libpq gets (the
// lot parameter removed) and the lot's name.
struct LotUri {
    std::string connection;
    std::string lot;
};

// A lot on a server: "postgresql://" or "postgres://", as libpq names connection URIs.
bool IsServerLot(const std::string& location);

// Throws LotUriError unless uri is a libpq connection URI with ?lot=NAME and no password.
LotUri ParseLotUri(const std::string& uri);

enum class LotAccess { Append, ReadOnly };

// The file journal or the server lot that location names. Throws FileError (ServerError for a
// server it cannot reach or that has no such lot) and LotUriError.
std::unique_ptr<LotStore> OpenLotStore(const std::string& location,
                                       LotAccess access = LotAccess::Append);

} // namespace orvane
