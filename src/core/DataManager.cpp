#include "core/DataManager.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/AtomicFile.h"
#include "device/ComQue.h"
#include "device/HidBackend.h"
#include "device/USBHidManager.h"
#include "model/ByteIO.h"

namespace kelvadeck {

namespace {

using C = Constants;
using F = FlashControl;

constexpr uint8_t kErased = 0xFF;
// Longest names that survive a write and a read back: the decoder treats a byte
// count at or above the field's limit as "no name".
constexpr size_t kFunctionNameMaxUnits = (F::FM_FUNCTION_NAME_MAX_SIZE - 1) / 2;    // 31
constexpr size_t kScriptNameMaxUnits = (F::FM_SCRIPT_INFO_DATA_NAME_SIZE - 1) / 2;  // 126

uint8_t Below(uint8_t value, int limit, uint8_t fallback) { return value < limit ? value : fallback; }

// The data sector of a script index and the first byte it covers.
uint64_t SectorStart(int sector) { return static_cast<uint64_t>(sector) * F::FM_SECTOR_SIZE; }


}  // namespace

DataManager::DataManager() : DataManager(Options{}) {}

DataManager::DataManager(Options options) : m_options(std::move(options)) { InitMember(); }

DataManager::~DataManager() { DestroyMember(); }

void DataManager::InitMember() {
    if (g_bInitFlag) return;
    g_pUtl = std::make_unique<Utility>(m_options.resourceDir, &m_options.logger);
    g_pKeyCode = std::make_unique<KeyCode>(m_options.defaults, &m_options.logger);
    m_strings = StringTable(m_options.language);
    g_pSSI.Reset(true);
    g_arPSI.clear();
    g_arDMI.clear();
    g_pSCTI.Reset();
    g_arSCE.clear();
    for (size_t n = 0; n < F::FM_SECTOR_NUM; ++n) {
        g_arFlashImage[n].assign(F::FM_SECTOR_SIZE, kErased);
        g_bFlashImageReadFlag[n] = 0;
    }
    g_cFlashImage.assign(F::FM_TOTAL_SIZE, kErased);
    g_pComQue = std::make_unique<ComQue>(*this);
    g_pUSBHID = std::make_unique<USBHidManager>(*this, *g_pComQue, m_options.hidBackend, m_options.logger);
    CreateTable();
    g_bDataInitialize = false;
    g_bInitFlag = true;
}

void DataManager::DestroyMember() {
    if (!g_bInitFlag) return;
    g_pUSBHID.reset();
    g_pComQue.reset();
    m_history.Forget();
    for (size_t n = 0; n < F::FM_SECTOR_NUM; ++n) {
        std::vector<uint8_t>().swap(g_arFlashImage[n]);
        g_bFlashImageReadFlag[n] = 0;
    }
    std::vector<uint8_t>().swap(g_cFlashImage);
    g_arSCE.clear();
    g_pSCTI.Reset();
    g_arDMI.clear();
    g_arPSI.clear();
    g_pSSI.Reset(true);
    m_catalogues = FunctionCatalogues{};
    g_pUtl.reset();
    g_pKeyCode.reset();
    g_bInitFlag = false;
    g_bDataInitialize = false;
}

void DataManager::ResetMember(bool clearImage) {
    if (!g_bInitFlag) {
        InitMember();
        return;
    }
    if (clearImage) {
        // The buffers stop showing the device: what was kept of it is dropped
        // too (a wipe comes with a device's arrival and after a factory reset).
        m_history.Forget();
        for (size_t n = 0; n < F::FM_SECTOR_NUM; ++n) {
            std::fill(g_arFlashImage[n].begin(), g_arFlashImage[n].end(), kErased);
            g_bFlashImageReadFlag[n] = 0;
        }
        ClearIOmemory();
    }
    g_arPSI.clear();
    g_arDMI.clear();
    g_arSCE.clear();
    g_pSCTI.Reset();
    g_pSSI.Reset(clearImage);
    if (g_pComQue) g_pComQue->Reset();
    g_bDataInitialize = false;
}

void DataManager::ClearIOmemory() { std::fill(g_cFlashImage.begin(), g_cFlashImage.end(), kErased); }

bool DataManager::RenewMemBuf() {
    if (g_cFlashImage.size() != F::FM_TOTAL_SIZE) return false;
    for (size_t n = 0; n < F::FM_SECTOR_NUM; ++n) {
        if (g_arFlashImage[n].size() != F::FM_SECTOR_SIZE) return false;
        std::memcpy(g_arFlashImage[n].data(), g_cFlashImage.data() + n * F::FM_SECTOR_SIZE, F::FM_SECTOR_SIZE);
        g_bFlashImageReadFlag[n] = 1;
    }
    return DataInitializeFromMemory();
}

void DataManager::CreateTable() { m_catalogues.CreateTable(m_strings); }

void DataManager::AppendFirmwareVersion(const std::string& text) {
    if (!g_pSSI.strFirmwareVer) g_pSSI.strFirmwareVer.emplace();
    *g_pSSI.strFirmwareVer += text;
}

void DataManager::SectorReadFromDevice(int sector) {
    if (sector < 0 || sector >= static_cast<int>(F::FM_SECTOR_NUM)) return;
    g_bFlashImageReadFlag[static_cast<size_t>(sector)] = 1;
    m_history.SectorReadFromDevice(sector);
    if (g_bDataInitialize) SetScriptDataFromFlashSector(sector);
}

// ---------------------------------------------------------------------------
// Decoding

bool DataManager::DataInitializeFromMemory() {
    if (!g_bInitFlag) return false;
    if (g_bDataInitialize) ResetMember(false);
    DecodeSectors();
    g_bDataInitialize = true;
    g_bFlashImageReadFlag[0] = 1;
    g_bFlashImageReadFlag[1] = 1;
    // A data sector flagged read has its scripts in the model, whoever set the
    // flag (a read from the device, a restored or opened image): decode those
    // the new directory points into.
    for (int s = F::ScriptSector(0); s < static_cast<int>(F::FM_SECTOR_NUM); ++s) {
        if (SectorReadFlag(s)) SetScriptDataFromFlashSector(s);
    }
    return true;
}

bool DataManager::PreviewFromMemory() {
    if (!g_bInitFlag || g_bDataInitialize) return false;
    DecodeSectors();
    return true;
}

void DataManager::DecodeSectors() {
    // Whatever a preview decoded before is replaced.
    g_arPSI.clear();
    g_arDMI.clear();
    g_arSCE.clear();
    g_pSCTI.Reset();
    const uint8_t* s0 = SectorBuffer(0);
    const uint8_t* s1 = SectorBuffer(1);

    const uint8_t* base = s0 + F::FM_BASE_SETTING_ST_ADR;
    g_pSSI.bMode = Below(base[F::FM_OFSET_BASE_MODE], C::MODE_NUM, C::MODE_1_ID);
    g_pSSI.bLEDSleepFlag = Below(base[F::FM_OFSET_BASE_LED_SLEEP], C::LED_SLEEP_SETTING_NUM, C::LED_SLEEP_ENABLED);
    g_pSSI.bLEDLampTypeMode =
        Below(base[F::FM_OFSET_BASE_LED_LIGHT_MODE], C::LED_LIGHT_TYPE_MODE_SETTING_NUM, C::LED_LIGHT_TYPE_MODE_ON);
    g_pSSI.bLEDLampTypeFunc =
        Below(base[F::FM_OFSET_BASE_LED_LIGHT_FUNC], C::LED_LIGHT_TYPE_FUNC_SETTING_NUM, C::LED_LIGHT_TYPE_FUNC_ON);
    g_pSSI.bLEDOffTimer = std::min(base[F::FM_OFSET_BASE_LED_OFF_TIME], C::LED_LIGHT_OFF_MODE_TIME_MAX);
    g_pSSI.bEncoderType =
        Below(base[F::FM_OFSET_BASE_ENCODER_TYPEMATIC], C::ENCODER_TYPEMATIC_SETTING_NUM, C::ENCODER_TYPEMATIC_HIT);

    auto duty = [](uint8_t value, int max) { return value > max ? uint8_t{0} : value; };

    for (int m = 0; m < C::MODE_NUM; ++m) {
        ProfileSettingInfo profile;
        const uint8_t* rec = s0 + F::ModeSettingAddress(m);
        for (int b = 0; b < C::BUTTON_NUM; ++b) {
            const uint8_t scriptNo = rec[F::FM_OFSET_BASE_SW1_SCRIPT_NO + b];
            profile.arSWScriptNo.push_back(scriptNo <= C::SCRIPT_NUM ? scriptNo : 0);
        }
        for (int b = 0; b < C::BUTTON_NUM; ++b) {
            const uint8_t sp = rec[F::FM_OFSET_BASE_SW1_SP_FUNC_NO + b];
            profile.arSWSpScriptNo.push_back(sp <= C::SP_FUNC_FUNC ? sp : 0);
        }
        profile.bEncoderDefaultFuncNo =
            Below(rec[F::FM_OFSET_BASE_ENCODER_DEFAULT], C::FUNCTION_NUM, static_cast<uint8_t>(C::FUNCTION_1_ID));
        profile.bLEDColorNo = rec[F::FM_OFSET_BASE_LED_COLOR_NO];
        profile.bLEDColorDetailFlag = rec[F::FM_OFSET_BASE_LED_DETAIL_FLAG];
        profile.bLEDDutyR = duty(rec[F::FM_OFSET_BASE_LED_R_DUTY], C::LED_R_DUTY_MAX);
        profile.bLEDDutyG = duty(rec[F::FM_OFSET_BASE_LED_G_DUTY], C::LED_G_DUTY_MAX);
        profile.bLEDDutyB = duty(rec[F::FM_OFSET_BASE_LED_B_DUTY], C::LED_B_DUTY_MAX);
        profile.bLEDBrightness =
            Below(rec[F::FM_OFSET_BASE_LED_BRIGHTNESS_LEVEL], C::LED_BRIGHTNESS_LEVEL_SET_NUM, C::LED_BRIGHTNESS_LEVEL_NORMAL);

        for (int f = 0; f < C::FUNCTION_NUM; ++f) {
            SelectItemElemForDial sel;
            const uint8_t* cw = s0 + F::DialSelectionAddress(m, f);
            const uint8_t* ccw = cw + F::FM_APP_FUNC_SETTING_SIZE_DATA;
            sel.bItemID1_R = cw[0];
            sel.bItemID2_R = cw[1];
            sel.bItemID3_R = cw[2];
            sel.bItemID1_L = ccw[0];
            sel.bItemID2_L = ccw[1];
            sel.bItemID3_L = ccw[2];

            DialFuncElem func;
            const uint8_t* frec = s0 + F::DialFunctionAddress(m, f);
            std::memcpy(func.clsMacroR.cFuncData.data(), frec + F::FM_OFSET_FUNCTION_CW_DATA_TOP, F::FM_OFSET_FUNCTION_DATA_SIZE);
            AnalyzeDialFuncSettingFromFlashdata(func.clsMacroR, sel.bItemID1_R, sel.bItemID2_R, sel.bItemID3_R);
            std::memcpy(func.clsMacroL.cFuncData.data(), frec + F::FM_OFSET_FUNCTION_CCW_DATA_TOP, F::FM_OFSET_FUNCTION_DATA_SIZE);
            AnalyzeDialFuncSettingFromFlashdata(func.clsMacroL, sel.bItemID1_L, sel.bItemID2_L, sel.bItemID3_L);

            const uint8_t* name = s0 + F::FunctionNameAddress(m, f);
            func.strFunctionName = ByteIO::ReadName(name[F::FM_OFSET_FUNCTION_NAME_SIZE], name + F::FM_OFSET_FUNCTION_NAME_DATA,
                                                    F::FM_FUNCTION_NAME_MAX_SIZE);

            func.bLEDColorNo = frec[F::FM_OFSET_FUNCTION_LED_COLOR_NO];
            func.bLEDColorDetailFlag = frec[F::FM_OFSET_FUNCTION_LED_DETAIL_FLAG];
            func.bLEDDutyR = duty(frec[F::FM_OFSET_FUNCTION_LED_R_DUTY], C::LED_R_DUTY_MAX);
            func.bLEDDutyG = duty(frec[F::FM_OFSET_FUNCTION_LED_G_DUTY], C::LED_G_DUTY_MAX);
            func.bLEDDutyB = duty(frec[F::FM_OFSET_FUNCTION_LED_B_DUTY], C::LED_B_DUTY_MAX);
            func.bLEDBrightness = Below(frec[F::FM_OFSET_FUNCTION_LED_BRIGHTNESS_LEVEL], C::LED_BRIGHTNESS_LEVEL_SET_NUM,
                                        C::LED_BRIGHTNESS_LEVEL_NORMAL);

            profile.arDialFuncElemList.push_back(std::move(func));
            profile.arSelectItemElemDF.push_back(sel);
        }

        for (int b = 0; b < C::BUTTON_NUM; ++b) {
            SelectItemElemForSwich sel;
            const uint8_t* entry = s0 + F::SwitchSelectionAddress(m, b);
            sel.bItemID1 = entry[0];
            sel.bItemID2 = entry[1];
            sel.bItemID3 = entry[2];

            SwitchFuncElem sw;
            std::memcpy(sw.clsMacroSW.cFuncData.data(), s0 + F::SwitchFunctionAddress(m, b), F::FM_SW_FUNCTION_SETTING_SIZE_FUNC);
            AnalyzeSwitchFuncSettingFromFlashdata(sw.clsMacroSW);

            profile.arSelectItemElemSW.push_back(sel);
            profile.arSwitchFuncElemList.push_back(std::move(sw));
        }
        g_arPSI.push_back(std::move(profile));
    }

    // Four dial macro records are decoded although the jobs move only three:
    // the fourth lies just past the area, still inside the settings sector.
    for (int k = 0; k < C::FUNCTION_NUM; ++k) {
        const uint8_t* rec = s0 + F::EncoderScriptAddress(k);
        DialMacroInfo dmi;
        const uint8_t setNum = rec[F::FM_OFSET_ENCODER_SCRIPT_SCRIPT_NUM_TOP];
        dmi.bDialMacroSetNum = setNum <= C::ENCODER_SCRIPT_SCRIPTSET_MAX_NUM ? setNum : 0;
        dmi.bDialMacroRoopFlag =
            Below(rec[F::FM_OFSET_ENCODER_SCRIPT_LOOP_SET_TOP], C::ENCODER_SCRIPT_LOOP_SET_NUM, C::ENCODER_SCRIPT_LOOP_SET_NONE);
        for (int i = 0; i < F::FM_ENCODER_SCRIPT_SCRIPT_MAX_SIZE; ++i) {
            dmi.arDialMacroNoList.push_back(Below(rec[F::FM_OFSET_ENCODER_SCRIPT_DATA_TOP + i], C::SCRIPT_NUM, 0));
        }
        g_arDMI.push_back(std::move(dmi));
    }

    const uint8_t* hdr = s1;
    g_pSCTI.wCheckSum = static_cast<uint16_t>(hdr[F::FM_OFSET_SCRIPT_CHK_SUM_H] << 8 | hdr[F::FM_OFSET_SCRIPT_CHK_SUM_L]);
    if (hdr[F::FM_OFSET_SCRIPT_REC_NUM] < C::SCRIPT_NUM) {
        g_pSCTI.bTotalNum = hdr[F::FM_OFSET_SCRIPT_REC_NUM];
        g_pSCTI.dwTotalSize = ByteIO::ReadLE32(hdr + F::FM_OFSET_SCRIPT_TOTAL_SIZE_L0);
    }

    uint8_t storedCount = 0;
    uint64_t storedSize = 0;
    for (int i = 0; i < C::SCRIPT_NUM; ++i) {
        ScriptElem elem;
        elem.nSectorNo = F::ScriptSector(i);
        const uint8_t* rec = s1 + F::ScriptRecordOffset(i);
        const uint32_t address = ByteIO::ReadLE32(rec + F::FM_OFSET_SCRIPT_REC_ADR);
        const uint32_t size = ByteIO::ReadLE32(rec + F::FM_OFSET_SCRIPT_DATA_SIZE);
        if (F::IsStoredScriptRecord(address, size, i)) {
            elem.dwSaveAddress = address;
            elem.dwSaveSize = size;
            elem.dwSectorAddr = address - SectorStart(elem.nSectorNo);
            elem.bScriptMode = Below(rec[F::FM_OFSET_SCRIPT_MODE], C::SCRIPT_MODE_NUM, C::SCRIPT_MODE_ONE_MODE);
            elem.strScriptName =
                ByteIO::ReadName(rec[F::FM_OFSET_SCRIPT_NAME_SIZE], rec + F::FM_OFSET_SCRIPT_NAME_DATA, F::FM_SCRIPT_INFO_DATA_NAME_SIZE);
            ++storedCount;
            storedSize += size;
        }
        g_arSCE.push_back(std::move(elem));
    }
    // The header's totals are what the device keeps beside the records. When
    // they disagree with the records (a damaged or half-written directory), the
    // records win, so the totals written back always describe what is stored.
    if (g_pSCTI.bTotalNum != storedCount || g_pSCTI.dwTotalSize != storedSize) {
        m_options.logger.Warning("DataManager : script directory totals repaired (" + std::to_string(g_pSCTI.bTotalNum) + "/" +
                               std::to_string(g_pSCTI.dwTotalSize) + " -> " + std::to_string(storedCount) + "/" +
                               std::to_string(storedSize) + ")");
        g_pSCTI.bTotalNum = storedCount;
        g_pSCTI.dwTotalSize = storedSize;
    }
}

namespace {

// Fills the decoded fields of an action from its record bytes by set type.
void FillDecodedFields(MacroDataDialFunc& a, const KeyCode& keyCode) {
    const uint8_t t0 = a.Byte(C::DEVICE_DATA_SET_TYPE_IDX);
    const uint8_t t1 = a.Byte(1), t2 = a.Byte(2), t3 = a.Byte(3), t4 = a.Byte(4), t5 = a.Byte(5);
    if (t0 == C::SET_TYPE_KEYBOARD_KEY) {
        a.bKeyModifier = t1;
        a.bKeyCode = t2;
        if (t2 != 0) a.pStrKey = keyCode.GetKeyCodeStringFromUsb(t2);
    } else if (t0 >= C::SET_TYPE_MOUSE_LCLICK && t0 <= C::SET_TYPE_MOUSE_DCLICK) {
        a.bButton1 = t1;
    } else if (t0 == C::SET_TYPE_MOUSE_MOVE) {
        a.cMoveX = static_cast<int8_t>(t2);
        a.cMoveY = static_cast<int8_t>(t3);
    } else if (t0 == C::SET_TYPE_MOUSE_WHSCROLL) {
        a.cMoveZ = static_cast<int8_t>(t4);
    } else if (t0 >= C::SET_TYPE_JOYPAD_B01 && t0 <= C::SET_TYPE_JOYPAD_B13) {
        a.bButton1 = t1;
        a.bButton2 = t2;
        a.bButton3 = t3;
        a.sOption = t2;
    } else if (t0 == C::SET_TYPE_JOYPAD_XY || t0 == C::SET_TYPE_JOYPAD_ZRZ) {
        a.cMoveX = static_cast<int8_t>(t4);
        a.cMoveY = static_cast<int8_t>(t5);
        a.bButton3 = t3;
    } else if (t0 >= C::SET_TYPE_JOYPAD_HSW_NORTH && t0 <= C::SET_TYPE_JOYPAD_HSW_EAST) {
        a.bButton1 = t3;
    } else if (t0 >= C::SET_TYPE_MULTIMEDIA_MIN && t0 <= C::SET_TYPE_MULTIMEDIA_MAX) {
        a.bButton1 = t1;
        a.bButton2 = t2;
    }
}

}  // namespace

void DataManager::AnalyzeDialFuncSettingFromFlashdata(MacroDataDialFunc& action, uint8_t& item1, uint8_t& item2,
                                                      uint8_t& item3) const {
    action.bSensitive = std::min(action.Byte(C::DEVICE_DATA_SENSE_IDX), C::SENSITIVITY_DEFAULT);
    if (item1 == C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET) {
        // A preset keeps its selection; its bytes came from the preset file.
        action.strDatName = g_pUtl->GetPresetFileName(1, item1, item2, item3);
        return;
    }
    const uint8_t t0 = action.Byte(C::DEVICE_DATA_SET_TYPE_IDX);
    if (t0 == C::SET_TYPE_NONE) return;
    if (t0 > C::SET_TYPE_MAX) {
        item1 = item2 = item3 = 0;
        return;
    }
    item2 = 0;
    const FunctionCatalogues::List* list = nullptr;
    if (t0 == C::SET_TYPE_NUMBER_UP || t0 == C::SET_TYPE_NUMBER_DOWN || t0 == C::SET_TYPE_KEYBOARD_KEY) {
        item1 = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY;
        list = &m_catalogues.arDF_FuncList_Key;
    } else if (t0 >= C::SET_TYPE_MOUSE_MIN && t0 <= C::SET_TYPE_MOUSE_MAX) {
        item1 = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE;
        list = &m_catalogues.arDF_FuncList_Mouse;
    } else if (t0 >= C::SET_TYPE_JOYPAD_MIN && t0 <= C::SET_TYPE_JOYPAD_MAX) {
        item1 = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD;
        list = &m_catalogues.arDF_FuncList_Gamepad;
    } else if (t0 >= C::SET_TYPE_MULTIMEDIA_MIN && t0 <= C::SET_TYPE_MULTIMEDIA_MAX) {
        item1 = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MULTIMEDIA;
        list = &m_catalogues.arDF_FuncList_Multimedia;
    } else if (t0 >= C::SET_TYPE_ENCODER_SCRIPT1 && t0 <= C::SET_TYPE_ENCODER_SCRIPT3) {
        item1 = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_USERDIALMACRO;
        list = &m_catalogues.arDF_FuncList_UserDialMacro;
    } else {
        item1 = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_NOT_SET;
        return;
    }
    const int position = FunctionCatalogues::FindByTypeNo(*list, t0);
    if (position >= 0) item3 = static_cast<uint8_t>(position);
    action.bScriptType = t0;
    FillDecodedFields(action, *g_pKeyCode);
}

void DataManager::AnalyzeSwitchFuncSettingFromFlashdata(MacroDataDialFunc& action) const {
    const uint8_t t0 = action.Byte(C::DEVICE_DATA_SET_TYPE_IDX);
    if (t0 == kErased || t0 == C::SET_TYPE_NONE) return;
    action.bSensitive = std::min(action.Byte(C::DEVICE_DATA_SENSE_IDX), C::SENSITIVITY_DEFAULT);
    action.bScriptType = t0;
    FillDecodedFields(action, *g_pKeyCode);
}

bool DataManager::SetScriptDataFromFlashSector(int sector) {
    if (!g_bInitFlag) return false;
    const int first = sector - 2;
    if (first < 0 || first >= F::FM_SCRIPT_DATA_SECTOR_NUM) return true;
    const uint8_t* buf = SectorBuffer(sector);
    for (int i = first, n = 0; i < static_cast<int>(g_arSCE.size()) && n < F::FM_SCRIPT_DATA_NUM_PER_SECTOR;
         i += F::FM_SCRIPT_DATA_SECTOR_NUM, ++n) {
        ScriptElem& elem = g_arSCE[static_cast<size_t>(i)];
        if (elem.dwSaveSize == 0) continue;
        // Decoding only accepts records wholly inside their sector; recheck so a
        // record changed in memory can never make us read past the buffer.
        if (elem.dwSectorAddr + elem.dwSaveSize > F::FM_SECTOR_SIZE) continue;
        elem.pbRawData.emplace(buf + elem.dwSectorAddr, buf + elem.dwSectorAddr + elem.dwSaveSize);
        elem.idMacroCreator.Reset();
        elem.idMacroCreator.bScriptMode = elem.bScriptMode;
        elem.idMacroCreator.AnalyzeDataFromFlash(elem.pbRawData->data(), static_cast<int32_t>(elem.dwSaveSize), *g_pKeyCode);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Encoding

bool DataManager::DataOutputToMemory() {
    if (!g_bInitFlag || !g_bDataInitialize) return false;
    // Keep what the device holds before the buffers stop showing it.
    m_history.BeforeEncode(0);
    m_history.BeforeEncode(1);
    uint8_t* s0 = SectorBuffer(0);
    uint8_t* s1 = SectorBuffer(1);

    uint8_t* base = s0 + F::FM_BASE_SETTING_ST_ADR;
    base[F::FM_OFSET_BASE_MODE] = g_pSSI.bMode;
    base[F::FM_OFSET_BASE_LED_SLEEP] = g_pSSI.bLEDSleepFlag;
    base[F::FM_OFSET_BASE_LED_LIGHT_MODE] = g_pSSI.bLEDLampTypeMode;
    base[F::FM_OFSET_BASE_LED_LIGHT_FUNC] = g_pSSI.bLEDLampTypeFunc;
    base[F::FM_OFSET_BASE_LED_OFF_TIME] = g_pSSI.bLEDOffTimer;
    base[F::FM_OFSET_BASE_ENCODER_TYPEMATIC] = g_pSSI.bEncoderType;

    const size_t modes = std::min<size_t>(g_arPSI.size(), C::MODE_NUM);
    for (size_t mi = 0; mi < modes; ++mi) {
        const int m = static_cast<int>(mi);
        const ProfileSettingInfo& p = g_arPSI[mi];
        uint8_t* rec = s0 + F::ModeSettingAddress(m);
        for (size_t b = 0; b < std::min<size_t>(p.arSWScriptNo.size(), C::BUTTON_NUM); ++b) {
            rec[F::FM_OFSET_BASE_SW1_SCRIPT_NO + b] = p.arSWScriptNo[b];
        }
        for (size_t b = 0; b < std::min<size_t>(p.arSWSpScriptNo.size(), C::BUTTON_NUM); ++b) {
            rec[F::FM_OFSET_BASE_SW1_SP_FUNC_NO + b] = p.arSWSpScriptNo[b];
        }
        rec[F::FM_OFSET_BASE_ENCODER_DEFAULT] = p.bEncoderDefaultFuncNo;
        rec[F::FM_OFSET_BASE_LED_COLOR_NO] = p.bLEDColorNo;
        rec[F::FM_OFSET_BASE_LED_DETAIL_FLAG] = p.bLEDColorDetailFlag;
        rec[F::FM_OFSET_BASE_LED_R_DUTY] = p.bLEDDutyR;
        rec[F::FM_OFSET_BASE_LED_G_DUTY] = p.bLEDDutyG;
        rec[F::FM_OFSET_BASE_LED_B_DUTY] = p.bLEDDutyB;
        rec[F::FM_OFSET_BASE_LED_BRIGHTNESS_LEVEL] = p.bLEDBrightness;

        const size_t funcs = std::min({p.arDialFuncElemList.size(), p.arSelectItemElemDF.size(), size_t{C::FUNCTION_NUM}});
        for (size_t fi = 0; fi < funcs; ++fi) {
            const int f = static_cast<int>(fi);
            const SelectItemElemForDial& sel = p.arSelectItemElemDF[fi];
            const DialFuncElem& e = p.arDialFuncElemList[fi];
            uint8_t* cw = s0 + F::DialSelectionAddress(m, f);
            uint8_t* ccw = cw + F::FM_APP_FUNC_SETTING_SIZE_DATA;
            cw[0] = sel.bItemID1_R;
            cw[1] = sel.bItemID2_R;
            cw[2] = sel.bItemID3_R;
            ccw[0] = sel.bItemID1_L;
            ccw[1] = sel.bItemID2_L;
            ccw[2] = sel.bItemID3_L;

            uint8_t* frec = s0 + F::DialFunctionAddress(m, f);
            std::memcpy(frec + F::FM_OFSET_FUNCTION_CW_DATA_TOP, e.clsMacroR.cFuncData.data(), F::FM_OFSET_FUNCTION_DATA_SIZE);
            std::memcpy(frec + F::FM_OFSET_FUNCTION_CCW_DATA_TOP, e.clsMacroL.cFuncData.data(), F::FM_OFSET_FUNCTION_DATA_SIZE);
            if (e.strFunctionName) {
                uint8_t* name = s0 + F::FunctionNameAddress(m, f);
                name[F::FM_OFSET_FUNCTION_NAME_SIZE] =
                    ByteIO::WriteName(*e.strFunctionName, name + F::FM_OFSET_FUNCTION_NAME_DATA, kFunctionNameMaxUnits);
            }
            frec[F::FM_OFSET_FUNCTION_LED_COLOR_NO] = e.bLEDColorNo;
            frec[F::FM_OFSET_FUNCTION_LED_DETAIL_FLAG] = e.bLEDColorDetailFlag;
            frec[F::FM_OFSET_FUNCTION_LED_R_DUTY] = e.bLEDDutyR;
            frec[F::FM_OFSET_FUNCTION_LED_G_DUTY] = e.bLEDDutyG;
            frec[F::FM_OFSET_FUNCTION_LED_B_DUTY] = e.bLEDDutyB;
            frec[F::FM_OFSET_FUNCTION_LED_BRIGHTNESS_LEVEL] = e.bLEDBrightness;
        }

        for (size_t b = 0; b < std::min<size_t>(p.arSelectItemElemSW.size(), C::BUTTON_NUM); ++b) {
            uint8_t* entry = s0 + F::SwitchSelectionAddress(m, static_cast<int>(b));
            entry[0] = p.arSelectItemElemSW[b].bItemID1;
            entry[1] = p.arSelectItemElemSW[b].bItemID2;
            entry[2] = p.arSelectItemElemSW[b].bItemID3;
        }
        for (size_t b = 0; b < std::min<size_t>(p.arSwitchFuncElemList.size(), C::BUTTON_NUM); ++b) {
            std::memcpy(s0 + F::SwitchFunctionAddress(m, static_cast<int>(b)), p.arSwitchFuncElemList[b].clsMacroSW.cFuncData.data(),
                        F::FM_SW_FUNCTION_SETTING_SIZE_FUNC);
        }
    }

    for (size_t k = 0; k < std::min<size_t>(g_arDMI.size(), C::FUNCTION_NUM); ++k) {
        const DialMacroInfo& dmi = g_arDMI[k];
        uint8_t* rec = s0 + F::EncoderScriptAddress(static_cast<int>(k));
        rec[F::FM_OFSET_ENCODER_SCRIPT_SCRIPT_NUM_TOP] = dmi.bDialMacroSetNum;
        rec[F::FM_OFSET_ENCODER_SCRIPT_LOOP_SET_TOP] = dmi.bDialMacroRoopFlag;
        for (size_t i = 0; i < std::min<size_t>(dmi.arDialMacroNoList.size(), F::FM_ENCODER_SCRIPT_SCRIPT_MAX_SIZE); ++i) {
            rec[F::FM_OFSET_ENCODER_SCRIPT_DATA_TOP + i] = dmi.arDialMacroNoList[i];
        }
    }

    s1[F::FM_OFSET_SCRIPT_CHK_SUM_L] = static_cast<uint8_t>(g_pSCTI.wCheckSum);
    s1[F::FM_OFSET_SCRIPT_CHK_SUM_H] = static_cast<uint8_t>(g_pSCTI.wCheckSum >> 8);
    s1[F::FM_OFSET_SCRIPT_REC_NUM] = g_pSCTI.bTotalNum;
    ByteIO::WriteLE32(s1 + F::FM_OFSET_SCRIPT_TOTAL_SIZE_L0, static_cast<uint32_t>(g_pSCTI.dwTotalSize));

    for (size_t i = 0; i < std::min<size_t>(g_arSCE.size(), C::SCRIPT_NUM); ++i) {
        const ScriptElem& e = g_arSCE[i];
        uint8_t* rec = s1 + F::ScriptRecordOffset(static_cast<int>(i));
        // Every byte of a record follows from the model, except the length
        // byte of a stored script without a name (kept as the device had it):
        // an empty slot is erased, as a new device holds it (nothing of an
        // earlier script, perhaps pointing at another's bytes now, stays), and
        // so are the name field past the name and the unused tail. What the
        // device is sent thus never depends on directory bytes the boot read
        // passed over, which are only ever of those kinds.
        if (!e.IsStored()) {
            std::fill(rec, rec + F::FM_SCRIPT_INFO_DATA_SIZE, kErased);
            continue;
        }
        ByteIO::WriteLE32(rec + F::FM_OFSET_SCRIPT_REC_ADR, static_cast<uint32_t>(e.dwSaveAddress));
        ByteIO::WriteLE32(rec + F::FM_OFSET_SCRIPT_DATA_SIZE, static_cast<uint32_t>(e.dwSaveSize));
        rec[F::FM_OFSET_SCRIPT_MODE] = e.bScriptMode;
        size_t nameBytes = 0;
        if (e.strScriptName) {
            rec[F::FM_OFSET_SCRIPT_NAME_SIZE] =
                ByteIO::WriteName(*e.strScriptName, rec + F::FM_OFSET_SCRIPT_NAME_DATA, kScriptNameMaxUnits);
            nameBytes = rec[F::FM_OFSET_SCRIPT_NAME_SIZE];
        }
        std::fill(rec + F::FM_OFSET_SCRIPT_NAME_DATA + nameBytes, rec + F::FM_SCRIPT_INFO_DATA_SIZE, kErased);
    }
    return true;
}

bool DataManager::RenewMacroScriptInfo(int scriptNo, const MacroCreator& macro) {
    if (!g_bInitFlag || scriptNo < 1 || scriptNo > static_cast<int>(g_arSCE.size())) return false;
    const size_t newSize = macro.pbRawData ? std::min<size_t>(macro.pbRawData->size(), macro.dwTotalSize) : 0;
    if (newSize > static_cast<size_t>(F::FM_SCRIPT_DATA_MAX_SIZE)) return false;
    ScriptElem& r = g_arSCE[static_cast<size_t>(scriptNo - 1)];
    const int sector = F::ScriptSector(scriptNo - 1);

    // The sector is rebuilt from the raw bytes of every script it holds; if one
    // of the others was never loaded, rebuilding would wipe it. Refuse instead.
    for (int i = sector - 2, n = 0; i < static_cast<int>(g_arSCE.size()) && n < F::FM_SCRIPT_DATA_NUM_PER_SECTOR;
         i += F::FM_SCRIPT_DATA_SECTOR_NUM, ++n) {
        const ScriptElem& other = g_arSCE[static_cast<size_t>(i)];
        if (i == scriptNo - 1 || other.dwSaveSize == 0) continue;
        if (!other.pbRawData || other.pbRawData->size() != other.dwSaveSize) return false;
    }

    if (r.dwSaveSize != 0) g_pSCTI.dwTotalSize -= std::min(g_pSCTI.dwTotalSize, r.dwSaveSize);
    if (r.IsStored() && g_pSCTI.bTotalNum > 0) --g_pSCTI.bTotalNum;
    r.pbRawData.reset();
    r.nSectorNo = sector;
    if (newSize == 0) {
        // An empty script empties the slot: no address, not counted, and no
        // name or mode (its directory record is erased on the next encode).
        r.dwSaveAddress = 0;
        r.dwSaveSize = 0;
        r.dwSectorAddr = 0;
        r.strScriptName.reset();
        r.bScriptMode = 0;
    } else {
        g_pSCTI.dwTotalSize += newSize;
        ++g_pSCTI.bTotalNum;
        r.dwSaveSize = newSize;
        r.pbRawData.emplace(macro.pbRawData->begin(), macro.pbRawData->begin() + static_cast<std::ptrdiff_t>(newSize));
    }
    RebuildScriptSector(sector);
    return true;
}

void DataManager::RebuildScriptSector(int sector) {
    m_history.BeforeEncode(sector);
    uint8_t* buf = SectorBuffer(sector);
    std::fill(buf, buf + F::FM_SECTOR_SIZE, kErased);
    uint64_t offset = 0;
    for (int i = sector - 2, n = 0; i < static_cast<int>(g_arSCE.size()) && n < F::FM_SCRIPT_DATA_NUM_PER_SECTOR;
         i += F::FM_SCRIPT_DATA_SECTOR_NUM, ++n) {
        ScriptElem& e = g_arSCE[static_cast<size_t>(i)];
        if (e.dwSaveSize == 0 || !e.pbRawData) continue;
        const uint64_t size = std::min<uint64_t>(e.dwSaveSize, e.pbRawData->size());
        if (offset + size > F::FM_SECTOR_SIZE) break;  // cannot happen while every slot respects the size limit
        e.dwSaveAddress = SectorStart(sector) + offset;
        e.dwSectorAddr = offset;
        std::memcpy(buf + offset, e.pbRawData->data(), size);
        offset += size;
    }
}

// ---------------------------------------------------------------------------
// Switch presets

bool DataManager::SetNewSwitchFuncSetting(int mode, int button, const SelectItemElemForSwich& select) {
    if (mode < 0 || mode >= static_cast<int>(g_arPSI.size()) || button < 0 || button >= C::BUTTON_NUM) return false;
    ProfileSettingInfo& p = g_arPSI[static_cast<size_t>(mode)];
    const size_t b = static_cast<size_t>(button);
    if (p.arSWScriptNo.size() <= b || p.arSWSpScriptNo.size() <= b || p.arSelectItemElemSW.size() <= b) return false;
    uint8_t scriptNo = 0;
    uint8_t special = 0;
    switch (select.bItemID1) {
        case C::APP_DATA_FUNC_CATEGORY_ID_GENERAL:
            if (select.bItemID3 < m_catalogues.arSF_FuncList_General.size()) {
                special = m_catalogues.arSF_FuncList_General[select.bItemID3].bTypeNo;
            }
            break;
        case C::APP_DATA_FUNC_CATEGORY_ID_MACRO:
            // Only the user's own scripts can be chosen for a button.
            if (select.bItemID3 < C::SCRIPT_USER_USE_NUM) scriptNo = static_cast<uint8_t>(select.bItemID3 + 1);
            break;
        case C::APP_DATA_FUNC_CATEGORY_ID_PRESET:
            scriptNo = static_cast<uint8_t>(PresetScriptNo(mode, button));
            break;
        default:
            break;
    }
    p.arSWScriptNo[b] = scriptNo;
    p.arSWSpScriptNo[b] = special;
    p.arSelectItemElemSW[b] = select;
    return true;
}

bool DataManager::HasSwitchPresetScriptInfo(int mode, int button, int& sector) const {
    const int index = PresetScriptNo(mode, button) - 1;
    if (mode < 0 || mode >= C::MODE_NUM || button < 0 || button >= C::BUTTON_NUM) return false;
    sector = F::ScriptSector(index);
    return SectorReadFlag(sector);
}

int DataManager::RenewSwitchScriptInfoFromPreset(int mode, int button, const SelectItemElemForSwich& select) {
    if (mode < 0 || mode >= static_cast<int>(g_arPSI.size()) || button < 0 || button >= C::BUTTON_NUM) return PRESET_NO_MODE;
    if (select.bItemID1 != C::APP_DATA_FUNC_CATEGORY_ID_PRESET) return 0;
    const auto path = g_pUtl->GetPresetFileName(2, select.bItemID1, select.bItemID2, select.bItemID3);
    if (!path) return PRESET_FILE_MISSING;
    std::error_code ec;
    const auto size = std::filesystem::file_size(*path, ec);
    if (ec) return PRESET_FILE_MISSING;
    if (size == 0) return PRESET_FILE_UNREADABLE;
    // A data sector holds seven full-size scripts; a larger preset would overflow it.
    if (size > static_cast<uintmax_t>(F::FM_SCRIPT_DATA_MAX_SIZE)) return PRESET_FILE_TOO_LARGE;
    MacroCreator script;
    script.pbRawData = std::vector<uint8_t>(static_cast<size_t>(size));
    if (!ReadFile(*path, script.pbRawData->data(), script.pbRawData->size())) {
        m_options.logger.Warning("Presetファイルの取得に失敗");
        return PRESET_FILE_UNREADABLE;
    }
    script.dwTotalSize = size;
    const int scriptNo = PresetScriptNo(mode, button);
    if (!RenewMacroScriptInfo(scriptNo, script)) return PRESET_SECTOR_NOT_READ;
    return scriptNo;
}

// ---------------------------------------------------------------------------
// Files

bool DataManager::SaveFile(const std::string& path, const uint8_t* data, size_t size, std::string& error) const {
    return AtomicFile::Write(path, std::span(data, size), error, *m_options.fileOps);
}

bool DataManager::SaveFile(const std::string& path, const uint8_t* data, size_t size) const {
    std::string error;
    return SaveFile(path, data, size, error);
}

bool DataManager::ReadFile(const std::string& path, uint8_t* data, size_t size) const {
    // Reads the first `size` bytes; a shorter file fails, a longer one is
    // accepted (a restore uses the first 2 MiB of whatever it is given).
    std::error_code ec;
    const auto fileSize = std::filesystem::file_size(path, ec);
    if (ec || fileSize < size) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(size));
    return in.gcount() == static_cast<std::streamsize>(size);
}

}  // namespace kelvadeck
