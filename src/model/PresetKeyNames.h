#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kelvadeck {

// Names of keys as the preset table writes them, and the USB keyboard usage
// (HID page 0x07) each one sends. Names follow the key caps of a US keyboard:
// "]" is the key right of "[", whatever a JIS host later prints for it. The
// device sends usages, so a preset presses the same physical key on every host.
class PresetKeyNames {
public:
    struct Key {
        std::string_view name;
        uint8_t usage;
    };
    struct Modifier {
        std::string_view name;
        uint8_t bit;    // USB_KEY_BIT_*: the modifier byte of a keyboard report
        uint8_t usage;  // USB_KEY_CODE_*: what a script presses for it
    };

    // Every ordinary key (not a modifier), in usage order.
    static std::span<const Key> Keys();
    // Ctrl, Shift, Alt, Win (left-hand keys) and RCtrl, RShift, RAlt, RWin.
    static std::span<const Modifier> Modifiers();

    // Exact, case-sensitive lookups; none for an unknown name.
    static std::optional<uint8_t> Usage(std::string_view name);
    static std::optional<Modifier> FindModifier(std::string_view name);
};

}  // namespace kelvadeck
