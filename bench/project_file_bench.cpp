// Project file: building the file image, reading it back, converting an older file and
// a whole safe save (temporary file, flush, replace). Run: build/bench/project_file_bench
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "project/defaults.h"
#include "platform/file_steps.h"
#include "project/project_file.h"
#include "tests/support/unsynced_file_steps.h"

namespace {

using namespace kest;

std::unique_ptr<Project> defaults() {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    reset_to_defaults(*p);
    return p;
}

void BM_Defaults(benchmark::State& state) {
    auto p = defaults();
    for (auto _ : state) {
        reset_to_defaults(*p);
        benchmark::DoNotOptimize(p.get());
    }
}
BENCHMARK(BM_Defaults);

void BM_FileBytes(benchmark::State& state) {
    const auto p = defaults();
    for (auto _ : state) benchmark::DoNotOptimize(project_file_bytes(*p));
}
BENCHMARK(BM_FileBytes);

void BM_ReadCurrent(benchmark::State& state) {
    const std::vector<u8> bytes = project_file_bytes(*defaults());
    auto p = defaults();
    for (auto _ : state) benchmark::DoNotOptimize(read_project_bytes(bytes, *p));
}
BENCHMARK(BM_ReadCurrent);

void BM_ConvertOlder(benchmark::State& state) {
    std::vector<u8> bytes(kOlderFullSize, 0);
    std::memcpy(bytes.data(), "Qvx-4.00", 8);
    bytes[10496] = '@';
    const auto start = defaults();
    auto p = defaults();
    for (auto _ : state) {
        *p = *start;
        benchmark::DoNotOptimize(read_project_bytes(bytes, *p));
    }
}
BENCHMARK(BM_ConvertOlder);

// A save as the programs make it (put on the disk), and the same without the syncs: what
// the disk's confirmation costs.
void save(benchmark::State& state, FileSteps& steps) {
    const auto p = defaults();
    const auto file = std::filesystem::temp_directory_path() / "kest-bench-save.agx";
    for (auto _ : state) benchmark::DoNotOptimize(write_project_file(file.string(), *p, steps));
    std::filesystem::remove(file);
}
void BM_SafeSave(benchmark::State& state) { save(state, system_file_steps()); }
BENCHMARK(BM_SafeSave)->UseRealTime();
void BM_SafeSaveUnsynced(benchmark::State& state) {
    testing::UnsyncedFileSteps steps;
    save(state, steps);
}
BENCHMARK(BM_SafeSaveUnsynced)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
