#include "screenlogic/SystemSettingsForm.h"

#include "keys/KeyCode.h"
#include "model/Constants.h"

namespace kelvadeck {

using C = Constants;

long SystemSettingsForm::InitialKeyboardType(std::optional<long> stored, const std::string& countryCode) {
    if (stored && *stored != 0) return *stored;
    return countryCode == "JP" ? KeyCode::KEYBOARD_TYPE_JIS : KeyCode::KEYBOARD_TYPE_US;
}

SystemSettingsForm SystemSettingsForm::FromModel(const StandardSettingInfo& s, std::optional<long> storedKeyboardType,
                                                 const std::string& countryCode) {
    SystemSettingsForm f;
    f.sleepOff = s.bLEDSleepFlag == C::LED_SLEEP_ENABLED;
    f.encoderContinue = s.bEncoderType == C::ENCODER_TYPEMATIC_HIT;
    f.modeLedOff = s.bLEDLampTypeMode != C::LED_LIGHT_TYPE_MODE_ON;
    f.offTime = s.bLEDOffTimer;
    f.dialFuncLed = s.bLEDLampTypeFunc;
    f.keyboardType = InitialKeyboardType(storedKeyboardType, countryCode);
    return f;
}

void SystemSettingsForm::ApplyTo(StandardSettingInfo& s) const {
    // The device keeps the low 8 bits; decoding limits the value later.
    s.bLEDOffTimer = static_cast<uint8_t>(offTime);
    s.bLEDSleepFlag = sleepOff ? C::LED_SLEEP_ENABLED : C::LED_SLEEP_DISABLED;
    s.bLEDLampTypeMode = modeLedOff ? C::LED_LIGHT_TYPE_MODE_OFF : C::LED_LIGHT_TYPE_MODE_ON;
    s.bEncoderType = encoderContinue ? C::ENCODER_TYPEMATIC_HIT : C::ENCODER_TYPEMATIC_PRESS;
    s.bLEDLampTypeFunc = dialFuncLed;
}

}  // namespace kelvadeck
