#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "macro/MacroCreator.h"
#include "model/MacroDataScript.h"

namespace kelvadeck {

// What the macro editor has put in a safe place: the script and name it last
// wrote to a slot or exported to a file, or read into an empty editor from a
// slot or a file. Whatever differs from it is unsaved work, which the editor
// asks about before it is dropped; an editor without steps or name holds none.
class MacroEditorBaseline {
public:
    void Take(const MacroCreator& script, const std::u16string& name);
    bool IsUnsaved(const MacroCreator& script, const std::u16string& name) const;

private:
    std::vector<MacroDataScript> m_steps;
    uint8_t m_mode = 0;
    std::u16string m_name;
};

}  // namespace kelvadeck
