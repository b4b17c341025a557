// Decoding a full device image into the settings model and encoding it back.
#include <benchmark/benchmark.h>

#include "support/ReferenceImage.h"

using namespace kelvadeck;

namespace {

void BM_DecodeSettingsAndDirectory(benchmark::State& state) {
    DataManager dm;
    testsupport::BuildReferenceImage(dm);
    for (auto _ : state) {
        dm.DataInitializeFromMemory();
        benchmark::DoNotOptimize(dm.g_arSCE.data());
    }
}
BENCHMARK(BM_DecodeSettingsAndDirectory);

void BM_DecodeWholeImageWithScripts(benchmark::State& state) {
    DataManager dm;
    testsupport::BuildReferenceImage(dm);
    for (auto _ : state) {
        dm.DataInitializeFromMemory();
        for (int s = 2; s < 32; ++s) dm.SetScriptDataFromFlashSector(s);
        benchmark::DoNotOptimize(dm.g_arSCE.data());
    }
}
BENCHMARK(BM_DecodeWholeImageWithScripts);

void BM_EncodeSettingsAndDirectory(benchmark::State& state) {
    DataManager dm;
    testsupport::BuildReferenceImage(dm);
    dm.DataInitializeFromMemory();
    for (auto _ : state) {
        dm.DataOutputToMemory();
        benchmark::DoNotOptimize(dm.SectorBuffer(0));
    }
}
BENCHMARK(BM_EncodeSettingsAndDirectory);

void BM_RenewScriptAndRepackSector(benchmark::State& state) {
    DataManager dm;
    testsupport::BuildReferenceImage(dm);
    dm.DataInitializeFromMemory();
    for (int s = 2; s < 32; ++s) dm.SetScriptDataFromFlashSector(s);
    MacroCreator script;
    script.pbRawData = std::vector<uint8_t>(600, 0x29);
    script.dwTotalSize = 600;
    for (auto _ : state) {
        dm.RenewMacroScriptInfo(31, script);
        benchmark::DoNotOptimize(dm.SectorBuffer(2));
    }
}
BENCHMARK(BM_RenewScriptAndRepackSector);

}  // namespace

BENCHMARK_MAIN();
