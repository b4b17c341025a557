#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvadeck {

// What one preset sends, parsed from the key column of the preset table:
// a key combination ("Ctrl+Shift+N", "]", "Space", "Alt"), or for the dial one
// of the device's own step actions ("NumberUp", "NumberDown", "WheelUp",
// "WheelDown").
struct PresetAction {
    enum class Type : uint8_t {
        Keyboard,    // modifiers and at most one ordinary key
        NumberUp,    // the device's number step, upwards
        NumberDown,  // and downwards
        Wheel,       // one mouse wheel step
    };

    Type type = Type::Keyboard;
    std::vector<uint8_t> modifierUsages;  // USB usages of the modifiers, as written
    uint8_t modifierBits = 0;             // the same modifiers as report bits
    uint8_t usage = 0;                    // the ordinary key; 0 for modifiers alone
    int8_t wheel = 0;                     // wheel amount: +1 up, -1 down

    // Parses one key column. The step actions are accepted only for the dial
    // (dial = true) and only on their own. On failure returns false and says
    // why in error; out is then unspecified.
    static bool Parse(std::string_view keys, bool dial, PresetAction& out, std::string& error);
};

}  // namespace kelvadeck
