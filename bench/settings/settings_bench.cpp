// Wall-clock cost of the two settings operations on a default settings file.
#include <benchmark/benchmark.h>

#include "bench_folder.h"
#include "diagnostics.h"
#include "ini_file.h"

namespace {

// WriteSettings reports every store on the debugger output; keep that off the terminal.
struct QuietDiagnostics {
    QuietDiagnostics() { SetDebugSink([](const std::string&) {}); }
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

}  // namespace

BENCHMARK_MAIN();
