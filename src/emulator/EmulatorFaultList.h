#pragma once

#include <string>

#include "emulator/EmulatorKnobs.h"

namespace kelvadeck {

// The misbehaviour of the emulated Kelvadeck as the user writes it on the
// command line (`--emulator-faults LIST`), turned into knobs. LIST is a
// comma-separated list of:
//   busy=N            every request is first answered busy N times
//   busy-code=0xNN    the code of those answers (default 0x31)
//   refuse=0xCC       every request with command code CC is refused
//   refuse-at=0xA-0xB every write or erase touching flash addresses A..B is refused
//   drop=N            the answer of exchange N (counted from 1) is lost
//   unplug=N          the device disappears after N answered exchanges
// Numbers are decimal or 0x-prefixed hexadecimal.
class EmulatorFaultList {
public:
    // Adds the faults to knobs. False for an empty, unknown or malformed item,
    // with error naming it; knobs are then unchanged.
    static bool Apply(const std::string& list, EmulatorKnobs& knobs, std::string& error);
};

}  // namespace kelvadeck
