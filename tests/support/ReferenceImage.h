#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"

namespace kelvadeck::testsupport {

// A fully used device image for measurements and whole-model tests: three
// modes with every key, dial function, colour and name assigned, dial macros,
// and 40 user scripts of 20 to 600 bytes spread over the data sectors. The
// model is built through the data manager and encoded into its sector buffers
// (sectors 0, 1 and the data sectors) and into the whole image.
// Two switch presets are stored in their preset slots (mode 0 button 1, mode 1
// button 1).
void BuildReferenceImage(DataManager& dm);

// The whole 2 MiB image BuildReferenceImage makes, as a backup file holds it.
std::vector<uint8_t> ReferenceImageBytes();

// The reference image with a script directory that tries every kind of
// record, varied by seed: erased slots, empty slots holding leftovers, stored
// scripts with names of every length (none, odd, the longest, the "no name"
// lengths) and leftover bytes past their names and in their unused tails.
std::vector<uint8_t> DirectoryStressImage(unsigned seed);

// An encoded script of exactly `size` bytes (key presses, releases and pauses),
// varied by seed; the scripts of the reference image are made with it.
MacroCreator ReferenceScript(size_t size, uint8_t seed);

}  // namespace kelvadeck::testsupport
