#pragma once

#include <string>

namespace kelvadeck {

class DataManager;
class DeviceEvents;
class StringTable;
class UserDefaults;
class UserPrompts;

// What every screen reaches through the application delegate: the data
// manager (null until launching has finished and again at termination), the
// user prompts and defaults, and facts about the host and the device link.
struct ScreenContext {
    DataManager* pDM = nullptr;
    UserPrompts* prompts = nullptr;
    UserDefaults* defaults = nullptr;  // may be null: the keyboard choice is not kept
    std::string countryCode;           // of the host's locale, "JP", "US" ...
    std::string resourceDir;           // holds help/ and presetdata/
    bool emulated = false;             // the device is the built-in emulated Kelvadeck
    std::string emulatorImage;         // its flash image file; empty: not kept
    bool savedOnRequest = false;       // the file is written by File > Save only (not at the end)
    // Changes of the device and its jobs as they happen (may be null: the
    // screens then see them at their timer's next tick).
    DeviceEvents* deviceEvents = nullptr;
    // The system announces arrivals and removals (udev), so that nobody has
    // to look for the device over and over.
    bool hotplugEvents = false;

    // A backup file is open for editing: changes go into the file, which
    // the user saves.
    bool EditsFile() const { return emulated && savedOnRequest; }

    // The text of key; while a file is edited, that of key + "_FILE" where
    // the table has one ("in the file" for "on the device").
    std::string Text(const std::string& key) const;

    // What the screens' device line says: connected (to the emulated
    // device), not connected, or the file being edited.
    std::string DeviceLine(bool connected) const;

    // The data manager's string table; without a data manager an empty one,
    // whose texts are their keys.
    const StringTable& Strings() const;
    // A screen's trace line (at debug level).
    void Trace(const std::string& line) const;
};

}  // namespace kelvadeck
