#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvadeck {

class StringTable;

// The name of what one write changed, for "Undo Dial Function 2 of Mode 1":
// the part of the settings sector whose bytes differ before and after it (a
// key, a dial function, a mode, the system settings or the dial macros).
class ChangeName {
public:
    // sectors: those the write rewrote; before and after: the settings
    // sector (0) as it was and as it is now, null when it was not rewritten.
    // Empty when the change is not of exactly one part (the scripts, or
    // several parts at once).
    static std::string Describe(const std::vector<int>& sectors, const uint8_t* before, const uint8_t* after,
                                const StringTable& strings);
};

}  // namespace kelvadeck
