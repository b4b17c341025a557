#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "macro/MacroCreator.h"
#include "model/MacroDataScript.h"
#include "model/StringTable.h"

namespace kelvadeck {

// The macro editor's step list as the user edits it: row 0 is the play mode,
// row r (1 and up) is step r - 1 of the script. Every operation takes rows as
// the list shows them and checks them, so a stale or stray row never touches
// a step that is not there.
class MacroStepList {
public:
    // Steps plus the mode row.
    static int RowCount(const MacroCreator& macro);
    // The step a row shows; null for the mode row and rows past the end.
    static MacroDataScript* StepAtRow(MacroCreator& macro, int row);
    static const MacroDataScript* StepAtRow(const MacroCreator& macro, int row);

    // One, loop, fire, hold, one ...
    static void CycleMode(MacroCreator& macro);
    // Appends a step without a kind (the user picks its value later).
    static void AddBlank(MacroCreator& macro);
    // Removes the step of a row; false (nothing removed) for the mode row or
    // a row that shows no step.
    static bool RemoveRow(MacroCreator& macro, int row);
    // Removes every step; the play mode stays.
    static void Clear(MacroCreator& macro);

    // Only step rows can be dragged.
    static bool CanDragRow(const MacroCreator& macro, int row);
    // Moves the step of fromRow to just above aboveRow (aboveRow = RowCount
    // puts it last). Nothing moves when dropped above the mode row, when
    // fromRow shows no step, or when the step would stay where it is.
    static bool MoveRow(MacroCreator& macro, int fromRow, int aboveRow);

    // Appends steps read from a slot or a file. A script without steps takes
    // their play mode; one with steps keeps its own.
    static void Append(MacroCreator& macro, const std::vector<MacroDataScript>& steps, uint8_t mode);

    // The script's size against what a script slot of the device holds.
    struct Size {
        size_t bytes = 0;         // encoded length of every step
        size_t limit = 0;         // FM_SCRIPT_DATA_MAX_SIZE
        size_t steps = 0;
        size_t stepsThatFit = 0;  // leading steps within the limit
        bool Fits() const { return bytes <= limit; }
        size_t BytesOver() const { return bytes > limit ? bytes - limit : 0; }
        size_t StepsLeftOut() const { return steps - stepsThatFit; }
    };
    static Size SizeOf(const MacroCreator& macro);
    // "Size: 120 of 9362 bytes", and what does not fit when it is too long.
    static std::string SizeText(const Size& size, const StringTable& strings);
    // The message of a write or export refused because the script is too long.
    static std::string TooLongText(const Size& size, const StringTable& strings);

    // Texts of the mode row: the play mode's name.
    static std::string ModeText(uint8_t mode, const StringTable& strings);
};

}  // namespace kelvadeck
