#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/FunctionCatalogues.h"
#include "model/ProfileSettingInfo.h"
#include "macro/ScriptElem.h"
#include "model/StandardSettingInfo.h"
#include "model/StringTable.h"

namespace kelvadeck {

// The texts of the main screen, built from the settings model: mode names,
// dial function labels (the mode's default function marked), the assignment
// text of each switch and the firmware line.
class TopScreenText {
public:
    struct DialLabel {
        std::string text;
        bool isDefault = false;  // shown in bold
    };

    // "Mode 1" ... for mode 0 to 2.
    static std::string ModeName(int mode, const StringTable& strings);
    // Name of dial function f of the mode, or the "unnamed" text; the mode's
    // default function reads "* name".
    static DialLabel DialFunctionLabel(const ProfileSettingInfo& mode, int function, const StringTable& strings);
    // What switch s (0 = key 1 ... 10 = the dial's push switch) does, from its
    // catalogue selection: "Category : Function", "Category : Function [Ctrl+Shift]",
    // "Preset : Application : Function", "Macro : 001:name"; the "not assigned" text
    // when nothing matches.
    static std::string SwitchFunctionText(const ProfileSettingInfo& mode, int button, const FunctionCatalogues& catalogues,
                                          const std::vector<ScriptElem>& scripts, const StringTable& strings);
    // The keys a key action presses, as printed on key caps: "Ctrl+Shift+Z";
    // "" for any other action. Shown on the key beside its assignment text.
    static std::string KeyCombination(const MacroDataDialFunc& action, const StringTable& strings);
    // "[Ctrl+Shift]" for the modifier bits of a key action, "" for none.
    static std::string ModifierText(uint8_t modifiers, const StringTable& strings);
    // "Firmware version: 1.02".
    static std::string FirmwareLabel(const StandardSettingInfo& settings, const StringTable& strings);
};

}  // namespace kelvadeck
