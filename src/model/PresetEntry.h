#pragma once

#include <cstdint>
#include <string>

#include "model/PresetAction.h"
#include "model/PresetKind.h"

namespace kelvadeck {

// One row of the preset table: which preset (kind, application, function) and
// what it sends.
struct PresetEntry {
    int line = 0;  // 1-based line of the row in the table
    PresetKind kind = PresetKind::Switch;
    std::string application;  // as written ("Photoshop")
    uint8_t applicationId = 0;
    std::string idName;  // as written ("ERASER")
    uint8_t functionId = 0;
    std::string keys;  // as written ("Ctrl+Shift+N")
    PresetAction action;
    // The keys stay pressed while the Kelvadeck key is held: the switch script
    // presses them and releases nothing.
    bool hold = false;
    std::string notes;
};

}  // namespace kelvadeck
