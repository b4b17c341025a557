#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/MacroDataDialFunc.h"

namespace kelvadeck {

// One dial function of one mode: what a clockwise and a counter-clockwise step
// do, its name and its LED colour.
struct DialFuncElem {
    std::optional<std::u16string> strFunctionName;  // UTF-16 as stored in flash
    MacroDataDialFunc clsMacroR;                     // clockwise
    MacroDataDialFunc clsMacroL;                     // counter-clockwise
    uint8_t bLEDColorNo = 0;
    uint8_t bLEDColorDetailFlag = 0;
    uint8_t bLEDDutyR = 0;
    uint8_t bLEDDutyG = 0;
    uint8_t bLEDDutyB = 0;
    uint8_t bLEDBrightness = 0;

    void Reset() { *this = DialFuncElem{}; }
    bool operator==(const DialFuncElem&) const = default;
};

}  // namespace kelvadeck
