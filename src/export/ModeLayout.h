#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "export/SettingsJson.h"
#include "model/ProfileSettingInfo.h"

namespace kelvadeck {

class DataManager;
class KeyCode;

// A layout: what one mode does (the ten keys, the push switch, the four dial
// functions with their names and colours, the mode's colour) and the macro
// scripts its keys play, as a readable file that can be put into any of the
// three modes and shared (docs/layouts.md).
//
// The mode is the settings document's mode object; a key or a dial direction
// may instead be written short: {"keys": "Ctrl+Shift+Z"}, {"mouse":
// "middle-click"}, {"script": 1}, {"builtIn": "next-dial-function"}. Scripts
// are numbered 1, 2 ... within the file; applying puts them into free user
// script slots of the device and the keys refer to those. Nothing here
// throws; a file that cannot be used carries its problems, each with its
// place in the file.
class ModeLayout {
public:
    static constexpr const char* FORMAT = "kelvadeck-layout";

    // What the layout says about itself.
    struct About {
        std::string name;
        std::string application;                // the application, in words
        std::vector<std::string> applications;  // its window names, as app-mode rules match them
        std::string description;
        std::vector<std::string> sources;      // where its shortcuts are documented
        std::vector<std::string> unconfirmed;  // shortcuts the sources did not confirm
    };

    About about;
    ProfileSettingInfo mode;  // switches refer to the scripts by their numbers in the file
    std::vector<SettingsJson::Script> scripts;  // numbered 1..scripts.size(), in that order
    std::vector<std::string> notes;  // what each switch does, in words ("" when not said)
    std::vector<SettingsJson::Problem> problems;

    bool ok() const { return problems.empty(); }

    // Checks a layout file whole; key names in script steps are looked up on keys.
    static ModeLayout Read(std::string_view text, const KeyCode& keys);

    // The user script numbers that mode (0..2) of dm plays: their sectors
    // must be read before Document can take the scripts along.
    static std::vector<int> ScriptsOf(const DataManager& dm, int mode);
    // Mode (0..2) of dm as a layout file, keys written short where the short
    // form says the same; the scripts it plays go along, numbered from 1 (a
    // preset script becomes a script of its own). A key that refers to an
    // empty script slot is written as unset, with a line in warnings.
    static nlohmann::ordered_json Document(const DataManager& dm, int mode, const About& about,
                                           std::vector<std::string>& warnings);

    // The plan that writes the layout into mode (0..2) of dm: dm's settings,
    // dial macros and other modes as they are, that mode replaced, and the
    // layout's scripts in free user script slots (stored nowhere, played by
    // no key and no dial macro). False with error when too few are free.
    // Then, as for a settings document: read SettingsJson::ScriptSectors,
    // SettingsJson::Apply, SettingsJsonTransfer::QueueImportWrites.
    bool PlanFor(const DataManager& dm, int mode, SettingsJson::Plan& plan, std::string& error) const;

    // Makes mode (1..3) follow the layout's applications: a rule for each in
    // the app-mode rules file at path (AppModeRules::DefaultPath()). False
    // with error when the file cannot be read or written.
    bool AddRules(const std::string& path, int mode, std::string& error) const;

    // What each key and dial function will do, one line each, for a preview.
    std::vector<std::string> Preview() const;
};

}  // namespace kelvadeck
