#pragma once

#include <cstdint>
#include <string>

namespace kelvadeck {

// One entry of a function catalogue.
struct FuncSettingElem {
    uint8_t bID = 0;      // category, application or function ID
    uint8_t bTypeNo = 0;  // SET_TYPE_* produced, SP_FUNC_* for the general list, else 0
    std::string strName;  // already localised

    FuncSettingElem() = default;
    FuncSettingElem(uint8_t id, uint8_t typeNo, std::string name) : bID(id), bTypeNo(typeNo), strName(std::move(name)) {}
    void Reset() { *this = FuncSettingElem{}; }
    bool operator==(const FuncSettingElem&) const = default;
};

}  // namespace kelvadeck
