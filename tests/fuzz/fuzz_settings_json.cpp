// Arbitrary text as a settings document: reading it must never crash, and a
// document that is accepted must apply whole onto an erased device. The same
// bytes, taken as a script name and a dial function name stored on a device
// (length byte and UTF-16 units, as anything may have written them), must
// export into a document that imports. And the text as a layout file: one
// that is accepted goes into a mode of an erased device, and the layout saved
// from there goes into another one and is saved again the same.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/DataManager.h"
#include "export/ModeLayout.h"
#include "export/SettingsJson.h"
#include "export/SettingsJsonTransfer.h"
#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"
#include "model/FlashControl.h"

using namespace kelvadeck;

namespace {

using FC = FlashControl;

void Check(bool ok) {
    if (!ok) std::abort();
}

// dm wiped to an erased device whose every sector has been read, with its
// model decoded. A new data manager per run would cost more than the checks
// it serves; a wiped one holds nothing of the run before.
DataManager& Erased(DataManager& dm) {
    dm.ResetMember(true);
    for (int sector = 0; sector < static_cast<int>(FC::FM_SECTOR_NUM); ++sector) dm.SetSectorReadFlag(sector, true);
    Check(dm.DataInitializeFromMemory());
    return dm;
}

std::string Export(const DataManager& dm) {
    size_t scripts = 0;
    return SettingsJsonTransfer::DocumentText(dm, scripts);
}

// Applies an accepted plan onto an erased device whose every sector has been
// read, and exports the result.
std::string ApplyAndExport(const SettingsJson::Plan& plan) {
    static DataManager target;
    DataManager& dm = Erased(target);
    std::string error;
    Check(SettingsJson::Apply(plan, dm, error));
    for (const int sector : SettingsJsonTransfer::AllDataSectors()) dm.SetScriptDataFromFlashSector(sector);
    return Export(dm);
}

// Copies a name field from the input: its length byte, then the bytes of its
// units (what the input has; the rest of the field stays as it was).
void StoreName(uint8_t* field, size_t fieldSize, const uint8_t* data, size_t size) {
    if (size == 0) return;
    std::copy_n(data, std::min(size, fieldSize), field);
}

// The input as the names of script 1 and of the first dial function.
void CheckStoredNames(const uint8_t* data, size_t size, const KeyCode& keys) {
    static DataManager device;
    DataManager& dm = Erased(device);
    MacroCreator script;
    script.pbRawData = std::vector<uint8_t>{0x41, 0x04, 0x40, 0x04};
    script.dwTotalSize = 4;
    Check(dm.RenewMacroScriptInfo(1, script));
    Check(dm.DataOutputToMemory());
    const size_t scriptField = 1 + FC::FM_SCRIPT_INFO_DATA_NAME_SIZE;
    StoreName(dm.SectorBuffer(1) + FC::ScriptRecordOffset(0) + FC::FM_OFSET_SCRIPT_NAME_SIZE, scriptField, data, size);
    const size_t rest = size > scriptField ? size - scriptField : 0;
    StoreName(dm.SectorBuffer(0) + FC::FunctionNameAddress(0, 0) + FC::FM_OFSET_FUNCTION_NAME_SIZE, FC::FM_FUNCTION_NAME_ST_SIZE,
              data + (size - rest), rest);
    Check(dm.DataInitializeFromMemory());
    dm.SetScriptDataFromFlashSector(FC::ScriptSector(0));

    const std::string exported = Export(dm);
    const SettingsJson::Plan plan = SettingsJson::Read(exported, keys);
    Check(plan.ok());
    Check(ApplyAndExport(plan) == exported);
}

// Puts an accepted layout into mode 2 of an erased device; the layout saved
// from there.
std::string ApplyLayout(const ModeLayout& layout, DataManager& dm) {
    Erased(dm);
    SettingsJson::Plan plan;
    std::string error;
    Check(layout.PlanFor(dm, 1, plan, error));
    Check(SettingsJson::Apply(plan, dm, error));
    std::vector<std::string> warnings;
    return ModeLayout::Document(dm, 1, layout.about, warnings).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void CheckLayout(const std::string& text, const KeyCode& keys) {
    const ModeLayout layout = ModeLayout::Read(text, keys);
    if (!layout.ok()) return;
    static DataManager first, second;
    const std::string saved = ApplyLayout(layout, first);
    const ModeLayout again = ModeLayout::Read(saved, keys);
    Check(again.ok());
    // Saving numbers the scripts in the order the keys play them, so the
    // saved layout, not the one read, is what reads back unchanged.
    Check(ApplyLayout(again, second) == saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const KeyCode keys;
    CheckStoredNames(data, size, keys);

    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckLayout(text, keys);
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
