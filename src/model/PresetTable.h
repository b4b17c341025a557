#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/PresetEntry.h"
#include "model/PresetError.h"
#include "model/PresetKind.h"

namespace kelvadeck {

// The reviewable source of the preset files: one tab-separated row per preset,
//
//     kind <TAB> application <TAB> ID name <TAB> keys <TAB> notes
//
// kind "sw" or "dial"; application Photoshop, ClipStudio, SAI, Illustrator or
// Lightroom; the ID name as in Constants (ERASER); the keys as a combination
// ("Ctrl+Shift+N", "]", "Space") or a dial step action ("NumberUp", "WheelDown");
// notes say what the preset does, and a switch preset whose keys must stay
// down while the Kelvadeck key is held starts its notes with "hold;".
// Empty lines and lines starting with '#' are skipped.
class PresetTable {
public:
    std::vector<PresetEntry> entries;  // in table order

    // Reads the whole table. Every row must name a known application and ID
    // and keys that map to USB usages; a preset may have one row only. On the
    // first fault returns false with the line and the reason in error (out then
    // holds the rows before it).
    static bool Parse(std::string_view text, PresetTable& out, PresetError& error);

    // True when every preset ID of every application has a row; otherwise
    // false with the first missing preset in error (line 0).
    bool CheckComplete(PresetError& error) const;

    // The row of one preset, or null.
    const PresetEntry* Find(PresetKind kind, uint8_t applicationId, uint8_t functionId) const;
};

}  // namespace kelvadeck
