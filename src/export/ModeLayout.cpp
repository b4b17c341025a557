#include "export/ModeLayout.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>

#include "core/AppModeRules.h"
#include "core/DataManager.h"
#include "macro/MacroCreator.h"
#include "macro/PresetBuilder.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "model/PresetAction.h"
#include "model/PresetKeyNames.h"
#include "model/TextConvert.h"

namespace kelvadeck {

namespace {

using json = nlohmann::json;
using ojson = nlohmann::ordered_json;
using C = Constants;
using Problem = SettingsJson::Problem;

// The short names of the mouse clicks, index = set type - 1; the dial adds
// the wheel steps.
constexpr std::array<const char*, 6> kClicks = {"left-click",    "right-click",   "middle-click",
                                                "button4-click", "button5-click", "double-click"};
// The built-in functions a key can have, index = id - 1.
constexpr std::array<const char*, C::SP_FUNC_FUNC> kBuiltIns = {
    "next-mode",           "mode-1",          "mode-2",          "mode-3",          "dial-function-1",
    "dial-function-2",     "dial-function-3", "dial-function-4", "hold-dial-function-1",
    "hold-dial-function-2", "hold-dial-function-3", "hold-dial-function-4", "next-dial-function"};
constexpr const char* kShortForms[] = {"keys", "mouse", "script", "builtIn"};
// The members of the settings document's full form of a key or a direction.
constexpr const char* kFullForm[] = {"category", "application", "function", "builtInFunction", "action"};

std::string SwitchLabel(size_t button) {
    return button == C::ENCODER_BUTTON_ID ? "dial-push" : "SW" + std::to_string(button + 1);
}

std::string At(const std::string& path, const std::string& key) { return path + "." + key; }

template <size_t N>
int IndexOf(const std::array<const char*, N>& names, const std::string& name) {
    for (size_t i = 0; i < N; ++i) {
        if (name == names[i]) return static_cast<int>(i);
    }
    return -1;
}

template <size_t N>
std::string Choices(const std::array<const char*, N>& names) {
    std::string out;
    for (const char* n : names) out += std::string(out.empty() ? "" : ", ") + n;
    return out;
}

json Entry(int id) { return json{{"id", id}}; }

json Record(const MacroDataDialFunc& action) {
    uint8_t raw[C::DEVICE_DATA_LEN];
    for (int i = 0; i < C::DEVICE_DATA_LEN; ++i) raw[i] = action.Byte(i);
    return json{{"record", SettingsJson::Hex(raw, sizeof raw)}};
}

// The key combination a record sends, in the preset table's words ("Ctrl+Z",
// "WheelUp"); none when it sends something else or a key without a name.
std::optional<std::string> KeysText(const MacroDataDialFunc& a) {
    const uint8_t type = a.Byte(C::DEVICE_DATA_SET_TYPE_IDX);
    if (type == C::SET_TYPE_NUMBER_UP) return "NumberUp";
    if (type == C::SET_TYPE_NUMBER_DOWN) return "NumberDown";
    if (type == C::SET_TYPE_MOUSE_WHSCROLL) {
        const auto amount = static_cast<int8_t>(a.Byte(C::DEVICE_DATA_WHEEL_IDX));
        if (amount == 1) return "WheelUp";
        if (amount == -1) return "WheelDown";
        return std::nullopt;
    }
    if (type != C::SET_TYPE_KEYBOARD_KEY) return std::nullopt;
    std::string text;
    for (const PresetKeyNames::Modifier& m : PresetKeyNames::Modifiers()) {
        if (a.Byte(C::DEVICE_DATA_MODIFIER_IDX) & m.bit) text += std::string(m.name) + "+";
    }
    const uint8_t usage = a.Byte(C::DEVICE_DATA_KEY1_IDX);
    if (usage == 0) {
        if (text.empty()) return std::nullopt;
        text.pop_back();
        return text;
    }
    for (const PresetKeyNames::Key& k : PresetKeyNames::Keys()) {
        if (k.usage == usage) return text + std::string(k.name);
    }
    return std::nullopt;
}

std::optional<std::string> MouseText(const MacroDataDialFunc& a) {
    const uint8_t type = a.Byte(C::DEVICE_DATA_SET_TYPE_IDX);
    if (type >= C::SET_TYPE_MOUSE_LCLICK && type <= C::SET_TYPE_MOUSE_DCLICK) return kClicks[type - 1u];
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// The short forms, written out as the settings document has them, so that
// the document's own checks read them.

class Expander {
public:
    explicit Expander(std::vector<Problem>& problems) : m_problems(problems) {}

    void Fail(const std::string& path, const std::string& reason) { m_problems.push_back({path, reason}); }

    static bool IsFullForm(const json& entry) {
        return std::any_of(std::begin(kFullForm), std::end(kFullForm), [&entry](const char* key) { return entry.contains(key); });
    }

    // The short form an entry uses, or none. An entry that mixes forms is a
    // problem and is emptied, so that nothing else is said about it. A
    // "script" object ({"number": 3}) belongs to the full form.
    std::optional<std::string> ShortForm(json& entry, const std::string& path) {
        std::optional<std::string> found;
        for (const char* key : kShortForms) {
            if (!entry.contains(key) || (std::string_view(key) == "script" && entry[key].is_object())) continue;
            if (found) {
                Fail(path, "gives both \"" + *found + "\" and \"" + key + "\"; give one");
                return Empty(entry);
            }
            found = key;
        }
        if (found && IsFullForm(entry)) {
            Fail(path, "gives \"" + *found + "\" beside the full form's \"category\" and \"action\"; give one form");
            return Empty(entry);
        }
        return found;
    }

    static std::nullopt_t Empty(json& entry) {
        for (const char* key : kShortForms) entry.erase(key);
        for (const char* key : kFullForm) entry.erase(key);
        return std::nullopt;
    }

    void Switch(json& entry, const std::string& path) {
        if (!entry.is_object()) return;  // the document's check names it
        const std::optional<std::string> form = ShortForm(entry, path);
        if (!form && IsFullForm(entry)) return;  // the document's checks read it
        MacroDataDialFunc action;
        uint8_t category = C::APP_DATA_FUNC_CATEGORY_ID_NOT_SET;
        int function = 0;
        int script = 0;
        int builtIn = 0;
        const std::string at = form ? At(path, *form) : path;
        const json value = form ? entry[*form] : json();
        // A fault is named once; the key is then taken as doing nothing, so
        // that no further problems follow from it.
        if (!form) {
            // Nothing given: the key does nothing.
        } else if (*form == "keys") {
            if (Keys(value, at, false, action)) {
                category = C::APP_DATA_FUNC_CATEGORY_ID_KEY;
                function = C::APP_DATA_DIAL_FUNC_KEY_ID_KEY;
            }
        } else if (*form == "mouse") {
            const int click = value.is_string() ? IndexOf(kClicks, value.get<std::string>()) : -1;
            if (click < 0) {
                Fail(at, "must be one of " + Choices(kClicks));
            } else {
                MacroCreator::CreateMacroForDialFuncMouseClick(action, static_cast<uint8_t>(click + 1), 0);
                category = C::APP_DATA_FUNC_CATEGORY_ID_MOUSE;
                function = click;
            }
        } else if (*form == "script") {
            if (!value.is_number_integer() || value.get<long>() < 1 || value.get<long>() > C::SCRIPT_USER_USE_NUM) {
                Fail(at, "must be the number of one of the layout's scripts (1, 2 ...)");
            } else {
                category = C::APP_DATA_FUNC_CATEGORY_ID_MACRO;
                script = value.get<int>();
                function = script - 1;
            }
        } else {
            const int id = value.is_string() ? IndexOf(kBuiltIns, value.get<std::string>()) : -1;
            if (id < 0) {
                Fail(at, "must be one of " + Choices(kBuiltIns));
            } else {
                category = C::APP_DATA_FUNC_CATEGORY_ID_GENERAL;
                function = id;
                builtIn = id + 1;
            }
        }
        if (form) entry.erase(*form);
        entry["category"] = Entry(category);
        entry["application"] = Entry(0);
        entry["function"] = Entry(function);
        entry["script"] = json{{"number", script}};
        entry["builtInFunction"] = Entry(builtIn);
        entry["action"] = Record(action);
    }

    void Direction(json& entry, const std::string& path) {
        if (!entry.is_object()) return;
        const std::optional<std::string> form = ShortForm(entry, path);
        if (!form && IsFullForm(entry)) return;  // the document's checks read it
        MacroDataDialFunc action;
        uint8_t category = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_NOT_SET;
        int function = 0;
        uint8_t sensitivity = C::SENSITIVITY_DEFAULT;
        if (const auto s = entry.find("sensitivity"); s != entry.end()) {
            if (!s->is_number_integer() || s->get<long>() < C::SENSITIVITY_MIN || s->get<long>() > C::SENSITIVITY_MAX) {
                Fail(At(path, "sensitivity"), "must be a whole number from " + std::to_string(C::SENSITIVITY_MIN) + " to " +
                                                  std::to_string(C::SENSITIVITY_MAX));
            } else {
                sensitivity = s->get<uint8_t>();
            }
            entry.erase("sensitivity");
        }
        const std::string at = form ? At(path, *form) : path;
        const json value = form ? entry[*form] : json();
        if (!form) {
            // Nothing given: turning does nothing.
        } else if (*form == "keys") {
            if (Keys(value, at, true, action)) {
                const uint8_t type = action.Byte(C::DEVICE_DATA_SET_TYPE_IDX);
                category = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY;
                function = type == C::SET_TYPE_NUMBER_UP     ? C::APP_DATA_DIAL_FUNC_KEY_ID_NUM_UP
                           : type == C::SET_TYPE_NUMBER_DOWN ? C::APP_DATA_DIAL_FUNC_KEY_ID_NUM_DOWN
                                                             : C::APP_DATA_DIAL_FUNC_KEY_ID_KEY;
                if (type == C::SET_TYPE_MOUSE_WHSCROLL) {
                    category = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE;
                    function = C::APP_DATA_DIAL_FUNC_MOUSE_ID_WH_SCROLL;
                }
            }
        } else if (*form == "mouse") {
            const int click = value.is_string() ? IndexOf(kClicks, value.get<std::string>()) : -1;
            if (click < 0) {
                Fail(at, "must be one of " + Choices(kClicks) + " (the wheel: keys WheelUp, WheelDown)");
            } else {
                MacroCreator::CreateMacroForDialFuncMouseClick(action, static_cast<uint8_t>(click + 1), 0);
                category = C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE;
                function = click;
            }
        } else {
            Fail(at, "a dial direction sends keys or a mouse click, not a script or a built-in function");
        }
        if (category != C::APP_DATA_DIAL_FUNC_CATEGORY_ID_NOT_SET) {
            action.cFuncData[C::DEVICE_DATA_SENSE_IDX] = static_cast<int8_t>(sensitivity);
        }
        if (form) entry.erase(*form);
        entry["category"] = Entry(category);
        entry["application"] = Entry(0);
        entry["function"] = Entry(function);
        entry["action"] = Record(action);
    }

    // Fills what a colour may leave out.
    static void Colour(json& obj) {
        const auto c = obj.find("colour");
        if (c == obj.end() || !c->is_object()) return;
        if (!c->contains("brightness")) (*c)["brightness"] = "normal";
        if (!c->contains("colourNo")) (*c)["colourNo"] = 0;
        if (!c->contains("detail")) (*c)["detail"] = 0;
    }

    void Mode(json& mode) {
        if (!mode.is_object()) return;
        mode.erase("mode");  // a layout goes into any mode
        Colour(mode);
        if (auto funcs = mode.find("dialFunctions"); funcs != mode.end() && funcs->is_array()) {
            for (size_t f = 0; f < funcs->size(); ++f) {
                json& fj = (*funcs)[f];
                if (!fj.is_object()) continue;
                const std::string at = "mode.dialFunctions[" + std::to_string(f) + "]";
                if (!fj.contains("name")) fj["name"] = nullptr;
                Colour(fj);
                for (const char* key : {"clockwise", "counterClockwise"}) {
                    if (auto d = fj.find(key); d != fj.end()) Direction(*d, At(at, key));
                }
            }
        }
        if (auto sws = mode.find("switches"); sws != mode.end() && sws->is_array()) {
            for (size_t b = 0; b < sws->size(); ++b) Switch((*sws)[b], "mode.switches[" + std::to_string(b) + "]");
        }
    }

private:
    bool Keys(const json& value, const std::string& at, bool dial, MacroDataDialFunc& action) {
        PresetAction parsed;
        std::string error;
        if (!value.is_string() || !PresetAction::Parse(value.get<std::string>(), dial, parsed, error)) {
            Fail(at, value.is_string() ? error : "must be a key combination such as \"Ctrl+Shift+Z\"");
            return false;
        }
        const PresetBuilder::DialRecord record = PresetBuilder::BuildDialRecord(parsed);
        for (size_t i = 0; i < record.size(); ++i) action.cFuncData[i] = static_cast<int8_t>(record[i]);
        return true;
    }

    std::vector<Problem>& m_problems;
};

// A text member, or a list of texts; problems for anything else.
void ReadText(const json& doc, const char* key, bool required, std::string& out, std::vector<Problem>& problems) {
    const auto it = doc.find(key);
    if (it == doc.end()) {
        if (required) problems.push_back({key, "missing"});
        return;
    }
    if (!it->is_string() || (required && it->get_ref<const std::string&>().empty())) {
        problems.push_back({key, required ? "must be a text that is not empty" : "must be a text"});
        return;
    }
    out = it->get<std::string>();
}

void ReadTexts(const json& doc, const char* key, std::vector<std::string>& out, std::vector<Problem>& problems) {
    const auto it = doc.find(key);
    if (it == doc.end()) return;
    if (!it->is_array()) {
        problems.push_back({key, "must be a list of texts"});
        return;
    }
    for (size_t i = 0; i < it->size(); ++i) {
        if (!(*it)[i].is_string()) {
            problems.push_back({std::string(key) + "[" + std::to_string(i) + "]", "must be a text"});
            continue;
        }
        out.push_back((*it)[i].get<std::string>());
    }
}

// Checks what the document's own checks cannot know: scripts are the
// layout's own, numbered from 1, each played by a key.
void CheckScripts(ModeLayout& layout, size_t listed) {
    std::set<int> played;
    for (size_t b = 0; b < layout.mode.arSWScriptNo.size(); ++b) {
        const std::string at = "mode.switches[" + std::to_string(b) + "]";
        const uint8_t category = layout.mode.arSelectItemElemSW[b].bItemID1;
        const int script = layout.mode.arSWScriptNo[b];
        if (category == C::APP_DATA_FUNC_CATEGORY_ID_PRESET) {
            layout.problems.push_back({At(at, "category"), "a preset belongs to one mode and key; give keys or a script"});
        } else if (category == C::APP_DATA_FUNC_CATEGORY_ID_MACRO) {
            if (script < 1 || static_cast<size_t>(script) > layout.scripts.size()) {
                layout.problems.push_back({At(at, "script"), "script " + std::to_string(script) + " is not among the layout's " +
                                                                 std::to_string(layout.scripts.size()) + " scripts"});
            }
            played.insert(script);
        } else if (script != 0) {
            layout.problems.push_back({At(at, "script"), "a script needs the macro category"});
        }
    }
    // Scripts listed but not read, or keys that missed them, are named already.
    if (layout.scripts.size() != listed || !layout.ok()) return;
    for (size_t i = 0; i < layout.scripts.size(); ++i) {
        const std::string at = "scripts[" + std::to_string(i) + "]";
        const SettingsJson::Script& s = layout.scripts[i];
        if (s.number != static_cast<int>(i + 1)) {
            layout.problems.push_back({At(at, "number"), "must be " + std::to_string(i + 1) + ": a layout numbers its scripts 1, 2 ..."});
        } else if (s.bytes.empty()) {
            layout.problems.push_back({At(at, "steps"), "a layout's script needs steps"});
        } else if (!played.count(s.number)) {
            layout.problems.push_back({at, "no key plays script " + std::to_string(s.number)});
        }
    }
}

std::string ActionText(const MacroDataDialFunc& a) {
    if (auto keys = KeysText(a)) return *keys;
    if (auto mouse = MouseText(a)) return "mouse " + *mouse;
    const uint8_t type = a.Byte(C::DEVICE_DATA_SET_TYPE_IDX);
    if (type == C::SET_TYPE_NONE) return "nothing";
    const char* name = SettingsJson::ActionTypeName(type);
    return name ? name : "action type " + std::to_string(type);
}

bool Same(const json& a, const ojson& b) { return a.dump() == b.dump(); }

// The short form of a key when it says exactly what the full one says.
std::optional<ojson> ShortSwitch(const ojson& full, const ProfileSettingInfo& p, size_t b) {
    const SelectItemElemForSwich& sel = p.arSelectItemElemSW[b];
    const MacroDataDialFunc& a = p.arSwitchFuncElemList[b].clsMacroSW;
    ojson entry{{"switch", SwitchLabel(b)}};
    const uint8_t sp = p.arSWSpScriptNo[b];
    if (sel.bItemID1 == C::APP_DATA_FUNC_CATEGORY_ID_KEY && KeysText(a)) entry["keys"] = *KeysText(a);
    else if (sel.bItemID1 == C::APP_DATA_FUNC_CATEGORY_ID_MOUSE && MouseText(a)) entry["mouse"] = *MouseText(a);
    else if (sel.bItemID1 == C::APP_DATA_FUNC_CATEGORY_ID_GENERAL && sp >= 1 && sp <= kBuiltIns.size()) entry["builtIn"] = kBuiltIns[sp - 1u];
    std::vector<Problem> problems;
    Expander expander(problems);
    json expanded = json::parse(entry.dump());
    expander.Switch(expanded, "");
    for (const char* key : {"category", "application", "function", "builtInFunction"}) {
        if (!Same(expanded[key]["id"], full[key]["id"])) return std::nullopt;
    }
    if (!problems.empty() || !Same(expanded["script"]["number"], full["script"]["number"]) ||
        !Same(expanded["action"]["record"], full["action"]["record"])) {
        return std::nullopt;
    }
    return entry;
}

std::optional<ojson> ShortDirection(const ojson& full, const MacroDataDialFunc& a) {
    ojson entry;
    if (KeysText(a)) entry["keys"] = *KeysText(a);
    else if (MouseText(a)) entry["mouse"] = *MouseText(a);
    else return std::nullopt;
    entry["sensitivity"] = a.Byte(C::DEVICE_DATA_SENSE_IDX);
    std::vector<Problem> problems;
    Expander expander(problems);
    json expanded = json::parse(entry.dump());
    expander.Direction(expanded, "");
    for (const char* key : {"category", "application", "function"}) {
        if (!Same(expanded[key]["id"], full[key]["id"])) return std::nullopt;
    }
    if (!problems.empty() || !Same(expanded["action"]["record"], full["action"]["record"])) return std::nullopt;
    return entry;
}

}  // namespace

ModeLayout ModeLayout::Read(std::string_view text, const KeyCode& keys) {
    ModeLayout layout;
    std::optional<json> parsed = SettingsJson::Parse(text, FORMAT, "Kelvadeck layout", layout.problems);
    if (!parsed) return layout;
    json& doc = *parsed;
    ReadText(doc, "name", true, layout.about.name, layout.problems);
    ReadText(doc, "application", false, layout.about.application, layout.problems);
    ReadText(doc, "description", false, layout.about.description, layout.problems);
    ReadTexts(doc, "applications", layout.about.applications, layout.problems);
    ReadTexts(doc, "sources", layout.about.sources, layout.problems);
    ReadTexts(doc, "unconfirmed", layout.about.unconfirmed, layout.problems);
    for (size_t i = 0; i < layout.about.applications.size(); ++i) {
        // Each must be able to stand in a rule "application -> mode".
        if (!AppModeRules().Set(layout.about.applications[i], 1)) {
            layout.problems.push_back({"applications[" + std::to_string(i) + "]", "cannot name an application (empty, or with =, # or a line break)"});
        }
    }

    const auto modeIt = doc.find("mode");
    if (modeIt == doc.end() || !modeIt->is_object()) {
        layout.problems.push_back({"mode", modeIt == doc.end() ? "missing" : "must be an object"});
        return layout;
    }
    const size_t before = layout.problems.size();
    Expander(layout.problems).Mode(*modeIt);
    if (const auto sws = modeIt->find("switches"); sws != modeIt->end() && sws->is_array()) {
        for (const json& sw : *sws) {
            const auto does = sw.is_object() ? sw.find("does") : sw.end();
            layout.notes.push_back(sw.is_object() && does != sw.end() && does->is_string() ? does->get<std::string>() : "");
        }
    }
    SettingsJson::ReadModeObject(*modeIt, "mode", 0, layout.mode, layout.problems);
    size_t listed = 0;
    if (const auto list = doc.find("scripts"); list != doc.end()) {
        listed = list->is_array() ? list->size() : 0;
        layout.scripts = SettingsJson::ReadScriptList(*list, "scripts", keys, layout.problems);
    }
    if (layout.problems.size() == before) CheckScripts(layout, listed);
    return layout;
}

std::vector<int> ModeLayout::ScriptsOf(const DataManager& dm, int mode) {
    std::vector<int> numbers;
    if (mode < 0 || static_cast<size_t>(mode) >= dm.g_arPSI.size()) return numbers;
    const ProfileSettingInfo& p = dm.g_arPSI[static_cast<size_t>(mode)];
    for (size_t b = 0; b < std::min(p.arSWScriptNo.size(), p.arSelectItemElemSW.size()); ++b) {
        const uint8_t category = p.arSelectItemElemSW[b].bItemID1;
        const int n = p.arSWScriptNo[b];
        const bool plays = category == C::APP_DATA_FUNC_CATEGORY_ID_MACRO || category == C::APP_DATA_FUNC_CATEGORY_ID_PRESET;
        if (plays && n != 0 && std::find(numbers.begin(), numbers.end(), n) == numbers.end()) numbers.push_back(n);
    }
    return numbers;
}

ojson ModeLayout::Document(const DataManager& dm, int mode, const About& about, std::vector<std::string>& warnings) {
    ojson doc;
    doc["format"] = FORMAT;
    doc["version"] = SettingsJson::VERSION;
    doc["name"] = about.name;
    doc["application"] = about.application;
    doc["applications"] = about.applications;
    doc["description"] = about.description;
    doc["sources"] = about.sources;
    doc["unconfirmed"] = about.unconfirmed;
    ojson full = SettingsJson::ExportMode(dm, mode);
    if (full.is_null()) return nullptr;
    full.erase("mode");
    const ProfileSettingInfo& p = dm.g_arPSI[static_cast<size_t>(mode)];

    ojson scripts = ojson::array();
    std::vector<int> local;  // device script number of each local one
    ojson& switches = full["switches"];
    for (size_t b = 0; b < switches.size(); ++b) {
        ojson& sw = switches[b];
        const uint8_t category = p.arSelectItemElemSW[b].bItemID1;
        const int n = p.arSWScriptNo[b];
        if (category == C::APP_DATA_FUNC_CATEGORY_ID_MACRO || category == C::APP_DATA_FUNC_CATEGORY_ID_PRESET) {
            if (n == 0) continue;
            auto it = std::find(local.begin(), local.end(), n);
            if (it == local.end()) {
                ojson script = SettingsJson::ExportScript(dm, n);
                if (script.is_null()) {
                    warnings.push_back(SwitchLabel(b) + " plays script " + std::to_string(n) + ", which is empty; it is saved as doing nothing");
                    sw = ojson{{"switch", SwitchLabel(b)}};
                    continue;
                }
                local.push_back(n);
                script["number"] = local.size();
                script.erase("preset");
                scripts.push_back(std::move(script));
                it = local.end() - 1;
            }
            sw = ojson{{"switch", SwitchLabel(b)}, {"script", (it - local.begin()) + 1}};
        } else if (auto shortForm = ShortSwitch(sw, p, b)) {
            sw = std::move(*shortForm);
        }
    }
    for (size_t f = 0; f < full["dialFunctions"].size(); ++f) {
        ojson& fj = full["dialFunctions"][f];
        const DialFuncElem& e = p.arDialFuncElemList[f];
        for (const auto& [key, action] : {std::pair<const char*, const MacroDataDialFunc*>{"clockwise", &e.clsMacroR},
                                          {"counterClockwise", &e.clsMacroL}}) {
            if (auto shortForm = ShortDirection(fj[key], *action)) fj[key] = std::move(*shortForm);
        }
    }
    doc["mode"] = std::move(full);
    doc["scripts"] = std::move(scripts);
    return doc;
}

bool ModeLayout::PlanFor(const DataManager& dm, int mode, SettingsJson::Plan& plan, std::string& error) const {
    if (!ok() || mode < 0 || static_cast<size_t>(mode) >= dm.g_arPSI.size() || !dm.bDataInitialize()) {
        error = "the layout cannot be applied to that mode";
        return false;
    }
    // A slot is free when it holds no script and nothing plays it.
    std::set<int> taken;
    for (const ProfileSettingInfo& p : dm.g_arPSI) taken.insert(p.arSWScriptNo.begin(), p.arSWScriptNo.end());
    for (const DialMacroInfo& d : dm.g_arDMI) taken.insert(d.arDialMacroNoList.begin(), d.arDialMacroNoList.end());
    std::vector<int> slots;
    for (int n = 1; n <= C::SCRIPT_USER_USE_NUM && slots.size() < scripts.size(); ++n) {
        if (!dm.g_arSCE[static_cast<size_t>(n - 1)].IsStored() && !taken.count(n)) slots.push_back(n);
    }
    if (slots.size() < scripts.size()) {
        error = "the layout brings " + std::to_string(scripts.size()) + " scripts, but only " + std::to_string(slots.size()) +
                " of the user script slots (1 to " + std::to_string(C::SCRIPT_USER_USE_NUM) +
                ") are free; nothing was changed. Empty a slot that no key plays first";
        return false;
    }

    plan = SettingsJson::Plan{};
    plan.settings = dm.g_pSSI;
    plan.modes = dm.g_arPSI;
    plan.dialMacros.assign(dm.g_arDMI.begin(), dm.g_arDMI.begin() + std::min<size_t>(dm.g_arDMI.size(), C::ENCODER_SCRIPT_NUM));
    ProfileSettingInfo target = this->mode;
    for (size_t b = 0; b < target.arSWScriptNo.size(); ++b) {
        const int local = target.arSWScriptNo[b];
        if (target.arSelectItemElemSW[b].bItemID1 != C::APP_DATA_FUNC_CATEGORY_ID_MACRO || local == 0) continue;
        const int slot = slots[static_cast<size_t>(local - 1)];
        target.arSWScriptNo[b] = static_cast<uint8_t>(slot);
        target.arSelectItemElemSW[b].bItemID3 = static_cast<uint8_t>(slot - 1);
    }
    plan.modes[static_cast<size_t>(mode)] = std::move(target);
    for (size_t i = 0; i < scripts.size(); ++i) {
        SettingsJson::Script s = scripts[i];
        s.number = slots[i];
        plan.scripts.push_back(std::move(s));
    }
    return true;
}

bool ModeLayout::AddRules(const std::string& path, int mode, std::string& error) const {
    AppModeRules rules;
    if (!AppModeRules::Load(path, rules, error)) return false;
    for (const std::string& app : about.applications) rules.Set(app, mode);  // each checked when read
    if (rules.Save(path, error)) return true;
    error = "cannot write " + path + ": " + error;
    return false;
}

std::vector<std::string> ModeLayout::Preview() const {
    std::vector<std::string> lines;
    for (size_t f = 0; f < mode.arDialFuncElemList.size(); ++f) {
        const DialFuncElem& e = mode.arDialFuncElemList[f];
        const std::string name = e.strFunctionName ? TextConvert::Utf16ToUtf8(*e.strFunctionName) : "";
        lines.push_back("dial function " + std::to_string(f + 1) + (name.empty() ? "" : " \"" + name + "\"") +
                        (f == mode.bEncoderDefaultFuncNo ? " (first)" : "") + ": clockwise " + ActionText(e.clsMacroR) +
                        ", counter-clockwise " + ActionText(e.clsMacroL));
    }
    for (size_t b = 0; b < mode.arSwitchFuncElemList.size(); ++b) {
        std::string does;
        const uint8_t category = mode.arSelectItemElemSW[b].bItemID1;
        const uint8_t sp = mode.arSWSpScriptNo[b];
        if (category == C::APP_DATA_FUNC_CATEGORY_ID_MACRO) {
            const size_t n = mode.arSWScriptNo[b];
            const bool named = n >= 1 && n <= scripts.size() && scripts[n - 1].name;
            does = "script " + std::to_string(n) + (named ? " \"" + TextConvert::Utf16ToUtf8(*scripts[n - 1].name) + "\"" : "");
        } else if (category == C::APP_DATA_FUNC_CATEGORY_ID_GENERAL && sp >= 1 && sp <= kBuiltIns.size()) {
            does = kBuiltIns[sp - 1u];
        } else {
            does = ActionText(mode.arSwitchFuncElemList[b].clsMacroSW);
        }
        if (b < notes.size() && !notes[b].empty()) does += " (" + notes[b] + ")";
        lines.push_back(SwitchLabel(b) + ": " + does);
    }
    return lines;
}

}  // namespace kelvadeck
