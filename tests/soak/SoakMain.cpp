// Random user operations against an emulated Kelvadeck that misbehaves at
// random: settings, LED colours, switch and dial assignments, macro writes,
// presets, backups, restores and factory resets. After every operation the
// device's flash must decode to the model the application shows (after a
// failed job, once the device has been booted again), every job must end
// exactly once, and every failure must reach the result the user is shown.
//
//   kelvadeck-soak [--ops N] [--seconds S] [--seed N] [--fault-percent P]
//
// Exits 1 when any check failed.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "core/DataManager.h"
#include "core/BackupRestoreJob.h"
#include "device/ComQue.h"
#include "device/HidDevice.h"
#include "device/SyncComRunner.h"
#include "device/USBHidManager.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "support/JobRig.h"
#include "support/ReferenceImage.h"

namespace kelvadeck {
namespace {

using F = FlashControl;
using C = Constants;
using testsupport::JobRig;

struct Options {
    uint64_t ops = 3000;
    double seconds = 120;
    uint32_t seed = 1;
    uint32_t faultPercent = 35;
};

struct Totals {
    uint64_t operations = 0;
    uint64_t jobs = 0;
    uint64_t faultsInjected = 0;
    uint64_t faultsAbsorbed = 0;   // the job succeeded all the same
    uint64_t failuresReported = 0;
    uint64_t unreportedFailures = 0;  // a failed job whose result looked fine, or a failure without a fault
    uint64_t badEndings = 0;          // not exactly one end, or still running
    uint64_t mismatches = 0;
    uint64_t reboots = 0;
    uint64_t skipped = 0;  // operations that could not be prepared (e.g. a sector read failed)
};

// The job's result and how often bDataUpdate was raised while it ran.
struct Pumped {
    ComResult result;
    int endings = 0;
    bool hung = false;
};

Pumped Pump(JobRig& rig, std::optional<uint64_t> lateAt) {
    USBHidManager& hid = rig.dm->pUSBHID();
    Pumped p;
    auto note = [&] {
        if (rig.dm->bDataUpdate()) {
            ++p.endings;
            rig.dm->SetDataUpdate(false);
        }
    };
    note();
    bool lateDone = false;
    SyncComRunner runner(hid);
    for (uint64_t passes = 0; hid.IsJobRunning(); ++passes) {
        if (passes > 1'000'000) {
            p.hung = true;
            break;
        }
        if (hid.Device() != nullptr && lateAt && !lateDone && rig.device.ExchangeNumber() >= *lateAt) {
            // The answer is late: its deadline passes before it is read.
            lateDone = true;
            hid.AnswerTimedOut();
        } else {
            runner.Step();
        }
        note();
    }
    p.result = hid.LastResult();
    return p;
}

std::unique_ptr<DataManager> Decode(std::span<const uint8_t> flash) {
    auto dm = std::make_unique<DataManager>();
    std::memcpy(dm->WholeImage(), flash.data(), F::FM_TOTAL_SIZE);
    (void)dm->RenewMemBuf();
    for (int s = 2; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) (void)dm->SetScriptDataFromFlashSector(s);
    return dm;
}

// What differs between the model the application shows and the flash, or "".
std::string Compare(const DataManager& app, std::span<const uint8_t> flash) {
    const auto dev = Decode(flash);
    StandardSettingInfo ssi = dev->g_pSSI;
    // Not stored in the flash: the version comes from the device, and after a
    // settings write the device restarts in the first mode whatever byte the
    // encoder stored.
    ssi.strFirmwareVer = app.g_pSSI.strFirmwareVer;
    ssi.bMode = app.g_pSSI.bMode;
    if (!(ssi == app.g_pSSI)) return "system settings";
    if (dev->g_arPSI.size() != app.g_arPSI.size()) return "mode count";
    for (size_t m = 0; m < app.g_arPSI.size(); ++m) {
        const ProfileSettingInfo& a = app.g_arPSI[m];
        const ProfileSettingInfo& d = dev->g_arPSI[m];
        const std::string where = " of mode " + std::to_string(m);
        if (a.arSWScriptNo != d.arSWScriptNo || a.arSWSpScriptNo != d.arSWSpScriptNo) return "button scripts" + where;
        if (a.arDialFuncElemList != d.arDialFuncElemList) return "dial functions" + where;
        if (a.arSelectItemElemDF != d.arSelectItemElemDF) return "dial selections" + where;
        if (a.arSwitchFuncElemList != d.arSwitchFuncElemList) return "button functions" + where;
        if (a.arSelectItemElemSW != d.arSelectItemElemSW) return "button selections" + where;
        if (!(a == d)) return "colour or defaults" + where;
    }
    // Only the three records the settings jobs write: the fourth lies past
    // their blocks, so every settings write erases it on the device.
    for (size_t k = 0; k < std::min<size_t>({dev->g_arDMI.size(), app.g_arDMI.size(), 3}); ++k) {
        if (!(dev->g_arDMI[k] == app.g_arDMI[k])) return "dial macros of dial " + std::to_string(k);
    }
    if (dev->g_arDMI.size() != app.g_arDMI.size()) return "dial macro count";
    if (dev->g_arSCE.size() != app.g_arSCE.size()) return "script count";
    for (size_t i = 0; i < app.g_arSCE.size(); ++i) {
        const ScriptElem& a = app.g_arSCE[i];
        const ScriptElem& d = dev->g_arSCE[i];
        // An emptied slot may keep its old name and mode in the model; only a
        // stored script's entry must match.
        if (a.dwSaveSize != d.dwSaveSize ||
            (a.dwSaveSize != 0 && (a.strScriptName != d.strScriptName || a.bScriptMode != d.bScriptMode))) {
            return "directory entry of script " + std::to_string(i + 1) + " (model size " + std::to_string(a.dwSaveSize) +
                   ", device size " + std::to_string(d.dwSaveSize) + ")";
        }
        if (a.pbRawData && a.pbRawData != d.pbRawData) return "bytes of script " + std::to_string(i + 1);
    }
    return {};
}

class Soak {
public:
    explicit Soak(const Options& o)
        : m_opt(o), m_rng(o.seed), m_rig(testsupport::ReferenceImageBytes()) {
        m_dir = std::filesystem::temp_directory_path() / ("kelvadeck-soak-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        Reboot();
    }
    ~Soak() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    Soak(const Soak&) = delete;
    Soak& operator=(const Soak&) = delete;

    int Run() {
        const auto start = std::chrono::steady_clock::now();
        while (t.operations < m_opt.ops &&
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < m_opt.seconds) {
            OneOperation();
            ++t.operations;
        }
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("seed %u, %.1f s\n", m_opt.seed, took);
        std::printf("operations        %llu\n", static_cast<unsigned long long>(t.operations));
        std::printf("jobs              %llu\n", static_cast<unsigned long long>(t.jobs));
        std::printf("faults injected   %llu (absorbed by resends %llu)\n", static_cast<unsigned long long>(t.faultsInjected),
                    static_cast<unsigned long long>(t.faultsAbsorbed));
        std::printf("failures reported %llu\n", static_cast<unsigned long long>(t.failuresReported));
        std::printf("reboots           %llu\n", static_cast<unsigned long long>(t.reboots));
        std::printf("skipped           %llu\n", static_cast<unsigned long long>(t.skipped));
        std::printf("unreported        %llu\n", static_cast<unsigned long long>(t.unreportedFailures));
        std::printf("bad endings       %llu\n", static_cast<unsigned long long>(t.badEndings));
        std::printf("mismatches        %llu\n", static_cast<unsigned long long>(t.mismatches));
        return t.unreportedFailures + t.badEndings + t.mismatches == 0 ? 0 : 1;
    }

private:
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    uint8_t Byte(int lo, int hi) { return static_cast<uint8_t>(Uniform(lo, hi)); }
    bool Chance(uint32_t percent) { return Uniform(0, 99) < static_cast<int>(percent); }

    void Fail(const std::string& what) {
        ++t.mismatches;
        std::printf("op %llu: %s\n", static_cast<unsigned long long>(t.operations), what.c_str());
    }

    void Reboot() {
        ++t.reboots;
        m_rig.device.SetKnobs(EmulatorKnobs{});
        if (!m_rig.device.IsPlugged()) m_rig.device.Plug();
        m_rig.dm->pUSBHID().DeviceDetected();
        const Pumped p = Pump(m_rig, std::nullopt);
        if (!p.result.Succeeded() || p.endings != 1) Fail("boot without faults failed: " + p.result.Describe());
        m_rig.dm->DataInitializeFromMemory();
    }

    // A fault for the next job, or none: armed relative to the exchange the
    // job starts at, spread over a typical job's length.
    struct Armed {
        bool any = false;
        std::optional<uint64_t> lateAt;
    };
    Armed ArmFault() {
        Armed a;
        if (!Chance(m_opt.faultPercent)) return a;
        a.any = true;
        ++t.faultsInjected;
        EmulatorKnobs k;
        const uint64_t now = m_rig.device.ExchangeNumber();
        const uint64_t at = now + static_cast<uint64_t>(Uniform(0, 60));
        const int which = Uniform(0, 6);
        if (m_trace) std::printf("  fault kind %d at exchange %llu (job starts after %llu)\n", which,
                                 static_cast<unsigned long long>(at), static_cast<unsigned long long>(now));
        switch (which) {
            case 0: k.dropAnswerOfExchanges = {at + 1}; break;
            case 1: k.dropAnswersForCommands = {Byte(0, 2) == 0 ? ComElem::COM_CMD_DELETE : ComElem::COM_CMD_WRITE}; break;
            case 2: k.errorForCommands = {Byte(0, 1) == 0 ? ComElem::COM_CMD_WRITE : ComElem::COM_CMD_READ}; break;
            case 3: {
                const uint32_t first = static_cast<uint32_t>(Uniform(0, F::FM_TOTAL_SIZE - 1));
                k.errorForAddresses = {{first, first + static_cast<uint32_t>(Uniform(0, 4096))}};
                if (m_trace) std::printf("  refused addresses 0x%X..0x%X\n", k.errorForAddresses[0].first, k.errorForAddresses[0].last);
                break;
            }
            case 4: k.busyAnswersBeforeReal = static_cast<uint32_t>(Uniform(1, 4)); break;
            case 5: k.unplugAfterExchanges = at; break;
            default: a.lateAt = at + 1; break;
        }
        m_rig.device.SetKnobs(k);
        return a;
    }

    // Starts what is queued, runs it with a fault perhaps, and checks how it
    // ended. True when it succeeded.
    bool RunJob(BackupRestoreJob* brj = nullptr, bool started = false) {
        ++t.jobs;
        m_rig.dm->SetDataUpdate(false);
        const Armed fault = ArmFault();
        USBHidManager& hid = m_rig.dm->pUSBHID();
        if (!started && !hid.IsJobRunning() && m_rig.dm->pComQue().HasQue()) (void)hid.StartCom();
        const Pumped p = Pump(m_rig, fault.lateAt);
        m_rig.device.SetKnobs(EmulatorKnobs{});
        if (brj != nullptr) (void)brj->FinishJob();
        if (m_trace) std::printf("  fault %d: %s\n", fault.any ? 1 : 0, p.result.Describe().c_str());
        if (p.hung || p.endings != 1 || hid.IsJobRunning()) {
            ++t.badEndings;
            std::printf("op %llu: job ended %d times%s\n", static_cast<unsigned long long>(t.operations), p.endings,
                        p.hung ? " (hung)" : "");
        }
        if (p.result.Succeeded()) {
            if (fault.any) ++t.faultsAbsorbed;
            return true;
        }
        if (!fault.any) {
            ++t.unreportedFailures;
            std::printf("op %llu: failed without a fault: %s\n", static_cast<unsigned long long>(t.operations),
                        p.result.Describe().c_str());
        } else if ((p.result.nStepsFailed > 0 || p.result.bAborted) && !p.result.Describe().empty()) {
            ++t.failuresReported;
        } else {
            ++t.unreportedFailures;
        }
        return false;
    }

    // The macro editor's read of a slot's sector before it writes.
    bool LoadSector(int scriptNo) {
        const int sector = F::ScriptSector(scriptNo - 1);
        if (m_rig.dm->pComQue().SetReadScriptDataComQue(sector)) {
            m_rig.dm->SetDataUpdate(false);
            if (m_rig.dm->pUSBHID().StartCom()) (void)Pump(m_rig, std::nullopt);
        }
        if (!m_rig.dm->SectorReadFlag(sector)) return false;
        return m_rig.dm->SetScriptDataFromFlashSector(sector);
    }

    void SettingsWrite(const std::function<void(ComQue&)>& queue) {
        (void)m_rig.dm->DataOutputToMemory();
        queue(m_rig.dm->pComQue());
        Settle(RunJob());
    }

    // After a job: compare; after a failed one, boot again first.
    void Settle(bool ok) {
        if (!ok) Reboot();
        const std::string diff = Compare(*m_rig.dm, m_rig.device.Flash().Bytes());
        if (!diff.empty()) Fail("flash and model differ in " + diff + (ok ? "" : " (after a failed job)"));
    }

    void OneOperation() {
        DataManager& dm = *m_rig.dm;
        if (!m_rig.dm->bDataInitialize() || !dm.pUSBHID().bConnected()) Reboot();
        const size_t mode = static_cast<size_t>(Uniform(0, C::MODE_NUM - 1));
        const int kind = Uniform(0, 9);
        if (m_trace) std::printf("op %llu: kind %d\n", static_cast<unsigned long long>(t.operations), kind);
        switch (kind) {
            case 0:
                dm.g_pSSI.bLEDOffTimer = Byte(0, 60);
                dm.g_pSSI.bLEDSleepFlag = Byte(0, 1);
                SettingsWrite([](ComQue& q) { q.CreateFastWriteComQue(); q.CreateBaseSettingInfoComQue(); });
                break;
            case 1: {
                ProfileSettingInfo& p = dm.g_arPSI[mode];
                p.bLEDDutyR = Byte(0, 100);
                p.bLEDDutyG = Byte(0, 100);
                p.bLEDDutyB = Byte(0, 100);
                p.bLEDColorDetailFlag = Byte(0, 1);
                SettingsWrite([](ComQue& q) { q.CreateFastWriteComQue(); q.CreateProfileSettingInfoComQue(); });
                break;
            }
            case 2: {
                const size_t f = static_cast<size_t>(Uniform(0, C::FUNCTION_NUM - 1));
                DialFuncElem& e = dm.g_arPSI[mode].arDialFuncElemList[f];
                SelectItemElemForDial& sel = dm.g_arPSI[mode].arSelectItemElemDF[f];
                e.bLEDDutyB = Byte(0, 100);
                e.clsMacroR.cFuncData[2] = Byte(0x04, 0x60);
                e.clsMacroL.cFuncData[2] = Byte(0x04, 0x60);
                // The dial screen keeps the action records and the selection in step.
                dm.AnalyzeDialFuncSettingFromFlashdata(e.clsMacroR, sel.bItemID1_R, sel.bItemID2_R, sel.bItemID3_R);
                dm.AnalyzeDialFuncSettingFromFlashdata(e.clsMacroL, sel.bItemID1_L, sel.bItemID2_L, sel.bItemID3_L);
                SettingsWrite([](ComQue& q) { q.CreateFastWriteComQue(); q.CreateFunctionSettingInfoComQue(); });
                break;
            }
            case 3: {
                const int button = Uniform(0, C::BUTTON_NUM - 1);
                ProfileSettingInfo& p = dm.g_arPSI[mode];
                p.arSwitchFuncElemList[static_cast<size_t>(button)].clsMacroSW.cFuncData[2] = Byte(0x04, 0x60);
                p.arSelectItemElemSW[static_cast<size_t>(button)].bItemID3 = Byte(0, 20);
                dm.AnalyzeSwitchFuncSettingFromFlashdata(p.arSwitchFuncElemList[static_cast<size_t>(button)].clsMacroSW);
                SettingsWrite([m = static_cast<int>(mode), button](ComQue& q) {
                    q.CreateFastWriteComQue();
                    q.CreateProfileSettingInfoComQue();
                    q.CreateSwitchFunctionSettingInfoComQue(m, button);
                });
                break;
            }
            case 4: {
                // The dial macro screen edits the three records the jobs write.
                DialMacroInfo& d = dm.g_arDMI[static_cast<size_t>(Uniform(0, 2))];
                d.bDialMacroSetNum = Byte(0, 5);
                d.arDialMacroNoList[static_cast<size_t>(Uniform(0, static_cast<int>(d.arDialMacroNoList.size()) - 1))] =
                    Byte(1, 150);
                SettingsWrite([](ComQue& q) { q.CreateFastWriteComQue(); q.CreateDialMacroInfoComQue(); });
                break;
            }
            case 5:
            case 6: {
                // A macro written to a user slot or a preset slot (empty: the slot is cleared).
                const bool preset = Chance(30);
                const int button = Uniform(0, C::BUTTON_NUM - 1);
                const int slot = preset ? DataManager::PresetScriptNo(static_cast<int>(mode), button) : Uniform(1, 150);
                if (!LoadSector(slot)) {
                    ++t.skipped;
                    Reboot();
                    break;
                }
                if (m_trace) std::printf("  slot %d\n", slot);
                const size_t size = Chance(10) ? 0 : static_cast<size_t>(Uniform(4, 2000));
                MacroCreator macro;
                if (size > 0) macro = testsupport::ReferenceScript(size, Byte(0, 255));
                if (!dm.RenewMacroScriptInfo(slot, macro)) {
                    ++t.skipped;
                    break;
                }
                if (preset) dm.g_arPSI[mode].arSWScriptNo[static_cast<size_t>(button)] = static_cast<uint8_t>(slot);
                SettingsWrite([slot, preset, m = static_cast<int>(mode), button](ComQue& q) {
                    q.CreateFastWriteComQue();
                    q.CreateProfileSettingInfoComQue();
                    q.CreateScriptInfoComQue();
                    if (preset) q.CreateSwitchFunctionSettingInfoComQue(m, button);
                    q.CreateWriteScriptComQue(slot);
                });
                break;
            }
            case 7: {
                const std::string path = (m_dir / ("backup-" + std::to_string(m_backups.size()) + ".mbf")).string();
                BackupRestoreJob job(dm);
                if (!job.StartBackup(path)) {
                    Fail("backup did not start: " + job.LastError());
                    break;
                }
                const bool ok = RunJob(&job, true);
                if (ok) {
                    std::ifstream in(path, std::ios::binary);
                    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
                    const auto flash = m_rig.device.Flash().Bytes();
                    if (!std::equal(flash.begin(), flash.end(), file.begin(), file.end())) Fail("backup file differs from the flash");
                    m_backups.push_back(path);
                }
                Settle(ok);
                break;
            }
            case 8: {
                if (m_backups.empty()) {
                    ++t.skipped;
                    break;
                }
                const std::string& path = m_backups[static_cast<size_t>(Uniform(0, static_cast<int>(m_backups.size()) - 1))];
                BackupRestoreJob job(dm);
                if (!job.StartRestore(path)) {
                    Fail("restore did not start: " + job.LastError());
                    break;
                }
                const bool ok = RunJob(&job, true);
                if (ok) {
                    std::ifstream in(path, std::ios::binary);
                    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
                    const auto flash = m_rig.device.Flash().Bytes();
                    if (!std::equal(flash.begin(), flash.end(), file.begin(), file.end())) Fail("restored flash differs from the file");
                }
                Settle(ok);
                break;
            }
            default: {
                if (!Chance(20)) {
                    // A preview: nothing stored.
                    dm.pComQue().SetLedPreview(Byte(0, 100), Byte(0, 100), Byte(0, 100), Byte(0, 1));
                    Settle(RunJob());
                    break;
                }
                BackupRestoreJob job(dm);
                if (!job.StartFormat()) {
                    Fail("reset did not start: " + job.LastError());
                    break;
                }
                Settle(RunJob(&job, true));
                break;
            }
        }
    }

    Options m_opt;
    std::mt19937 m_rng;
    JobRig m_rig;
    std::filesystem::path m_dir;
    std::vector<std::string> m_backups;
    Totals t;
    // KELVADECK_SOAK_TRACE=1 prints every operation and job result.
    bool m_trace = std::getenv("KELVADECK_SOAK_TRACE") != nullptr;
};

bool ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return false;
        const char* v = argv[++i];
        char* end = nullptr;
        if (a == "--ops") {
            o.ops = std::strtoull(v, &end, 10);
        } else if (a == "--seconds") {
            o.seconds = std::strtod(v, &end);
        } else if (a == "--seed") {
            o.seed = static_cast<uint32_t>(std::strtoul(v, &end, 10));
        } else if (a == "--fault-percent") {
            o.faultPercent = static_cast<uint32_t>(std::strtoul(v, &end, 10));
        } else {
            return false;
        }
        if (end == v || *end != '\0') return false;
    }
    return true;
}

}  // namespace
}  // namespace kelvadeck

int main(int argc, char** argv) {
    kelvadeck::Options o;
    if (!kelvadeck::ParseArgs(argc, argv, o)) {
        std::fprintf(stderr, "usage: kelvadeck-soak [--ops N] [--seconds S] [--seed N] [--fault-percent P]\n");
        return 2;
    }
    kelvadeck::Soak soak(o);
    return soak.Run();
}
