#include "macro/PresetBuilder.h"

#include <cstdio>

#include "macro/MacroCreator.h"
#include "model/MacroDataScript.h"

namespace kelvadeck {

namespace {

using C = Constants;

MacroDataScript KeyStep(bool press, uint8_t usage) {
    MacroDataScript step;
    step.bScriptID = press ? C::SCRIPT_COMMAND_KEY_PRESS : C::SCRIPT_COMMAND_KEY_RELEASE;
    step.bControlItemNo = static_cast<uint8_t>(press ? C::SCRIPT_ICON_IDX_KEY_PRESS : C::SCRIPT_ICON_IDX_KEY_RELEASE);
    step.nScriptSize = C::SCRIPT_SIZE_2;
    step.cOption1 = static_cast<int8_t>(usage);
    return step;
}

}  // namespace

std::vector<uint8_t> PresetBuilder::SwitchScript(const PresetAction& action, bool hold) {
    MacroCreator script;
    script.bScriptMode = C::SCRIPT_MODE_ONE_MODE;
    for (const uint8_t modifier : action.modifierUsages) script.arCurrentMacroScript.push_back(KeyStep(true, modifier));
    if (action.usage != 0) script.arCurrentMacroScript.push_back(KeyStep(true, action.usage));
    if (!hold) {
        if (action.usage != 0) script.arCurrentMacroScript.push_back(KeyStep(false, action.usage));
        for (auto it = action.modifierUsages.rbegin(); it != action.modifierUsages.rend(); ++it) {
            script.arCurrentMacroScript.push_back(KeyStep(false, *it));
        }
    }
    script.EncodeMacroData();
    return script.pbRawData.value_or(std::vector<uint8_t>{});
}

PresetBuilder::DialRecord PresetBuilder::BuildDialRecord(const PresetAction& action) {
    DialRecord record{};
    switch (action.type) {
        case PresetAction::Type::Keyboard:
            record[C::DEVICE_DATA_SET_TYPE_IDX] = C::SET_TYPE_KEYBOARD_KEY;
            record[C::DEVICE_DATA_MODIFIER_IDX] = action.modifierBits;
            record[C::DEVICE_DATA_KEY1_IDX] = action.usage;
            break;
        case PresetAction::Type::NumberUp:
            record[C::DEVICE_DATA_SET_TYPE_IDX] = C::SET_TYPE_NUMBER_UP;
            break;
        case PresetAction::Type::NumberDown:
            record[C::DEVICE_DATA_SET_TYPE_IDX] = C::SET_TYPE_NUMBER_DOWN;
            break;
        case PresetAction::Type::Wheel:
            record[C::DEVICE_DATA_SET_TYPE_IDX] = C::SET_TYPE_MOUSE_WHSCROLL;
            record[C::DEVICE_DATA_WHEEL_IDX] = static_cast<uint8_t>(action.wheel);  // two's complement
            break;
    }
    return record;
}

std::string PresetBuilder::RelativePath(PresetKind kind, uint8_t applicationId, uint8_t functionId) {
    const bool dial = kind == PresetKind::Dial;
    char numbers[16];
    std::snprintf(numbers, sizeof numbers, "%03d/%03d.", int{applicationId}, int{functionId});
    return std::string(dial ? C::APP_DATA_DIAL_FUNC_PRESET_DATA_PATH_JA : C::APP_DATA_FUNC_PRESET_DATA_PATH_JA) +
           numbers +
           (dial ? C::APP_DATA_DIAL_FUNC_PRESET_DATA_FILE_EXTENSION : C::APP_DATA_FUNC_PRESET_DATA_FILE_EXTENSION);
}

}  // namespace kelvadeck
