#include "screenlogic/DialFuncForm.h"

#include <filesystem>
#include <system_error>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "keys/Utility.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"
#include "model/TextConvert.h"

namespace kelvadeck {

using C = Constants;

namespace {

std::vector<std::string> Names(const FunctionCatalogues::List* list) {
    std::vector<std::string> out;
    if (list == nullptr) return out;
    out.reserve(list->size());
    for (const FuncSettingElem& e : *list) out.push_back(e.strName);
    return out;
}

uint8_t Row(int row) { return static_cast<uint8_t>(row); }

}  // namespace

bool DialFuncForm::Open(const DataManager& dm, uint8_t func) {
    m_bOpen = false;
    const uint8_t mode = dm.g_pSSI.bMode;
    if (mode >= dm.g_arPSI.size() || func >= C::FUNCTION_NUM) return false;
    const ProfileSettingInfo& live = dm.g_arPSI[mode];
    if (live.arDialFuncElemList.size() < C::FUNCTION_NUM || live.arSelectItemElemDF.size() < C::FUNCTION_NUM) return false;
    bSelectProfileID = mode;
    m_pPSIShadow = live;
    m_bOpen = true;
    return SelectDialFuncID(func);
}

bool DialFuncForm::HasChanges(const DataManager& dm) const {
    if (!m_bOpen || bSelectProfileID >= dm.g_arPSI.size()) return false;
    auto withoutEmptyNames = [](ProfileSettingInfo record) {
        for (DialFuncElem& f : record.arDialFuncElemList) {
            if (f.strFunctionName && f.strFunctionName->empty()) f.strFunctionName.reset();
        }
        return record;
    };
    return withoutEmptyNames(m_pPSIShadow) != withoutEmptyNames(dm.g_arPSI[bSelectProfileID]);
}

bool DialFuncForm::SelectDialFuncID(uint8_t func) {
    if (!m_bOpen || func >= C::FUNCTION_NUM) return false;
    bSelectDialFuncID = func;
    pclsCurrentSIE = NewSIE();
    return true;
}

SelectItemElemForDial& DialFuncForm::NewSIE() {
    if (m_pPSIShadow.arSelectItemElemDF.size() < C::FUNCTION_NUM) m_pPSIShadow.arSelectItemElemDF.resize(C::FUNCTION_NUM);
    return m_pPSIShadow.arSelectItemElemDF[bSelectDialFuncID];
}

const SelectItemElemForDial& DialFuncForm::NewSIE() const {
    static const SelectItemElemForDial kNone{};
    if (m_pPSIShadow.arSelectItemElemDF.size() <= bSelectDialFuncID) return kNone;
    return m_pPSIShadow.arSelectItemElemDF[bSelectDialFuncID];
}

DialFuncElem& DialFuncForm::Function(int k) {
    if (m_pPSIShadow.arDialFuncElemList.size() < C::FUNCTION_NUM) m_pPSIShadow.arDialFuncElemList.resize(C::FUNCTION_NUM);
    if (k < 0 || k >= C::FUNCTION_NUM) k = 0;
    return m_pPSIShadow.arDialFuncElemList[static_cast<size_t>(k)];
}

const DialFuncElem& DialFuncForm::Function(int k) const {
    static const DialFuncElem kNone{};
    if (k < 0 || static_cast<size_t>(k) >= m_pPSIShadow.arDialFuncElemList.size()) return kNone;
    return m_pPSIShadow.arDialFuncElemList[static_cast<size_t>(k)];
}

MacroDataDialFunc& DialFuncForm::Action(bool right) {
    DialFuncElem& f = Function(bSelectDialFuncID);
    return right ? f.clsMacroR : f.clsMacroL;
}

const MacroDataDialFunc& DialFuncForm::Action(bool right) const {
    const DialFuncElem& f = Function(bSelectDialFuncID);
    return right ? f.clsMacroR : f.clsMacroL;
}

void DialFuncForm::SelectedRows(bool right, int& category, int& application, int& detail) const {
    const SelectItemElemForDial& n = NewSIE();
    category = right ? n.bItemID1_R : n.bItemID1_L;
    application = right ? n.bItemID2_R : n.bItemID2_L;
    detail = right ? n.bItemID3_R : n.bItemID3_L;
}

std::vector<std::string> DialFuncForm::Rows(int tag, const DataManager& dm) const {
    if (tag < 0 || tag > 5) return {};
    const FunctionCatalogues& c = dm.Catalogues();
    int category = 0, application = 0, detail = 0;
    SelectedRows(tag < 3, category, application, detail);
    switch (tag % 3) {
        case 0: return Names(&c.arDF_Category);
        case 1:
            return category == C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET ? Names(&c.arDF_Application)
                                                                      : std::vector<std::string>{};
        default: return Names(c.DialFunctionList(Row(category), Row(application)));
    }
}

bool DialFuncForm::ChangeSelectItem(int tag, int row) {
    if (tag < 0 || tag > 5 || row < 0 || row > 0xFF) return false;
    const uint8_t r = Row(row);
    const bool right = tag < 3;
    SelectItemElemForDial& n = NewSIE();
    const SelectItemElemForDial& cur = pclsCurrentSIE;
    uint8_t& item1 = right ? n.bItemID1_R : n.bItemID1_L;
    uint8_t& item2 = right ? n.bItemID2_R : n.bItemID2_L;
    uint8_t& item3 = right ? n.bItemID3_R : n.bItemID3_L;
    const uint8_t cur1 = right ? cur.bItemID1_R : cur.bItemID1_L;
    const uint8_t cur2 = right ? cur.bItemID2_R : cur.bItemID2_L;
    const uint8_t cur3 = right ? cur.bItemID3_R : cur.bItemID3_L;
    switch (tag % 3) {
        case 0:
            // Back to the former category: its former application and detail come back.
            if (r == cur1) {
                item1 = cur1;
                item2 = cur2;
                item3 = cur3;
            } else if (r != item1) {
                item1 = r;
                item2 = 0;
                item3 = 0;
            }
            return true;
        case 1:
            if (r == cur2) {
                item2 = cur2;
                item3 = cur3;
            } else if (r != item2) {
                item2 = r;
                item3 = 0;
            }
            return true;
        default: item3 = r; return true;
    }
}

FuncInputArea::Area DialFuncForm::InputArea(bool right) const {
    int category = 0, application = 0, detail = 0;
    SelectedRows(right, category, application, detail);
    return FuncInputArea::ForDial(Row(category), Row(detail));
}

std::string DialFuncForm::FunctionName(int k, const StringTable& strings) const {
    const auto& name = Function(k).strFunctionName;
    if (!name || name->empty()) return strings.Get("FUNCTION_NAME_UNDEFINE");
    return TextConvert::Utf16ToUtf8(*name);
}

void DialFuncForm::SetFunctionName(int k, const std::string& utf8) {
    if (k < 0 || k >= C::FUNCTION_NUM) return;
    Function(k).strFunctionName = TextConvert::Utf8ToUtf16(utf8);
}

void DialFuncForm::TakeColorFromLive(const DataManager& dm, int k) {
    if (k < 0 || k >= C::FUNCTION_NUM || bSelectProfileID >= dm.g_arPSI.size()) return;
    const ProfileSettingInfo& live = dm.g_arPSI[bSelectProfileID];
    if (live.arDialFuncElemList.size() <= static_cast<size_t>(k)) return;
    const DialFuncElem& from = live.arDialFuncElemList[static_cast<size_t>(k)];
    DialFuncElem& to = Function(k);
    to.bLEDDutyR = from.bLEDDutyR;
    to.bLEDDutyG = from.bLEDDutyG;
    to.bLEDDutyB = from.bLEDDutyB;
    to.bLEDBrightness = from.bLEDBrightness;
}

int DialFuncForm::ClampSensitivity(long long value) {
    if (value < SENSITIVITY_LOWEST) return SENSITIVITY_LOWEST;
    if (value > SENSITIVITY_HIGHEST) return SENSITIVITY_HIGHEST;
    return static_cast<int>(value);
}

int DialFuncForm::Sensitivity(bool right) const { return ClampSensitivity(Action(right).bSensitive); }

void DialFuncForm::SetSensitivity(int right, int left) {
    // Byte 7 of a record is the sensitivity; the builders and the rebuild on
    // submit take it from bSensitive.
    auto set = [](MacroDataDialFunc& a, int value) {
        a.bSensitive = static_cast<uint8_t>(value & 0xFF);
        a.cFuncData[C::DEVICE_DATA_SENSE_IDX] = static_cast<int8_t>(a.bSensitive);
    };
    set(Action(true), right);
    set(Action(false), left);
}

uint8_t DialFuncForm::SensitivityByte(bool right) const { return static_cast<uint8_t>(Sensitivity(right) & 0xFF); }

void DialFuncForm::RenewKeyInputInfo(bool right, const HostInputEvent* captured,
                                     const FuncInputArea::ModifierBoxes& boxes, const DataManager& dm) {
    const uint8_t modifiers = FuncInputArea::ModifiersFromBoxes(boxes, right);
    MacroDataDialFunc& action = Action(right);
    const uint8_t sensitivity = SensitivityByte(right);
    if (captured != nullptr) {
        const uint8_t mac = captured->macKeyCode > 0xFF ? 0xFF : static_cast<uint8_t>(captured->macKeyCode);
        MacroCreator::CreateMacroForDialFuncKeyinputMacKeyCode(action, mac, modifiers, sensitivity, dm.pKeyCode());
    } else {
        MacroCreator::CreateMacroForDialFuncKeyinputUSBKeyCode(action, action.bKeyCode, modifiers, sensitivity,
                                                               dm.pKeyCode());
    }
}

void DialFuncForm::ClearKey(bool right, const DataManager& dm) {
    MacroCreator::CreateMacroForDialFuncKeyinputMacKeyCode(Action(right), 0xFF, 0, SensitivityByte(right),
                                                           dm.pKeyCode());
}

void DialFuncForm::SetNumber(bool right, int value) {
    MacroCreator::CreateMacroForDialFuncMouseWheel(Action(right), static_cast<int8_t>(value & 0xFF),
                                                   SensitivityByte(right));
}

void DialFuncForm::SetDistance(bool right, int x, int y) {
    const auto dx = static_cast<int8_t>(x & 0xFF);
    const auto dy = static_cast<int8_t>(y & 0xFF);
    int category = 0, application = 0, detail = 0;
    SelectedRows(right, category, application, detail);
    switch (InputArea(right)) {
        case FuncInputArea::Area::MouseMove:
            MacroCreator::CreateMacroForDialFuncMouseMove(Action(right), dx, dy, SensitivityByte(right));
            break;
        case FuncInputArea::Area::JoypadMove:
            MacroCreator::CreateMacroForDialFuncJoypadMove(
                Action(right),
                detail == C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_RIGHT_ANALOG ? C::SET_TYPE_JOYPAD_ZRZ : C::SET_TYPE_JOYPAD_XY,
                dx, dy, SensitivityByte(right));
            break;
        default: break;
    }
}

void DialFuncForm::RestoreLiveRecord(DataManager& dm) const {
    if (bSelectProfileID < dm.g_arPSI.size()) dm.g_arPSI[bSelectProfileID] = m_liveBefore;
}

DialFuncForm::Submitted DialFuncForm::Submit(DataManager& dm, std::string& errorKey) {
    if (!m_bOpen || bSelectProfileID >= dm.g_arPSI.size()) {
        errorKey = "JOB_NOT_STARTED_NO_DEVICE";
        return Submitted::Failed;
    }
    // Every function of the mode is rebuilt, on a copy: a preset that cannot
    // be loaded stops the submit with the working copy as the user left it.
    ProfileSettingInfo rebuilt = m_pPSIShadow;
    rebuilt.arDialFuncElemList.resize(C::FUNCTION_NUM);
    rebuilt.arSelectItemElemDF.resize(C::FUNCTION_NUM);
    for (size_t i = 0; i < C::FUNCTION_NUM; ++i) {
        DialFuncElem& f = rebuilt.arDialFuncElemList[i];
        const SelectItemElemForDial& s = rebuilt.arSelectItemElemDF[i];
        const struct {
            MacroDataDialFunc& action;
            uint8_t item1, item2, item3;
        } sides[] = {{f.clsMacroR, s.bItemID1_R, s.bItemID2_R, s.bItemID3_R},
                     {f.clsMacroL, s.bItemID1_L, s.bItemID2_L, s.bItemID3_L}};
        for (const auto& side : sides) {
            if (MacroCreator::RemakeDialFuncSettingFromSetting(side.action, side.item1, side.item2, side.item3,
                                                               side.action.bSensitive, dm.Catalogues(), dm.pUtl(),
                                                               dm.pKeyCode(), &dm.Log())) {
                continue;
            }
            const std::optional<std::string> path =
                dm.pUtl().GetPresetFileName(Utility::PRESET_KIND_DIAL, side.item1, side.item2, side.item3);
            std::error_code ec;
            errorKey = path && std::filesystem::exists(*path, ec) ? "PRESET_FILE_UNREADABLE_MSG"
                                                                  : "PRESET_FILE_MISSING_MSG";
            return Submitted::Failed;
        }
    }
    if (!dm.pUSBHID().bConnected()) {
        errorKey = "JOB_NOT_STARTED_NO_DEVICE";
        return Submitted::Failed;
    }
    m_liveBefore = dm.g_arPSI[bSelectProfileID];
    dm.g_arPSI[bSelectProfileID] = rebuilt;
    if (!dm.DataOutputToMemory()) {
        RestoreLiveRecord(dm);
        errorKey = "JOB_NOT_STARTED_NO_DEVICE";
        return Submitted::Failed;
    }
    ComQue& que = dm.pComQue();
    const bool queued = que.CreateFastWriteComQue() && que.CreateFunctionSettingInfoComQue();
    if (!queued || !dm.pUSBHID().StartCom()) {
        que.Reset();
        RestoreLiveRecord(dm);
        dm.DataOutputToMemory();
        errorKey = "JOB_NOT_STARTED_NO_DEVICE";
        return Submitted::Failed;
    }
    m_pPSIShadow = rebuilt;
    return Submitted::Writing;
}

}  // namespace kelvadeck
