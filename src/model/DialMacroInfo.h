#pragma once

#include <cstdint>
#include <vector>

namespace kelvadeck {

// One user dial macro: a list of user scripts the dial steps through.
struct DialMacroInfo {
    uint8_t bDialMacroSetNum = 0;    // entries in use, 0..32
    uint8_t bDialMacroRoopFlag = 0;  // ENCODER_SCRIPT_LOOP_SET_*
    std::vector<uint8_t> arDialMacroNoList;  // 32 script numbers once decoded; 0 = none

    void Reset() { *this = DialMacroInfo{}; }
    bool operator==(const DialMacroInfo&) const = default;
};

}  // namespace kelvadeck
