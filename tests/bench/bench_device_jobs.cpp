// Device jobs through the transport and the emulated Kelvadeck: per job the
// report exchanges, the device time the emulator's latency model adds up
// (its defaults: 2 ms per exchange, 150 ms per 64 KiB erase, 0.7 ms per
// 256-byte page program) and the host's own cost per exchange (the emulator
// answers at once, so the wall time is all host work).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <span>
#include <functional>
#include <memory>

#include "app/DataManager.h"
#include "device/ComQue.h"
#include "device/SyncComRunner.h"
#include "device/USBHidManager.h"
#include "emulator/EmulatedKelvadeck.h"
#include "emulator/EmulatorBackend.h"
#include "support/ReferenceImage.h"

using namespace kelvadeck;

namespace {

struct Bench {
    EmulatedKelvadeck device;
    std::shared_ptr<EmulatorBackend> backend = std::make_shared<EmulatorBackend>(device);
    std::unique_ptr<DataManager> dm;

    Bench() {
        DataManager::Options o;
        o.hidBackend = backend;
        dm = std::make_unique<DataManager>(std::move(o));
        DataManager ref;
        testsupport::BuildReferenceImage(ref);
        (void)device.Flash().Overwrite(0, std::span<const uint8_t>(ref.WholeImage(), FlashControl::FM_TOTAL_SIZE));
        dm->pUSBHID().DeviceDetected();
        SyncComRunner(dm->pUSBHID()).Run();
        dm->DataInitializeFromMemory();
        std::memcpy(dm->WholeImage(), ref.WholeImage(), FlashControl::FM_TOTAL_SIZE);
    }
};

void RunJob(benchmark::State& state, const std::function<void(Bench&)>& queue) {
    Bench b;
    uint64_t exchanges = 0;
    double simulatedMs = 0;
    double hostSeconds = 0;
    for (auto _ : state) {
        b.device.ResetCounters();
        const auto start = std::chrono::steady_clock::now();
        queue(b);
        if (!b.dm->pUSBHID().IsJobRunning()) b.dm->pUSBHID().StartCom();
        const ComResult r = SyncComRunner(b.dm->pUSBHID()).Run();
        hostSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!r.Succeeded()) state.SkipWithError("job failed");
        const EmulatorCounters c = b.device.Counters();
        exchanges = c.exchanges;
        simulatedMs = c.SimulatedMilliseconds();
    }
    state.counters["exchanges"] = static_cast<double>(exchanges);
    state.counters["device_ms"] = simulatedMs;
    state.counters["host_ns_per_exchange"] =
        exchanges == 0 ? 0.0 : hostSeconds * 1e9 / (static_cast<double>(exchanges) * static_cast<double>(state.iterations()));
}

void BM_Boot(benchmark::State& s) {
    RunJob(s, [](Bench& b) {
        b.dm->pUSBHID().DeviceDetected();  // arrival starts the boot job itself
    });
}
BENCHMARK(BM_Boot)->Unit(benchmark::kMillisecond);

void BM_SystemSettingsWrite(benchmark::State& s) {
    RunJob(s, [](Bench& b) {
        b.dm->DataOutputToMemory();
        b.dm->pComQue().CreateFastWriteComQue();
        b.dm->pComQue().CreateBaseSettingInfoComQue();
    });
}
BENCHMARK(BM_SystemSettingsWrite)->Unit(benchmark::kMillisecond);

void BM_DialFunctionWrite(benchmark::State& s) {
    RunJob(s, [](Bench& b) {
        b.dm->DataOutputToMemory();
        b.dm->pComQue().CreateFastWriteComQue();
        b.dm->pComQue().CreateFunctionSettingInfoComQue();
    });
}
BENCHMARK(BM_DialFunctionWrite)->Unit(benchmark::kMillisecond);

void BM_MacroScriptWrite(benchmark::State& s) {
    RunJob(s, [](Bench& b) {
        b.dm->DataOutputToMemory();
        ComQue& q = b.dm->pComQue();
        q.CreateFastWriteComQue();
        q.CreateProfileSettingInfoComQue();
        q.CreateScriptInfoComQue();
        q.CreateWriteScriptComQue(1);
    });
}
BENCHMARK(BM_MacroScriptWrite)->Unit(benchmark::kMillisecond);

void BM_ScriptSectorRead(benchmark::State& s) {
    RunJob(s, [](Bench& b) { b.dm->pComQue().SetReadScriptDataComQue(2); });
}
BENCHMARK(BM_ScriptSectorRead)->Unit(benchmark::kMillisecond);

void BM_LedPreview(benchmark::State& s) {
    RunJob(s, [](Bench& b) { b.dm->pComQue().SetLedPreview(100, 0, 50, 1); });
}
BENCHMARK(BM_LedPreview)->Unit(benchmark::kMicrosecond);

void BM_Backup(benchmark::State& s) {
    RunJob(s, [](Bench& b) { b.dm->pComQue().SetAllReadSectorComQue(); });
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond);

void BM_Restore(benchmark::State& s) {
    RunJob(s, [](Bench& b) {
        b.dm->pComQue().SetFormatComQue();
        b.dm->pComQue().SetAllWriteSectorComQue();
    });
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond);

void BM_FactoryReset(benchmark::State& s) {
    RunJob(s, [](Bench& b) { b.dm->pComQue().SetFormatComQue(); });
}
BENCHMARK(BM_FactoryReset)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
