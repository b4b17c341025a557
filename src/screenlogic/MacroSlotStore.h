#pragma once

#include <string>

#include "macro/MacroCreator.h"

namespace kelvadeck {

class DataManager;

// Reading a user script slot into the macro editor and storing the edited
// script in a slot, on the data manager's model and sector buffers.
//
// A data sector holds several scripts and is written whole, so storing one
// script repacks the sector from the bytes of all of them: every other script
// of the sector must have been read from the device first, or it would be
// lost. These operations check that and refuse rather than lose a script, and
// a script too long for a slot is refused whole, never cut.
class MacroSlotStore {
public:
    // The data sector of a user slot (list index 0 .. 149); 0 for another index.
    static int SectorOf(const DataManager& dm, int index);
    // The slot's sector has been read completely from the device, and every
    // stored script of it has its bytes (decoding the sector again if one had
    // been read but not decoded).
    static bool SectorLoaded(DataManager& dm, int index);
    // Queues the read of the slot's sector. False when nothing was queued: the
    // sector holds no stored script (it then counts as read) or the index is bad.
    static bool QueueSectorRead(DataManager& dm, int index);
    // After the read job: decodes the sector when it was read completely.
    // False when the read did not complete (nothing is decoded then).
    static bool FinishSectorRead(DataManager& dm, int index);

    // The slot's script for the editor; null for a bad index or a slot whose
    // sector is not loaded.
    static const MacroCreator* SlotScript(DataManager& dm, int index);

    enum class StoreResult {
        Stored,           // in the model and the sector buffers, jobs queued
        NoSlot,           // no such user slot
        TooLong,          // longer than a slot holds; nothing changed
        SectorNotLoaded,  // another script of the sector is not read; nothing changed
        NoModel,          // the settings were never read from the device
    };
    // Encodes the script, stores it with its name and play mode in the slot,
    // repacks the slot's sector, encodes the settings and queues the writes of
    // the settings, the script directory and the sector. Nothing changes
    // unless the result is Stored.
    static StoreResult Store(DataManager& dm, int index, const MacroCreator& script, const std::u16string& name);
};

}  // namespace kelvadeck
