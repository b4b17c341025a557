#include "screenlogic/EditedItemText.h"

#include "model/Constants.h"
#include "screenlogic/LedColorTarget.h"
#include "screenlogic/TextTemplate.h"
#include "screenlogic/TopScreenText.h"

namespace kelvadeck {

using C = Constants;

std::string EditedItemText::Switch(uint8_t button, uint8_t mode, const StringTable& strings) {
    const std::string modeName = TopScreenText::ModeName(mode, strings);
    if (button == C::BUTTON_11_ID) return TextTemplate::Fill(strings.Get("EDIT_TITLE_PUSH_SWITCH"), {modeName});
    return TextTemplate::Fill(strings.Get("EDIT_TITLE_KEY"), {std::to_string(button + 1), modeName});
}

std::string EditedItemText::DialFunction(uint8_t func, uint8_t mode, const StringTable& strings) {
    return TextTemplate::Fill(strings.Get("EDIT_TITLE_DIAL_FUNCTION"),
                              {std::to_string(func + 1), TopScreenText::ModeName(mode, strings)});
}

std::string EditedItemText::LedColour(long tag, uint8_t currentMode, const StringTable& strings) {
    if (LedColorTarget::IsDialFunction(tag)) {
        const auto func = static_cast<uint8_t>(tag - LedColorTarget::TAG_FUNCTION_FIRST);
        return TextTemplate::Fill(strings.Get("EDIT_TITLE_LED_OF"), {DialFunction(func, currentMode, strings)});
    }
    if (!LedColorTarget::IsValid(tag)) return strings.Get("LED_COLOR_SETTING_TITLE");
    const int mode = static_cast<int>(tag - LedColorTarget::TAG_MODE_FIRST);
    return TextTemplate::Fill(strings.Get("EDIT_TITLE_LED_OF"), {TopScreenText::ModeName(mode, strings)});
}

}  // namespace kelvadeck
