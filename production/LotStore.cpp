#include "production/LotStore.h"

#include "production/ServerLot.h"

#include <libpq-fe.h>

namespace orvane {
namespace {

int HexDigit(char c)
{
    return c >= '0' && c <= '9' ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// %XX decoded; nothing when a % starts no escape.
std::optional<std::string> Unescaped(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || HexDigit(text[i + 1]) < 0 || HexDigit(text[i + 2]) < 0)
            return std::nullopt;
        out += static_cast<char>(HexDigit(text[i + 1]) << 4 | HexDigit(text[i + 2]));
        i += 2;
    }
    return out;
}

} // namespace

bool IsServerLot(const std::string& location)
{
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

LotUri ParseLotUri(const std::string& uri)
{
    LotUri parts;
    const auto query = uri.find('?');
    parts.connection = uri.substr(0, query);
    std::string rest;
    for (std::size_t from = query; from != std::string::npos && from < uri.size();) {
        const std::size_t end = uri.find('&', from + 1);
        const std::string param = uri.substr(from + 1, end == std::string::npos ? end : end - from - 1);
        from = end;
        if (!param.starts_with("lot=")) {
            rest += (rest.empty() ? "?" : "&") + param;
            continue;
        }
        const auto name = Unescaped(param.substr(4));
        if (!name || name->empty() || !parts.lot.empty())
            throw LotUriError("the lot URI " + uri + " must name its lot once: ?lot=NAME");
        parts.lot = *name;
    }
    parts.connection += rest;
    if (parts.lot.empty())
        throw LotUriError("the lot URI " + uri + " names no lot: add ?lot=NAME");
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(parts.connection.c_str(), &error);
    if (!options) {
        std::string why = error ? error : "out of memory";
        PQfreemem(error);
        while (!why.empty() && why.back() == '\n')
            why.pop_back();
        throw LotUriError("the lot URI " + uri + " is no connection URI: " + why);
    }
    bool password = false;
    std::string port;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        const std::string keyword = o->keyword;
        password |= keyword == "password" && o->val && *o->val;
        if (keyword == "port" && o->val)
            port = o->val;
    }
    PQconninfoFree(options);
    if (password)
        throw LotUriError("the lot URI " + uri +
                          " holds a password: put it in ~/.pgpass or PGPASSWORD");
    if (port.find_first_not_of("0123456789,") != std::string::npos)
        throw LotUriError("the lot URI " + uri + " gives no port number: " + port);
    return parts;
}

std::unique_ptr<LotStore> OpenLotStore(const std::string& location, LotAccess access)
{
    if (IsServerLot(location))
        return std::make_unique<ServerLot>(location);
    return std::make_unique<LotJournal>(location, access == LotAccess::Append
                                                      ? LotJournal::Access::Append
                                                      : LotJournal::Access::ReadOnly);
}

} // namespace orvane
