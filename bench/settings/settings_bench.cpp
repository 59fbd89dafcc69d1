// Wall-clock cost of the two settings operations on a default settings file, next to the cost of
// one whole-file read and one whole-file rewrite of the same file.
#include <benchmark/benchmark.h>

#include "bench_folder.h"
#include "diagnostics.h"
#include "file_store.h"
#include "ini_file.h"

namespace {

// WriteSettings reports every store on the debugger output; keep that off the terminal.
struct QuietDiagnostics {
    QuietDiagnostics() {
        SetDebugSink([](const std::string&) {});
    }
    ~QuietDiagnostics() { SetDebugSink({}); }
};

void BM_ReadSettings(benchmark::State& state) {
    QuietDiagnostics quiet;
    BenchFolder folder;
    folder.WriteDefaultFile();
    IniFile file;
    SettingsValues values;
    for (auto _ : state) {
        file.ReadSettings(kCurrentSettingsSection, values);
        benchmark::DoNotOptimize(values);
    }
    if (values.dwTevraAppletModeNum != 111) state.SkipWithError("the file did not read back");
}
BENCHMARK(BM_ReadSettings)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_WriteSettings(benchmark::State& state) {
    QuietDiagnostics quiet;
    BenchFolder folder;
    folder.WriteDefaultFile();
    IniFile file;
    // Alternate the values so that every call changes the file, as the applet's OK does.
    SettingsValues values{0, 222};
    for (auto _ : state) {
        values.dwTrayNotifyWindowOption ^= 1;
        file.WriteSettings(values, kCurrentSettingsSection);
    }
    SettingsValues back;
    file.ReadSettings(kCurrentSettingsSection, back);
    if (!(back == values)) state.SkipWithError("the file did not take the values");
}
BENCHMARK(BM_WriteSettings)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ReadFileOnce(benchmark::State& state) {
    BenchFolder folder;
    folder.WriteDefaultFile();
    std::string bytes;
    for (auto _ : state) {
        if (!ReadWholeFile(folder.SettingsFile(), bytes)) state.SkipWithError("cannot read");
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ReadFileOnce)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ReplaceFileOnce(benchmark::State& state) {
    BenchFolder folder;
    folder.WriteDefaultFile();
    std::string bytes;
    ReadWholeFile(folder.SettingsFile(), bytes);
    for (auto _ : state) {
        if (!ReplaceWholeFile(folder.SettingsFile(), bytes)) state.SkipWithError("cannot write");
    }
}
BENCHMARK(BM_ReplaceFileOnce)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
