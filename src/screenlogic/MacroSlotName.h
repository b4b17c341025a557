#pragma once

#include <string>

#include "macro/ScriptElem.h"
#include "model/FlashControl.h"
#include "model/StringTable.h"

namespace kelvadeck {

// How a script slot's name is shown and edited. A slot without a name is
// listed with the "unnamed" text, but that text is only ever a placeholder:
// the name field stays empty, so writing the script back keeps it unnamed
// instead of storing the placeholder as its name.
class MacroSlotName {
public:
    // The longest name a slot stores, in UTF-16 code units.
    static constexpr int NAME_MAX_UNITS = (FlashControl::FM_SCRIPT_INFO_DATA_NAME_SIZE - 1) / 2;

    // The macro list's name column: the name, or "MACRO_NAME_UNDEFINE".
    static std::string ListText(const ScriptElem& slot, const StringTable& strings);
    // What the name field holds after a read: the stored name, or nothing.
    static std::u16string FieldText(const ScriptElem& slot);
    // The placeholder shown in an empty name field.
    static std::string Placeholder(const StringTable& strings);
    // The slot number of a list index (0 based) as shown: "001" ... "150".
    static std::string NumberText(int index);
    // A choice of the dial macro editor's rows: "Macro 005: name".
    static std::string DialMacroChoiceText(int scriptNo, const ScriptElem& slot, const StringTable& strings);
};

}  // namespace kelvadeck
