#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "model/PresetKind.h"

namespace kelvadeck {

// The preset functions of every application by name, with their IDs from
// Constants: the application word of the preset table ("Photoshop") gives the
// application ID, the ID name ("ERASER") the preset function ID, which is also
// the number of the preset's file. The names are the suffixes of the
// APP_DATA_FUNC_PRESET_<APP>_ID_<NAME> and APP_DATA_DIAL_FUNC_PRESET_<APP>_ID_<NAME>
// constants; the lists are built from the constants themselves, so a name that
// Constants does not define does not compile.
class PresetIdCatalogue {
public:
    struct Name {
        std::string_view name;
        uint8_t id;
    };
    struct Application {
        std::string_view name;         // as written in the preset table
        uint8_t id;                    // APP_DATA_FUNC_PRESET_ID_* / APP_DATA_DIAL_FUNC_PRESET_ID_*
        std::span<const Name> switches;  // in ID order; empty when the application has no switch presets
        std::span<const Name> dials;     // in ID order
    };

    // Photoshop, ClipStudio, SAI, Illustrator, Lightroom, in application ID order.
    static std::span<const Application> Applications();
    static const Application* FindApplication(std::string_view name);
    static std::span<const Name> Names(PresetKind kind, const Application& application);
    static std::optional<uint8_t> FunctionId(PresetKind kind, const Application& application, std::string_view name);
};

}  // namespace kelvadeck
