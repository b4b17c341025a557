#pragma once

#include <cstdint>

namespace kelvadeck {

// Which value area the function setting screens show beside the catalogue
// tables for a selection, and the small value rules the areas share: the
// modifier check boxes and the wheel number's bounds.
class FuncInputArea {
public:
    enum class Area { None, Key, MouseMove, JoypadMove, Number };

    struct ModifierBoxes {
        bool control = false;
        bool shift = false;
        bool option = false;
        bool command = false;
        bool operator==(const ModifierBoxes&) const = default;
    };

    // For a switch selection (switch category IDs) and a dial side (dial category IDs).
    static Area ForSwitch(uint8_t category, uint8_t detail);
    static Area ForDial(uint8_t category, uint8_t detail);
    // Title key of the distance area for the area.
    static const char* DistanceTitleKey(Area area);

    // A box is on when the stored byte has either hand's bit of its modifier.
    static ModifierBoxes BoxesFromModifiers(uint8_t modifiers);
    // The modifier byte of the boxes, with the right-hand or left-hand bits.
    static uint8_t ModifiersFromBoxes(const ModifierBoxes& boxes, bool rightHand);

    // A wheel number typed in is bounded to -127 ... 127.
    static int ClampNumber(long long value);
};

}  // namespace kelvadeck
