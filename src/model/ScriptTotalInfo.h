#pragma once

#include <cstdint>

namespace kelvadeck {

// Header of the script directory.
struct ScriptTotalInfo {
    uint16_t wCheckSum = 0;  // kept as read, never computed
    uint8_t bTotalNum = 0;   // number of stored scripts
    uint64_t dwTotalSize = 0;

    void Reset() { *this = ScriptTotalInfo{}; }
    bool operator==(const ScriptTotalInfo&) const = default;
};

}  // namespace kelvadeck
