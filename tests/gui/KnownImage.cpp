#include "KnownImage.h"

#include <cstring>
#include <string>

#include "core/DataManager.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "model/TextConvert.h"

namespace kelvadeck::guitest {

namespace {

using C = Constants;
using F = FlashControl;

void KeyAction(MacroDataDialFunc& a, uint8_t modifiers, uint8_t usage, uint8_t sensitivity = 0) {
    a.Reset();
    a.bScriptType = C::SET_TYPE_KEYBOARD_KEY;
    a.cFuncData = {static_cast<int8_t>(C::SET_TYPE_KEYBOARD_KEY), static_cast<int8_t>(modifiers), static_cast<int8_t>(usage), 0, 0, 0, 0,
                   static_cast<int8_t>(sensitivity)};
}

void TypedAction(MacroDataDialFunc& a, uint8_t type) {
    a.Reset();
    a.bScriptType = type;
    a.cFuncData = {static_cast<int8_t>(type), 0, 0, 0, 0, 0, 0, 0};
}

struct Func {
    const char16_t* name;
    uint8_t r, g, b;
};

void SetMode(DataManager& dm, int m, uint8_t r, uint8_t g, uint8_t b, uint8_t defaultFunc, const Func (&funcs)[4]) {
    ProfileSettingInfo& p = dm.g_arPSI[static_cast<size_t>(m)];
    p.bLEDDutyR = r;
    p.bLEDDutyG = g;
    p.bLEDDutyB = b;
    p.bEncoderDefaultFuncNo = defaultFunc;
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        DialFuncElem& e = p.arDialFuncElemList[static_cast<size_t>(f)];
        if (*funcs[f].name) {
            e.strFunctionName = std::u16string(funcs[f].name);
        } else {
            e.strFunctionName.reset();
        }
        e.bLEDDutyR = funcs[f].r;
        e.bLEDDutyG = funcs[f].g;
        e.bLEDDutyB = funcs[f].b;
        KeyAction(e.clsMacroR, C::USB_KEY_BIT_CTRL_L, 0x30, 80);  // ]
        KeyAction(e.clsMacroL, C::USB_KEY_BIT_CTRL_L, 0x2F, 80);  // [
        p.arSelectItemElemDF[static_cast<size_t>(f)] = {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, 0, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY,
                                                        C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, 0, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY};
    }
}

void KeyButton(DataManager& dm, int m, int b, uint8_t modifiers, uint8_t usage) {
    dm.SetNewSwitchFuncSetting(m, b, {C::APP_DATA_FUNC_CATEGORY_ID_KEY, 0, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY});
    KeyAction(dm.g_arPSI[static_cast<size_t>(m)].arSwitchFuncElemList[static_cast<size_t>(b)].clsMacroSW, modifiers, usage);
}

void OtherButton(DataManager& dm, int m, int b, uint8_t category, uint8_t app, uint8_t item, uint8_t type) {
    dm.SetNewSwitchFuncSetting(m, b, {category, app, item});
    TypedAction(dm.g_arPSI[static_cast<size_t>(m)].arSwitchFuncElemList[static_cast<size_t>(b)].clsMacroSW, type);
}

}  // namespace

// Mode 1 (blue): dial functions "Brush size" (orange, the default), "Zoom"
// (green), "Rotate view" (purple), "Opacity" (yellow); keys 1 to 10: Ctrl+Z,
// Ctrl+Shift+Z, Space, E, B, next mode (general), right click (mouse),
// Photoshop preset "Eyedropper", play/pause (multimedia), Ctrl+S; the push
// switch: next dial function. Mode 2 (orange) and mode 3 (purple) with
// their own names and a few keys.
std::vector<uint8_t> BuildKnownImage() {
    DataManager dm;
    dm.ResetMember(true);
    dm.DataInitializeFromMemory();
    dm.g_pSSI.bLEDOffTimer = 30;
    dm.g_pSSI.bLEDLampTypeFunc = C::LED_LIGHT_TYPE_FUNC_SLOW;

    SetMode(dm, 0, 0, 55, 100, 0,
            {{u"Brush size", 100, 40, 0}, {u"Zoom", 0, 100, 40}, {u"Rotate view", 60, 0, 100}, {u"Opacity", 100, 100, 0}});
    SetMode(dm, 1, 100, 45, 0, 1, {{u"Scroll", 0, 60, 100}, {u"Volume", 100, 0, 60}, {u"Undo steps", 30, 100, 0}, {u"", 0, 0, 0}});
    SetMode(dm, 2, 70, 0, 100, 0, {{u"Layer", 0, 100, 100}, {u"Hue", 100, 0, 0}, {u"Saturation", 0, 0, 100}, {u"Lightness", 100, 100, 100}});

    KeyButton(dm, 0, 0, C::USB_KEY_BIT_CTRL_L, 0x1D);                          // Ctrl+Z
    KeyButton(dm, 0, 1, C::USB_KEY_BIT_CTRL_L | C::USB_KEY_BIT_SHIFT_R, 0x1D);  // Ctrl+Shift+Z
    KeyButton(dm, 0, 2, 0, 0x2C);                                              // Space
    KeyButton(dm, 0, 3, 0, 0x08);                                              // E
    KeyButton(dm, 0, 4, 0, 0x05);                                              // B
    OtherButton(dm, 0, 5, C::APP_DATA_FUNC_CATEGORY_ID_GENERAL, 0, 0, C::SET_TYPE_NONE);  // next mode
    OtherButton(dm, 0, 6, C::APP_DATA_FUNC_CATEGORY_ID_MOUSE, 0, C::APP_DATA_DIAL_FUNC_MOUSE_ID_R_CLICK, C::SET_TYPE_MOUSE_RCLICK);
    OtherButton(dm, 0, 7, C::APP_DATA_FUNC_CATEGORY_ID_PRESET, C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP, 6, C::SET_TYPE_NONE);
    OtherButton(dm, 0, 8, C::APP_DATA_FUNC_CATEGORY_ID_MULTIMEDIA, 0, C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_PLAY,
                C::SET_TYPE_MULTIMEDIA_PLAY);
    KeyButton(dm, 0, 9, C::USB_KEY_BIT_CTRL_L, 0x16);                         // Ctrl+S
    OtherButton(dm, 0, 10, C::APP_DATA_FUNC_CATEGORY_ID_GENERAL, 0, 12, C::SET_TYPE_NONE);  // next dial function

    KeyButton(dm, 1, 0, C::USB_KEY_BIT_ALT_L, 0x2B);  // Alt+Tab
    OtherButton(dm, 1, 10, C::APP_DATA_FUNC_CATEGORY_ID_GENERAL, 0, 0, C::SET_TYPE_NONE);
    KeyButton(dm, 2, 0, C::USB_KEY_BIT_WIN_L, 0x04);  // Super+A
    OtherButton(dm, 2, 10, C::APP_DATA_FUNC_CATEGORY_ID_GENERAL, 0, 0, C::SET_TYPE_NONE);

    dm.DataOutputToMemory();
    std::vector<uint8_t> image(F::FM_TOTAL_SIZE, 0xFF);
    for (size_t n = 0; n < F::FM_SECTOR_NUM; ++n) {
        std::memcpy(image.data() + n * F::FM_SECTOR_SIZE, dm.SectorBuffer(static_cast<int>(n)), F::FM_SECTOR_SIZE);
    }
    return image;
}

}  // namespace kelvadeck::guitest
