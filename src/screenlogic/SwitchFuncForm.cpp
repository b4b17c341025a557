#include "screenlogic/SwitchFuncForm.h"

#include <cstdio>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"
#include "model/TextConvert.h"
#include "screenlogic/TopScreenText.h"

namespace kelvadeck {

using C = Constants;

namespace {

std::string ScriptRow(int n, const std::vector<ScriptElem>& scripts, const StringTable& s) {
    char number[8];
    std::snprintf(number, sizeof number, "%03d", n + 1);
    std::string name;
    if (static_cast<size_t>(n) < scripts.size() && scripts[static_cast<size_t>(n)].strScriptName) {
        name = TextConvert::Utf16ToUtf8(*scripts[static_cast<size_t>(n)].strScriptName);
    }
    if (name.empty()) name = s.Get("MACRO_NAME_UNDEFINE");
    return s.Get("FUNC_SETTING_CATEGOLY_MACRO") + number + ": " + name;
}

std::vector<std::string> Names(const FunctionCatalogues::List* list) {
    std::vector<std::string> out;
    if (list == nullptr) return out;
    out.reserve(list->size());
    for (const FuncSettingElem& e : *list) out.push_back(e.strName);
    return out;
}

}  // namespace

bool SwitchFuncForm::Open(const DataManager& dm, uint8_t button) {
    m_bOpen = false;
    const uint8_t mode = dm.g_pSSI.bMode;
    if (mode >= dm.g_arPSI.size() || button >= C::BUTTON_NUM) return false;
    const ProfileSettingInfo& live = dm.g_arPSI[mode];
    if (live.arSelectItemElemSW.size() <= button || live.arSwitchFuncElemList.size() <= button) return false;
    bSelectProfileID = mode;
    bSelectSwitchFuncID = button;
    m_pPSIShadow = live;
    pclsNewSIE = live.arSelectItemElemSW[button];
    pclsCurrentSIE = pclsNewSIE;
    m_bOpen = true;
    return true;
}

bool SwitchFuncForm::HasChanges(const DataManager& dm) const {
    if (!m_bOpen || bSelectProfileID >= dm.g_arPSI.size()) return false;
    return pclsNewSIE != pclsCurrentSIE || m_pPSIShadow != dm.g_arPSI[bSelectProfileID];
}

const FunctionCatalogues::List* SwitchFuncForm::DetailList(const FunctionCatalogues& c) const {
    return c.SwitchFunctionList(pclsNewSIE.bItemID1, pclsNewSIE.bItemID2);
}

std::vector<std::string> SwitchFuncForm::Rows(int tag, const DataManager& dm) const {
    const FunctionCatalogues& c = dm.Catalogues();
    switch (tag) {
        case 0: return Names(&c.arSF_Category);
        case 1: return pclsNewSIE.bItemID1 == C::APP_DATA_FUNC_CATEGORY_ID_PRESET ? Names(&c.arSF_Application)
                                                                                 : std::vector<std::string>{};
        case 2:
            if (pclsNewSIE.bItemID1 == C::APP_DATA_FUNC_CATEGORY_ID_MACRO) {
                std::vector<std::string> rows;
                for (int n = 0; n < C::SCRIPT_USER_USE_NUM; ++n) rows.push_back(ScriptRow(n, dm.g_arSCE, dm.Strings()));
                return rows;
            }
            return Names(DetailList(c));
        default: return {};
    }
}

bool SwitchFuncForm::ChangeSelectItem(int tag, int row) {
    if (row < 0 || row > 0xFF) return false;
    const auto r = static_cast<uint8_t>(row);
    SelectItemElemForSwich& n = pclsNewSIE;
    const SelectItemElemForSwich& cur = pclsCurrentSIE;
    switch (tag) {
        case 0:
            // Back to the former category: its former application and detail come back.
            if (r == cur.bItemID1) {
                n = cur;
            } else if (r != n.bItemID1) {
                n.bItemID1 = r;
                n.bItemID2 = 0;
                n.bItemID3 = 0;
            }
            return true;
        case 1:
            if (r == cur.bItemID2) {
                n.bItemID2 = cur.bItemID2;
                n.bItemID3 = cur.bItemID3;
            } else if (r != n.bItemID2) {
                n.bItemID2 = r;
                n.bItemID3 = 0;
            }
            return true;
        case 2: n.bItemID3 = r; return true;
        default: return false;
    }
}

std::string SwitchFuncForm::CurrentAssignmentText(const DataManager& dm) const {
    if (!m_bOpen) return dm.Strings().Get("FUNCTION_NAME_UNSETTING");
    return TopScreenText::SwitchFunctionText(m_pPSIShadow, bSelectSwitchFuncID, dm.Catalogues(), dm.g_arSCE, dm.Strings());
}

std::vector<std::string> SwitchFuncForm::DialDefaultItems(const StringTable& strings) const {
    std::vector<std::string> items;
    for (int k = 0; k < C::FUNCTION_NUM; ++k) {
        std::string name;
        if (static_cast<size_t>(k) < m_pPSIShadow.arDialFuncElemList.size()) {
            const auto& n = m_pPSIShadow.arDialFuncElemList[static_cast<size_t>(k)].strFunctionName;
            if (n) name = TextConvert::Utf16ToUtf8(*n);
        }
        if (name.empty()) name = strings.Get("FUNCTION_NAME_UNDEFINE");
        items.push_back(strings.Get("FUNC_SETTING_ENCODER_DEFAULT_SETTING_FUNC") + std::to_string(k + 1) + ": " + name);
    }
    return items;
}

void SwitchFuncForm::ChangeEncoderDefault(int index) {
    if (index >= 0 && index < C::FUNCTION_NUM) m_pPSIShadow.bEncoderDefaultFuncNo = static_cast<uint8_t>(index);
}

MacroDataDialFunc& SwitchFuncForm::Action() {
    if (m_pPSIShadow.arSwitchFuncElemList.size() <= bSelectSwitchFuncID) {
        m_pPSIShadow.arSwitchFuncElemList.resize(C::BUTTON_NUM);
    }
    return m_pPSIShadow.arSwitchFuncElemList[bSelectSwitchFuncID].clsMacroSW;
}

const MacroDataDialFunc& SwitchFuncForm::Action() const {
    static const MacroDataDialFunc kNone{};
    if (m_pPSIShadow.arSwitchFuncElemList.size() <= bSelectSwitchFuncID) return kNone;
    return m_pPSIShadow.arSwitchFuncElemList[bSelectSwitchFuncID].clsMacroSW;
}

void SwitchFuncForm::RenewKeyInputInfo(const HostInputEvent* captured, const FuncInputArea::ModifierBoxes& boxes,
                                       const DataManager& dm) {
    // Buttons always send the left-hand modifiers.
    const uint8_t modifiers = FuncInputArea::ModifiersFromBoxes(boxes, false);
    MacroDataDialFunc& action = Action();
    if (captured != nullptr) {
        const uint8_t mac = captured->macKeyCode > 0xFF ? 0xFF : static_cast<uint8_t>(captured->macKeyCode);
        MacroCreator::CreateMacroForDialFuncKeyinputMacKeyCode(action, mac, modifiers, 0, dm.pKeyCode());
    } else {
        MacroCreator::CreateMacroForDialFuncKeyinputUSBKeyCode(action, action.bKeyCode, modifiers, 0, dm.pKeyCode());
    }
}

void SwitchFuncForm::ClearKey(const DataManager& dm) {
    MacroCreator::CreateMacroForDialFuncKeyinputMacKeyCode(Action(), 0xFF, 0, 0, dm.pKeyCode());
}

void SwitchFuncForm::SetNumber(int value) {
    MacroCreator::CreateMacroForDialFuncMouseWheel(Action(), static_cast<int8_t>(value & 0xFF), 0);
}

void SwitchFuncForm::SetDistance(int x, int y) {
    const auto dx = static_cast<int8_t>(x & 0xFF);
    const auto dy = static_cast<int8_t>(y & 0xFF);
    switch (InputArea()) {
        case FuncInputArea::Area::MouseMove: MacroCreator::CreateMacroForDialFuncMouseMove(Action(), dx, dy, 0); break;
        case FuncInputArea::Area::JoypadMove:
            MacroCreator::CreateMacroForDialFuncJoypadMove(
                Action(),
                pclsNewSIE.bItemID3 == C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_RIGHT_ANALOG ? C::SET_TYPE_JOYPAD_ZRZ
                                                                                    : C::SET_TYPE_JOYPAD_XY,
                dx, dy, 0);
            break;
        default: break;
    }
}

void SwitchFuncForm::RestoreLiveRecord(DataManager& dm) const {
    if (bSelectProfileID < dm.g_arPSI.size()) dm.g_arPSI[bSelectProfileID] = m_liveBefore;
}

SwitchFuncForm::Submitted SwitchFuncForm::Submit(DataManager& dm, std::string& errorKey) {
    if (!m_bOpen || bSelectProfileID >= dm.g_arPSI.size()) {
        errorKey = "JOB_NOT_STARTED_NO_DEVICE";
        return Submitted::Failed;
    }
    if (!dm.pUSBHID().bConnected()) {
        errorKey = "JOB_NOT_STARTED_NO_DEVICE";
        return Submitted::Failed;
    }
    MacroCreator::RemakeSwitchFuncSettingFromSetting(Action(), pclsNewSIE.bItemID1, pclsNewSIE.bItemID2,
                                                     pclsNewSIE.bItemID3, dm.Catalogues(), dm.pKeyCode());
    m_liveBefore = dm.g_arPSI[bSelectProfileID];
    dm.g_arPSI[bSelectProfileID] = m_pPSIShadow;
    const bool changed = dm.SetNewSwitchFuncSetting(bSelectProfileID, bSelectSwitchFuncID, pclsNewSIE);
    if (pclsNewSIE.bItemID1 == C::APP_DATA_FUNC_CATEGORY_ID_PRESET) {
        int sector = 0;
        const bool read = dm.HasSwitchPresetScriptInfo(bSelectProfileID, bSelectSwitchFuncID, sector);
        bTargetSectorNo = static_cast<uint8_t>(sector);
        if (read) return WritePreset(dm, errorKey);
        dm.pComQue().SetReadSectorComQue(sector);
        if (!dm.pUSBHID().StartCom()) {
            dm.pComQue().Reset();
            RestoreLiveRecord(dm);
            errorKey = "JOB_NOT_STARTED_NO_DEVICE";
            return Submitted::Failed;
        }
        return Submitted::ReadingSector;
    }
    if (!changed) {
        RestoreLiveRecord(dm);
        errorKey = "JOB_NOT_STARTED_NO_DEVICE";
        return Submitted::Failed;
    }
    return StartWrite(dm, 0, false, errorKey);
}

SwitchFuncForm::Submitted SwitchFuncForm::ContinueAfterSectorRead(DataManager& dm, bool readSucceeded,
                                                                  std::string& errorKey) {
    if (!readSucceeded || !dm.SetScriptDataFromFlashSector(bTargetSectorNo)) {
        RestoreLiveRecord(dm);
        errorKey = "PRESET_SLOT_NOT_READ_MSG";
        return Submitted::Failed;
    }
    return WritePreset(dm, errorKey);
}

SwitchFuncForm::Submitted SwitchFuncForm::WritePreset(DataManager& dm, std::string& errorKey) {
    const int n = dm.RenewSwitchScriptInfoFromPreset(bSelectProfileID, bSelectSwitchFuncID, pclsNewSIE);
    if (n < 0) {
        RestoreLiveRecord(dm);
        switch (n) {
            case DataManager::PRESET_FILE_MISSING: errorKey = "PRESET_FILE_MISSING_MSG"; break;
            case DataManager::PRESET_FILE_UNREADABLE: errorKey = "PRESET_FILE_UNREADABLE_MSG"; break;
            case DataManager::PRESET_FILE_TOO_LARGE: errorKey = "PRESET_FILE_TOO_LARGE_MSG"; break;
            default: errorKey = "PRESET_SLOT_NOT_READ_MSG"; break;
        }
        return Submitted::Failed;
    }
    return StartWrite(dm, n, true, errorKey);
}

SwitchFuncForm::Submitted SwitchFuncForm::StartWrite(DataManager& dm, int scriptNo, bool withScripts,
                                                     std::string& errorKey) {
    dm.DataOutputToMemory();
    ComQue& que = dm.pComQue();
    que.CreateFastWriteComQue();
    que.CreateProfileSettingInfoComQue();
    if (withScripts) que.CreateScriptInfoComQue();
    que.CreateSwitchFunctionSettingInfoComQue(bSelectProfileID, bSelectSwitchFuncID);
    if (scriptNo > 0) que.CreateWriteScriptComQue(scriptNo & 0xFF);
    if (!dm.pUSBHID().StartCom()) {
        que.Reset();
        RestoreLiveRecord(dm);
        dm.DataOutputToMemory();
        errorKey = "JOB_NOT_STARTED_NO_DEVICE";
        return Submitted::Failed;
    }
    return Submitted::Writing;
}

}  // namespace kelvadeck
