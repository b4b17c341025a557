#pragma once

#include <cstdint>

namespace kelvadeck {

// The two kinds of ready-made assignment the configurator ships: a script for a
// switch, or one action record for a turning direction of the dial.
enum class PresetKind : uint8_t {
    Switch,
    Dial,
};

}  // namespace kelvadeck
