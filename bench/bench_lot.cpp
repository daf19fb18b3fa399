// The lot stores a chip waits for: a reservation and its record (median and 99th percentile per
// chip), on a throwaway local PostgreSQL server and in a journal file; and the summary of a lot of
// 100,000 chips from each. The server runs with its default durability (fsync on).
#include "production/LotStore.h"
#include "production/PgConnection.h"
#include "production/ServerLot.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace orvane;

const std::string kServerDir = "/tmp/orvane-bench-lot-server-" + std::to_string(::getpid());
const std::string kTempDir = "/tmp/orvane-bench-lot-" + std::to_string(::getpid());
constexpr std::int64_t kBigLot = 100'000;

std::string Uri(const std::string& lot)
{
    return "postgresql:///orvane?host=" + kServerDir + "&user=orvane&lot=" + lot;
}

// Reserve and record one chip per iteration; the per-chip times as counters in milliseconds.
void ReserveAndRecord(benchmark::State& state, LotStore& store)
{
    std::vector<double> ms;
    IdRequest request;
    request.wanted = 1;
    request.fromLot = true;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const Reservation r = store.Reserve("COM1", request, 3, 0x0100);
        ChipRecord record;
        std::tie(record.chip, record.id, record.outcome) = std::tuple(r.chip, r.id, ChipOutcome::Passed);
        store.Record(record);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        request.wanted.reset();
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
}

void BM_ServerReserveAndRecord(benchmark::State& state)
{
    static int run = 0;
    const std::string uri = Uri("round-trip-" + std::to_string(++run));
    ServerLot::Init(uri);
    ServerLot lot(uri);
    ReserveAndRecord(state, lot);
}
BENCHMARK(BM_ServerReserveAndRecord)->Iterations(1000)->Unit(benchmark::kMillisecond);

void BM_FileReserveAndRecord(benchmark::State& state)
{
    static int run = 0;
    LotJournal lot(kTempDir + "/round-trip-" + std::to_string(++run) + ".jsonl");
    ReserveAndRecord(state, lot);
}
BENCHMARK(BM_FileReserveAndRecord)->Iterations(1000)->Unit(benchmark::kMillisecond);

// 100,000 chips on four sites, one in a hundred failed.
void BM_ServerSummaryOf100000Chips(benchmark::State& state)
{
    const std::string uri = Uri("big");
    ServerLot::Init(uri);
    {
        PgConnection db("postgresql:///orvane?host=" + kServerDir + "&user=orvane");
        const std::string id = db.Run("SELECT lot_id FROM lots WHERE name = 'big'").Text(0, 0);
        db.Run("INSERT INTO reservations (lot_id, chip, unix_ms, site, device_id, id_len, id_addr) "
               "SELECT $1, g, 1796561773000 + g * 11000, 'COM' || g % 4, g, 3, 256 "
               "FROM generate_series(1, $2::bigint) g ON CONFLICT DO NOTHING",
               {id, std::to_string(kBigLot)});
        db.Run("INSERT INTO chips (lot_id, chip, unix_ms, site, model, firmware, checksum, "
               "checksum_options, device_id, id_len, reply, outcome, detail) "
               "SELECT $1, g, 1796561780000 + g * 11000, 'COM' || g % 4, 'QK128', 'V1.2', 36896, "
               "38172, g, 3, CASE WHEN g % 100 = 0 THEN 242 ELSE 2 END, "
               "CASE WHEN g % 100 = 0 THEN 'failed' ELSE 'passed' END, '' "
               "FROM generate_series(1, $2::bigint) g ON CONFLICT DO NOTHING",
               {id, std::to_string(kBigLot)});
        db.Run("UPDATE lots SET last_chip = $2 WHERE lot_id = $1", {id, std::to_string(kBigLot)});
        db.Run("ANALYZE");
    }
    ServerLot lot(uri);
    for (auto _ : state)
        benchmark::DoNotOptimize(LotSummaryText(lot.Read()));
}
BENCHMARK(BM_ServerSummaryOf100000Chips)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FileSummaryOf100000Chips(benchmark::State& state)
{
    const std::string path = kTempDir + "/big.jsonl";
    {
        std::ofstream out(path, std::ios::binary);
        for (std::int64_t chip = 1; chip <= kBigLot; ++chip) {
            out << ReserveLine("COM" + std::to_string(chip % 4), {chip, DeviceId{chip, 3}}, 0x100,
                               1796561773000 + chip * 11000)
                << '\n';
            ChipRecord r;
            std::tie(r.chip, r.id, r.outcome, r.site, r.model) =
                std::tuple(chip, DeviceId{chip, 3},
                           chip % 100 == 0 ? ChipOutcome::Failed : ChipOutcome::Passed,
                           "COM" + std::to_string(chip % 4), "QK128");
            out << ChipLine(r, 1796561780000 + chip * 11000) << '\n';
        }
    }
    LotJournal lot(path, LotJournal::Access::ReadOnly);
    for (auto _ : state)
        benchmark::DoNotOptimize(LotSummaryText(lot.Read()));
}
BENCHMARK(BM_FileSummaryOf100000Chips)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::filesystem::create_directories(kTempDir);
    const std::string server = std::string(LOT_SERVER_SH) + " ";
    if (std::system((server + "fresh " + kServerDir + " >/dev/null").c_str()) != 0)
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    std::system((server + "clean " + kServerDir).c_str());
    std::filesystem::remove_all(kTempDir);
    benchmark::Shutdown();
    return 0;
}
