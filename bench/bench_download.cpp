// The download against the simulator pacing its line at 19200 baud, through TComm on a
// pseudo-terminal: its time as a ratio to what the wire allows, and the host's processor time
// while it runs and while a wait runs its full three seconds.
#include "link_fakes.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include "catalogue/Catalogue.h"
#include "image/RomImage.h"
#include "writer/ChipOperations.h"
#include "writer/Comm1Settings.h"
#include "writer/TComm.h"
#include "writer/WriterLink.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace orvane {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double kByteMs = 0.52;   // 10 bits at 19200 baud
constexpr double kGapMs = 4.0;     // the receiver's inter-byte gap that ends a chunk
constexpr int kBlockFrame = 23;    // WriteBlock: 0x68, L, code, address, 16 bytes, sum, 0x16
constexpr int kAckFrame = 5;
constexpr int kHelloFrame = 5;     // its answer overlaps the first block on the wire
constexpr int kBlocks = 128 + 4 + 12 + 36; // 2 KiB program, option copies, chip data

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// One simulator and one host link for the whole run.
struct Rig {
    Rig()
        : sim(SIM_PATH, dir.path(), {"--pace"}),
          comm(loop, [this](const std::string&) { return sim.Link(); }),
          link(s, comm, loop), ops(s, link, view)
    {
        ConfigureComm1(comm);
        ClearImage(s);
        s.ChipName = "QK999"; // no slot: options at 0x2100, chip data at 0x7D00
        s.RomImage[0x7D04] = 0x00;
        s.RomImage[0x7D05] = 0x00;
        s.RomImage[0x7D06] = 0x07;
        s.RomImage[0x7D07] = 0xFF;
        UpdateAddressMap(s);
        for (std::size_t a = 0; a < 0x800; ++a)
            s.RomImage[a] = static_cast<std::uint8_t>(a * 31);
    }

    test::TempDir dir;
    test::SimulatorProcess sim;
    QueueEventLoop loop;
    TComm comm;
    AppState s;
    test::RecordingView view;
    WriterLink link;
    ChipOperations ops;
};

Rig& TheRig()
{
    static Rig rig;
    return rig;
}

void BM_DownloadImage(benchmark::State& state)
{
    Rig& rig = TheRig();
    const double limitMs =
        kHelloFrame * kByteMs + kBlocks * ((kBlockFrame + kAckFrame) * kByteMs + kGapMs);
    for (auto _ : state) {
        rig.comm.OpenPort();
        const double cpu0 = ProcessCpuSeconds();
        const auto t0 = Clock::now();
        const bool ok = rig.ops.DownloadImage();
        const double wallS = std::chrono::duration<double>(Clock::now() - t0).count();
        const double cpuS = ProcessCpuSeconds() - cpu0;
        rig.comm.ClosePort();
        if (!ok)
            state.SkipWithError("the download failed");
        state.SetIterationTime(wallS);
        state.counters["wire_ratio"] = wallS * 1000.0 / limitMs;
        state.counters["cpu_percent"] = 100.0 * cpuS / wallS;
    }
}
BENCHMARK(BM_DownloadImage)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FullWait(benchmark::State& state)
{
    Rig& rig = TheRig();
    for (auto _ : state) {
        rig.comm.OpenPort();
        const double cpu0 = ProcessCpuSeconds();
        const auto t0 = Clock::now();
        rig.link.WaitFull(3000);
        const double wallS = std::chrono::duration<double>(Clock::now() - t0).count();
        const double cpuS = ProcessCpuSeconds() - cpu0;
        rig.comm.ClosePort();
        state.SetIterationTime(wallS);
        state.counters["cpu_percent"] = 100.0 * cpuS / wallS;
    }
}
BENCHMARK(BM_FullWait)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orvane
