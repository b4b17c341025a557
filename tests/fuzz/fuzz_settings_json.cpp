// Arbitrary text as a settings document: reading it must never crash, and a
// document that is accepted must apply whole onto an erased device.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/DataManager.h"
#include "export/SettingsJson.h"
#include "export/SettingsJsonTransfer.h"
#include "keys/KeyCode.h"
#include "model/FlashControl.h"

using namespace kelvadeck;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Applies an accepted plan onto an erased device whose every sector has been
// read, and exports the result.
std::string ApplyAndExport(const SettingsJson::Plan& plan) {
    DataManager dm;
    for (int sector = 0; sector < static_cast<int>(FlashControl::FM_SECTOR_NUM); ++sector) dm.SetSectorReadFlag(sector, true);
    Check(dm.DataInitializeFromMemory());
    std::string error;
    Check(SettingsJson::Apply(plan, dm, error));
    for (const int sector : SettingsJsonTransfer::AllDataSectors()) dm.SetScriptDataFromFlashSector(sector);
    size_t scripts = 0;
    return SettingsJsonTransfer::DocumentText(dm, scripts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const KeyCode keys;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const SettingsJson::Plan plan = SettingsJson::Read(text, keys);
    if (!plan.ok()) return 0;

    // Whatever the document said, what the device holds afterwards exports
    // to a document that imports onto an erased device to the same settings
    // and scripts: the second export is the first one, byte for byte.
    const std::string first = ApplyAndExport(plan);
    const SettingsJson::Plan exported = SettingsJson::Read(first, keys);
    Check(exported.ok());
    Check(ApplyAndExport(exported) == first);
    return 0;
}
