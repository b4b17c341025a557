#pragma once

#include <cstdint>
#include <string>

#include "model/StringTable.h"

namespace kelvadeck {

// What an editing screen edits, in the words of its window title: "Key 3 —
// Mode 1", "Dial Function 2 — Mode 1", "LED Colour — Mode 2". Modes, keys and
// dial functions are counted from 1 as the device shows them.
class EditedItemText {
public:
    // A key (button 0 to 9) or the dial's push switch (button 10) of a mode.
    static std::string Switch(uint8_t button, uint8_t mode, const StringTable& strings);
    // Dial function 0 to 3 of a mode.
    static std::string DialFunction(uint8_t func, uint8_t mode, const StringTable& strings);
    // The colour the LED colour screen edits: tag 1 to 3 a mode's, 4 to 7 a
    // dial function's of the current mode.
    static std::string LedColour(long tag, uint8_t currentMode, const StringTable& strings);
};

}  // namespace kelvadeck
