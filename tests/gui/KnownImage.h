#pragma once

#include <cstdint>
#include <vector>

namespace kelvadeck::guitest {

// A device image with every mode, dial function, key and colour set to
// known, realistic values (also the demo image of the screenshots): 2 MiB,
// flash address order. What it holds is listed in KnownImage.cpp.
std::vector<uint8_t> BuildKnownImage();

}  // namespace kelvadeck::guitest
