// A lot on a PostgreSQL server, shared by the Writers of every computer of a line.
//
// A reservation is one transaction that first locks the lot's row (SELECT ... FOR UPDATE): the
// reservations of one lot queue on that lock, so each sees every earlier one committed and the
// chip numbers and IDs follow on without gaps or retries. A unique index on (lot, ID) stands
// behind the lock: should anything ever reserve outside it, the database refuses the second ID.
// Every statement is committed before it returns.
#pragma once

#include "production/LotStore.h"
#include "production/PgConnection.h"

#include <memory>
#include <string>
#include <string_view>

namespace orvane {

class ServerLot : public LotStore {
public:
    // Connects and finds the lot. Throws ServerError when the server cannot be reached, holds no
    // lot tables of this version or no lot of that name.
    explicit ServerLot(const std::string& uri);

    Reservation Reserve(const std::string& site, const IdRequest& request, int idLength,
                        std::int32_t idAddr) override;
    // A record the server cannot take is tried again for a few seconds, reconnecting, before
    // it throws ServerError.
    void Record(const ChipRecord& record) override;
    void Record(const RunSummary& summary) override;
    LotSummary Read() const override;
    std::string Export() const override;
    const std::string& Name() const override { return uri_; }

    // Creates or brings up to date the lot tables and creates the lot when it is missing;
    // harmless to repeat. Returns what it did, in words.
    static std::string Init(const std::string& uri);

    struct Folded {
        int added = 0;      // lines the lot did not hold yet
        int present = 0;    // lines it held already
        int unreadable = 0; // lines that are no record, or a chip with no reservation
    };
    // Folds a journal's lines (a spill file, an export) into the lot, in one transaction.
    Folded Import(std::string_view journalText);

private:
    template <typename Fn>
    void Retried(Fn&& write);

    std::string uri_;
    std::unique_ptr<PgConnection> db_;
    std::string lotId_;
};

} // namespace orvane
