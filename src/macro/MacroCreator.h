#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "macro/HostInputEvent.h"
#include "model/MacroDataDialFunc.h"
#include "model/MacroDataScript.h"

namespace kelvadeck {

class FunctionCatalogues;
class KeyCode;
class Logger;
class StringTable;
class Utility;

// The macro engine.
//
// A macro script: its steps as edited and shown, and the device's byte form.
// Script bytes are one command byte per step followed by 0, 1 or 2 operand
// bytes, no header and no terminator, at most FM_SCRIPT_DATA_MAX_SIZE bytes.
// A value type: copying it copies the steps and the bytes.
//
// Beside the script it builds the 8-byte device action records of dial
// directions and buttons, makes steps from recorded host input and from the
// step dialogs, and rebuilds action records from catalogue selections. Those
// operations keep no state of their own and are static; what they need from
// the application (key tables, catalogues, preset files, log) is passed in.
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

    // ---- Device action records -------------------------------------------
    // Each builder sets the record's decoded fields, clears all 8 bytes and
    // writes byte 0 = set type, the payload, byte 7 = sensitivity (pass 0 for
    // a button). A type outside a builder's range keeps the payload fields the
    // record already had and writes them again.

    // A key with modifiers. Usage 0x00 or 0xFF sends the modifiers alone.
    static void CreateMacroForDialFuncKeyinputUSBKeyCode(MacroDataDialFunc& action, uint8_t usbKeyCode,
                                                         uint8_t modifierKey, uint8_t sensitivity,
                                                         const KeyCode& keyCode);
    // The same from a Mac key code, translated on the current keyboard layout.
    static void CreateMacroForDialFuncKeyinputMacKeyCode(MacroDataDialFunc& action, uint8_t macKeyCode,
                                                         uint8_t modifierKey, uint8_t sensitivity,
                                                         const KeyCode& keyCode);
    // Set types 1..6 (left, right, wheel, button 4, button 5, double click).
    static void CreateMacroForDialFuncMouseClick(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity);
    static void CreateMacroForDialFuncMouseMove(MacroDataDialFunc& action, int8_t xdis, int8_t ydis, uint8_t sensitivity);
    static void CreateMacroForDialFuncMouseWheel(MacroDataDialFunc& action, int8_t number, uint8_t sensitivity);
    // Set types 23..35 (game pad buttons 1..13); see JoypadButtonBytes.
    static void CreateMacroForDialFuncJoypadKey(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity);
    // Set types 36..39 (hat north, south, west, east).
    static void CreateMacroForDialFuncJoypadHat(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity);
    // Set types 21 (left stick) and 22 (right stick).
    static void CreateMacroForDialFuncJoypadMove(MacroDataDialFunc& action, uint8_t typeIndex, int8_t xdis, int8_t ydis,
                                                 uint8_t sensitivity);
    // Set types 10..20.
    static void CreateMacroForDialFuncMultimedia(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity);
    // Set types 40 and 41 (number up, number down): the type alone.
    static void CreateMacroForDialFuncContinueNumber(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity);
    // Set types 42..44 (user dial macro 1..3): the type alone.
    static void CreateMacroForDialFuncMacro(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity);

    // The two button bytes (record bytes 1 and 2) of a game pad button set
    // type; false for any other type. Buttons 1..13 are consecutive bits of
    // the game pad report: buttons 1..8 bits 0..7 of byte 1, buttons 9..13
    // bits 0..4 of byte 2 (the JOY_BTN_BIT_* masks, high byte first).
    static bool JoypadButtonBytes(uint8_t setType, uint8_t& byte1, uint8_t& byte2);

    // ---- Steps from input and from the step dialogs ------------------------

    // A step with this command byte and its size (a blank command keeps size 0).
    static MacroDataScript CreateMacroForScript(uint8_t command);
    // A step of a kind dragged into the script, with its command where the
    // kind fixes one (intervals start at 1 ms); mouse buttons and the wheel
    // get their command in the step dialog.
    static MacroDataScript CreateMacroForScriptUseDrag(int32_t controlItemNo);
    // An interval; only the low 16 bits of the milliseconds count.
    static MacroDataScript CreateMacroForScriptInterval(uint64_t milliseconds);
    // A key press or release from a key down, key up or modifier change; any
    // other event gives a blank step. oldEvent is not used (kept for callers
    // that track the previous event).
    static MacroDataScript CreateMacroForScriptKeyinput(const HostInputEvent& event, const HostInputEvent* oldEvent,
                                                        const KeyCode& keyCode);
    // A mouse button click or release; buttons the device has no command for
    // (number 5 and up, or negative) give a blank step.
    static MacroDataScript CreateMacroForScriptMouse(const HostInputEvent& event);

    // The step dialogs' results written into an existing step.
    static void ValidateMacroForScriptKeyinput(MacroDataScript& step, const HostInputEvent& keyEvent,
                                               const KeyCode& keyCode);
    // Only the four arrow keys set a hat direction; other keys change nothing.
    static void ValidateMacroForScriptJoysticHat(MacroDataScript& step, const HostInputEvent& keyEvent,
                                                 const KeyCode& keyCode);
    static void ValidateMacroForScriptMouseButton(MacroDataScript& step, uint8_t mouseButtonId);
    static void ValidateMacroForScriptJoysticButton(MacroDataScript& step, uint8_t joysticButtonId,
                                                    const Logger* logger = nullptr);
    static void ValidateMacroForScriptMultimediaButton(MacroDataScript& step, uint8_t multimediaButtonId);
    // Direction from the new scroll event (up for a positive delta); either
    // event may be absent, and without a new one the step keeps its direction.
    static void ValidateMacroForScriptMouseWheel(MacroDataScript& step, const HostInputEvent* mouseEventOld,
                                                 const HostInputEvent* mouseEventNew, const Logger* logger = nullptr);
    // Stores the low 8 bits of each value (200 becomes -56).
    static void ValidateMacroForScriptMoveDistance(MacroDataScript& step, int32_t xdis, int32_t ydis);
    // Stores the low 16 bits (70000 becomes 4464).
    static void ValidateMacroForScriptNumber(MacroDataScript& step, int64_t num);

    // ---- Action records from catalogue selections -------------------------

    // Rebuilds a dial direction's record from (category, application, function),
    // keeping the values typed beside the catalogue (key, modifiers, movement,
    // wheel amount) and writing the given sensitivity. A preset is read from
    // its file (the first 7 record bytes, kept as stored; strDatName names the
    // file, the other decoded fields stay as they were). Returns false, with
    // the record left as it was, when that file is missing, unreadable or
    // shorter than 7 bytes: the caller tells the user instead of storing an
    // action of zeros.
    [[nodiscard]] static bool RemakeDialFuncSettingFromSetting(MacroDataDialFunc& action, uint8_t item1, uint8_t item2,
                                                               uint8_t item3, uint8_t sensitivity,
                                                               const FunctionCatalogues& catalogues,
                                                               const Utility& utility, const KeyCode& keyCode,
                                                               const Logger* logger = nullptr);
    // The same for a button (sensitivity 0). General, macro and preset
    // selections leave the record empty: scripts carry those. Always true.
    static bool RemakeSwitchFuncSettingFromSetting(MacroDataDialFunc& action, uint8_t item1, uint8_t item2,
                                                   uint8_t item3, const FunctionCatalogues& catalogues,
                                                   const KeyCode& keyCode);

private:
    static void RemakeBySetType(MacroDataDialFunc& action, uint8_t setType, uint8_t sensitivity,
                                const KeyCode& keyCode);
};

}  // namespace kelvadeck
