#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/StandardSettingInfo.h"

namespace kelvadeck {

// The values of the system settings screen and how they map onto the
// device-wide settings record and the user's keyboard layout choice.
class SystemSettingsForm {
public:
    bool sleepOff = false;          // LED off while the host sleeps
    bool encoderContinue = false;   // dial repeats while turned (typematic)
    bool modeLedOff = false;        // the mode LED goes off after offTime seconds
    long offTime = 0;
    uint8_t dialFuncLed = 0;        // LED_LIGHT_TYPE_FUNC_*
    long keyboardType = 1;          // KeyCode::KEYBOARD_TYPE_US / _JIS

    static SystemSettingsForm FromModel(const StandardSettingInfo& settings, std::optional<long> storedKeyboardType,
                                        const std::string& countryCode);
    // The stored choice when there is one, else JIS on a Japanese host and US elsewhere.
    static long InitialKeyboardType(std::optional<long> storedKeyboardType, const std::string& countryCode);
    // Writes the device-wide values (not the keyboard type, which stays on the host).
    void ApplyTo(StandardSettingInfo& settings) const;
};

}  // namespace kelvadeck
