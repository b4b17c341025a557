// Arbitrary bytes as a stored macro script: decoding must never crash or read
// past the length; a script decoded whole encodes back to the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"

using namespace kelvadeck;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const KeyCode keys;
    if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return 0;
    const std::vector<uint8_t> input(data, data + size);

    MacroCreator macro;
    const bool whole = macro.AnalyzeDataFromFlash(input.data(), static_cast<int32_t>(input.size()), keys);
    size_t decoded = 0;
    for (const MacroDataScript& step : macro.arCurrentMacroScript) decoded += static_cast<size_t>(step.nScriptSize);
    Check(decoded <= input.size());
    Check(whole == (decoded == input.size()));
    if (!whole) return 0;

    // The device holds at most FM_SCRIPT_DATA_MAX_SIZE bytes; the encoder keeps
    // exactly the steps that fit.
    const size_t fit = MacroCreator::StepsThatFit(macro.arCurrentMacroScript);
    Check(MacroCreator::EncodedSize(macro.arCurrentMacroScript) == input.size());
    Check(macro.EncodeMacroData());
    Check(macro.pbRawData.has_value() && macro.dwTotalSize == macro.pbRawData->size());
    if (fit == macro.arCurrentMacroScript.size()) {
        Check(*macro.pbRawData == input);
    } else {
        Check(macro.pbRawData->size() < input.size());
        Check(std::equal(macro.pbRawData->begin(), macro.pbRawData->end(), input.begin()));
    }
    return 0;
}
