// The image work an operator waits for: the checksum over a 32 KiB program area, opening and
// saving a 32 KiB program file.
#include "image/RomImage.h"
#include "image/SRecordFiles.h"
#include "image/SRecordText.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace orvane;

constexpr std::int32_t kProgramEnd = 0x7FFF; // a 32 KiB program area from 0

// A model with a 32 KiB program area, every program byte set (no blank record is skipped).
std::unique_ptr<AppState> ProgramState()
{
    auto s = std::make_unique<AppState>();
    s->RomImage.fill(kBlank);
    for (std::int32_t a = 0; a <= kProgramEnd; ++a)
        s->RomImage[a] = static_cast<std::uint8_t>(a * 7);
    const std::uint8_t bounds[] = {0x00, 0x00, kProgramEnd >> 8, kProgramEnd & 0xFF};
    std::copy(std::begin(bounds), std::end(bounds), s->RomImage.begin() + 0x7D04);
    s->ChipName = "QK128";
    s->ChipPin = "20";
    return s;
}

// A fresh folder for the benchmark's files, removed at the end.
struct BenchDir {
    BenchDir()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path = pattern + "/";
    }
    ~BenchDir() { std::filesystem::remove_all(path); }
    std::string path;
};

void BM_ComputeChecksum(benchmark::State& state)
{
    auto s = ProgramState();
    for (auto _ : state) {
        ComputeChecksum(*s);
        benchmark::DoNotOptimize(s->FileChecksum);
    }
    state.SetBytesProcessed(state.iterations() * (kProgramEnd + 1));
}
BENCHMARK(BM_ComputeChecksum);

void BM_LoadS19Range(benchmark::State& state)
{
    BenchDir dir;
    const std::string file = dir.path + "program.S19";
    WriteS19File(*ProgramState(), 0, kProgramEnd, file);
    auto s = ProgramState();
    for (auto _ : state) {
        LoadS19Range(*s, 0, kProgramEnd, file);
        benchmark::DoNotOptimize(s->RomImage.data());
    }
    state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(file));
}
BENCHMARK(BM_LoadS19Range);

// The whole save: records, temporary file, fsync, rename.
void BM_WriteWrtFile(benchmark::State& state)
{
    BenchDir dir;
    auto s = ProgramState();
    for (auto _ : state)
        WriteWrtFile(*s, 0, kProgramEnd, dir.path + "program.WRT");
}
BENCHMARK(BM_WriteWrtFile)->Unit(benchmark::kMicrosecond);

// The record text alone, without the disk.
void BM_FormatRecords(benchmark::State& state)
{
    auto s = ProgramState();
    std::string text;
    for (auto _ : state) {
        text.clear();
        AppendS1Records(text, s->RomImage, 0, kProgramEnd);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_FormatRecords);

} // namespace
