#include "screenlogic/MacroSlotStore.h"

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "model/Constants.h"
#include "model/FlashControl.h"

namespace kelvadeck {

namespace {

using C = Constants;
using F = FlashControl;

bool IsUserSlot(const DataManager& dm, int index) {
    return index >= 0 && index < C::SCRIPT_USER_USE_NUM && static_cast<size_t>(index) < dm.g_arSCE.size();
}

// Every stored script of the sector has its bytes in memory.
bool AllBytesPresent(const DataManager& dm, int sector) {
    for (size_t i = static_cast<size_t>(sector - 2); i < dm.g_arSCE.size(); i += F::FM_SCRIPT_DATA_SECTOR_NUM) {
        const ScriptElem& e = dm.g_arSCE[i];
        if (e.dwSaveSize == 0) continue;
        if (!e.pbRawData || e.pbRawData->size() != e.dwSaveSize) return false;
    }
    return true;
}

}  // namespace

int MacroSlotStore::SectorOf(const DataManager& dm, int index) {
    return IsUserSlot(dm, index) ? F::ScriptSector(index) : 0;
}

bool MacroSlotStore::SectorLoaded(DataManager& dm, int index) {
    const int sector = SectorOf(dm, index);
    if (sector == 0 || !dm.SectorReadFlag(sector)) return false;
    if (AllBytesPresent(dm, sector)) return true;
    dm.SetScriptDataFromFlashSector(sector);
    return AllBytesPresent(dm, sector);
}

bool MacroSlotStore::QueueSectorRead(DataManager& dm, int index) {
    const int sector = SectorOf(dm, index);
    return sector != 0 && dm.pComQue().SetReadScriptDataComQue(sector);
}

bool MacroSlotStore::FinishSectorRead(DataManager& dm, int index) {
    const int sector = SectorOf(dm, index);
    // The read flag is set only once every read of the job has completed.
    if (sector == 0 || !dm.SectorReadFlag(sector)) return false;
    dm.SetScriptDataFromFlashSector(sector);
    return AllBytesPresent(dm, sector);
}

const MacroCreator* MacroSlotStore::SlotScript(DataManager& dm, int index) {
    if (!SectorLoaded(dm, index)) return nullptr;
    return &dm.g_arSCE[static_cast<size_t>(index)].idMacroCreator;
}

MacroSlotStore::StoreResult MacroSlotStore::Store(DataManager& dm, int index, const MacroCreator& script,
                                                  const std::u16string& name) {
    if (!IsUserSlot(dm, index)) return StoreResult::NoSlot;
    if (!dm.bDataInitialize()) return StoreResult::NoModel;
    if (MacroCreator::StepsThatFit(script.arCurrentMacroScript) < script.arCurrentMacroScript.size()) {
        return StoreResult::TooLong;
    }
    if (!SectorLoaded(dm, index)) return StoreResult::SectorNotLoaded;
    MacroCreator copy = script;
    if (!copy.EncodeMacroData()) return StoreResult::TooLong;
    const int scriptNo = index + 1;
    if (!dm.RenewMacroScriptInfo(scriptNo, copy)) return StoreResult::SectorNotLoaded;
    ScriptElem& slot = dm.g_arSCE[static_cast<size_t>(index)];
    slot.bScriptMode = copy.bScriptMode;
    slot.strScriptName = name;
    slot.idMacroCreator = std::move(copy);
    dm.DataOutputToMemory();
    ComQue& que = dm.pComQue();
    que.CreateFastWriteComQue();
    que.CreateProfileSettingInfoComQue();
    que.CreateScriptInfoComQue();
    que.CreateWriteScriptComQue(scriptNo);
    return StoreResult::Stored;
}

}  // namespace kelvadeck
