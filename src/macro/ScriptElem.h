#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "macro/MacroCreator.h"

namespace kelvadeck {

// One macro script slot of the device's script directory.
struct ScriptElem {
    uint64_t dwSaveAddress = 0;  // absolute flash address; 0 = empty
    uint64_t dwSaveSize = 0;     // 0 = empty
    int32_t nSectorNo = 0;       // 2 + (index mod 30)
    uint64_t dwSectorAddr = 0;   // offset of the bytes inside the sector
    uint8_t bScriptMode = 0;
    std::optional<std::u16string> strScriptName;
    std::optional<std::vector<uint8_t>> pbRawData;  // the bytes, once the sector was read
    MacroCreator idMacroCreator;                    // decoded steps

    void Reset() { *this = ScriptElem{}; }
    bool IsStored() const { return dwSaveAddress != 0 && dwSaveSize != 0; }
};

}  // namespace kelvadeck
