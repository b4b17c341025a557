#include "model/PresetAction.h"

#include <algorithm>
#include <optional>

#include "model/PresetKeyNames.h"

namespace kelvadeck {

namespace {

struct StepWord {
    std::string_view name;
    PresetAction::Type type;
    int8_t wheel;
};

constexpr StepWord kStepWords[] = {
    {"NumberUp", PresetAction::Type::NumberUp, 0},
    {"NumberDown", PresetAction::Type::NumberDown, 0},
    {"WheelUp", PresetAction::Type::Wheel, 1},
    {"WheelDown", PresetAction::Type::Wheel, -1},
};

std::optional<StepWord> FindStepWord(std::string_view name) {
    for (const StepWord& word : kStepWords) {
        if (word.name == name) return word;
    }
    return std::nullopt;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

bool PresetAction::Parse(std::string_view keys, bool dial, PresetAction& out, std::string& error) {
    out = PresetAction{};
    if (keys.empty()) {
        error = "empty key combination";
        return false;
    }

    // A dial step action stands alone: the device sends it without modifiers.
    if (const auto word = FindStepWord(keys)) {
        if (!dial) {
            error = Quoted(keys) + " is a dial action; a switch preset sends keys";
            return false;
        }
        out.type = word->type;
        out.wheel = word->wheel;
        return true;
    }

    // "Ctrl+-" splits into "Ctrl" and "-"; a "+" key itself is written
    // "Shift+=" or "KeypadPlus", so an empty name is always a mistake.
    bool haveKey = false;
    std::string_view keyName;
    size_t start = 0;
    while (start <= keys.size()) {
        const size_t plus = keys.find('+', start);
        const size_t end = plus == std::string_view::npos ? keys.size() : plus;
        const std::string_view name = keys.substr(start, end - start);
        if (name.empty()) {
            error = "empty key name in " + Quoted(keys);
            return false;
        }
        if (FindStepWord(name)) {
            error = Quoted(name) + " cannot be combined with other keys";
            return false;
        }
        if (const auto modifier = PresetKeyNames::FindModifier(name)) {
            if ((out.modifierBits & modifier->bit) != 0) {
                error = Quoted(name) + " given twice in " + Quoted(keys);
                return false;
            }
            out.modifierBits = static_cast<uint8_t>(out.modifierBits | modifier->bit);
            out.modifierUsages.push_back(modifier->usage);
        } else if (const auto usage = PresetKeyNames::Usage(name)) {
            if (haveKey) {
                error = "two keys in one combination (" + Quoted(keyName) + " and " + Quoted(name) + ")";
                return false;
            }
            haveKey = true;
            keyName = name;
            out.usage = *usage;
        } else {
            error = "unknown key name " + Quoted(name);
            return false;
        }
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    return true;
}

}  // namespace kelvadeck
