#pragma once

#include <cstdint>

namespace kelvadeck {

// Catalogue selection behind a button assignment.
struct SelectItemElemForSwich {
    uint8_t bItemID1 = 0;  // category (APP_DATA_FUNC_CATEGORY_ID_*)
    uint8_t bItemID2 = 0;  // application
    uint8_t bItemID3 = 0;  // position in the function list

    void Reset() { *this = SelectItemElemForSwich{}; }
    bool operator==(const SelectItemElemForSwich&) const = default;
};

}  // namespace kelvadeck
