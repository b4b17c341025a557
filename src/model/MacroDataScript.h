#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/Constants.h"

namespace kelvadeck {

// One step of a macro script as shown and edited.
struct MacroDataScript {
    uint8_t bControlItemNo = Constants::SCRIPT_ICON_IDX_BLANK;  // step kind
    uint8_t bScriptID = 0;                                       // SCRIPT_COMMAND_*
    int32_t nScriptSize = 0;                                     // encoded size in bytes
    uint16_t sOption = 0;
    int8_t cOption1 = 0;
    int8_t cOption2 = 0;
    int8_t cOption3 = 0;
    std::optional<std::string> strAnalyzeRet1;
    std::optional<std::string> strAnalyzeRet2;
    std::optional<std::string> strAnalyzeRet3;

    void Reset() { *this = MacroDataScript{}; }
    bool operator==(const MacroDataScript&) const = default;
};

}  // namespace kelvadeck
