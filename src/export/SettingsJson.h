#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/DialMacroInfo.h"
#include "model/ProfileSettingInfo.h"
#include "model/StandardSettingInfo.h"

namespace kelvadeck {

class DataManager;
class KeyCode;

// The device's settings and scripts as a readable JSON document
// ("kelvadeck-cli export-json / import-json", schema in docs/settings-json.md).
//
// Every value that the flash holds is in the document by its number or its
// record bytes, so an export read back gives the very same settings; beside
// them stand names for people (catalogue entries, key names, step text).
// Reading a document checks all of it before anything is changed: a plan is
// either complete or carries the list of problems, each with the place in the
// document and what is wrong there. Nothing here throws.
class SettingsJson {
public:
    static constexpr const char* FORMAT = "kelvadeck-settings";
    static constexpr int VERSION = 1;
    // Documents larger than this are refused unread (a full export is ~1 MiB).
    static constexpr size_t TEXT_LIMIT = 32u << 20;

    // One fault of a document: where ("modes[1].dialFunctions[2].name") and why.
    struct Problem {
        std::string path;
        std::string reason;
    };

    struct Script {
        int number = 0;  // 1..SCRIPT_NUM
        uint8_t mode = 0;
        std::optional<std::u16string> name;
        std::vector<uint8_t> bytes;  // empty: the slot is emptied
    };

    // What a document asks for. Only the raw values are set in the records;
    // the decoded views follow from them when the model is decoded again.
    struct Plan {
        StandardSettingInfo settings;
        std::vector<ProfileSettingInfo> modes;
        std::vector<DialMacroInfo> dialMacros;
        std::vector<Script> scripts;
        std::optional<std::string> firmware;  // where the document came from (not applied)
        std::vector<Problem> problems;

        bool ok() const { return problems.empty(); }
    };

    // The decoded model as a document. Scripts whose data sector has not been
    // read are left out; read every data sector first for a whole export.
    static nlohmann::ordered_json Export(const DataManager& dm);

    // Checks a document; key names in script steps are looked up on keys.
    static Plan Read(std::string_view text, const KeyCode& keys);

    // The parts that other documents made of the same pieces share (a
    // layout: one mode and its scripts).
    //
    // One mode as an entry of "modes", and one stored script as an entry of
    // "scripts" (null when the slot holds none or its sector is not read).
    static nlohmann::ordered_json ExportMode(const DataManager& dm, int mode);
    static nlohmann::ordered_json ExportScript(const DataManager& dm, int number);
    // Parses text whose "format" must be format and "version" VERSION; none,
    // with the problems added, when it is no such JSON object or gives a key
    // twice. kind names the document in the message ("a Kelvadeck settings file").
    static std::optional<nlohmann::json> Parse(std::string_view text, const char* format, const char* kind,
                                               std::vector<Problem>& problems);
    // Checks one entry of "modes" (mode: its place, 0..2, for its label)
    // and a "scripts" list, adding the problems found; path is where they stand.
    static void ReadModeObject(const nlohmann::json& obj, const std::string& path, int mode, ProfileSettingInfo& out,
                               std::vector<Problem>& problems);
    static std::vector<Script> ReadScriptList(const nlohmann::json& list, const std::string& path, const KeyCode& keys,
                                              std::vector<Problem>& problems);

    // The data sectors (2..31) that applying the plan rewrites; each must be
    // read before Apply so that the other scripts there are kept.
    static std::vector<int> ScriptSectors(const Plan& plan);

    // Puts a complete plan into the model and encodes it into the sector
    // buffers 0 and 1 and the data sectors of its scripts, then decodes the
    // model again from them. False with error when a script cannot be stored
    // (its sector not read); the model may then be partly changed.
    static bool Apply(const Plan& plan, DataManager& dm, std::string& error);

    // The document's name of an action type ("media-mute"); null for a type
    // the device does not have.
    static const char* ActionTypeName(uint8_t type);
    // Bytes as the document writes them: "09 02 04 00".
    static std::string Hex(const uint8_t* bytes, size_t size);

    // "path: reason", one problem per call.
    static std::string Describe(const Problem& problem);
};

}  // namespace kelvadeck
