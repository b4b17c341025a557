#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kelvadeck {

// One assignable action (a dial direction or a button): the raw 8-byte device
// action record as stored in flash, plus its decoded view.
struct MacroDataDialFunc {
    uint8_t bScriptType = 0;            // SET_TYPE_*
    std::array<int8_t, 8> cFuncData{};  // the raw record
    uint8_t bSensitive = 0;             // record byte 7; 0 for buttons
    uint16_t sOption = 0;
    uint8_t bKeyCode = 0;
    uint8_t bKeyModifier = 0;
    std::optional<std::string> pStrKey;  // display name of bKeyCode
    uint8_t bButton1 = 0;
    uint8_t bButton2 = 0;
    uint8_t bButton3 = 0;
    int8_t cMoveX = 0;
    int8_t cMoveY = 0;
    int8_t cMoveZ = 0;
    std::optional<std::string> strDatName;  // preset file of an action taken from a preset

    void Reset() { *this = MacroDataDialFunc{}; }
    uint8_t Byte(int i) const { return static_cast<uint8_t>(cFuncData[static_cast<size_t>(i)]); }
    bool operator==(const MacroDataDialFunc&) const = default;
};

}  // namespace kelvadeck
