#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/MacroDataScript.h"

namespace kelvadeck {

class KeyCode;
class StringTable;

// A macro script as text, one step per line, for reading and writing scripts
// by hand and in shell pipelines ("kelvadeck-cli macro decode/encode"):
//
//   mode loop
//   key-press 0x04        # the usage number, or a key name: key-press A
//   interval 300
//   key-release A
//
// Every script the device can hold has a text form and reads back to the same
// bytes. The form is described for users in docs/macro-text.md.
class MacroScriptText {
public:
    struct Parsed {
        bool ok = false;
        std::optional<uint8_t> mode;  // from a "mode" line
        std::vector<uint8_t> script;  // the steps' bytes in order; the device's limit is not applied here
        size_t steps = 0;
        size_t errorLine = 0;         // 1-based line of the error
        std::string error;            // what is wrong there, for the user
    };

    // Longest script Parse builds; far beyond any device script, it only
    // bounds memory for absurd input.
    static constexpr size_t PARSE_LIMIT = 1u << 20;

    // Reads the text form; key names are looked up on the given layout.
    static Parsed Parse(std::string_view text, const KeyCode& keyCode);

    // The text of one step ("key-press 0x04"); empty for a step that writes no
    // bytes (a blank step, or a command byte the device does not know).
    static std::string StepText(const MacroDataScript& step);

    // A listing of decoded steps: "mode <name>" first when the mode is known,
    // then one line per step, each with a comment holding the command byte,
    // the size, the step's display name and its value text:
    //   key-press 0x04          # 0x41 | 2 | Key press | A
    static std::string Format(const std::vector<MacroDataScript>& steps, std::optional<uint8_t> mode,
                              const StringTable& strings);

    // "once", "loop", "fire", "hold" (nullptr for other values), and back;
    // ParseMode also takes the numbers 0..3.
    static const char* ModeName(uint8_t mode);
    static std::optional<uint8_t> ParseMode(std::string_view text);

    // Hex bytes such as "41 04 70 01 2C" or "4104702c"; spaces, tabs, commas,
    // colons and a leading "0x" per word are allowed. None for anything else
    // or a word with an odd number of digits.
    static std::optional<std::vector<uint8_t>> ParseHex(std::string_view text);
    static std::string ToHex(const std::vector<uint8_t>& bytes);
};

}  // namespace kelvadeck
