#include "screenlogic/MacroEditorBaseline.h"

namespace kelvadeck {

void MacroEditorBaseline::Take(const MacroCreator& script, const std::u16string& name) {
    m_steps = script.arCurrentMacroScript;
    m_mode = script.bScriptMode;
    m_name = name;
}

bool MacroEditorBaseline::IsUnsaved(const MacroCreator& script, const std::u16string& name) const {
    if (script.arCurrentMacroScript.empty() && name.empty()) return false;
    return script.arCurrentMacroScript != m_steps || script.bScriptMode != m_mode || name != m_name;
}

}  // namespace kelvadeck
