#include "screenlogic/MacroStepList.h"

#include <algorithm>

#include "model/Constants.h"
#include "model/FlashControl.h"
#include "screenlogic/TextTemplate.h"

namespace kelvadeck {

namespace {

using C = Constants;

bool IsStepRow(const MacroCreator& macro, int row) {
    return row >= 1 && static_cast<size_t>(row) <= macro.arCurrentMacroScript.size();
}

}  // namespace

int MacroStepList::RowCount(const MacroCreator& macro) { return static_cast<int>(macro.arCurrentMacroScript.size()) + 1; }

MacroDataScript* MacroStepList::StepAtRow(MacroCreator& macro, int row) {
    return IsStepRow(macro, row) ? &macro.arCurrentMacroScript[static_cast<size_t>(row - 1)] : nullptr;
}

const MacroDataScript* MacroStepList::StepAtRow(const MacroCreator& macro, int row) {
    return IsStepRow(macro, row) ? &macro.arCurrentMacroScript[static_cast<size_t>(row - 1)] : nullptr;
}

void MacroStepList::CycleMode(MacroCreator& macro) {
    macro.bScriptMode = static_cast<uint8_t>((macro.bScriptMode + 1) % C::SCRIPT_MODE_NUM);
}

void MacroStepList::AddBlank(MacroCreator& macro) {
    macro.arCurrentMacroScript.push_back(MacroCreator::CreateMacroForScript(C::SCRIPT_COMMAND_BLANK));
}

bool MacroStepList::RemoveRow(MacroCreator& macro, int row) {
    if (!IsStepRow(macro, row)) return false;
    macro.arCurrentMacroScript.erase(macro.arCurrentMacroScript.begin() + (row - 1));
    return true;
}

void MacroStepList::Clear(MacroCreator& macro) { macro.arCurrentMacroScript.clear(); }

bool MacroStepList::CanDragRow(const MacroCreator& macro, int row) { return IsStepRow(macro, row); }

bool MacroStepList::MoveRow(MacroCreator& macro, int fromRow, int aboveRow) {
    auto& steps = macro.arCurrentMacroScript;
    if (!IsStepRow(macro, fromRow) || aboveRow < 1) return false;
    const size_t from = static_cast<size_t>(fromRow - 1);
    const size_t to = std::min(static_cast<size_t>(aboveRow - 1), steps.size());
    // Above its own row or the row after it: the step stays where it is.
    if (to == from || to == from + 1) return false;
    MacroDataScript moved = steps[from];
    steps.insert(steps.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
    steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(from > to ? from + 1 : from));
    return true;
}

void MacroStepList::Append(MacroCreator& macro, const std::vector<MacroDataScript>& steps, uint8_t mode) {
    if (macro.arCurrentMacroScript.empty()) macro.bScriptMode = mode;
    macro.arCurrentMacroScript.insert(macro.arCurrentMacroScript.end(), steps.begin(), steps.end());
}

MacroStepList::Size MacroStepList::SizeOf(const MacroCreator& macro) {
    Size s;
    s.bytes = MacroCreator::EncodedSize(macro.arCurrentMacroScript);
    s.limit = FlashControl::FM_SCRIPT_DATA_MAX_SIZE;
    s.steps = macro.arCurrentMacroScript.size();
    s.stepsThatFit = MacroCreator::StepsThatFit(macro.arCurrentMacroScript);
    return s;
}

std::string MacroStepList::SizeText(const Size& size, const StringTable& strings) {
    std::string text = TextTemplate::Fill(strings.Get("MACRO_EDITOR_SCRIPT_SIZE"),
                                          {std::to_string(size.bytes), std::to_string(size.limit)});
    if (!size.Fits()) {
        text += " " + TextTemplate::Fill(strings.Get("MACRO_EDITOR_SCRIPT_OVER"),
                                         {std::to_string(size.BytesOver()), std::to_string(size.StepsLeftOut())});
    }
    return text;
}

std::string MacroStepList::TooLongText(const Size& size, const StringTable& strings) {
    return TextTemplate::Fill(strings.Get("MACRO_TOO_LONG_MSG"),
                              {std::to_string(size.bytes), std::to_string(size.limit), std::to_string(size.BytesOver()),
                               std::to_string(size.StepsLeftOut())});
}

std::string MacroStepList::ModeText(uint8_t mode, const StringTable& strings) {
    switch (mode) {
        case C::SCRIPT_MODE_LOOP_MODE: return strings.Get("SCRIPT_MODE_LOOP_MODE_TEXT");
        case C::SCRIPT_MODE_FIRE_MODE: return strings.Get("SCRIPT_MODE_FIRE_MODE_TEXT");
        case C::SCRIPT_MODE_HOLD_MODE: return strings.Get("SCRIPT_MODE_HOLD_MODE_TEXT");
        default: return strings.Get("SCRIPT_MODE_ONE_MODE_TEXT");
    }
}

}  // namespace kelvadeck
