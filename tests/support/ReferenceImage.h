#pragma once

#include "app/DataManager.h"

namespace kelvadeck::testsupport {

// A fully used device image for measurements and whole-model tests: three
// modes with every key, dial function, colour and name assigned, dial macros,
// and 40 user scripts of 20 to 600 bytes spread over the data sectors. The
// model is built through the data manager and encoded into its sector buffers
// (sectors 0, 1 and the data sectors) and into the whole image.
void BuildReferenceImage(DataManager& dm);

}  // namespace kelvadeck::testsupport
