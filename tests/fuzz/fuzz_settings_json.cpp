// Arbitrary text as a settings document: reading it must never crash; a
// document that is accepted must apply whole onto an erased device, and the
// device's document afterwards must be accepted again.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const KeyCode keys;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const SettingsJson::Plan plan = SettingsJson::Read(text, keys);
    if (!plan.ok()) return 0;

    // An erased device whose every sector has been read.
    DataManager dm;
    for (int sector = 0; sector < static_cast<int>(FlashControl::FM_SECTOR_NUM); ++sector) dm.SetSectorReadFlag(sector, true);
    Check(dm.DataInitializeFromMemory());
    std::string error;
    Check(SettingsJson::Apply(plan, dm, error));
    for (const int sector : SettingsJsonTransfer::AllDataSectors()) dm.SetScriptDataFromFlashSector(sector);

    size_t scripts = 0;
    const SettingsJson::Plan again = SettingsJson::Read(SettingsJsonTransfer::DocumentText(dm, scripts), keys);
    Check(again.ok());
    Check(again.modes == plan.modes);
    return 0;
}
