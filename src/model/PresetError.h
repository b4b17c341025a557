#pragma once

#include <string>

namespace kelvadeck {

// Why a preset table was refused: the 1-based line of the offending row, or 0
// when the fault is not on one line (a preset without a row).
struct PresetError {
    int line = 0;
    std::string message;

    // "file:line: message", or "file: message" for line 0.
    std::string Describe(const std::string& file) const {
        return line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
    }
};

}  // namespace kelvadeck
