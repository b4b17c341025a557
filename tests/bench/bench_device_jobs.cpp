// Every device job against the emulated Kelvadeck on the reference image: per
// job the report exchanges the application really sends, beside the
// exchanges of the plain plan (every chunk of every write sent, as the jobs
// are laid out), the flash bytes moved, the device time of the latency model
// and the host's own CPU time per exchange. Each job runs twice, on two
// devices with the same image, once with erased-looking chunks skipped and
// once without; the two flashes must come out byte for byte the same.
//
//   bench_device_jobs            the table and the targets
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "device/ComElem.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "support/DeviceJobKind.h"
#include "support/JobRig.h"
#include "support/ReferenceImage.h"

using namespace kelvadeck;
using namespace kelvadeck::testsupport;

namespace {

constexpr uint32_t kExchangeMicros = 2000;
constexpr uint32_t kEraseMicros = 150000;

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

EmulatorKnobs Knobs() {
    EmulatorKnobs k;
    k.exchangeMicros = kExchangeMicros;
    k.sectorEraseMicros = kEraseMicros;
    k.pageProgramMicros = 0;
    return k;
}

struct Measure {
    bool ok = true;
    EmulatorCounters counters;
    int64_t planned = 0;  // answers the queue planned before the job ran (the boot read's first is sent)
    double cpuPerRun = 0;
    double wallPerRun = 0;
    std::vector<uint8_t> flash;
};

Measure RunJob(const std::vector<uint8_t>& image, const DeviceJobKind& job, bool skip, bool timed) {
    Measure m;
    JobRig rig(image, Knobs());
    m.ok = rig.Boot().Succeeded();
    rig.dm->pComQue().SetSkipErasedChunks(skip);
    job.prepare(rig);
    rig.device.ResetCounters();
    job.queue(rig);
    m.planned = rig.dm->pComQue().PlannedAnswers();
    m.ok = rig.Run().Succeeded() && m.ok;
    m.counters = rig.device.Counters();
    m.flash = rig.Flash();
    if (!timed) return m;
    // The same job again until the clock has enough to measure: jobs write
    // what the device already holds, so each repetition does the same work.
    int runs = 0;
    const double cpuStart = CpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    double cpu = 0;
    do {
        job.queue(rig);
        m.ok = rig.Run().Succeeded() && m.ok;
        ++runs;
        cpu = CpuSeconds() - cpuStart;
    } while (runs < 200 && cpu < 0.05);
    m.cpuPerRun = cpu / runs;
    m.wallPerRun = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count() / runs;
    return m;
}

double DeviceSeconds(const EmulatorCounters& c) {
    return (static_cast<double>(c.exchanges) * kExchangeMicros + static_cast<double>(c.sectorsErased) * kEraseMicros) / 1e6;
}

struct Row {
    std::string name;
    bool settingsWrite = false;
    Measure ours;
    Measure plain;
};

}  // namespace

int main() {
    const std::vector<uint8_t> image = ReferenceImageBytes();
    std::vector<Row> rows;
    for (const DeviceJobKind& job : AllDeviceJobKinds()) {
        Row r;
        r.name = job.name;
        r.settingsWrite = job.settingsWrite;
        r.ours = RunJob(image, job, true, true);
        r.plain = RunJob(image, job, false, false);
        rows.push_back(std::move(r));
    }

    std::printf("Device jobs on the reference image (3 modes fully assigned, 40 user scripts of 20..600 bytes,\n"
                "2 switch presets), through the transport and the emulated Kelvadeck.\n"
                "Device time: %.0f ms per exchange (request and answer), %.0f ms per 64 KiB sector erase.\n"
                "plan = every chunk of every write sent; ours = chunks of only 0xFF skipped.\n"
                "bytes = flash bytes read + programmed. host = CPU time of this process at zero device latency.\n\n",
                kExchangeMicros / 1000.0, kEraseMicros / 1000.0);
    std::printf("%-26s %8s %8s %7s %9s %9s %9s %10s %9s %6s\n", "job", "plan", "ours", "erases", "bytes", "plan s", "ours s",
                "host us/ex", "host ms", "flash");
    bool allSame = true;
    for (const Row& r : rows) {
        const EmulatorCounters& c = r.ours.counters;
        const bool same = r.ours.flash == r.plain.flash;
        allSame = allSame && same;
        const double perExchange = c.exchanges == 0 ? 0.0 : r.ours.cpuPerRun * 1e6 / static_cast<double>(c.exchanges);
        std::printf("%-26s %8llu %8llu %7llu %9llu %9.2f %9.2f %10.2f %9.3f %6s%s\n", r.name.c_str(),
                    static_cast<unsigned long long>(r.plain.counters.exchanges), static_cast<unsigned long long>(c.exchanges),
                    static_cast<unsigned long long>(c.sectorsErased),
                    static_cast<unsigned long long>(c.flashBytesRead + c.flashBytesProgrammed), DeviceSeconds(r.plain.counters),
                    DeviceSeconds(c), perExchange, r.ours.cpuPerRun * 1e3, same ? "same" : "DIFF",
                    r.ours.ok && r.plain.ok ? "" : "  (job failed)");
        if (static_cast<uint64_t>(r.ours.planned) != c.exchanges) {
            std::printf("  ! %s: %lld answers planned, %llu exchanges\n", r.name.c_str(), static_cast<long long>(r.ours.planned),
                        static_cast<unsigned long long>(c.exchanges));
        }
    }

    auto find = [&rows](const std::string& name) -> const Row& {
        return *std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.name == name; });
    };
    int missed = 0;
    auto target = [&missed](const std::string& what, bool met, const std::string& measured) {
        std::printf("  %-58s %-22s %s\n", what.c_str(), measured.c_str(), met ? "met" : "NOT MET");
        if (!met) ++missed;
    };
    auto ex = [&find](const std::string& name) { return find(name).ours.counters.exchanges; };
    std::printf("\nTargets\n");
    target("one macro script write <= 150 exchanges", ex("macro script write") <= 150, std::to_string(ex("macro script write")));
    target("switch preset applied <= 150 exchanges", ex("switch preset applied") <= 150, std::to_string(ex("switch preset applied")));
    target("restore <= 1,000 exchanges", ex("restore") <= 1000, std::to_string(ex("restore")));
    for (const Row& r : rows) {
        if (r.settingsWrite) target(r.name + " <= 70 exchanges", r.ours.counters.exchanges <= 70, std::to_string(r.ours.counters.exchanges));
    }
    const Row& boot = find("boot read");
    const double bootUs = boot.ours.cpuPerRun * 1e6 / static_cast<double>(std::max<uint64_t>(boot.ours.counters.exchanges, 1));
    char text[64];
    std::snprintf(text, sizeof text, "%llu, %.2f us/exchange", static_cast<unsigned long long>(boot.ours.counters.exchanges), bootUs);
    target("boot read 918 exchanges, host < 5 us per exchange", boot.ours.counters.exchanges == 918 && bootUs < 5.0, text);
    const Row& backup = find("backup");
    std::snprintf(text, sizeof text, "%.3f s (wall %.3f s)", backup.ours.cpuPerRun, backup.ours.wallPerRun);
    target("full backup at zero latency < 0.3 s host time", backup.ours.wallPerRun < 0.3, text);
    target("every job leaves the flash the plain plan leaves", allSame, allSame ? "all same" : "differs");
#ifndef NDEBUG
    std::printf("\n(assertions are on: host times are those of an unoptimised build)\n");
#endif
    return missed == 0 ? 0 : 1;
}
