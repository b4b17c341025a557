#pragma once

#include <cstdint>
#include <string>

#include "model/StringTable.h"

namespace kelvadeck {

// The time a long job (backup, restore) still needs, from how far it got in
// the time it has run so far.
class ProgressEstimate {
public:
    // Seconds left, rounded up; -1 while too little has happened to tell
    // (nothing done yet, or less than a second of running time).
    static int64_t SecondsLeft(int64_t done, int64_t total, int64_t elapsedMs);
    // "About 1 min 05 s left", "About 12 s left"; "" for -1.
    static std::string Text(int64_t secondsLeft, const StringTable& strings);
};

}  // namespace kelvadeck
