#include "macro/MacroScriptText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <iterator>

#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"
#include "model/StringTable.h"

namespace kelvadeck {

namespace {

using C = Constants;

// What follows the keyword of a line.
enum class Operands {
    None,
    Interval,     // 0..65535 milliseconds
    XY,           // two signed bytes
    Key,          // usage: 0xNN or a key name
    Media,        // multimedia button: name or 0..255
    WheelAmount,  // optional signed byte, 0 when absent
    JoyButton,    // 1..256, shown numbered from 1
    Hat,          // direction name or 0..255
};

struct Keyword {
    const char* word;
    uint8_t command;
    Operands operands;
};

// One keyword per command byte; mouse buttons carry the button in the keyword
// line's operand ("mouse-click right") but are separate commands on the device.
constexpr Keyword kKeywords[] = {
    {"interval", C::SCRIPT_COMMAND_INTERVAL, Operands::Interval},
    {"mouse-move", C::SCRIPT_COMMAND_MOUSE_MOVE, Operands::XY},
    {"stick-left", C::SCRIPT_COMMAND_JOY_L_LEVER, Operands::XY},
    {"stick-right", C::SCRIPT_COMMAND_JOY_R_LEVER, Operands::XY},
    {"key-press", C::SCRIPT_COMMAND_KEY_PRESS, Operands::Key},
    {"key-release", C::SCRIPT_COMMAND_KEY_RELEASE, Operands::Key},
    {"media-press", C::SCRIPT_COMMAND_MULTIMEDIA_PRESS, Operands::Media},
    {"media-release", C::SCRIPT_COMMAND_MULTIMEDIA_RELESE, Operands::Media},
    {"wheel-up", C::SCRIPT_COMMAND_WHEEL_UP, Operands::WheelAmount},
    {"wheel-down", C::SCRIPT_COMMAND_WHEEL_DOWN, Operands::WheelAmount},
    {"joy-button-press", C::SCRIPT_COMMAND_JOY_BUTTON_PRESS, Operands::JoyButton},
    {"joy-button-release", C::SCRIPT_COMMAND_JOY_BUTTON_RELESE, Operands::JoyButton},
    {"hat-press", C::SCRIPT_COMMAND_JOY_HATSW_PRESS, Operands::Hat},
    {"hat-release", C::SCRIPT_COMMAND_JOY_HATSW_RELESE, Operands::None},
    {"stick-left-center", C::SCRIPT_COMMAND_JOY_L_LEVER_CENTER, Operands::None},
    {"stick-right-center", C::SCRIPT_COMMAND_JOY_R_LEVER_CENTER, Operands::None},
};

struct MouseButton {
    const char* name;
    uint8_t click;
    uint8_t release;
};

constexpr MouseButton kMouseButtons[] = {
    {"left", C::SCRIPT_COMMAND_L_CLICK, C::SCRIPT_COMMAND_L_RELEASE},
    {"right", C::SCRIPT_COMMAND_R_CLICK, C::SCRIPT_COMMAND_R_RELEASE},
    {"wheel", C::SCRIPT_COMMAND_W_CLICK, C::SCRIPT_COMMAND_W_RELEASE},
    {"button4", C::SCRIPT_COMMAND_B4_CLICK, C::SCRIPT_COMMAND_B4_RELEASE},
    {"button5", C::SCRIPT_COMMAND_B5_CLICK, C::SCRIPT_COMMAND_B5_RELEASE},
};

// Multimedia button IDs 1..11 by name.
constexpr const char* kMediaNames[] = {
    "play", "pause", "stop", "rec", "forward", "rewind", "next", "previous", "mute", "volume-up", "volume-down",
};
static_assert(std::size(kMediaNames) == C::UI_BTN_ID_MULTIMEDIA_VOLUMEDOWN);

struct HatName {
    const char* name;
    uint8_t value;
};
constexpr HatName kHatNames[] = {
    {"north", C::HAT_SWITCH_NORTH},
    {"east", C::HAT_SWITCH_EAST},
    {"south", C::HAT_SWITCH_SOUTH},
    {"west", C::HAT_SWITCH_WEST},
};

constexpr const char* kModeNames[] = {"once", "loop", "fire", "hold"};
static_assert(std::size(kModeNames) == C::SCRIPT_MODE_NUM);

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Splits off the first word of s (s keeps the rest, trimmed).
std::string_view NextWord(std::string_view& s) {
    s = Trim(s);
    size_t end = 0;
    while (end < s.size() && !IsSpace(s[end])) ++end;
    const std::string_view word = s.substr(0, end);
    s = Trim(s.substr(end));
    return word;
}

// A whole number: decimal with an optional sign, or hexadecimal after "0x".
std::optional<long> ParseNumber(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty() || s.size() > 12) return std::nullopt;
    long value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return negative ? -value : value;
}

std::string Hex2(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
    return text;
}

class Parser {
public:
    Parser(const KeyCode& keyCode, MacroScriptText::Parsed& out) : m_keyCode(keyCode), m_out(out) {}

    // One line without its comment; false with m_out.error set on a fault.
    bool Line(std::string_view line) {
        std::string_view rest = line;
        const std::string_view word = NextWord(rest);
        if (word.empty()) return true;

        if (EqualsIgnoreCase(word, "mode")) {
            if (m_out.mode) return Fail("the mode is given twice");
            m_out.mode = MacroScriptText::ParseMode(rest);
            if (!m_out.mode) return Fail("unknown mode \"" + std::string(rest) + "\" (once, loop, fire, hold or 0..3)");
            return true;
        }
        if (EqualsIgnoreCase(word, "mouse-click") || EqualsIgnoreCase(word, "mouse-release")) {
            const bool click = EqualsIgnoreCase(word, "mouse-click");
            const std::string_view name = NextWord(rest);
            if (!rest.empty()) return Fail("unexpected \"" + std::string(rest) + "\"");
            for (const MouseButton& button : kMouseButtons) {
                if (EqualsIgnoreCase(name, button.name)) return Emit({click ? button.click : button.release});
            }
            return Fail("unknown mouse button \"" + std::string(name) + "\" (left, right, wheel, button4, button5)");
        }
        const auto keyword = std::find_if(std::begin(kKeywords), std::end(kKeywords),
                                          [&](const Keyword& k) { return EqualsIgnoreCase(word, k.word); });
        if (keyword == std::end(kKeywords)) return Fail("unknown step \"" + std::string(word) + "\"");
        return Values(*keyword, rest);
    }

private:
    bool Values(const Keyword& keyword, std::string_view rest) {
        const uint8_t cmd = keyword.command;
        switch (keyword.operands) {
            case Operands::None:
                if (!rest.empty()) return Fail("\"" + std::string(keyword.word) + "\" takes no value");
                return Emit({cmd});
            case Operands::Interval: {
                const auto ms = OneNumber(rest, 0, 65535, "a wait of 0 to 65535 ms");
                if (!ms) return false;
                return Emit({cmd, static_cast<uint8_t>(*ms >> 8), static_cast<uint8_t>(*ms & 0xFF)});
            }
            case Operands::XY: {
                const std::string_view xText = NextWord(rest);
                const std::string_view yText = NextWord(rest);
                const auto x = ParseNumber(xText);
                const auto y = ParseNumber(yText);
                if (!x || !y || !rest.empty() || *x < -128 || *x > 127 || *y < -128 || *y > 127) {
                    return Fail("\"" + std::string(keyword.word) + "\" needs X and Y, each -128 to 127");
                }
                return Emit({cmd, static_cast<uint8_t>(*x & 0xFF), static_cast<uint8_t>(*y & 0xFF)});
            }
            case Operands::Key: {
                const auto usage = KeyUsage(rest);
                if (!usage) return false;
                return Emit({cmd, *usage});
            }
            case Operands::Media: {
                for (size_t i = 0; i < std::size(kMediaNames); ++i) {
                    if (EqualsIgnoreCase(rest, kMediaNames[i])) return Emit({cmd, static_cast<uint8_t>(i + 1)});
                }
                const auto id = OneNumber(rest, 0, 255, "a multimedia key (play, pause, stop, rec, forward, rewind, "
                                                        "next, previous, mute, volume-up, volume-down) or 0..255");
                if (!id) return false;
                return Emit({cmd, static_cast<uint8_t>(*id)});
            }
            case Operands::WheelAmount: {
                if (rest.empty()) return Emit({cmd, 0});
                const auto amount = OneNumber(rest, -128, 127, "a wheel amount of -128 to 127");
                if (!amount) return false;
                return Emit({cmd, static_cast<uint8_t>(*amount & 0xFF)});
            }
            case Operands::JoyButton: {
                const auto number = OneNumber(rest, 1, 256, "a game pad button number of 1 to 256");
                if (!number) return false;
                return Emit({cmd, static_cast<uint8_t>(*number - 1)});
            }
            case Operands::Hat: {
                for (const HatName& hat : kHatNames) {
                    if (EqualsIgnoreCase(rest, hat.name)) return Emit({cmd, hat.value});
                }
                const auto value = OneNumber(rest, 0, 255, "a hat direction (north, east, south, west) or 0..255");
                if (!value) return false;
                return Emit({cmd, static_cast<uint8_t>(*value)});
            }
        }
        return Fail("unknown step");
    }

    std::optional<long> OneNumber(std::string_view text, long min, long max, const std::string& what) {
        const auto value = ParseNumber(text);
        if (!value || *value < min || *value > max) {
            Fail("expected " + what + (text.empty() ? std::string{} : ", not \"" + std::string(text) + "\""));
            return std::nullopt;
        }
        return value;
    }

    // "0xNN" is a usage; anything else is a key name on the layout, which
    // must name exactly one usage ("1" is the key 1, not usage 1).
    std::optional<uint8_t> KeyUsage(std::string_view text) {
        if (text.empty()) {
            Fail("expected a key: a usage such as 0x04 or a key name such as A");
            return std::nullopt;
        }
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            const auto usage = ParseNumber(text);
            if (!usage || *usage < 0 || *usage > 0xFF) {
                Fail("\"" + std::string(text) + "\" is not a usage of 0x00 to 0xFF");
                return std::nullopt;
            }
            return static_cast<uint8_t>(*usage);
        }
        std::optional<uint8_t> found;
        int matches = 0;
        for (int usage = 0; usage <= 0xFF; ++usage) {
            if (EqualsIgnoreCase(text, m_keyCode.GetKeyCodeStringFromUsb(static_cast<uint8_t>(usage)))) {
                if (!found) found = static_cast<uint8_t>(usage);
                ++matches;
            }
        }
        if (matches == 0) {
            Fail("no key is named \"" + std::string(text) + "\" on this keyboard layout; give its usage as 0xNN");
            return std::nullopt;
        }
        if (matches > 1) {
            Fail("\"" + std::string(text) + "\" names " + std::to_string(matches) + " keys; give the usage as 0xNN");
            return std::nullopt;
        }
        return found;
    }

    bool Emit(std::initializer_list<uint8_t> bytes) {
        if (m_out.script.size() + bytes.size() > MacroScriptText::PARSE_LIMIT) {
            return Fail("the script is far too long (over " + std::to_string(MacroScriptText::PARSE_LIMIT) + " bytes)");
        }
        m_out.script.insert(m_out.script.end(), bytes.begin(), bytes.end());
        ++m_out.steps;
        return true;
    }

    bool Fail(std::string message) {
        if (m_out.error.empty()) m_out.error = std::move(message);
        return false;
    }

    const KeyCode& m_keyCode;
    MacroScriptText::Parsed& m_out;
};

}  // namespace

MacroScriptText::Parsed MacroScriptText::Parse(std::string_view text, const KeyCode& keyCode) {
    Parsed out;
    Parser parser(keyCode, out);
    size_t lineNo = 0;
    while (!text.empty() || lineNo == 0) {
        ++lineNo;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const size_t comment = line.find('#');
        if (comment != std::string_view::npos) line = line.substr(0, comment);
        if (!parser.Line(line)) {
            out.errorLine = lineNo;
            out.script.clear();
            out.steps = 0;
            return out;
        }
    }
    out.ok = true;
    return out;
}

std::string MacroScriptText::StepText(const MacroDataScript& step) {
    const uint8_t cmd = step.bScriptID;
    const auto op1 = static_cast<uint8_t>(step.cOption1);
    const auto op2 = static_cast<uint8_t>(step.cOption2);
    for (const MouseButton& button : kMouseButtons) {
        if (cmd == button.click) return std::string("mouse-click ") + button.name;
        if (cmd == button.release) return std::string("mouse-release ") + button.name;
    }
    const auto keyword = std::find_if(std::begin(kKeywords), std::end(kKeywords),
                                      [cmd](const Keyword& k) { return k.command == cmd; });
    if (keyword == std::end(kKeywords)) return {};
    std::string text = keyword->word;
    switch (keyword->operands) {
        case Operands::None: break;
        // The bytes the step writes, not sOption: what is shown is what plays.
        case Operands::Interval: text += " " + std::to_string(op1 << 8 | op2); break;
        case Operands::XY:
            text += " " + std::to_string(static_cast<int>(step.cOption1)) + " " +
                    std::to_string(static_cast<int>(step.cOption2));
            break;
        case Operands::Key: text += " " + Hex2(op1); break;
        case Operands::Media:
            text += " ";
            text += op1 >= 1 && op1 <= std::size(kMediaNames) ? kMediaNames[op1 - 1] : std::to_string(op1);
            break;
        case Operands::WheelAmount:
            if (step.cOption1 != 0) text += " " + std::to_string(static_cast<int>(step.cOption1));
            break;
        case Operands::JoyButton: text += " " + std::to_string(op1 + 1); break;
        case Operands::Hat: {
            const auto hat = std::find_if(std::begin(kHatNames), std::end(kHatNames),
                                          [op1](const HatName& h) { return h.value == op1; });
            text += " ";
            text += hat != std::end(kHatNames) ? std::string(hat->name) : std::to_string(op1);
            break;
        }
    }
    return text;
}

std::string MacroScriptText::Format(const std::vector<MacroDataScript>& steps, std::optional<uint8_t> mode,
                                    const StringTable& strings) {
    std::string out;
    if (mode) {
        const char* name = ModeName(*mode);
        out += "mode ";
        out += name != nullptr ? name : std::to_string(*mode);
        out += "\n";
    }
    for (const MacroDataScript& step : steps) {
        std::string line = StepText(step);
        const int32_t size = MacroCreator::GetMacroSize(step.bScriptID);
        if (line.empty()) {
            line = "# (no bytes)";  // a blank step: the encoder skips it
        } else {
            line.resize(std::max<size_t>(line.size() + 1, 24), ' ');
            line += "#";
        }
        line += " " + Hex2(step.bScriptID) + " | " + std::to_string(size) + " | " +
                MacroCreator::GetContentName(step, strings).value_or(std::string{}) + " | " +
                MacroCreator::GetSetValueString(step, strings);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

const char* MacroScriptText::ModeName(uint8_t mode) {
    return mode < std::size(kModeNames) ? kModeNames[mode] : nullptr;
}

std::optional<uint8_t> MacroScriptText::ParseMode(std::string_view text) {
    text = Trim(text);
    for (size_t i = 0; i < std::size(kModeNames); ++i) {
        if (EqualsIgnoreCase(text, kModeNames[i])) return static_cast<uint8_t>(i);
    }
    const auto number = ParseNumber(text);
    if (number && *number >= 0 && *number < C::SCRIPT_MODE_NUM) return static_cast<uint8_t>(*number);
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> MacroScriptText::ParseHex(std::string_view text) {
    std::string digits;
    auto isSeparator = [](char c) { return IsSpace(c) || c == '\n' || c == ',' || c == ':'; };
    size_t i = 0;
    while (i < text.size()) {
        if (isSeparator(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !isSeparator(text[end])) ++end;
        std::string_view token = text.substr(i, end - i);
        if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) token.remove_prefix(2);
        if (token.size() % 2 != 0) return std::nullopt;  // "4 1" is no byte
        for (char c : token) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
            digits += c;
        }
        i = end;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(digits.size() / 2);
    for (size_t k = 0; k < digits.size(); k += 2) {
        unsigned value = 0;
        std::from_chars(digits.data() + k, digits.data() + k + 2, value, 16);
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

std::string MacroScriptText::ToHex(const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

}  // namespace kelvadeck
