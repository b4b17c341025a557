#include "cli/ModelPrinter.h"

#include <cstdio>
#include <sstream>

#include "core/DataManager.h"
#include "cli/TerminalText.h"
#include "model/TextConvert.h"

namespace kelvadeck {

namespace {

using json = nlohmann::ordered_json;

std::string Hex(const uint8_t* data, size_t size) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 0x0F]);
    }
    return out;
}

template <typename T>
json OptionalText(const std::optional<T>& text) {
    if (!text) return nullptr;
    if constexpr (std::is_same_v<T, std::u16string>) {
        return TextConvert::Utf16ToUtf8(*text);
    } else {
        return *text;
    }
}

json ActionJson(const MacroDataDialFunc& a) {
    return json{{"bScriptType", a.bScriptType},
                {"cFuncData", Hex(reinterpret_cast<const uint8_t*>(a.cFuncData.data()), a.cFuncData.size())},
                {"bSensitive", a.bSensitive},
                {"sOption", a.sOption},
                {"bKeyCode", a.bKeyCode},
                {"bKeyModifier", a.bKeyModifier},
                {"pStrKey", OptionalText(a.pStrKey)},
                {"bButton1", a.bButton1},
                {"bButton2", a.bButton2},
                {"bButton3", a.bButton3},
                {"cMoveX", a.cMoveX},
                {"cMoveY", a.cMoveY},
                {"cMoveZ", a.cMoveZ},
                {"strDatName", OptionalText(a.strDatName)}};
}

json StepJson(const MacroDataScript& s, const StringTable& strings) {
    return json{{"bControlItemNo", s.bControlItemNo},
                {"bScriptID", s.bScriptID},
                {"nScriptSize", s.nScriptSize},
                {"sOption", s.sOption},
                {"cOption1", s.cOption1},
                {"cOption2", s.cOption2},
                {"cOption3", s.cOption3},
                {"strAnalyzeRet1", OptionalText(s.strAnalyzeRet1)},
                {"name", OptionalText(MacroCreator::GetContentName(s, strings))},
                {"value", MacroCreator::GetSetValueString(s, strings)}};
}

}  // namespace

nlohmann::ordered_json ModelPrinter::ToJson(const DataManager& dm) {
    json root;
    const StandardSettingInfo& ssi = dm.g_pSSI;
    root["pSSI"] = json{{"strFirmwareVer", OptionalText(ssi.strFirmwareVer)},
                        {"bMode", ssi.bMode},
                        {"bLEDSleepFlag", ssi.bLEDSleepFlag},
                        {"bLEDLampTypeMode", ssi.bLEDLampTypeMode},
                        {"bLEDLampTypeFunc", ssi.bLEDLampTypeFunc},
                        {"bLEDOffTimer", ssi.bLEDOffTimer},
                        {"bEncoderType", ssi.bEncoderType}};

    json profiles = json::array();
    for (const ProfileSettingInfo& p : dm.g_arPSI) {
        json dials = json::array();
        for (const DialFuncElem& f : p.arDialFuncElemList) {
            dials.push_back(json{{"strFunctionName", OptionalText(f.strFunctionName)},
                                 {"clsMacroR", ActionJson(f.clsMacroR)},
                                 {"clsMacroL", ActionJson(f.clsMacroL)},
                                 {"bLEDColorNo", f.bLEDColorNo},
                                 {"bLEDColorDetailFlag", f.bLEDColorDetailFlag},
                                 {"bLEDDutyR", f.bLEDDutyR},
                                 {"bLEDDutyG", f.bLEDDutyG},
                                 {"bLEDDutyB", f.bLEDDutyB},
                                 {"bLEDBrightness", f.bLEDBrightness}});
        }
        json dialSel = json::array();
        for (const SelectItemElemForDial& s : p.arSelectItemElemDF) {
            dialSel.push_back(json{{"bItemID1_R", s.bItemID1_R},
                                   {"bItemID2_R", s.bItemID2_R},
                                   {"bItemID3_R", s.bItemID3_R},
                                   {"bItemID1_L", s.bItemID1_L},
                                   {"bItemID2_L", s.bItemID2_L},
                                   {"bItemID3_L", s.bItemID3_L}});
        }
        json switches = json::array();
        for (const SwitchFuncElem& s : p.arSwitchFuncElemList) switches.push_back(json{{"clsMacroSW", ActionJson(s.clsMacroSW)}});
        json switchSel = json::array();
        for (const SelectItemElemForSwich& s : p.arSelectItemElemSW) {
            switchSel.push_back(json{{"bItemID1", s.bItemID1}, {"bItemID2", s.bItemID2}, {"bItemID3", s.bItemID3}});
        }
        profiles.push_back(json{{"arSWScriptNo", p.arSWScriptNo},
                                {"arSWSpScriptNo", p.arSWSpScriptNo},
                                {"bEncoderDefaultFuncNo", p.bEncoderDefaultFuncNo},
                                {"bLEDColorNo", p.bLEDColorNo},
                                {"bLEDColorDetailFlag", p.bLEDColorDetailFlag},
                                {"bLEDDutyR", p.bLEDDutyR},
                                {"bLEDDutyG", p.bLEDDutyG},
                                {"bLEDDutyB", p.bLEDDutyB},
                                {"bLEDBrightness", p.bLEDBrightness},
                                {"arDialFuncElemList", dials},
                                {"arSelectItemElemDF", dialSel},
                                {"arSwitchFuncElemList", switches},
                                {"arSelectItemElemSW", switchSel}});
    }
    root["arPSI"] = profiles;

    json macros = json::array();
    for (const DialMacroInfo& d : dm.g_arDMI) {
        macros.push_back(json{{"bDialMacroSetNum", d.bDialMacroSetNum},
                              {"bDialMacroRoopFlag", d.bDialMacroRoopFlag},
                              {"arDialMacroNoList", d.arDialMacroNoList}});
    }
    root["arDMI"] = macros;
    root["pSCTI"] = json{{"wCheckSum", dm.g_pSCTI.wCheckSum},
                         {"bTotalNum", dm.g_pSCTI.bTotalNum},
                         {"dwTotalSize", dm.g_pSCTI.dwTotalSize}};

    json scripts = json::array();
    for (const ScriptElem& e : dm.g_arSCE) {
        json s{{"dwSaveAddress", e.dwSaveAddress},
               {"dwSaveSize", e.dwSaveSize},
               {"nSectorNo", e.nSectorNo},
               {"dwSectorAddr", e.dwSectorAddr},
               {"bScriptMode", e.bScriptMode},
               {"strScriptName", OptionalText(e.strScriptName)},
               {"pbRawData", e.pbRawData ? json(Hex(e.pbRawData->data(), e.pbRawData->size())) : json(nullptr)}};
        if (e.pbRawData) {
            json steps = json::array();
            for (const MacroDataScript& step : e.idMacroCreator.arCurrentMacroScript) steps.push_back(StepJson(step, dm.Strings()));
            s["arCurrentMacroScript"] = steps;
        }
        scripts.push_back(s);
    }
    root["arSCE"] = scripts;
    return root;
}

namespace {

std::string ActionText(const MacroDataDialFunc& a) {
    std::ostringstream out;
    out << "type " << int{a.bScriptType} << " ["
        << Hex(reinterpret_cast<const uint8_t*>(a.cFuncData.data()), a.cFuncData.size()) << "]";
    if (a.bScriptType == Constants::SET_TYPE_KEYBOARD_KEY) {
        out << " key " << (a.pStrKey ? *a.pStrKey : std::string("-")) << " modifiers 0x" << std::hex << int{a.bKeyModifier}
            << std::dec;
    }
    if (a.strDatName) out << " preset " << *a.strDatName;
    return out.str();
}

std::string NameText(const std::optional<std::u16string>& name) {
    return name ? TerminalText::Quote(TextConvert::Utf16ToUtf8(*name)) : std::string("(none)");
}

}  // namespace

std::string ModelPrinter::ToText(const DataManager& dm) {
    std::ostringstream out;
    const StandardSettingInfo& ssi = dm.g_pSSI;
    out << "Firmware: " << (ssi.strFirmwareVer ? TerminalText::Escape(*ssi.strFirmwareVer) : "(unknown)") << "\n";
    out << "Current mode: " << int{ssi.bMode} + 1 << "\n";
    out << "LED sleep flag " << int{ssi.bLEDSleepFlag} << ", mode lighting " << int{ssi.bLEDLampTypeMode}
        << ", function lighting " << int{ssi.bLEDLampTypeFunc} << ", off time " << int{ssi.bLEDOffTimer}
        << ", dial repeat " << int{ssi.bEncoderType} << "\n";
    for (size_t m = 0; m < dm.g_arPSI.size(); ++m) {
        const ProfileSettingInfo& p = dm.g_arPSI[m];
        out << "\nMode " << m + 1 << ": LED " << int{p.bLEDDutyR} << "/" << int{p.bLEDDutyG} << "/" << int{p.bLEDDutyB}
            << " brightness " << int{p.bLEDBrightness} << ", default dial function " << int{p.bEncoderDefaultFuncNo} + 1 << "\n";
        for (size_t f = 0; f < p.arDialFuncElemList.size(); ++f) {
            const DialFuncElem& e = p.arDialFuncElemList[f];
            out << "  Dial function " << f + 1 << " " << NameText(e.strFunctionName) << " sensitivity "
                << int{e.clsMacroR.bSensitive} << "/" << int{e.clsMacroL.bSensitive} << " LED " << int{e.bLEDDutyR} << "/"
                << int{e.bLEDDutyG} << "/" << int{e.bLEDDutyB} << "\n";
            out << "    clockwise:         " << ActionText(e.clsMacroR) << "\n";
            out << "    counter-clockwise: " << ActionText(e.clsMacroL) << "\n";
        }
        for (size_t b = 0; b < p.arSwitchFuncElemList.size(); ++b) {
            out << "  " << (b + 1 == Constants::BUTTON_NUM ? std::string("Push switch") : "Key " + std::to_string(b + 1))
                << ": script " << int{p.arSWScriptNo[b]} << ", special " << int{p.arSWSpScriptNo[b]} << ", "
                << ActionText(p.arSwitchFuncElemList[b].clsMacroSW) << "\n";
        }
    }
    out << "\n";
    for (size_t k = 0; k < dm.g_arDMI.size(); ++k) {
        const DialMacroInfo& d = dm.g_arDMI[k];
        out << "Dial macro " << k + 1 << ": " << int{d.bDialMacroSetNum} << " scripts" << (d.bDialMacroRoopFlag ? ", loop" : "")
            << ":";
        for (size_t i = 0; i < d.bDialMacroSetNum && i < d.arDialMacroNoList.size(); ++i) out << " " << int{d.arDialMacroNoList[i]};
        out << "\n";
    }
    out << "\nScripts: " << int{dm.g_pSCTI.bTotalNum} << " stored, " << dm.g_pSCTI.dwTotalSize << " bytes\n";
    for (size_t i = 0; i < dm.g_arSCE.size(); ++i) {
        const ScriptElem& e = dm.g_arSCE[i];
        if (!e.IsStored()) continue;
        char addr[24];
        std::snprintf(addr, sizeof addr, "0x%06llX", static_cast<unsigned long long>(e.dwSaveAddress));
        out << "  #" << i + 1 << " " << NameText(e.strScriptName) << " " << e.dwSaveSize << " bytes at " << addr << ", mode "
            << int{e.bScriptMode};
        if (e.pbRawData) out << ", " << e.idMacroCreator.arCurrentMacroScript.size() << " steps";
        out << "\n";
    }
    return out.str();
}

}  // namespace kelvadeck
