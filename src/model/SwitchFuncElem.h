#pragma once

#include "model/MacroDataDialFunc.h"

namespace kelvadeck {

// One button assignment of one mode.
struct SwitchFuncElem {
    MacroDataDialFunc clsMacroSW;

    void Reset() { *this = SwitchFuncElem{}; }
    bool operator==(const SwitchFuncElem&) const = default;
};

}  // namespace kelvadeck
