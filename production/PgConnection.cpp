#include "production/PgConnection.h"

#include "production/JsonLine.h"
#include "production/LotStore.h"

#include <charconv>
#include <libpq-fe.h>

namespace orvane {
namespace {

// libpq's messages run over several lines with tabs: one line for ours.
std::string OneLine(const char* message)
{
    std::string out;
    for (const char* p = message; *p != '\0'; ++p) {
        if (*p == '\n' || *p == '\t') {
            if (!out.empty() && out.back() != ' ' && p[1] != '\0')
                out += (*p == '\n' ? "; " : " ");
        } else {
            out += *p;
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == ';'))
        out.pop_back();
    return out;
}

std::string ServerOf(const std::string& connection)
{
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(connection.c_str(), &error);
    PQfreemem(error);
    std::string host, port;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (o->val && std::string(o->keyword) == "host")
            host = o->val;
        if (o->val && std::string(o->keyword) == "port")
            port = o->val;
    }
    PQconninfoFree(options);
    if (host.empty() || host.front() == '/')
        host = "the socket in " + (host.empty() ? std::string("/var/run/postgresql") : host);
    return port.empty() ? host : host + " port " + port;
}

} // namespace

PgResult::PgResult(pg_result* result) : result_(result, PQclear) {}

int PgResult::Rows() const
{
    return PQntuples(result_.get());
}

bool PgResult::Null(int row, int column) const
{
    return PQgetisnull(result_.get(), row, column) != 0;
}

std::string PgResult::Text(int row, int column) const
{
    return std::string(PQgetvalue(result_.get(), row, column),
                       static_cast<std::size_t>(PQgetlength(result_.get(), row, column)));
}

std::optional<std::int64_t> PgResult::Number(int row, int column) const
{
    if (Null(row, column))
        return std::nullopt;
    const char* text = PQgetvalue(result_.get(), row, column);
    std::int64_t value = 0;
    std::from_chars(text, text + PQgetlength(result_.get(), row, column), value);
    return value;
}

std::int64_t PgResult::Affected() const
{
    const char* text = PQcmdTuples(result_.get());
    std::int64_t value = 0;
    std::from_chars(text, text + std::char_traits<char>::length(text), value);
    return value;
}

namespace {

// A client that vanishes inside a transaction (a laptop off the network) would hold the lot's
// row lock until the server noticed, hours later: its session ends after 5 s idle instead, and a
// reservation waits at most 15 s for that lock. An options parameter of the URI replaces these.
pg_conn* Connect(const std::string& connection)
{
    const char* const keywords[] = {"options", "dbname", nullptr};
    const char* const values[] = {"-c idle_in_transaction_session_timeout=5000 -c lock_timeout=15000",
                                  connection.c_str(), nullptr};
    return PQconnectdbParams(keywords, values, 1);
}

} // namespace

PgConnection::PgConnection(const std::string& connection)
    : conn_(Connect(connection)), server_(ServerOf(connection))
{
    if (PQstatus(conn_) != CONNECTION_OK) {
        const std::string why = OneLine(PQerrorMessage(conn_));
        PQfinish(conn_);
        conn_ = nullptr;
        throw ServerError("cannot reach the lot server " + server_ + ": " + why);
    }
    PQsetClientEncoding(conn_, "UTF8");
    PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr); // "already exists" and such
}

PgConnection::~PgConnection()
{
    PQfinish(conn_);
}

PgResult PgConnection::Run(const std::string& sql, const std::vector<PgParam>& params)
{
    std::vector<const char*> values;
    for (const PgParam& p : params)
        values.push_back(p ? p->c_str() : nullptr);
    pg_result* raw = params.empty() ? PQexec(conn_, sql.c_str())
                                    : PQexecParams(conn_, sql.c_str(),
                                                   static_cast<int>(values.size()), nullptr,
                                                   values.data(), nullptr, nullptr, 0);
    PgResult result(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        std::string why = raw ? OneLine(PQresultErrorMessage(raw)) : "";
        if (why.empty())
            why = OneLine(PQerrorMessage(conn_));
        throw ServerError("the lot server " + server_ + " failed: " + why);
    }
    return result;
}

bool PgConnection::Lost() const
{
    return PQstatus(conn_) != CONNECTION_OK;
}

bool PgConnection::Reconnect()
{
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK)
        return false;
    PQsetClientEncoding(conn_, "UTF8");
    return true;
}

std::string ServerText(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = text[i] == '\0' ? 0 : Utf8SequenceLength(text, i);
        out += n == 0 ? std::string("\xEF\xBF\xBD") : text.substr(i, n);
        i += n == 0 ? 1 : n;
    }
    return out;
}

} // namespace orvane
