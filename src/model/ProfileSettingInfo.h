#pragma once

#include <cstdint>
#include <vector>

#include "model/DialFuncElem.h"
#include "model/SelectItemElemForDial.h"
#include "model/SelectItemElemForSwich.h"
#include "model/SwitchFuncElem.h"

namespace kelvadeck {

// One mode: button script numbers and special functions, the default dial
// function, the mode's LED colour, four dial functions and eleven buttons.
// The arrays are empty until an image is decoded; then they have
// BUTTON_NUM / FUNCTION_NUM entries indexed by button or function ID.
struct ProfileSettingInfo {
    std::vector<uint8_t> arSWScriptNo;
    std::vector<uint8_t> arSWSpScriptNo;
    uint8_t bEncoderDefaultFuncNo = 0;
    uint8_t bLEDColorNo = 0;
    uint8_t bLEDColorDetailFlag = 0;
    uint8_t bLEDDutyR = 0;
    uint8_t bLEDDutyG = 0;
    uint8_t bLEDDutyB = 0;
    uint8_t bLEDBrightness = 0;
    std::vector<DialFuncElem> arDialFuncElemList;
    std::vector<SelectItemElemForDial> arSelectItemElemDF;
    std::vector<SwitchFuncElem> arSwitchFuncElemList;
    std::vector<SelectItemElemForSwich> arSelectItemElemSW;

    void Reset() { *this = ProfileSettingInfo{}; }
    bool operator==(const ProfileSettingInfo&) const = default;
};

}  // namespace kelvadeck
