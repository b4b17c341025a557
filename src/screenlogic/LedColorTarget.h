#pragma once

#include <cstdint>
#include <vector>

#include "model/ProfileSettingInfo.h"

namespace kelvadeck {

// What the LED colour screen edits, by the tag the opener hands it: 1 to 3 the
// colour of mode 1 to 3, 4 to 7 the colour of dial function 1 to 4 of the
// current mode. Reads and writes the device duties and brightness of that record.
class LedColorTarget {
public:
    struct Color {
        uint8_t dutyR = 0;
        uint8_t dutyG = 0;
        uint8_t dutyB = 0;
        uint8_t brightness = 0;
        bool operator==(const Color&) const = default;
    };

    static constexpr long TAG_MODE_FIRST = 1;
    static constexpr long TAG_MODE_LAST = 3;
    static constexpr long TAG_FUNCTION_FIRST = 4;
    static constexpr long TAG_FUNCTION_LAST = 7;

    static bool IsValid(long tag) { return tag >= TAG_MODE_FIRST && tag <= TAG_FUNCTION_LAST; }
    static bool IsDialFunction(long tag) { return tag >= TAG_FUNCTION_FIRST && tag <= TAG_FUNCTION_LAST; }
    // The tag of mode m (0 to 2) and of dial function f (0 to 3).
    static long ModeTag(int mode) { return TAG_MODE_FIRST + mode; }
    static long FunctionTag(int function) { return TAG_FUNCTION_FIRST + function; }

    // False (color untouched) for a tag outside 1 to 7 or a model without that record.
    static bool Read(const std::vector<ProfileSettingInfo>& modes, uint8_t currentMode, long tag, Color& color);
    static bool Write(std::vector<ProfileSettingInfo>& modes, uint8_t currentMode, long tag, const Color& color);
};

}  // namespace kelvadeck
