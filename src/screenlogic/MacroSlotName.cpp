#include "screenlogic/MacroSlotName.h"

#include <cstdio>

#include "model/TextConvert.h"

namespace kelvadeck {

std::string MacroSlotName::ListText(const ScriptElem& slot, const StringTable& strings) {
    if (!slot.strScriptName || slot.strScriptName->empty()) return strings.Get("MACRO_NAME_UNDEFINE");
    return TextConvert::Utf16ToUtf8(*slot.strScriptName);
}

std::u16string MacroSlotName::FieldText(const ScriptElem& slot) { return slot.strScriptName.value_or(std::u16string{}); }

std::string MacroSlotName::Placeholder(const StringTable& strings) { return strings.Get("MACRO_NAME_UNDEFINE"); }

std::string MacroSlotName::NumberText(int index) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03d", index + 1);
    return buf;
}

std::string MacroSlotName::DialMacroChoiceText(int scriptNo, const ScriptElem& slot, const StringTable& strings) {
    char number[16];
    std::snprintf(number, sizeof number, "%03d", scriptNo);
    return strings.Get("FUNC_SETTING_CATEGOLY_MACRO") + number + ": " + ListText(slot, strings);
}

}  // namespace kelvadeck
