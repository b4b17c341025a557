#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/MacroDataScript.h"

namespace kelvadeck {

class KeyCode;
class StringTable;

// A macro script: its steps as edited and shown, and the device's byte form.
// Script bytes are one command byte per step followed by 0, 1 or 2 operand
// bytes, no header and no terminator, at most FM_SCRIPT_DATA_MAX_SIZE bytes.
// A value type: copying it copies the steps and the bytes.
class MacroCreator {
public:
    uint8_t bScriptMode = 0;  // SCRIPT_MODE_*; stored beside the bytes, not in them
    std::vector<MacroDataScript> arCurrentMacroScript;
    uint64_t dwTotalSize = 0;                     // length of pbRawData
    std::optional<std::vector<uint8_t>> pbRawData;  // encoded script, or none

    void Reset();

    // Steps -> bytes. Steps that do not fit the device's limit are left out,
    // with every later step; see StepsThatFit to learn about that beforehand.
    bool EncodeMacroData();

    // What EncodeMacroData would make of steps, for callers that must not let a
    // long script be cut without telling the user:
    // EncodedSize is the byte length of all steps, ignoring the device's limit;
    // StepsThatFit is how many leading steps the encoder keeps (steps.size()
    // when the whole script fits in FM_SCRIPT_DATA_MAX_SIZE bytes).
    static size_t EncodedSize(const std::vector<MacroDataScript>& steps);
    static size_t StepsThatFit(const std::vector<MacroDataScript>& steps);

    // Size of a step in bytes by command byte (0 for a byte that is no command).
    static int32_t GetMacroSize(uint8_t command);
    // Size of a step by the editor's step kind.
    static int32_t GetMacroSizeUseControlItemNo(int32_t controlItemNo);

    // Bytes -> steps, appended to arCurrentMacroScript. True when the whole
    // length was decoded (or there was nothing); false when decoding stopped at
    // an unknown command byte or a truncated step. Never reads past size.
    bool AnalyzeDataFromFlash(const uint8_t* data, int32_t size, const KeyCode& keyCode);
    bool AnalyzeDataFromMyself(const KeyCode& keyCode);

    // Display texts of a step: the name of its kind (none for no kind) and its value.
    static std::optional<std::string> GetContentName(const MacroDataScript& step, const StringTable& strings);
    static std::string GetSetValueString(const MacroDataScript& step, const StringTable& strings);
};

}  // namespace kelvadeck
