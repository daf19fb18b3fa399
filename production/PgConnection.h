// A libpq connection with the few calls the server lot needs: statements with text parameters,
// results read as text, and the server and reason for messages.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace orvane {

class PgResult {
public:
    explicit PgResult(pg_result* result);
    int Rows() const;
    bool Null(int row, int column) const;
    std::string Text(int row, int column) const;
    std::optional<std::int64_t> Number(int row, int column) const; // nothing for NULL
    std::int64_t Affected() const; // rows an INSERT or UPDATE touched

private:
    std::shared_ptr<pg_result> result_;
};

using PgParam = std::optional<std::string>; // nothing: NULL

class PgConnection {
public:
    // Connects; throws ServerError "cannot reach the lot server HOST: REASON".
    explicit PgConnection(const std::string& connection);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs one statement (or, without parameters, several). Throws ServerError naming the server
    // and the reason; Lost() then tells whether the connection went down.
    PgResult Run(const std::string& sql, const std::vector<PgParam>& params = {});
    bool Lost() const;
    // Connects again after a loss; false while the server stays away.
    bool Reconnect();
    // "HOST" or "the socket in DIR", for messages.
    const std::string& Server() const { return server_; }

private:
    pg_conn* conn_ = nullptr;
    std::string server_;
};

// text with every byte that is not UTF-8, and NUL, as U+FFFD: the server keeps UTF-8 text only.
std::string ServerText(const std::string& text);

} // namespace orvane
