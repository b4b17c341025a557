#include "export/SettingsJson.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

#include "core/DataManager.h"
#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"
#include "macro/MacroScriptText.h"
#include "model/Constants.h"
#include "model/ByteIO.h"
#include "model/FlashControl.h"
#include "model/TextConvert.h"

namespace kelvadeck {

std::string SettingsJson::Hex(const uint8_t* bytes, size_t size) {
    std::string out;
    char two[4];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(two, sizeof two, "%02X", bytes[i]);
        if (i) out.push_back(' ');
        out += two;
    }
    return out;
}

namespace {

using json = nlohmann::json;
using ojson = nlohmann::ordered_json;
using C = Constants;
using FC = FlashControl;

constexpr uint8_t kErased = 0xFF;
// Longest names that read back unchanged: a length byte at or above the
// field's size means "no name".
constexpr size_t kFunctionNameMaxUnits = (FC::FM_FUNCTION_NAME_MAX_SIZE - 1) / 2;
constexpr size_t kScriptNameMaxUnits = (FC::FM_SCRIPT_INFO_DATA_NAME_SIZE - 1) / 2;

// Readable names of the action set types, index = set type.
constexpr std::array<const char*, C::SET_TYPE_MAX + 1> kActionTypes = {
    "none",           "mouse-left-click", "mouse-right-click", "mouse-wheel-click", "mouse-button4-click",
    "mouse-button5-click", "mouse-double-click", "mouse-move", "mouse-wheel", "key",
    "media-play",     "media-pause",      "media-stop",        "media-rec",         "media-forward",
    "media-rewind",   "media-next",       "media-previous",    "media-mute",        "media-volume-up",
    "media-volume-down", "stick-left",    "stick-right",       "joy-button-1",      "joy-button-2",
    "joy-button-3",   "joy-button-4",     "joy-button-5",      "joy-button-6",      "joy-button-7",
    "joy-button-8",   "joy-button-9",     "joy-button-10",     "joy-button-11",     "joy-button-12",
    "joy-button-13",  "hat-north",        "hat-south",         "hat-west",          "hat-east",
    "number-up",      "number-down",      "dial-macro-1",      "dial-macro-2",      "dial-macro-3"};

constexpr std::array<const char*, 2> kLedSleep = {"enabled", "disabled"};
constexpr std::array<const char*, 2> kModeIndication = {"on", "off"};
constexpr std::array<const char*, 3> kFunctionIndication = {"on", "slow", "flash"};
constexpr std::array<const char*, 2> kDialRepeat = {"hit", "press"};
constexpr std::array<const char*, 3> kBrightness = {"normal", "dark", "light"};

static_assert(kLedSleep.size() == C::LED_SLEEP_SETTING_NUM);
static_assert(kModeIndication.size() == C::LED_LIGHT_TYPE_MODE_SETTING_NUM);
static_assert(kFunctionIndication.size() == C::LED_LIGHT_TYPE_FUNC_SETTING_NUM);
static_assert(kDialRepeat.size() == C::ENCODER_TYPEMATIC_SETTING_NUM);
static_assert(kBrightness.size() == C::LED_BRIGHTNESS_LEVEL_SET_NUM);

std::string SwitchLabel(int button) {
    return button == C::ENCODER_BUTTON_ID ? "dial-push" : "SW" + std::to_string(button + 1);
}

// A name as a write keeps it (ByteIO::WriteName): at most maxUnits units,
// never half a surrogate pair. A script name read from the device can be one
// unit longer than a write keeps (its length byte 253); the document holds
// what the device would hold after importing it, so that it always imports.
// An unpaired surrogate becomes U+FFFD: JSON text has no other way to hold it.
ojson Name(const std::optional<std::u16string>& name, size_t maxUnits) {
    if (!name) return nullptr;
    return TextConvert::Utf16ToUtf8(std::u16string_view(*name).substr(0, ByteIO::StoredUnits(*name, maxUnits)));
}

ojson Entry(uint8_t id, const FunctionCatalogues::List* list) {
    const bool known = list != nullptr && id < list->size();
    return ojson{{"id", id}, {"name", known ? ojson((*list)[id].strName) : ojson(nullptr)}};
}

// An action: its record bytes, which are what the device keeps, and what they mean.
ojson ActionJson(const MacroDataDialFunc& a, bool dial, const KeyCode& keys) {
    const uint8_t type = a.Byte(C::DEVICE_DATA_SET_TYPE_IDX);
    ojson j;
    j["type"] = type <= C::SET_TYPE_MAX ? ojson(kActionTypes[type]) : ojson(type == kErased ? "erased" : "unknown");
    j["typeId"] = type;
    if (type == C::SET_TYPE_KEYBOARD_KEY) {
        const uint8_t usage = a.Byte(2);
        j["key"] = usage != 0 ? ojson(keys.GetKeyCodeStringFromUsb(usage)) : ojson(nullptr);
        j["keyCode"] = usage;
        ojson mods = ojson::array();
        for (int bit = 0; bit < 8; ++bit) {
            if (a.Byte(1) & (1u << bit)) mods.push_back(keys.GetKeyCodeStringFromUsb(static_cast<uint8_t>(0xE0 + bit)));
        }
        j["modifiers"] = mods;
    } else if (type == C::SET_TYPE_MOUSE_MOVE) {
        j["x"] = static_cast<int8_t>(a.Byte(2));
        j["y"] = static_cast<int8_t>(a.Byte(3));
    } else if (type == C::SET_TYPE_MOUSE_WHSCROLL) {
        j["amount"] = static_cast<int8_t>(a.Byte(4));
    } else if (type == C::SET_TYPE_JOYPAD_XY || type == C::SET_TYPE_JOYPAD_ZRZ) {
        j["x"] = static_cast<int8_t>(a.Byte(4));
        j["y"] = static_cast<int8_t>(a.Byte(5));
    }
    if (dial) j["sensitivity"] = a.Byte(C::DEVICE_DATA_SENSE_IDX);
    if (a.strDatName) j["preset"] = *a.strDatName;
    uint8_t raw[8];
    for (int i = 0; i < 8; ++i) raw[i] = a.Byte(i);
    j["record"] = SettingsJson::Hex(raw, sizeof raw);
    return j;
}

template <typename T>
ojson Colour(const T& r) {
    return ojson{{"red", r.bLEDDutyR},         {"green", r.bLEDDutyG},
                 {"blue", r.bLEDDutyB},        {"brightness", r.bLEDBrightness < kBrightness.size() ? ojson(kBrightness[r.bLEDBrightness]) : ojson(r.bLEDBrightness)},
                 {"colourNo", r.bLEDColorNo},  {"detail", r.bLEDColorDetailFlag}};
}

template <size_t N>
ojson EnumJson(const std::array<const char*, N>& names, uint8_t value) {
    return value < N ? ojson(names[value]) : ojson(value);
}

// ---------------------------------------------------------------------------
// Reading: every check names its place in the document.

class Checker {
public:
    explicit Checker(std::vector<SettingsJson::Problem>& problems) : m_problems(problems) {}

    void Fail(const std::string& path, const std::string& reason) { m_problems.push_back({path, reason}); }

    static std::string At(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }
    static std::string At(const std::string& path, size_t index) { return path + "[" + std::to_string(index) + "]"; }

    // The member, or null after a problem when it is missing (and required).
    const json* Member(const json& obj, const std::string& path, const char* key, bool required = true) {
        if (!obj.is_object()) return nullptr;
        const auto it = obj.find(key);
        if (it == obj.end()) {
            if (required) Fail(At(path, key), "missing");
            return nullptr;
        }
        return &*it;
    }

    const json* Object(const json& obj, const std::string& path, const char* key) {
        const json* v = Member(obj, path, key);
        if (v && !v->is_object()) {
            Fail(At(path, key), "must be an object");
            return nullptr;
        }
        return v;
    }

    // An array of exactly count elements (any count when count is 0).
    const json* Array(const json& obj, const std::string& path, const char* key, size_t count) {
        const json* v = Member(obj, path, key);
        if (!v) return nullptr;
        if (!v->is_array()) {
            Fail(At(path, key), "must be an array");
            return nullptr;
        }
        if (count != 0 && v->size() != count) {
            Fail(At(path, key), "must have " + std::to_string(count) + " entries, it has " + std::to_string(v->size()));
            return nullptr;
        }
        return v;
    }

    bool Int(const json& v, const std::string& path, long min, long max, long& out) {
        if (!v.is_number_integer()) {
            Fail(path, "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max));
            return false;
        }
        const long value = v.is_number_unsigned() ? static_cast<long>(std::min<uint64_t>(v.get<uint64_t>(), 1u << 30))
                                                  : static_cast<long>(std::clamp<int64_t>(v.get<int64_t>(), -(1 << 30), 1 << 30));
        if (value < min || value > max) {
            Fail(path, std::to_string(value) + " is out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")");
            return false;
        }
        out = value;
        return true;
    }

    bool Byte(const json& obj, const std::string& path, const char* key, long max, uint8_t& out) {
        const json* v = Member(obj, path, key);
        long value = 0;
        if (!v || !Int(*v, At(path, key), 0, max, value)) return false;
        out = static_cast<uint8_t>(value);
        return true;
    }

    // A name from names or its index.
    template <size_t N>
    bool Enum(const json& obj, const std::string& path, const char* key, const std::array<const char*, N>& names, uint8_t& out) {
        const json* v = Member(obj, path, key);
        if (!v) return false;
        if (v->is_string()) {
            for (size_t i = 0; i < N; ++i) {
                if (v->get_ref<const std::string&>() == names[i]) {
                    out = static_cast<uint8_t>(i);
                    return true;
                }
            }
        } else if (v->is_number_integer()) {
            long value = 0;
            if (!Int(*v, At(path, key), 0, static_cast<long>(N) - 1, value)) return false;
            out = static_cast<uint8_t>(value);
            return true;
        }
        std::string choices;
        for (const char* n : names) choices += std::string(choices.empty() ? "" : ", ") + "\"" + n + "\"";
        Fail(At(path, key), "must be one of " + choices);
        return false;
    }

    // A text, or null for "no name"; at most maxUnits UTF-16 code units.
    bool OptionalName(const json& obj, const std::string& path, const char* key, size_t maxUnits, std::optional<std::u16string>& out) {
        const json* v = Member(obj, path, key);
        if (!v) return false;
        if (v->is_null()) {
            out.reset();
            return true;
        }
        if (!v->is_string()) {
            Fail(At(path, key), "must be a text or null");
            return false;
        }
        std::u16string units = TextConvert::Utf8ToUtf16(v->get_ref<const std::string&>());
        if (units.size() > maxUnits) {
            Fail(At(path, key), "is too long: at most " + std::to_string(maxUnits) + " characters are stored");
            return false;
        }
        out = std::move(units);
        return true;
    }

    // A label that must match the entry's place, when it is given.
    void Label(const json& obj, const std::string& path, const char* key, const json& expected) {
        const json* v = Member(obj, path, key, false);
        if (v && *v != expected) Fail(At(path, key), "must be " + expected.dump() + " here (entries are in device order)");
    }

    bool Hex(const json& v, const std::string& path, std::vector<uint8_t>& out) {
        if (!v.is_string()) {
            Fail(path, "must be hex bytes in a text");
            return false;
        }
        const auto bytes = MacroScriptText::ParseHex(v.get_ref<const std::string&>());
        if (!bytes) {
            Fail(path, "is not hex bytes (such as \"09 02 04 00 00 00 00 64\")");
            return false;
        }
        out = *bytes;
        return true;
    }

private:
    std::vector<SettingsJson::Problem>& m_problems;
};

// Finds the keys given twice in one object while a document is parsed: the
// parser keeps only the last of them, so which one was meant cannot be told.
class DuplicateKeys {
public:
    explicit DuplicateKeys(Checker& checker) : m_checker(checker) {}

    // A parser callback: sees every event, keeps every value.
    bool operator()(int /*depth*/, json::parse_event_t event, json& parsed) {
        switch (event) {
            case json::parse_event_t::object_start:
            case json::parse_event_t::array_start:
                m_levels.push_back({event == json::parse_event_t::object_start, ChildPath(), {}, 0});
                break;
            case json::parse_event_t::key:
                m_key = parsed.get<std::string>();
                if (!m_levels.back().keys.insert(m_key).second) {
                    m_checker.Fail(Checker::At(m_levels.back().path, m_key), "is given twice; a key may appear once in an object");
                }
                break;
            case json::parse_event_t::object_end:
            case json::parse_event_t::array_end:
                m_levels.pop_back();
                ValueEnded();
                break;
            case json::parse_event_t::value:
                ValueEnded();
                break;
        }
        return true;
    }

private:
    struct Level {
        bool object = false;
        std::string path;
        std::set<std::string> keys;
        size_t index = 0;  // of the next element, in an array
    };

    std::string ChildPath() const {
        if (m_levels.empty()) return "";
        const Level& top = m_levels.back();
        return top.object ? Checker::At(top.path, m_key) : Checker::At(top.path, top.index);
    }
    void ValueEnded() {
        if (!m_levels.empty() && !m_levels.back().object) ++m_levels.back().index;
    }

    Checker& m_checker;
    std::vector<Level> m_levels;
    std::string m_key;
};

// The catalogue selection of a direction or a button: ids of category,
// application and function (names are for reading only).
bool ReadSelection(Checker& c, const json& obj, const std::string& path, uint8_t& item1, uint8_t& item2, uint8_t& item3) {
    bool ok = true;
    for (auto [key, out] : {std::pair<const char*, uint8_t*>{"category", &item1}, {"application", &item2}, {"function", &item3}}) {
        const json* e = c.Object(obj, path, key);
        if (!e) {
            ok = false;
            continue;
        }
        ok = c.Byte(*e, Checker::At(path, key), "id", 255, *out) && ok;
    }
    return ok;
}

bool ReadAction(Checker& c, const json& obj, const std::string& path, bool dial, MacroDataDialFunc& action) {
    const json* a = c.Object(obj, path, "action");
    if (!a) return false;
    const std::string at = Checker::At(path, "action");
    const json* record = c.Member(*a, at, "record");
    std::vector<uint8_t> bytes;
    if (!record || !c.Hex(*record, Checker::At(at, "record"), bytes)) return false;
    if (bytes.size() != static_cast<size_t>(C::DEVICE_DATA_LEN)) {
        c.Fail(Checker::At(at, "record"), "must be " + std::to_string(C::DEVICE_DATA_LEN) + " bytes, it has " + std::to_string(bytes.size()));
        return false;
    }
    // The readable fields describe the record; a type or sensitivity that
    // says something else means one of the two was edited alone.
    bool ok = true;
    if (const json* type = c.Member(*a, at, "typeId", false)) {
        if (!type->is_number_integer() || *type != bytes[C::DEVICE_DATA_SET_TYPE_IDX]) {
            c.Fail(Checker::At(at, "typeId"), "does not match the record, whose type is " +
                                                  std::to_string(bytes[C::DEVICE_DATA_SET_TYPE_IDX]) + "; change both or drop typeId");
            ok = false;
        }
    }
    if (const json* type = c.Member(*a, at, "type", false); type && ok) {
        const uint8_t t = bytes[C::DEVICE_DATA_SET_TYPE_IDX];
        if (t <= C::SET_TYPE_MAX && *type != kActionTypes[t]) {
            c.Fail(Checker::At(at, "type"), std::string("does not match the record, which is \"") + kActionTypes[t] +
                                                "\"; change both or drop type");
            ok = false;
        }
    }
    if (const json* sense = c.Member(*a, at, "sensitivity", false); sense && dial) {
        if (!sense->is_number_integer() || *sense != bytes[C::DEVICE_DATA_SENSE_IDX]) {
            c.Fail(Checker::At(at, "sensitivity"), "does not match the record's last byte (" +
                                                       std::to_string(bytes[C::DEVICE_DATA_SENSE_IDX]) + "); change both or drop sensitivity");
            ok = false;
        }
    }
    for (size_t i = 0; i < bytes.size(); ++i) action.cFuncData[i] = static_cast<int8_t>(bytes[i]);
    return ok;
}

template <typename T>
bool ReadColour(Checker& c, const json& obj, const std::string& path, T& r) {
    const json* col = c.Object(obj, path, "colour");
    if (!col) return false;
    const std::string at = Checker::At(path, "colour");
    bool ok = c.Byte(*col, at, "red", C::LED_R_DUTY_MAX, r.bLEDDutyR);
    ok = c.Byte(*col, at, "green", C::LED_G_DUTY_MAX, r.bLEDDutyG) && ok;
    ok = c.Byte(*col, at, "blue", C::LED_B_DUTY_MAX, r.bLEDDutyB) && ok;
    ok = c.Enum(*col, at, "brightness", kBrightness, r.bLEDBrightness) && ok;
    ok = c.Byte(*col, at, "colourNo", 255, r.bLEDColorNo) && ok;
    ok = c.Byte(*col, at, "detail", 255, r.bLEDColorDetailFlag) && ok;
    return ok;
}

void ReadDevice(Checker& c, const json& doc, SettingsJson::Plan& plan) {
    const json* d = c.Object(doc, "", "device");
    if (!d) return;
    StandardSettingInfo& s = plan.settings;
    c.Byte(*d, "device", "currentMode", C::MODE_NUM - 1, s.bMode);
    c.Enum(*d, "device", "ledSleep", kLedSleep, s.bLEDSleepFlag);
    c.Enum(*d, "device", "modeIndication", kModeIndication, s.bLEDLampTypeMode);
    c.Enum(*d, "device", "functionIndication", kFunctionIndication, s.bLEDLampTypeFunc);
    c.Byte(*d, "device", "ledOffTime", C::LED_LIGHT_OFF_MODE_TIME_MAX, s.bLEDOffTimer);
    c.Enum(*d, "device", "dialRepeat", kDialRepeat, s.bEncoderType);
}

void ReadMode(Checker& c, const json& m, const std::string& path, int mode, ProfileSettingInfo& p) {
    if (!m.is_object()) {
        c.Fail(path, "must be an object");
        return;
    }
    c.Label(m, path, "mode", mode + 1);
    uint8_t defaultFunction = 0;
    if (c.Byte(m, path, "defaultDialFunction", C::FUNCTION_NUM, defaultFunction)) {
        if (defaultFunction == 0) c.Fail(Checker::At(path, "defaultDialFunction"), "counts from 1");
        else p.bEncoderDefaultFuncNo = static_cast<uint8_t>(defaultFunction - 1);
    }
    ReadColour(c, m, path, p);

    p.arDialFuncElemList.assign(C::FUNCTION_NUM, DialFuncElem{});
    p.arSelectItemElemDF.assign(C::FUNCTION_NUM, SelectItemElemForDial{});
    if (const json* funcs = c.Array(m, path, "dialFunctions", C::FUNCTION_NUM)) {
        for (size_t f = 0; f < funcs->size(); ++f) {
            const json& fj = (*funcs)[f];
            const std::string at = Checker::At(Checker::At(path, "dialFunctions"), f);
            if (!fj.is_object()) {
                c.Fail(at, "must be an object");
                continue;
            }
            c.Label(fj, at, "function", f + 1);
            DialFuncElem& e = p.arDialFuncElemList[f];
            SelectItemElemForDial& sel = p.arSelectItemElemDF[f];
            c.OptionalName(fj, at, "name", kFunctionNameMaxUnits, e.strFunctionName);
            ReadColour(c, fj, at, e);
            for (bool clockwise : {true, false}) {
                const char* key = clockwise ? "clockwise" : "counterClockwise";
                const json* dir = c.Object(fj, at, key);
                if (!dir) continue;
                const std::string dat = Checker::At(at, key);
                if (clockwise) ReadSelection(c, *dir, dat, sel.bItemID1_R, sel.bItemID2_R, sel.bItemID3_R);
                else ReadSelection(c, *dir, dat, sel.bItemID1_L, sel.bItemID2_L, sel.bItemID3_L);
                ReadAction(c, *dir, dat, true, clockwise ? e.clsMacroR : e.clsMacroL);
            }
        }
    }

    p.arSWScriptNo.assign(C::BUTTON_NUM, 0);
    p.arSWSpScriptNo.assign(C::BUTTON_NUM, 0);
    p.arSwitchFuncElemList.assign(C::BUTTON_NUM, SwitchFuncElem{});
    p.arSelectItemElemSW.assign(C::BUTTON_NUM, SelectItemElemForSwich{});
    if (const json* sws = c.Array(m, path, "switches", C::BUTTON_NUM)) {
        for (size_t b = 0; b < sws->size(); ++b) {
            const json& sj = (*sws)[b];
            const std::string at = Checker::At(Checker::At(path, "switches"), b);
            if (!sj.is_object()) {
                c.Fail(at, "must be an object");
                continue;
            }
            c.Label(sj, at, "switch", SwitchLabel(static_cast<int>(b)));
            SelectItemElemForSwich& sel = p.arSelectItemElemSW[b];
            ReadSelection(c, sj, at, sel.bItemID1, sel.bItemID2, sel.bItemID3);
            if (const json* script = c.Object(sj, at, "script")) {
                c.Byte(*script, Checker::At(at, "script"), "number", C::SCRIPT_NUM, p.arSWScriptNo[b]);
            }
            if (const json* sp = c.Object(sj, at, "builtInFunction")) {
                c.Byte(*sp, Checker::At(at, "builtInFunction"), "id", C::SP_FUNC_FUNC, p.arSWSpScriptNo[b]);
            }
            ReadAction(c, sj, at, false, p.arSwitchFuncElemList[b].clsMacroSW);
        }
    }
}

void ReadDialMacros(Checker& c, const json& doc, SettingsJson::Plan& plan) {
    plan.dialMacros.assign(C::ENCODER_SCRIPT_NUM, DialMacroInfo{});
    const json* list = c.Array(doc, "", "dialMacros", C::ENCODER_SCRIPT_NUM);
    if (!list) return;
    for (size_t k = 0; k < list->size(); ++k) {
        const json& dj = (*list)[k];
        const std::string at = Checker::At("dialMacros", k);
        if (!dj.is_object()) {
            c.Fail(at, "must be an object");
            continue;
        }
        c.Label(dj, at, "macro", k + 1);
        DialMacroInfo& d = plan.dialMacros[k];
        d.arDialMacroNoList.assign(FC::FM_ENCODER_SCRIPT_SCRIPT_MAX_SIZE, 0);
        if (const json* loop = c.Member(dj, at, "loop")) {
            if (loop->is_boolean()) d.bDialMacroRoopFlag = loop->get<bool>() ? C::ENCODER_SCRIPT_LOOP_SET_LOOP : C::ENCODER_SCRIPT_LOOP_SET_NONE;
            else c.Fail(Checker::At(at, "loop"), "must be true or false");
        }
        c.Byte(dj, at, "used", C::ENCODER_SCRIPT_SCRIPTSET_MAX_NUM, d.bDialMacroSetNum);
        const json* scripts = c.Array(dj, at, "scripts", FC::FM_ENCODER_SCRIPT_SCRIPT_MAX_SIZE);
        if (!scripts) continue;
        for (size_t i = 0; i < scripts->size(); ++i) {
            long no = 0;
            // The device's list holds script numbers below SCRIPT_NUM.
            if (c.Int((*scripts)[i], Checker::At(Checker::At(at, "scripts"), i), 0, C::SCRIPT_NUM - 1, no)) {
                d.arDialMacroNoList[i] = static_cast<uint8_t>(no);
            }
        }
    }
}

void ReadScripts(Checker& c, const json& list, const std::string& path, const KeyCode& keys,
                 std::vector<SettingsJson::Script>& out) {
    if (!list.is_array()) {
        c.Fail(path, "must be an array");
        return;
    }
    std::set<long> seen;
    for (size_t i = 0; i < list.size(); ++i) {
        const json& sj = list[i];
        const std::string at = Checker::At(path, i);
        if (!sj.is_object()) {
            c.Fail(at, "must be an object");
            continue;
        }
        SettingsJson::Script s;
        long no = 0;
        const json* number = c.Member(sj, at, "number");
        if (number && c.Int(*number, Checker::At(at, "number"), 1, C::SCRIPT_NUM, no)) {
            if (!seen.insert(no).second) c.Fail(Checker::At(at, "number"), "script " + std::to_string(no) + " is given twice");
            s.number = static_cast<int>(no);
        }
        bool ok = s.number != 0;
        ok = c.OptionalName(sj, at, "name", kScriptNameMaxUnits, s.name) && ok;
        if (const json* mode = c.Member(sj, at, "mode")) {
            const auto parsed = mode->is_string() ? MacroScriptText::ParseMode(mode->get_ref<const std::string&>())
                                                  : std::optional<uint8_t>{};
            if (parsed) s.mode = *parsed;
            else {
                c.Fail(Checker::At(at, "mode"), "must be \"once\", \"loop\", \"fire\" or \"hold\"");
                ok = false;
            }
        } else {
            ok = false;
        }
        // Raw bytes (kept for scripts that are no valid steps) win over steps.
        if (const json* bytes = c.Member(sj, at, "bytes", false)) {
            ok = c.Hex(*bytes, Checker::At(at, "bytes"), s.bytes) && ok;
        } else if (const json* steps = c.Array(sj, at, "steps", 0)) {
            std::string text;
            for (size_t k = 0; k < steps->size(); ++k) {
                if (!(*steps)[k].is_string()) {
                    c.Fail(Checker::At(Checker::At(at, "steps"), k), "must be a text such as \"key-press 0x04\"");
                    ok = false;
                    break;
                }
                const std::string& line = (*steps)[k].get_ref<const std::string&>();
                if (line.find('\n') != std::string::npos || line.find('\r') != std::string::npos) {
                    c.Fail(Checker::At(Checker::At(at, "steps"), k), "must be one line");
                    ok = false;
                    break;
                }
                text += line + "\n";
            }
            if (ok) {
                const MacroScriptText::Parsed parsed = MacroScriptText::Parse(text, keys);
                if (!parsed.ok) {
                    const size_t k = parsed.errorLine > 0 ? parsed.errorLine - 1 : 0;
                    c.Fail(Checker::At(Checker::At(at, "steps"), k), parsed.error);
                    ok = false;
                } else if (parsed.mode) {
                    c.Fail(Checker::At(at, "steps"), "holds a mode line; the play mode goes in \"mode\"");
                    ok = false;
                } else {
                    s.bytes = parsed.script;
                }
            }
        } else {
            ok = false;
        }
        if (s.bytes.size() > static_cast<size_t>(FC::FM_SCRIPT_DATA_MAX_SIZE)) {
            c.Fail(at, "has " + std::to_string(s.bytes.size()) + " bytes; a script slot holds at most " +
                           std::to_string(FC::FM_SCRIPT_DATA_MAX_SIZE));
            ok = false;
        }
        if (ok) out.push_back(std::move(s));
    }
}

}  // namespace

const char* SettingsJson::ActionTypeName(uint8_t type) { return type <= C::SET_TYPE_MAX ? kActionTypes[type] : nullptr; }

ojson SettingsJson::ExportMode(const DataManager& dm, int mode) {
    if (mode < 0 || static_cast<size_t>(mode) >= dm.g_arPSI.size()) return nullptr;
    const FunctionCatalogues& cat = dm.Catalogues();
    const KeyCode& keys = dm.pKeyCode();
    auto scriptName = [&dm](uint8_t no) {
        if (no == 0 || no > dm.g_arSCE.size() || !dm.g_arSCE[no - 1u].IsStored()) return ojson(nullptr);
        return Name(dm.g_arSCE[no - 1u].strScriptName, kScriptNameMaxUnits);
    };

    const size_t m = static_cast<size_t>(mode);
    const ProfileSettingInfo& p = dm.g_arPSI[m];
    ojson mj;
    mj["mode"] = m + 1;
    mj["defaultDialFunction"] = p.bEncoderDefaultFuncNo + 1;
    mj["colour"] = Colour(p);
    ojson funcs = ojson::array();
    for (size_t f = 0; f < std::min(p.arDialFuncElemList.size(), p.arSelectItemElemDF.size()); ++f) {
        const DialFuncElem& e = p.arDialFuncElemList[f];
        const SelectItemElemForDial& sel = p.arSelectItemElemDF[f];
        auto direction = [&](uint8_t i1, uint8_t i2, uint8_t i3, const MacroDataDialFunc& a) {
            const bool preset = i1 == C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET;
            return ojson{{"category", Entry(i1, &cat.arDF_Category)},
                         {"application", Entry(i2, preset ? &cat.arDF_Application : nullptr)},
                         {"function", Entry(i3, cat.DialFunctionList(i1, i2))},
                         {"action", ActionJson(a, true, keys)}};
        };
        funcs.push_back(ojson{{"function", f + 1},
                              {"name", Name(e.strFunctionName, kFunctionNameMaxUnits)},
                              {"colour", Colour(e)},
                              {"clockwise", direction(sel.bItemID1_R, sel.bItemID2_R, sel.bItemID3_R, e.clsMacroR)},
                              {"counterClockwise", direction(sel.bItemID1_L, sel.bItemID2_L, sel.bItemID3_L, e.clsMacroL)}});
    }
    mj["dialFunctions"] = funcs;
    ojson sws = ojson::array();
    const size_t buttons = std::min({p.arSwitchFuncElemList.size(), p.arSelectItemElemSW.size(), p.arSWScriptNo.size(),
                                     p.arSWSpScriptNo.size()});
    for (size_t b = 0; b < buttons; ++b) {
        const SelectItemElemForSwich& sel = p.arSelectItemElemSW[b];
        const bool preset = sel.bItemID1 == C::APP_DATA_FUNC_CATEGORY_ID_PRESET;
        const uint8_t sp = p.arSWSpScriptNo[b];
        const int spPos = sp == 0 ? -1 : FunctionCatalogues::FindByTypeNo(cat.arSF_FuncList_General, sp);
        ojson function = Entry(sel.bItemID3, cat.SwitchFunctionList(sel.bItemID1, sel.bItemID2));
        if (sel.bItemID1 == C::APP_DATA_FUNC_CATEGORY_ID_MACRO) {
            // The macro category's list is the user's scripts: entry n is script n + 1.
            function["name"] = scriptName(static_cast<uint8_t>(std::min(sel.bItemID3 + 1, 255)));
        }
        sws.push_back(ojson{{"switch", SwitchLabel(static_cast<int>(b))},
                            {"category", Entry(sel.bItemID1, &cat.arSF_Category)},
                            {"application", Entry(sel.bItemID2, preset ? &cat.arSF_Application : nullptr)},
                            {"function", function},
                            {"script", ojson{{"number", p.arSWScriptNo[b]}, {"name", scriptName(p.arSWScriptNo[b])}}},
                            {"builtInFunction",
                             ojson{{"id", sp}, {"name", spPos >= 0 ? ojson(cat.arSF_FuncList_General[static_cast<size_t>(spPos)].strName) : ojson(nullptr)}}},
                            {"action", ActionJson(p.arSwitchFuncElemList[b].clsMacroSW, false, keys)}});
    }
    mj["switches"] = sws;
    return mj;
}

ojson SettingsJson::ExportScript(const DataManager& dm, int number) {
    if (number < 1 || static_cast<size_t>(number) > dm.g_arSCE.size()) return nullptr;
    const size_t i = static_cast<size_t>(number - 1);
    const ScriptElem& e = dm.g_arSCE[i];
    if (!e.IsStored() || !e.pbRawData) return nullptr;
    ojson sj;
    sj["number"] = number;
    sj["preset"] = i >= C::SCRIPT_USER_USE_NUM;
    sj["name"] = Name(e.strScriptName, kScriptNameMaxUnits);
    const char* scriptMode = MacroScriptText::ModeName(e.bScriptMode);
    sj["mode"] = scriptMode ? ojson(scriptMode) : ojson(e.bScriptMode);
    const auto& steps = e.idMacroCreator.arCurrentMacroScript;
    ojson lines = ojson::array();
    for (const MacroDataScript& step : steps) {
        std::string line = MacroScriptText::StepText(step);
        if (!line.empty()) lines.push_back(std::move(line));
    }
    sj["steps"] = lines;
    // Bytes the steps do not cover (no valid steps) travel as they are.
    if (MacroCreator::EncodedSize(steps) != e.pbRawData->size()) {
        sj["bytes"] = SettingsJson::Hex(e.pbRawData->data(), e.pbRawData->size());
    }
    return sj;
}

ojson SettingsJson::Export(const DataManager& dm) {
    const StandardSettingInfo& s = dm.g_pSSI;
    ojson doc;
    doc["format"] = FORMAT;
    doc["version"] = VERSION;
    doc["firmware"] = s.strFirmwareVer ? ojson(*s.strFirmwareVer) : ojson(nullptr);
    doc["device"] = ojson{{"currentMode", s.bMode},
                          {"ledSleep", EnumJson(kLedSleep, s.bLEDSleepFlag)},
                          {"modeIndication", EnumJson(kModeIndication, s.bLEDLampTypeMode)},
                          {"functionIndication", EnumJson(kFunctionIndication, s.bLEDLampTypeFunc)},
                          {"ledOffTime", s.bLEDOffTimer},
                          {"dialRepeat", EnumJson(kDialRepeat, s.bEncoderType)}};

    ojson modes = ojson::array();
    for (size_t m = 0; m < dm.g_arPSI.size(); ++m) modes.push_back(ExportMode(dm, static_cast<int>(m)));
    doc["modes"] = modes;

    // The dial macros the device uses; a fourth record lies past the blocks
    // that a settings write transfers, so no write could keep it anyway.
    ojson macros = ojson::array();
    for (size_t k = 0; k < std::min<size_t>(dm.g_arDMI.size(), C::ENCODER_SCRIPT_NUM); ++k) {
        const DialMacroInfo& d = dm.g_arDMI[k];
        macros.push_back(ojson{{"macro", k + 1},
                               {"loop", d.bDialMacroRoopFlag == C::ENCODER_SCRIPT_LOOP_SET_LOOP},
                               {"used", d.bDialMacroSetNum},
                               {"scripts", d.arDialMacroNoList}});
    }
    doc["dialMacros"] = macros;

    ojson scripts = ojson::array();
    for (size_t i = 0; i < dm.g_arSCE.size(); ++i) {
        ojson sj = ExportScript(dm, static_cast<int>(i + 1));
        if (!sj.is_null()) scripts.push_back(std::move(sj));
    }
    doc["scripts"] = scripts;
    return doc;
}

SettingsJson::Plan SettingsJson::Read(std::string_view text, const KeyCode& keys) {
    Plan plan;
    Checker c(plan.problems);
    const std::optional<json> parsed = Parse(text, FORMAT, "a Kelvadeck settings file", plan.problems);
    if (!parsed) return plan;
    const json& doc = *parsed;
    if (const json* fw = c.Member(doc, "", "firmware", false); fw && fw->is_string()) plan.firmware = fw->get<std::string>();

    ReadDevice(c, doc, plan);
    plan.modes.assign(C::MODE_NUM, ProfileSettingInfo{});
    if (const json* modes = c.Array(doc, "", "modes", C::MODE_NUM)) {
        for (size_t m = 0; m < modes->size(); ++m) {
            ReadMode(c, (*modes)[m], Checker::At("modes", m), static_cast<int>(m), plan.modes[m]);
        }
    }
    ReadDialMacros(c, doc, plan);
    if (const json* scripts = c.Member(doc, "", "scripts", false)) ReadScripts(c, *scripts, "scripts", keys, plan.scripts);
    return plan;
}

std::optional<json> SettingsJson::Parse(std::string_view text, const char* format, const char* kind,
                                        std::vector<Problem>& problems) {
    Checker c(problems);
    if (text.size() > TEXT_LIMIT) {
        c.Fail("", "the file is larger than " + std::to_string(TEXT_LIMIT) + " bytes");
        return std::nullopt;
    }
    const size_t before = problems.size();
    DuplicateKeys duplicates(c);
    json doc = json::parse(
        text.begin(), text.end(),
        [&duplicates](int depth, json::parse_event_t event, json& parsed) { return duplicates(depth, event, parsed); }, false);
    if (doc.is_discarded()) {
        problems.resize(before);
        c.Fail("", "not valid JSON");
        return std::nullopt;
    }
    if (problems.size() != before) return std::nullopt;
    if (!doc.is_object()) {
        c.Fail("", "the document must be a JSON object");
        return std::nullopt;
    }
    const json* formatValue = c.Member(doc, "", "format");
    if (formatValue && *formatValue != format) {
        c.Fail("format", std::string("must be \"") + format + "\"; this is no " + kind);
        return std::nullopt;
    }
    const json* version = c.Member(doc, "", "version");
    if (version && *version != VERSION) {
        c.Fail("version", "version " + version->dump() + " is not known; this program reads version " + std::to_string(VERSION));
        return std::nullopt;
    }
    if (problems.size() != before) return std::nullopt;
    return doc;
}

void SettingsJson::ReadModeObject(const json& obj, const std::string& path, int mode, ProfileSettingInfo& out,
                                  std::vector<Problem>& problems) {
    Checker c(problems);
    ReadMode(c, obj, path, mode, out);
}

std::vector<SettingsJson::Script> SettingsJson::ReadScriptList(const json& list, const std::string& path, const KeyCode& keys,
                                                               std::vector<Problem>& problems) {
    Checker c(problems);
    std::vector<Script> scripts;
    ReadScripts(c, list, path, keys, scripts);
    return scripts;
}

std::vector<int> SettingsJson::ScriptSectors(const Plan& plan) {
    std::set<int> sectors;
    for (const Script& s : plan.scripts) sectors.insert(FC::ScriptSector(s.number - 1));
    return {sectors.begin(), sectors.end()};
}

bool SettingsJson::Apply(const Plan& plan, DataManager& dm, std::string& error) {
    if (!plan.ok() || !dm.bDataInitialize()) {
        error = "nothing to apply";
        return false;
    }
    for (const int sector : ScriptSectors(plan)) {
        if (!dm.SectorReadFlag(sector)) {
            error = "script sector " + std::to_string(sector) + " has not been read";
            return false;
        }
    }
    const std::optional<std::string> firmware = dm.g_pSSI.strFirmwareVer;
    dm.g_pSSI = plan.settings;
    dm.g_pSSI.strFirmwareVer = firmware;
    dm.g_arPSI = plan.modes;
    for (size_t k = 0; k < std::min(dm.g_arDMI.size(), plan.dialMacros.size()); ++k) dm.g_arDMI[k] = plan.dialMacros[k];

    for (const Script& s : plan.scripts) {
        MacroCreator macro;
        macro.bScriptMode = s.mode;
        macro.pbRawData = s.bytes;
        macro.dwTotalSize = s.bytes.size();
        if (!dm.RenewMacroScriptInfo(s.number, macro)) {
            error = "script " + std::to_string(s.number) + " cannot be stored: the other scripts of its sector are not all readable";
            return false;
        }
        ScriptElem& slot = dm.g_arSCE[static_cast<size_t>(s.number - 1)];
        slot.bScriptMode = s.bytes.empty() ? 0 : s.mode;
        slot.strScriptName = s.bytes.empty() ? std::nullopt : s.name;
    }
    if (!dm.DataOutputToMemory()) {
        error = "the settings could not be encoded";
        return false;
    }
    // The encoder leaves a name field alone when there is no name; "no name"
    // in the document must clear one the device had.
    uint8_t* s0 = dm.SectorBuffer(0);
    for (int m = 0; m < C::MODE_NUM; ++m) {
        for (int f = 0; f < C::FUNCTION_NUM; ++f) {
            if (!plan.modes[static_cast<size_t>(m)].arDialFuncElemList[static_cast<size_t>(f)].strFunctionName) {
                s0[FC::FunctionNameAddress(m, f) + FC::FM_OFSET_FUNCTION_NAME_SIZE] = kErased;
            }
        }
    }
    uint8_t* s1 = dm.SectorBuffer(1);
    for (const Script& s : plan.scripts) {
        if (!s.bytes.empty() && !s.name) s1[FC::ScriptRecordOffset(s.number - 1) + FC::FM_OFSET_SCRIPT_NAME_SIZE] = kErased;
    }
    // Decode again, so every decoded view (key names, selections) follows
    // from the bytes now in the buffers, exactly as after a read.
    dm.DataInitializeFromMemory();
    for (int sector = 2; sector < static_cast<int>(FC::FM_SECTOR_NUM); ++sector) {
        if (dm.SectorReadFlag(sector)) dm.SetScriptDataFromFlashSector(sector);
    }
    return true;
}

std::string SettingsJson::Describe(const Problem& problem) {
    return (problem.path.empty() ? std::string("the document") : problem.path) + ": " + problem.reason;
}

}  // namespace kelvadeck
