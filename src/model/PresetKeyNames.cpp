#include "model/PresetKeyNames.h"

#include <algorithm>
#include <iterator>

#include "model/Constants.h"

namespace kelvadeck {

namespace {

using C = Constants;

// Table as data: name and usage. Letters and digits are the key caps; the
// punctuation keys are named by their unshifted US character.
constexpr PresetKeyNames::Key kKeys[] = {
    {"A", 0x04}, {"B", 0x05}, {"C", 0x06}, {"D", 0x07}, {"E", 0x08}, {"F", 0x09}, {"G", 0x0A},
    {"H", 0x0B}, {"I", 0x0C}, {"J", 0x0D}, {"K", 0x0E}, {"L", 0x0F}, {"M", 0x10}, {"N", 0x11},
    {"O", 0x12}, {"P", 0x13}, {"Q", 0x14}, {"R", 0x15}, {"S", 0x16}, {"T", 0x17}, {"U", 0x18},
    {"V", 0x19}, {"W", 0x1A}, {"X", 0x1B}, {"Y", 0x1C}, {"Z", 0x1D},
    {"1", 0x1E}, {"2", 0x1F}, {"3", 0x20}, {"4", 0x21}, {"5", 0x22},
    {"6", 0x23}, {"7", 0x24}, {"8", 0x25}, {"9", 0x26}, {"0", 0x27},
    {"Enter", 0x28}, {"Esc", 0x29}, {"Backspace", 0x2A}, {"Tab", 0x2B}, {"Space", 0x2C},
    {"-", 0x2D}, {"=", 0x2E}, {"[", 0x2F}, {"]", 0x30}, {"\\", 0x31},
    {";", 0x33}, {"'", 0x34}, {"`", 0x35}, {",", 0x36}, {".", 0x37}, {"/", 0x38},
    {"CapsLock", 0x39},
    {"F1", 0x3A}, {"F2", 0x3B}, {"F3", 0x3C}, {"F4", 0x3D}, {"F5", 0x3E}, {"F6", 0x3F},
    {"F7", 0x40}, {"F8", 0x41}, {"F9", 0x42}, {"F10", 0x43}, {"F11", 0x44}, {"F12", 0x45},
    {"PrintScreen", 0x46}, {"ScrollLock", 0x47}, {"Pause", 0x48},
    {"Insert", 0x49}, {"Home", 0x4A}, {"PageUp", 0x4B}, {"Delete", 0x4C}, {"End", 0x4D},
    {"PageDown", 0x4E}, {"Right", 0x4F}, {"Left", 0x50}, {"Down", 0x51}, {"Up", 0x52},
    {"NumLock", 0x53}, {"KeypadSlash", 0x54}, {"KeypadStar", 0x55}, {"KeypadMinus", 0x56},
    {"KeypadPlus", 0x57}, {"KeypadEnter", 0x58},
    {"Keypad1", 0x59}, {"Keypad2", 0x5A}, {"Keypad3", 0x5B}, {"Keypad4", 0x5C}, {"Keypad5", 0x5D},
    {"Keypad6", 0x5E}, {"Keypad7", 0x5F}, {"Keypad8", 0x60}, {"Keypad9", 0x61}, {"Keypad0", 0x62},
    {"KeypadDot", 0x63}, {"Menu", 0x65},
    // Function keys beyond F12 exist on no common keyboard: nothing else on the
    // host reacts to them, so they are free for the user to bind.
    {"F13", 0x68}, {"F14", 0x69}, {"F15", 0x6A}, {"F16", 0x6B}, {"F17", 0x6C}, {"F18", 0x6D},
    {"F19", 0x6E}, {"F20", 0x6F}, {"F21", 0x70}, {"F22", 0x71}, {"F23", 0x72}, {"F24", 0x73},
};

constexpr PresetKeyNames::Modifier kModifiers[] = {
    {"Ctrl", C::USB_KEY_BIT_CTRL_L, C::USB_KEY_CODE_CTRL_L},
    {"Shift", C::USB_KEY_BIT_SHIFT_L, C::USB_KEY_CODE_SHIFT_L},
    {"Alt", C::USB_KEY_BIT_ALT_L, C::USB_KEY_CODE_ALT_L},
    {"Win", C::USB_KEY_BIT_WIN_L, C::USB_KEY_CODE_WIN_L},
    {"RCtrl", C::USB_KEY_BIT_CTRL_R, C::USB_KEY_CODE_CTRL_R},
    {"RShift", C::USB_KEY_BIT_SHIFT_R, C::USB_KEY_CODE_SHIFT_R},
    {"RAlt", C::USB_KEY_BIT_ALT_R, C::USB_KEY_CODE_ALT_R},
    {"RWin", C::USB_KEY_BIT_WIN_R, C::USB_KEY_CODE_WIN_R},
};

}  // namespace

std::span<const PresetKeyNames::Key> PresetKeyNames::Keys() { return kKeys; }

std::span<const PresetKeyNames::Modifier> PresetKeyNames::Modifiers() { return kModifiers; }

std::optional<uint8_t> PresetKeyNames::Usage(std::string_view name) {
    const auto it = std::find_if(std::begin(kKeys), std::end(kKeys), [name](const Key& k) { return k.name == name; });
    if (it == std::end(kKeys)) return std::nullopt;
    return it->usage;
}

std::optional<PresetKeyNames::Modifier> PresetKeyNames::FindModifier(std::string_view name) {
    const auto it = std::find_if(std::begin(kModifiers), std::end(kModifiers),
                                 [name](const Modifier& m) { return m.name == name; });
    if (it == std::end(kModifiers)) return std::nullopt;
    return *it;
}

}  // namespace kelvadeck
