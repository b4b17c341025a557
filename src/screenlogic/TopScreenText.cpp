#include "screenlogic/TopScreenText.h"

#include <cstdio>

#include "model/Constants.h"
#include "model/TextConvert.h"

namespace kelvadeck {

namespace {

using C = Constants;
using List = FunctionCatalogues::List;

const FuncSettingElem* FindById(const List& list, uint8_t id) {
    for (const FuncSettingElem& e : list) {
        if (e.bID == id) return &e;
    }
    return nullptr;
}

// The switch list of a preset application, by its identifier.
const List* PresetList(const FunctionCatalogues& cat, uint8_t application) {
    switch (application) {
        case 0: return &cat.arSF_FuncList_Photoshop;
        case 1: return &cat.arSF_FuncList_ClipStudio;
        case 2: return &cat.arSF_FuncList_Sai;
        case 3: return &cat.arSF_FuncList_Illustrator;
        case 4: return &cat.arSF_FuncList_Lightroom;
        default: return nullptr;
    }
}

}  // namespace

std::string TopScreenText::ModeName(int mode, const StringTable& strings) {
    switch (mode) {
        case C::MODE_2_ID: return strings.Get("SP_FUNC_TYPE_MODE2");
        case C::MODE_3_ID: return strings.Get("SP_FUNC_TYPE_MODE3");
        default: return strings.Get("SP_FUNC_TYPE_MODE1");
    }
}

TopScreenText::DialLabel TopScreenText::DialFunctionLabel(const ProfileSettingInfo& mode, int function, const StringTable& strings) {
    DialLabel label;
    std::string name;
    if (function >= 0 && static_cast<size_t>(function) < mode.arDialFuncElemList.size()) {
        const auto& stored = mode.arDialFuncElemList[static_cast<size_t>(function)].strFunctionName;
        if (stored && !stored->empty()) name = TextConvert::Utf16ToUtf8(*stored);
    }
    if (name.empty()) name = strings.Get("FUNCTION_NAME_UNDEFINE");
    label.isDefault = mode.bEncoderDefaultFuncNo == function;
    label.text = label.isDefault ? "* " + name : name;
    return label;
}

std::string TopScreenText::ModifierText(uint8_t modifiers, const StringTable& strings) {
    std::vector<std::string> parts;
    if (modifiers & (C::USB_KEY_BIT_CTRL_L | C::USB_KEY_BIT_CTRL_R)) parts.push_back(strings.Get("SETTING_KEY_CTRL_KEY_CTRL"));
    if (modifiers & (C::USB_KEY_BIT_SHIFT_L | C::USB_KEY_BIT_SHIFT_R)) parts.push_back(strings.Get("SETTING_KEY_CTRL_KEY_SHIFT"));
    if (modifiers & (C::USB_KEY_BIT_ALT_L | C::USB_KEY_BIT_ALT_R)) parts.push_back(strings.Get("SETTING_KEY_CTRL_KEY_OPTION"));
    if (modifiers & (C::USB_KEY_BIT_WIN_L | C::USB_KEY_BIT_WIN_R)) parts.push_back(strings.Get("SETTING_KEY_CTRL_KEY_COMMAND"));
    if (parts.empty()) return {};
    std::string text = "[";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += "+";
        text += parts[i];
    }
    return text + "]";
}

std::string TopScreenText::KeyCombination(const MacroDataDialFunc& action, const StringTable& strings) {
    if (action.bScriptType != C::SET_TYPE_KEYBOARD_KEY) return {};
    std::string mods = ModifierText(action.bKeyModifier, strings);
    if (mods.size() >= 2) mods = mods.substr(1, mods.size() - 2);  // without the brackets
    const std::string key = action.bKeyCode != 0 && action.pStrKey ? *action.pStrKey : std::string();
    if (mods.empty()) return key;
    return key.empty() ? mods : mods + "+" + key;
}

std::string TopScreenText::SwitchFunctionText(const ProfileSettingInfo& mode, int button, const FunctionCatalogues& cat,
                                              const std::vector<ScriptElem>& scripts, const StringTable& strings) {
    std::string text;
    if (button >= 0 && static_cast<size_t>(button) < mode.arSelectItemElemSW.size()) {
        const SelectItemElemForSwich& sel = mode.arSelectItemElemSW[static_cast<size_t>(button)];
        if (const FuncSettingElem* category = FindById(cat.arSF_Category, sel.bItemID1)) {
            text = category->strName;
            const List* list = nullptr;
            std::string modifiers;
            switch (sel.bItemID1) {
                case C::APP_DATA_FUNC_CATEGORY_ID_GENERAL:
                    list = &cat.arSF_FuncList_General;
                    break;
                case C::APP_DATA_FUNC_CATEGORY_ID_MACRO: {
                    std::string name;
                    if (sel.bItemID3 < scripts.size()) {
                        const auto& stored = scripts[sel.bItemID3].strScriptName;
                        if (stored) name = TextConvert::Utf16ToUtf8(*stored);
                    }
                    char number[8];
                    std::snprintf(number, sizeof number, "%03d", sel.bItemID3 + 1);
                    text += " : " + std::string(number) + ":" + name;
                    break;
                }
                case C::APP_DATA_FUNC_CATEGORY_ID_PRESET:
                    if (const FuncSettingElem* app = FindById(cat.arSF_Application, sel.bItemID2)) {
                        text += " : " + app->strName;
                        list = PresetList(cat, app->bID);
                    }
                    break;
                case C::APP_DATA_FUNC_CATEGORY_ID_KEY:
                    list = &cat.arDF_FuncList_Key;
                    if (static_cast<size_t>(button) < mode.arSwitchFuncElemList.size()) {
                        modifiers = ModifierText(mode.arSwitchFuncElemList[static_cast<size_t>(button)].clsMacroSW.bKeyModifier, strings);
                    }
                    break;
                case C::APP_DATA_FUNC_CATEGORY_ID_MOUSE:
                    list = &cat.arDF_FuncList_Mouse;
                    break;
                case C::APP_DATA_FUNC_CATEGORY_ID_GAMEPAD:
                    list = &cat.arDF_FuncList_Gamepad;
                    break;
                case C::APP_DATA_FUNC_CATEGORY_ID_MULTIMEDIA:
                    list = &cat.arDF_FuncList_Multimedia;
                    break;
                default:
                    break;
            }
            if (list != nullptr) {
                if (const FuncSettingElem* entry = FindById(*list, sel.bItemID3)) {
                    text += " : " + entry->strName;
                    if (!modifiers.empty()) text += " " + modifiers;
                }
            }
        }
    }
    if (text.empty()) text = strings.Get("FUNCTION_NAME_UNSETTING");
    return text;
}

std::string TopScreenText::FirmwareLabel(const StandardSettingInfo& settings, const StringTable& strings) {
    return strings.Get("FIRMWARE_VERSION") + " " + settings.strFirmwareVer.value_or("");
}

}  // namespace kelvadeck
