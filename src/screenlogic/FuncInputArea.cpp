#include "screenlogic/FuncInputArea.h"

#include "model/Constants.h"

namespace kelvadeck {

using C = Constants;

namespace {

// Key, mouse and game pad details are the same lists on both screens; only
// the category numbers differ.
FuncInputArea::Area ForDetail(bool key, bool mouse, bool gamepad, uint8_t detail) {
    using A = FuncInputArea::Area;
    if (key) return detail == C::APP_DATA_DIAL_FUNC_KEY_ID_KEY ? A::Key : A::None;
    if (mouse) {
        if (detail == C::APP_DATA_DIAL_FUNC_MOUSE_ID_MOVE) return A::MouseMove;
        if (detail == C::APP_DATA_DIAL_FUNC_MOUSE_ID_WH_SCROLL) return A::Number;
        return A::None;
    }
    if (gamepad && (detail == C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_LEFT_ANALOG ||
                    detail == C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_RIGHT_ANALOG)) {
        return A::JoypadMove;
    }
    return A::None;
}

}  // namespace

FuncInputArea::Area FuncInputArea::ForSwitch(uint8_t category, uint8_t detail) {
    return ForDetail(category == C::APP_DATA_FUNC_CATEGORY_ID_KEY, category == C::APP_DATA_FUNC_CATEGORY_ID_MOUSE,
                     category == C::APP_DATA_FUNC_CATEGORY_ID_GAMEPAD, detail);
}

FuncInputArea::Area FuncInputArea::ForDial(uint8_t category, uint8_t detail) {
    return ForDetail(category == C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, category == C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE,
                     category == C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD, detail);
}

const char* FuncInputArea::DistanceTitleKey(Area area) {
    return area == Area::JoypadMove ? "JOYPAD_MOVE_TEXT" : "MOUSE_MOVE_TEXT";
}

FuncInputArea::ModifierBoxes FuncInputArea::BoxesFromModifiers(uint8_t m) {
    ModifierBoxes b;
    b.control = (m & 0x11) != 0;
    b.shift = (m & 0x22) != 0;
    b.option = (m & 0x44) != 0;
    b.command = (m & 0x88) != 0;
    return b;
}

uint8_t FuncInputArea::ModifiersFromBoxes(const ModifierBoxes& boxes, bool rightHand) {
    uint8_t m = 0;
    if (boxes.control) m |= 0x01;
    if (boxes.shift) m |= 0x02;
    if (boxes.option) m |= 0x04;
    if (boxes.command) m |= 0x08;
    return rightHand ? static_cast<uint8_t>(m << 4) : m;
}

int FuncInputArea::ClampNumber(long long value) {
    if (value >= 128) return 127;
    if (value < -127) return -127;
    return static_cast<int>(value);
}

}  // namespace kelvadeck
