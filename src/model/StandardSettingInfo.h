#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvadeck {

// Device-wide settings (the 8-byte record at the start of the settings sector).
struct StandardSettingInfo {
    std::optional<std::string> strFirmwareVer;  // as the device reported it
    uint8_t bMode = 0;
    uint8_t bLEDSleepFlag = 0;
    uint8_t bLEDLampTypeMode = 0;
    uint8_t bLEDLampTypeFunc = 0;
    uint8_t bLEDOffTimer = 0;
    uint8_t bEncoderType = 0;

    // With dropFirmware the firmware version goes too; a re-read of the
    // settings keeps it (the version is only asked for on arrival).
    void Reset(bool dropFirmware) {
        if (dropFirmware) strFirmwareVer.reset();
        bMode = bLEDSleepFlag = bLEDLampTypeMode = bLEDLampTypeFunc = bLEDOffTimer = bEncoderType = 0;
    }
    bool operator==(const StandardSettingInfo&) const = default;
};

}  // namespace kelvadeck
