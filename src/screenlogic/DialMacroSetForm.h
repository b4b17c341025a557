#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/DialMacroInfo.h"
#include "macro/ScriptElem.h"
#include "model/StringTable.h"

namespace kelvadeck {

// The dial macro editor's form: one row per place of a set (32), each row
// choosing no script or one user script, and the loop box.
class DialMacroSetForm {
public:
    // A row's choice: the script number it holds (0 = none) and its text.
    struct Choice {
        int scriptNo = 0;
        std::string text;
    };

    // The rows of a set: its stored list, padded with "none" to 32 places.
    static std::vector<int> Rows(const DialMacroInfo& set);
    static bool Loop(const DialMacroInfo& set);
    // The rows and the loop box show something other than the set: switching
    // sets or closing now would drop the user's edits.
    static bool HasChanges(const std::vector<int>& rows, bool loop, const DialMacroInfo& set);

    // The choices every row offers: none, then user scripts 1 .. 150. A row
    // holding a number outside them (a preset slot) gets that number as an
    // extra choice, so that it is written back unchanged.
    static std::vector<Choice> Choices(const std::vector<ScriptElem>& scripts, const StringTable& strings);
    static Choice ExtraChoice(int scriptNo, const std::vector<ScriptElem>& scripts, const StringTable& strings);

    // The set to store: the chosen scripts in row order with the unset rows
    // dropped and the rest closed up, the count of them, zeros up to 32
    // places, and the loop flag. Rows beyond 32 and numbers that are no
    // script are not taken.
    static DialMacroInfo Build(const std::vector<int>& rows, bool loop);
};

}  // namespace kelvadeck
