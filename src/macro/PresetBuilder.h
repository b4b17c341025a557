#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/Constants.h"
#include "model/PresetAction.h"
#include "model/PresetKind.h"

namespace kelvadeck {

// Turns a preset's action into the bytes of its preset file.
class PresetBuilder {
public:
    // A dial preset file holds bytes 0 to 6 of the device action record; the
    // sensitivity (byte 7) comes from the screen when the preset is chosen.
    static constexpr size_t DIAL_RECORD_LEN = static_cast<size_t>(Constants::DEVICE_DATA_LEN - 1);
    using DialRecord = std::array<uint8_t, DIAL_RECORD_LEN>;

    // The switch script, in the device's script byte format: the modifiers are
    // pressed in the order written, then the key; unless hold, the key is let
    // go and the modifiers after it, last pressed first released. A hold
    // script releases nothing: the keys stay down while the Kelvadeck key is
    // held. Encoded with MacroCreator.
    static std::vector<uint8_t> SwitchScript(const PresetAction& action, bool hold);

    // The dial record: a keyboard action (set type, modifier bits, usage), a
    // number step or a wheel step.
    static DialRecord BuildDialRecord(const PresetAction& action);

    // Where the file of a preset lives below the resource folder, e.g.
    // "presetdata/JA/macro_sw/000/002.mcdf" for switch preset 2 of application 0.
    static std::string RelativePath(PresetKind kind, uint8_t applicationId, uint8_t functionId);
};

}  // namespace kelvadeck
