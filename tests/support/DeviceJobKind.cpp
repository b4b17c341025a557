#include "support/DeviceJobKind.h"

#include <cstring>

#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "support/ReferenceImage.h"

namespace kelvadeck::testsupport {

namespace {

using C = Constants;
using F = FlashControl;

ComQue& Que(JobRig& rig) { return rig.dm->pComQue(); }

void Encode(JobRig& rig) { (void)rig.dm->DataOutputToMemory(); }

// What the macro editor does before it writes: load the slot's data sector.
void ReadScriptSector(JobRig& rig, int scriptNo) {
    const int sector = F::ScriptSector(scriptNo - 1);
    if (Que(rig).SetReadScriptDataComQue(sector)) rig.Run();
    rig.dm->SetScriptDataFromFlashSector(sector);
}

}  // namespace

std::vector<DeviceJobKind> AllDeviceJobKinds() {
    std::vector<DeviceJobKind> jobs;
    jobs.push_back({"boot read", false, [](JobRig&) {}, [](JobRig& rig) { rig.dm->pUSBHID().DeviceDetected(); }});
    jobs.push_back({"system settings", true,
                    [](JobRig& rig) {
                        rig.dm->g_pSSI.bLEDOffTimer = 45;
                        rig.dm->g_pSSI.bLEDSleepFlag = 1;
                        Encode(rig);
                    },
                    [](JobRig& rig) {
                        Que(rig).CreateFastWriteComQue();
                        Que(rig).CreateBaseSettingInfoComQue();
                    }});
    jobs.push_back({"LED colour, mode", true,
                    [](JobRig& rig) {
                        ProfileSettingInfo& p = rig.dm->g_arPSI[1];
                        p.bLEDDutyR = 10;
                        p.bLEDDutyG = 20;
                        p.bLEDDutyB = 30;
                        p.bLEDColorDetailFlag = 1;
                        Encode(rig);
                    },
                    [](JobRig& rig) {
                        Que(rig).CreateFastWriteComQue();
                        Que(rig).CreateProfileSettingInfoComQue();
                    }});
    jobs.push_back({"LED colour, dial function", true,
                    [](JobRig& rig) {
                        DialFuncElem& e = rig.dm->g_arPSI[2].arDialFuncElemList[3];
                        e.bLEDDutyR = 70;
                        e.bLEDColorDetailFlag = 1;
                        Encode(rig);
                    },
                    [](JobRig& rig) {
                        Que(rig).CreateFastWriteComQue();
                        Que(rig).CreateFunctionSettingInfoComQue();
                    }});
    jobs.push_back({"dial function", true,
                    [](JobRig& rig) {
                        DialFuncElem& e = rig.dm->g_arPSI[0].arDialFuncElemList[2];
                        e.clsMacroR.cFuncData[2] = 0x57;  // keypad +
                        e.clsMacroL.cFuncData[2] = 0x56;  // keypad -
                        e.strFunctionName = u"Zoom";
                        Encode(rig);
                    },
                    [](JobRig& rig) {
                        Que(rig).CreateFastWriteComQue();
                        Que(rig).CreateFunctionSettingInfoComQue();
                    }});
    jobs.push_back({"switch assignment", true,
                    [](JobRig& rig) {
                        ProfileSettingInfo& p = rig.dm->g_arPSI[0];
                        p.arSwitchFuncElemList[2].clsMacroSW.cFuncData[2] = 0x2C;  // space
                        p.arSelectItemElemSW[2].bItemID3 = 7;
                        Encode(rig);
                    },
                    [](JobRig& rig) {
                        Que(rig).CreateFastWriteComQue();
                        Que(rig).CreateProfileSettingInfoComQue();
                        Que(rig).CreateSwitchFunctionSettingInfoComQue(0, 2);
                    }});
    jobs.push_back({"dial macros", true,
                    [](JobRig& rig) {
                        DialMacroInfo& d = rig.dm->g_arDMI[1];
                        d.bDialMacroSetNum = 5;
                        d.arDialMacroNoList[4] = 33;
                        Encode(rig);
                    },
                    [](JobRig& rig) {
                        Que(rig).CreateFastWriteComQue();
                        Que(rig).CreateDialMacroInfoComQue();
                    }});
    jobs.push_back({"switch preset applied", false,
                    [](JobRig& rig) {
                        // Mode 2, button 4 takes a preset: its slot is script 177.
                        const int slot = DataManager::PresetScriptNo(2, 4);
                        ReadScriptSector(rig, slot);
                        rig.dm->g_arPSI[2].arSWScriptNo[4] = static_cast<uint8_t>(slot);
                        (void)rig.dm->RenewMacroScriptInfo(slot, ReferenceScript(48, 9));
                        Encode(rig);
                    },
                    [](JobRig& rig) {
                        const int slot = DataManager::PresetScriptNo(2, 4);
                        Que(rig).CreateFastWriteComQue();
                        Que(rig).CreateProfileSettingInfoComQue();
                        Que(rig).CreateScriptInfoComQue();
                        Que(rig).CreateSwitchFunctionSettingInfoComQue(2, 4);
                        Que(rig).CreateWriteScriptComQue(slot);
                    }});
    jobs.push_back({"macro script read", false,
                    [](JobRig&) {},
                    [](JobRig& rig) { Que(rig).SetReadScriptDataComQue(F::ScriptSector(0)); }});
    jobs.push_back({"macro script write", false,
                    [](JobRig& rig) {
                        // A new 20-byte script replaces script 1.
                        ReadScriptSector(rig, 1);
                        (void)rig.dm->RenewMacroScriptInfo(1, ReferenceScript(20, 77));
                        Encode(rig);
                    },
                    [](JobRig& rig) {
                        Que(rig).CreateFastWriteComQue();
                        Que(rig).CreateProfileSettingInfoComQue();
                        Que(rig).CreateScriptInfoComQue();
                        Que(rig).CreateWriteScriptComQue(1);
                    }});
    jobs.push_back({"LED preview", false, [](JobRig&) {}, [](JobRig& rig) { Que(rig).SetLedPreview(100, 0, 50, 1); }});
    jobs.push_back({"backup", false, [](JobRig&) {}, [](JobRig& rig) { Que(rig).SetAllReadSectorComQue(); }});
    jobs.push_back({"restore", false,
                    [](JobRig& rig) {
                        // The reference image, as read from its backup file.
                        const std::vector<uint8_t> image = ReferenceImageBytes();
                        std::memcpy(rig.dm->WholeImage(), image.data(), image.size());
                    },
                    [](JobRig& rig) {
                        Que(rig).SetFormatComQue();
                        Que(rig).SetAllWriteSectorComQue();
                    }});
    jobs.push_back({"factory reset", false, [](JobRig&) {}, [](JobRig& rig) { Que(rig).SetFormatComQue(); }});
    return jobs;
}

}  // namespace kelvadeck::testsupport
