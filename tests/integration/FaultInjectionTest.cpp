// Every device job against an emulated Kelvadeck that misbehaves: lost
// answers, late answers, error statuses, busy answers and an unplug at every
// exchange of a short job (at sampled exchanges of a long one). Whatever goes
// wrong, the job ends exactly once, its result says what failed, the pump
// never spins, and the flash keeps everything the failed step did not touch.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/DataManager.h"
#include "device/ComElem.h"
#include "device/ComQue.h"
#include "device/HidDevice.h"
#include "device/SyncComRunner.h"
#include "device/USBHidManager.h"
#include "emulator/EmulatedFirmware.h"
#include "model/FlashControl.h"
#include "support/DeviceJobKind.h"
#include "support/JobRig.h"
#include "support/ReferenceImage.h"

namespace kelvadeck {
namespace {

using FC = FlashControl;
using testsupport::DeviceJobKind;
using testsupport::JobRig;

// The settings reports that make the device apply a change at once.
constexpr uint8_t kLiveUpdates[] = {ComElem::COM_CMD_SET_STANDARD_INFO, ComElem::COM_CMD_SET_PROFILE_STANDARD_INFO,
                                    ComElem::COM_CMD_SET_PROFILE_FUNC_INFO, ComElem::COM_CMD_SET_DIAL_MACRO_INFO,
                                    ComElem::COM_CMD_SET_SWITCH_FUNC_INFO};

bool IsLiveUpdate(uint8_t code) { return std::find(std::begin(kLiveUpdates), std::end(kLiveUpdates), code) != std::end(kLiveUpdates); }

const std::vector<uint8_t>& Reference() {
    static const std::vector<uint8_t> image = testsupport::ReferenceImageBytes();
    return image;
}

// What the pump saw while it drove one job.
struct PumpOutcome {
    ComResult result;
    int endings = 0;        // times bDataUpdate was raised
    bool hung = false;      // still running when the pass budget ran out
    int strayEndings = 0;   // raised again by answers that came after the end
};

// The pump of the command line program, with a pass budget so that a job that
// never ends fails the test instead of hanging it, and with one answer held
// back past its deadline when lateAfter is set (the read at that exchange
// number times out; the answer stays queued and arrives with the next read).
PumpOutcome Pump(JobRig& rig, uint64_t passBudget, std::optional<uint64_t> lateAfter = std::nullopt) {
    USBHidManager& hid = rig.dm->pUSBHID();
    PumpOutcome o;
    auto noteEnd = [&](int& counter) {
        if (rig.dm->bDataUpdate()) {
            ++counter;
            rig.dm->SetDataUpdate(false);
        }
    };
    noteEnd(o.endings);
    bool lateDone = false;
    SyncComRunner runner(hid);
    uint64_t passes = 0;
    while (hid.IsJobRunning()) {
        if (++passes > passBudget) {
            o.hung = true;
            break;
        }
        if (hid.Device() != nullptr && lateAfter && !lateDone && rig.device.ExchangeNumber() >= *lateAfter) {
            // The answer is late: its deadline passes before it is read.
            lateDone = true;
            hid.AnswerTimedOut();
        } else {
            runner.Step();
        }
        noteEnd(o.endings);
    }
    o.result = hid.LastResult();
    // Answers still on their way reach a reader that keeps reading: none of
    // them may end a job a second time.
    for (int i = 0; i < 16 && hid.Device() != nullptr; ++i) {
        const HidDevice::ReadResult r = hid.Device()->Read(0);
        if (r.status != HidDevice::ReadStatus::Report) break;
        hid.PacketReceived(r.report);
        noteEnd(o.strayEndings);
    }
    return o;
}

// A flash image decoded as the application decodes a device: settings,
// directory and every data sector's scripts.
std::unique_ptr<DataManager> Decode(const std::vector<uint8_t>& flash) {
    auto dm = std::make_unique<DataManager>();
    std::memcpy(dm->WholeImage(), flash.data(), FC::FM_TOTAL_SIZE);
    EXPECT_TRUE(dm->RenewMemBuf());
    for (int s = 2; s < static_cast<int>(FC::FM_SECTOR_NUM); ++s) EXPECT_TRUE(dm->SetScriptDataFromFlashSector(s));
    return dm;
}

bool SameScript(const ScriptElem& a, const ScriptElem& b) {
    if (a.IsStored() != b.IsStored()) return false;
    if (!a.IsStored()) return true;
    return a.pbRawData == b.pbRawData && a.strScriptName == b.strScriptName && a.bScriptMode == b.bScriptMode;
}

// A job kind with what a clean run of it looks like.
struct Baseline {
    DeviceJobKind kind;
    std::vector<uint8_t> before;  // flash before the job (after its preparation)
    std::vector<uint8_t> after;   // flash after a run without faults
    uint64_t exchanges = 0;
    uint8_t mainCommand = 0;      // the command it sends most
    std::set<int> sectors;        // the sectors its steps address
    // The slot a script write rewrites (0: none) and where it now lies.
    int scriptSlot = 0;
    EmulatorKnobs::AddressRange slotRange;
    uint64_t liveUpdates = 0;     // settings reports it sends
};

int SlotOf(const DeviceJobKind& kind) {
    if (kind.name == "macro script write") return 1;
    if (kind.name == "switch preset applied") return DataManager::PresetScriptNo(2, 4);
    return 0;
}

// A booted rig with the reference image and the job prepared, not queued.
std::unique_ptr<JobRig> Prepared(const DeviceJobKind& kind) {
    auto rig = std::make_unique<JobRig>(Reference());
    EXPECT_TRUE(rig->Boot().Succeeded());
    kind.prepare(*rig);
    return rig;
}

// Queues the job; for the boot read the arrival starts it at once.
void Queue(JobRig& rig, const DeviceJobKind& kind) {
    rig.dm->SetDataUpdate(false);
    kind.queue(rig);
    USBHidManager& hid = rig.dm->pUSBHID();
    // A device that is gone at the first request ends the job inside StartCom
    // (which then reports false); the pump finds it ended.
    if (!hid.IsJobRunning() && rig.dm->pComQue().HasQue()) (void)hid.StartCom();
}

Baseline MakeBaseline(const DeviceJobKind& kind) {
    Baseline b;
    b.kind = kind;
    auto rig = Prepared(kind);
    b.before = rig->Flash();
    b.scriptSlot = SlotOf(kind);
    if (b.scriptSlot > 0) {
        const ScriptElem& e = rig->dm->g_arSCE[static_cast<size_t>(b.scriptSlot - 1)];
        b.slotRange = {static_cast<uint32_t>(e.dwSaveAddress), static_cast<uint32_t>(e.dwSaveAddress + e.dwSaveSize - 1)};
    }
    rig->device.ResetCounters();
    const uint64_t start = rig->device.ExchangeNumber();
    kind.queue(*rig);
    // What it addresses, from its steps before they run.
    for (const ComElem& e : rig->dm->pComQue().arQue()) {
        if (e.bSequenceCommandID == ComElem::COM_CMD_READ || e.bSequenceCommandID == ComElem::COM_CMD_WRITE ||
            e.bSequenceCommandID == ComElem::COM_CMD_DELETE) {
            b.sectors.insert(static_cast<int>(e.dwFullAddr / FC::FM_SECTOR_SIZE));
        }
    }
    rig->dm->SetDataUpdate(false);
    USBHidManager& hid = rig->dm->pUSBHID();
    if (!hid.IsJobRunning()) {
        EXPECT_TRUE(hid.StartCom()) << kind.name;
    }
    const PumpOutcome o = Pump(*rig, 1'000'000);
    EXPECT_TRUE(o.result.Succeeded()) << kind.name << ": " << o.result.Describe();
    EXPECT_EQ(o.endings, 1) << kind.name;
    b.after = rig->Flash();
    b.exchanges = rig->device.ExchangeNumber() - start;
    const EmulatorCounters c = rig->device.Counters();
    for (int cmd = 0; cmd < 256; ++cmd) {
        if (c.exchangesByCommand[static_cast<size_t>(cmd)] > c.exchangesByCommand[b.mainCommand]) {
            b.mainCommand = static_cast<uint8_t>(cmd);
        }
    }
    for (uint8_t cmd : kLiveUpdates) b.liveUpdates += c.ExchangesFor(cmd);
    return b;
}

const std::vector<Baseline>& Baselines() {
    static const std::vector<Baseline> all = [] {
        std::vector<Baseline> out;
        for (const DeviceJobKind& kind : testsupport::AllDeviceJobKinds()) out.push_back(MakeBaseline(kind));
        return out;
    }();
    return all;
}

// One fault: how it is armed, given the exchange number the job starts at.
struct Fault {
    std::string name;
    // The job may still succeed (the transport resends); it must then leave
    // the flash exactly as a clean run does.
    bool recoverable = false;
    std::function<void(EmulatorKnobs&, const Baseline&, uint64_t start)> arm;
    // Exchanges after the job's start at which the pump lets an answer be late.
    std::optional<uint64_t> lateAfter = std::nullopt;
};

Fault MakeFault(std::string name, bool recoverable,
                std::function<void(EmulatorKnobs&, const Baseline&, uint64_t)> arm,
                std::optional<uint64_t> lateAfter = std::nullopt) {
    Fault f;
    f.name = std::move(name);
    f.recoverable = recoverable;
    f.arm = std::move(arm);
    f.lateAfter = lateAfter;
    return f;
}

// The checks every faulted run must pass.
void CheckRun(const Baseline& b, const Fault& fault, JobRig& rig, const PumpOutcome& o) {
    SCOPED_TRACE(b.kind.name + " / " + fault.name);
    ASSERT_FALSE(o.hung) << "the job never ended";
    EXPECT_EQ(o.endings, 1);
    EXPECT_EQ(o.strayEndings, 0);
    EXPECT_FALSE(rig.dm->pUSBHID().IsJobRunning());
    const std::vector<uint8_t> flash = rig.Flash();
    if (o.result.Succeeded()) {
        EXPECT_TRUE(flash == b.after) << "a job that succeeded left other bytes than a clean run";
        return;
    }
    EXPECT_FALSE(fault.recoverable) << "a fault the resends absorb failed the job: " << o.result.Describe();
    EXPECT_TRUE(o.result.nStepsFailed > 0 || o.result.bAborted) << o.result.Describe();
    EXPECT_FALSE(o.result.Describe().empty());
    // Sectors the job never addresses keep every byte; in the others each byte
    // is the old one, the new one or erased: nothing is garbage.
    size_t foreign = 0;
    size_t garbage = 0;
    for (size_t i = 0; i < flash.size(); ++i) {
        const int sector = static_cast<int>(i / FC::FM_SECTOR_SIZE);
        if (b.sectors.count(sector) == 0) {
            if (flash[i] != b.before[i]) ++foreign;
        } else if (flash[i] != b.before[i] && flash[i] != b.after[i] && flash[i] != 0xFF) {
            ++garbage;
        }
    }
    EXPECT_EQ(foreign, 0u) << "bytes changed outside the job's sectors";
    EXPECT_EQ(garbage, 0u) << "bytes that are neither old, new nor erased";
}

// After a failure that left the device connected, the same job again without
// faults ends as a clean run: the model still holds everything it needs.
void CheckRetry(const Baseline& b, JobRig& rig) {
    SCOPED_TRACE(b.kind.name + " / retry");
    rig.device.SetKnobs(EmulatorKnobs{});
    if (!rig.dm->pUSBHID().bConnected()) {
        rig.device.Plug();
        rig.dm->pUSBHID().DeviceDetected();
        const PumpOutcome boot = Pump(rig, 200'000);
        ASSERT_TRUE(boot.result.Succeeded()) << boot.result.Describe();
        return;  // the new arrival read the flash as it is now
    }
    Queue(rig, b.kind);
    const PumpOutcome o = Pump(rig, 1'000'000);
    EXPECT_TRUE(o.result.Succeeded()) << o.result.Describe();
    EXPECT_EQ(o.endings, 1);
    EXPECT_TRUE(rig.Flash() == b.after);
}

void RunFault(const Baseline& b, const Fault& fault, bool retry) {
    auto rig = Prepared(b.kind);
    if (b.kind.name == "macro script write" || b.kind.name == "switch preset applied") {
        // The preparation read the sector; the flash is still as before.
        ASSERT_TRUE(rig->Flash() == b.before);
    }
    const uint64_t start = rig->device.ExchangeNumber();
    EmulatorKnobs knobs;
    fault.arm(knobs, b, start);
    rig->device.SetKnobs(knobs);
    Queue(*rig, b.kind);
    std::optional<uint64_t> late;
    if (fault.lateAfter.has_value()) late = start + fault.lateAfter.value();
    // Every pass accounts an answer or spends a bounded resend: a few passes
    // per exchange of a clean run is plenty, twice the busy answers a
    // request may get (an answer and a pause each) on top.
    const uint64_t busy = knobs.busyAnswersBeforeReal;
    const PumpOutcome o = Pump(*rig, (8 + 2 * busy) * b.exchanges + 1000, late);
    const bool refusesLiveUpdates = std::any_of(knobs.errorForCommands.begin(), knobs.errorForCommands.end(),
                                                [](uint8_t c) { return IsLiveUpdate(c); });
    if (!o.hung && o.result.Succeeded() && b.liveUpdates > 0 && refusesLiveUpdates) {
        EXPECT_TRUE(o.result.HasWarning()) << b.kind.name << " / " << fault.name;
    }
    CheckRun(b, fault, *rig, o);
    if (retry && !o.result.Succeeded()) CheckRetry(b, *rig);
}

// Indexes of exchanges to hit: all of a short job, a spread of a long one.
std::vector<uint64_t> Indexes(uint64_t n) {
    std::vector<uint64_t> out;
    if (n <= 64) {
        for (uint64_t k = 0; k < n; ++k) out.push_back(k);
        return out;
    }
    for (uint64_t k : {uint64_t{0}, uint64_t{1}, uint64_t{2}, n / 2, n - 2, n - 1}) out.push_back(k);
    for (uint64_t i = 1; i < 10; ++i) out.push_back(std::min(n - 1, n * i / 10 + i));
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::vector<Fault> CommonFaults() {
    std::vector<Fault> f;
    f.push_back(MakeFault("one answer lost", true,
                 [](EmulatorKnobs& k, const Baseline& b, uint64_t start) {
                     k.dropAnswerOfExchanges = {start + 1, start + b.exchanges / 2 + 1, start + b.exchanges};
                 }));
    f.push_back(MakeFault("every answer of the main command lost", false,
                 [](EmulatorKnobs& k, const Baseline& b, uint64_t) { k.dropAnswersForCommands = {b.mainCommand}; }));
    f.push_back(MakeFault("error status for the main command", false,
                 [](EmulatorKnobs& k, const Baseline& b, uint64_t) { k.errorForCommands = {b.mainCommand}; }));
    f.push_back(MakeFault("error status from the first exchange on", false, [](EmulatorKnobs& k, const Baseline& b, uint64_t) {
                     k.errorForCommands = {ComElem::COM_CMD_READ, ComElem::COM_CMD_WRITE, ComElem::COM_CMD_DELETE,
                                           ComElem::COM_CMD_GET_VERSION, b.mainCommand};
                 }));
    f.push_back(MakeFault("two busy answers before each real one", true,
                 [](EmulatorKnobs& k, const Baseline&, uint64_t) { k.busyAnswersBeforeReal = 2; }));
    f.push_back(MakeFault("five busy answers before each real one of the main command", true,
                          [](EmulatorKnobs& k, const Baseline& b, uint64_t) {
                              k.busyAnswersBeforeReal = 5;
                              k.busyForCommands = {b.mainCommand};
                          }));
    // A device busy for a while with every request: it is asked again, after
    // growing pauses, for as long as the request's time allows.
    f.push_back(MakeFault("twenty busy answers before each real one", true,
                          [](EmulatorKnobs& k, const Baseline&, uint64_t) { k.busyAnswersBeforeReal = 20; }));
    // Refused live updates: the flash takes the change, the device applies it
    // when it next starts; the job goes through with a warning.
    f.push_back(MakeFault("every live update refused", true, [](EmulatorKnobs& k, const Baseline&, uint64_t) {
        k.errorForCommands = std::set<uint8_t>(std::begin(kLiveUpdates), std::end(kLiveUpdates));
    }));
    return f;
}

TEST(FaultInjection, EveryJobKindCoversTheApplicationsJobs) {
    const std::vector<Baseline>& all = Baselines();
    ASSERT_EQ(all.size(), 14u);
    for (const Baseline& b : all) {
        SCOPED_TRACE(b.kind.name);
        EXPECT_GT(b.exchanges, 0u);
        EXPECT_NE(b.mainCommand, 0);
    }
}

TEST(FaultInjection, LostErrorAndBusyAnswersEndEveryJobOnceAndKeepTheData) {
    for (const Baseline& b : Baselines()) {
        for (const Fault& fault : CommonFaults()) RunFault(b, fault, true);
    }
}

TEST(FaultInjection, LateAnswersAreAbsorbed) {
    for (const Baseline& b : Baselines()) {
        for (uint64_t k : Indexes(b.exchanges)) {
            const Fault late = MakeFault("late answer at exchange " + std::to_string(k + 1), true,
                                         [](EmulatorKnobs&, const Baseline&, uint64_t) {}, k + 1);
            RunFault(b, late, false);
        }
    }
}

TEST(FaultInjection, UnplugAtAnyExchangeAbortsTheJobAsDeviceGone) {
    for (const Baseline& b : Baselines()) {
        for (uint64_t k : Indexes(b.exchanges)) {
            SCOPED_TRACE(b.kind.name + ": unplug after " + std::to_string(k) + " of " + std::to_string(b.exchanges));
            auto rig = Prepared(b.kind);
            const uint64_t start = rig->device.ExchangeNumber();
            EmulatorKnobs knobs;
            knobs.unplugAfterExchanges = start + k;
            rig->device.SetKnobs(knobs);
            Queue(*rig, b.kind);
            const PumpOutcome o = Pump(*rig, 8 * b.exchanges + 1000);
            const Fault unplug = MakeFault("unplug", false, [](EmulatorKnobs&, const Baseline&, uint64_t) {});
            CheckRun(b, unplug, *rig, o);
            EXPECT_TRUE(o.result.bAborted);
            EXPECT_EQ(o.result.eReason, ComResult::AbortReason::DeviceGone);
            EXPECT_FALSE(rig->dm->pUSBHID().bConnected());
            // Plugged in again, the device boots and its flash decodes.
            CheckRetry(b, *rig);
        }
    }
}

// A script write rewrites the whole data sector of its slot: erase, then the
// sector with every script it holds. When the device refuses the chunks of the
// rewritten script itself, the other scripts of that sector must still be
// on the device.
TEST(FaultInjection, AFailedScriptKeepsTheOtherScriptsOfItsSector) {
    for (const Baseline& b : Baselines()) {
        if (b.scriptSlot == 0) continue;
        SCOPED_TRACE(b.kind.name);
        auto rig = Prepared(b.kind);
        EmulatorKnobs knobs;
        knobs.errorForAddresses = {b.slotRange};
        // The device takes the erase and refuses to program the new script.
        knobs.errorForAddressesCommands = {EmulatedFirmware::CMD_WRITE};
        rig->device.SetKnobs(knobs);
        Queue(*rig, b.kind);
        const PumpOutcome o = Pump(*rig, 8 * b.exchanges + 1000);
        ASSERT_FALSE(o.hung);
        EXPECT_EQ(o.endings, 1);
                EXPECT_GT(o.result.nStepsFailed, 0) << o.result.Describe();
        const auto was = Decode(b.before);
        const auto now = Decode(rig->Flash());
        const int sector = FC::ScriptSector(b.scriptSlot - 1);
        for (size_t i = 0; i < was->g_arSCE.size(); ++i) {
            if (static_cast<int>(i) == b.scriptSlot - 1) continue;
            if (FC::ScriptSector(static_cast<int>(i)) != sector) continue;
            EXPECT_TRUE(SameScript(was->g_arSCE[i], now->g_arSCE[i])) << "script " << i + 1 << " was lost";
        }
    }
}

// The same fault on the directory or on the settings sector (steps before the
// script's own sector is touched) leaves every data sector as it was.
TEST(FaultInjection, AFailedDirectoryWriteLeavesTheScriptDataAlone) {
    for (const Baseline& b : Baselines()) {
        if (b.scriptSlot == 0) continue;
        SCOPED_TRACE(b.kind.name);
        auto rig = Prepared(b.kind);
        EmulatorKnobs knobs;
        knobs.errorForAddresses = {{static_cast<uint32_t>(FC::FM_SECTOR_SIZE), static_cast<uint32_t>(FC::FM_SECTOR_SIZE + 63)}};
        rig->device.SetKnobs(knobs);
        Queue(*rig, b.kind);
        const PumpOutcome o = Pump(*rig, 8 * b.exchanges + 1000);
        ASSERT_FALSE(o.hung);
        EXPECT_EQ(o.endings, 1);
        EXPECT_FALSE(o.result.Succeeded());
        const std::vector<uint8_t> flash = rig->Flash();
        const int sector = FC::ScriptSector(b.scriptSlot - 1);
        for (int s = 2; s < static_cast<int>(FC::FM_SECTOR_NUM); ++s) {
            if (s == sector) continue;
            const size_t at = static_cast<size_t>(s) * FC::FM_SECTOR_SIZE;
            EXPECT_TRUE(std::equal(flash.begin() + static_cast<std::ptrdiff_t>(at),
                                   flash.begin() + static_cast<std::ptrdiff_t>(at + FC::FM_SECTOR_SIZE),
                                   b.before.begin() + static_cast<std::ptrdiff_t>(at)))
                << "data sector " << s;
        }
        CheckRetry(b, *rig);
    }
}

// An erase the device refuses leaves the sector's old bytes in place; writing
// the new ones on top would AND them into the old and corrupt every script of
// the sector. Its writes are skipped instead and the job reports the failure.
TEST(FaultInjection, ARefusedEraseKeepsTheSectorAsItWas) {
    for (const Baseline& b : Baselines()) {
        if (b.scriptSlot == 0) continue;
        SCOPED_TRACE(b.kind.name);
        auto rig = Prepared(b.kind);
        const int sector = FC::ScriptSector(b.scriptSlot - 1);
        const uint32_t start = static_cast<uint32_t>(sector) * FC::FM_SECTOR_SIZE;
        EmulatorKnobs knobs;
        knobs.errorForAddresses = {{start, start + FC::FM_SECTOR_SIZE - 1}};
        knobs.errorForAddressesCommands = {EmulatedFirmware::CMD_DELETE};
        rig->device.SetKnobs(knobs);
        Queue(*rig, b.kind);
        const PumpOutcome o = Pump(*rig, 8 * b.exchanges + 1000);
        ASSERT_FALSE(o.hung);
        EXPECT_EQ(o.endings, 1);
        EXPECT_FALSE(o.result.Succeeded());
        EXPECT_GE(o.result.nStepsFailed, 2) << "the erase and the write it would have spoilt";
        const std::vector<uint8_t> flash = rig->Flash();
        const size_t at = static_cast<size_t>(start);
        EXPECT_TRUE(std::equal(flash.begin() + static_cast<std::ptrdiff_t>(at),
                               flash.begin() + static_cast<std::ptrdiff_t>(at + FC::FM_SECTOR_SIZE),
                               b.before.begin() + static_cast<std::ptrdiff_t>(at)))
            << "data sector " << sector << " was written without its erase";
        CheckRetry(b, *rig);
    }
}

// A data sector the device will not erase or program: whatever the job, that
// sector keeps every old byte, every other sector ends as a clean run leaves
// it, and a job that meant to change the sector names it.
TEST(FaultInjection, ARefusedDataSectorKeepsItsBytesAndTheRestTakesTheJob) {
    const int sector = FC::ScriptSector(0);
    const uint32_t start = static_cast<uint32_t>(sector) * FC::FM_SECTOR_SIZE;
    for (const Baseline& b : Baselines()) {
        SCOPED_TRACE(b.kind.name);
        auto rig = Prepared(b.kind);
        EmulatorKnobs knobs;
        knobs.errorForAddresses = {{start, start + FC::FM_SECTOR_SIZE - 1}};
        knobs.errorForAddressesCommands = {EmulatedFirmware::CMD_WRITE, EmulatedFirmware::CMD_DELETE};
        rig->device.SetKnobs(knobs);
        Queue(*rig, b.kind);
        const PumpOutcome o = Pump(*rig, 8 * b.exchanges + 1000);
        ASSERT_FALSE(o.hung);
        EXPECT_EQ(o.endings, 1);
        const std::vector<uint8_t> flash = rig->Flash();
        for (int s = 0; s < static_cast<int>(FC::FM_SECTOR_NUM); ++s) {
            const auto at = static_cast<std::ptrdiff_t>(s) * FC::FM_SECTOR_SIZE;
            const std::vector<uint8_t>& want = s == sector ? b.before : b.after;
            EXPECT_TRUE(std::equal(flash.begin() + at, flash.begin() + at + FC::FM_SECTOR_SIZE, want.begin() + at))
                << "sector " << s;
        }
        const bool changesSector = b.kind.name == "restore" || b.kind.name == "factory reset" ||
                                   b.kind.name == "macro script write";
        EXPECT_EQ(o.result.Succeeded(), !changesSector) << o.result.Describe();
        if (changesSector) {
            EXPECT_EQ(o.result.arFailedSectors, std::set<int>{sector}) << o.result.Describe();
        }
    }
}

}  // namespace
}  // namespace kelvadeck
