#pragma once

#include <cstdint>

namespace kelvadeck {

// Catalogue selection behind a dial function: category, application and list
// position, once per turning direction (_R clockwise, _L counter-clockwise).
struct SelectItemElemForDial {
    uint8_t bItemID1_R = 0;
    uint8_t bItemID2_R = 0;
    uint8_t bItemID3_R = 0;
    uint8_t bItemID1_L = 0;
    uint8_t bItemID2_L = 0;
    uint8_t bItemID3_L = 0;

    void Reset() { *this = SelectItemElemForDial{}; }
    bool operator==(const SelectItemElemForDial&) const = default;
};

}  // namespace kelvadeck
