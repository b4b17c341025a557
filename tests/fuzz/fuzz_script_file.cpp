// Arbitrary bytes as a macro script file: the import must never crash or read
// outside the input; an accepted file, exported again and imported again,
// gives the same mode, script and steps.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"
#include "macro/MacroScriptFile.h"

using namespace kelvadeck;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const KeyCode keys;
    // A private copy of exactly the input, so a read past its end is caught.
    const std::vector<uint8_t> input(data, data + size);
    const MacroScriptFile::Imported imported = MacroScriptFile::Import(input.data(), input.size(), keys);
    if (!imported.ok()) {
        Check(imported.steps.empty());
        return 0;
    }
    Check(imported.mode < 4);
    Check(imported.script.size() <= MacroScriptFile::SCRIPT_SIZE_MAX);

    MacroCreator editor;
    Check(MacroScriptFile::AppendTo(editor, imported));
    const MacroScriptFile::Exported exported = MacroScriptFile::Build(editor);
    Check(exported.ok());
    Check(exported.bytes.size() == MacroScriptFile::HEADER_SIZE + imported.script.size());

    const MacroScriptFile::Imported again = MacroScriptFile::Import(exported.bytes.data(), exported.bytes.size(), keys);
    Check(again.ok());
    Check(again.mode == imported.mode);
    Check(again.script == imported.script);
    Check(again.steps == imported.steps);
    return 0;
}
