// Arbitrary bytes as a backup file restored to an emulated Kelvadeck through
// the restore job the settings screen runs: a file that is too short is
// refused before the device is touched; any other file ends on the device
// byte for byte, and the model decoded from it (every data sector included)
// survives an encode and a second decode.
//
// Input: a control byte, then patches over an erased 2 MiB image, each a
// 3-byte big-endian offset (modulo the flash size), a length byte and that
// many bytes. An odd control byte cuts the file short.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "core/DataManager.h"
#include "core/BackupRestoreJob.h"
#include "device/SyncComRunner.h"
#include "device/USBHidManager.h"
#include "emulator/EmulatedKelvadeck.h"
#include "emulator/EmulatorBackend.h"

using namespace kelvadeck;
using F = FlashControl;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// A booted emulated device and the file the restores read, removed at exit.
struct Bench {
    EmulatedKelvadeck device;
    std::shared_ptr<EmulatorBackend> backend = std::make_shared<EmulatorBackend>(device);
    std::unique_ptr<DataManager> dm;
    std::string path = (std::filesystem::temp_directory_path() /
                        ("kelvadeck-fuzz-backup-" + std::to_string(::getpid()) + ".mbf"))
                           .string();

    Bench() {
        DataManager::Options o;
        o.hidBackend = backend;
        dm = std::make_unique<DataManager>(std::move(o));
        dm->pUSBHID().DeviceDetected();
        Check(SyncComRunner(dm->pUSBHID()).Run().Succeeded());
        dm->SetDataUpdate(false);
        dm->DataInitializeFromMemory();
    }
    ~Bench() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;
};

void ApplyPatches(const uint8_t* data, size_t size, std::vector<uint8_t>& image) {
    size_t at = 0;
    while (at + 4 <= size) {
        const size_t offset = ((static_cast<size_t>(data[at]) << 16) | (static_cast<size_t>(data[at + 1]) << 8) | data[at + 2]) %
                              F::FM_TOTAL_SIZE;
        const size_t length = std::min<size_t>({data[at + 3], size - at - 4, F::FM_TOTAL_SIZE - offset});
        std::memcpy(image.data() + offset, data + at + 4, length);
        at += 4 + length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Bench bench;
    static std::vector<uint8_t> image(F::FM_TOTAL_SIZE);
    if (size == 0) return 0;
    std::fill(image.begin(), image.end(), 0xFF);
    ApplyPatches(data + 1, size - 1, image);
    const bool shortFile = (data[0] & 1) != 0;
    // Cut somewhere before the end: never a whole image.
    const size_t fileSize = shortFile ? (static_cast<size_t>(data[0]) * 8209) % F::FM_TOTAL_SIZE : image.size();
    {
        std::ofstream out(bench.path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(fileSize));
        Check(static_cast<bool>(out));
    }

    DataManager& dm = *bench.dm;
    BackupRestoreJob job(dm);
    if (shortFile) {
        const auto flash = bench.device.Flash().Bytes();
        const std::vector<uint8_t> before(flash.begin(), flash.end());
        Check(!job.StartRestore(bench.path));
        Check(!job.LastError().empty());
        Check(!dm.pUSBHID().IsJobRunning());
        const auto after = bench.device.Flash().Bytes();
        Check(std::equal(after.begin(), after.end(), before.begin(), before.end()));
        return 0;
    }

    Check(job.StartRestore(bench.path));
    Check(SyncComRunner(dm.pUSBHID()).Run().Succeeded());
    Check(dm.bDataUpdate());
    dm.SetDataUpdate(false);
    const BackupRestoreJob::Finish finish = job.FinishJob();
    Check(finish.outcome == BackupRestoreJob::Outcome::Ok);
    const auto flash = bench.device.Flash().Bytes();
    Check(std::equal(flash.begin(), flash.end(), image.begin(), image.end()));

    for (int s = 2; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) Check(dm.SetScriptDataFromFlashSector(s));
    const auto ssi = dm.g_pSSI;
    const auto psi = dm.g_arPSI;
    const auto dmi = dm.g_arDMI;
    const auto scti = dm.g_pSCTI;
    Check(dm.DataOutputToMemory());
    Check(dm.DataInitializeFromMemory());
    Check(dm.g_pSSI == ssi);
    Check(dm.g_arPSI == psi);
    Check(dm.g_arDMI == dmi);
    Check(dm.g_pSCTI == scti);
    return 0;
}
