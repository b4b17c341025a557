#pragma once

#include <cstdint>

#include "macro/HostInputEvent.h"

namespace kelvadeck {

// Turns the key events of a Linux desktop (X11 or Wayland: the native scan
// code is the xkb keycode, the evdev code + 8) into the host key events the
// key code table is built around: the macOS virtual key code of the same
// physical key, and the Mac modifier flags. Every key of a US (ANSI) and of a
// JIS keyboard is covered; keys a Mac keyboard does not have come out as
// NO_MAC_KEY (no USB usage). Toolkit-free: the screens feed it the plain
// numbers of their toolkit's event.
class KeyEventTranslator {
public:
    // A code above 0xFF: the key exists but has no Mac key code.
    static constexpr uint16_t NO_MAC_KEY = 0x100;
    // xkb keycodes are the Linux evdev codes shifted by 8.
    static constexpr uint32_t XKB_KEYCODE_OFFSET = 8;

    // HID keyboard modifier bits, as the device stores them.
    static constexpr uint8_t HID_CTRL_L = 0x01;
    static constexpr uint8_t HID_SHIFT_L = 0x02;
    static constexpr uint8_t HID_ALT_L = 0x04;
    static constexpr uint8_t HID_WIN_L = 0x08;
    static constexpr uint8_t HID_CTRL_R = 0x10;
    static constexpr uint8_t HID_SHIFT_R = 0x20;
    static constexpr uint8_t HID_ALT_R = 0x40;
    static constexpr uint8_t HID_WIN_R = 0x80;

    // The plain modifier state of a toolkit event. On a PC keyboard the
    // Alt keys sit where the Option keys are and the Super (Windows) keys
    // act as Command.
    struct Modifiers {
        bool shift = false;
        bool control = false;
        bool alt = false;
        bool super = false;
        bool capsLock = false;
    };

    // Mac key code of the physical key; NO_MAC_KEY for unknown codes.
    static uint16_t MacKeyCodeFromEvdev(uint32_t evdevCode);
    static uint16_t MacKeyCodeFromXkbKeycode(uint32_t xkbKeycode);

    // The Mac flag a modifier key (Shift, Control, Option, Command, Caps Lock,
    // either hand) sets while down; 0 for any other key.
    static uint32_t ModifierFlagOfKey(uint16_t macKeyCode);
    static bool IsModifierKey(uint16_t macKeyCode) { return ModifierFlagOfKey(macKeyCode) != 0; }
    // HID modifier bit of a modifier key (Control L 0x01 ... Command R 0x80); 0 otherwise.
    static uint8_t HidModifierBitOfKey(uint16_t macKeyCode);

    static uint32_t MacFlagsFromModifiers(const Modifiers& modifiers);
    // HID modifier byte of Mac flags, with the left-hand or the right-hand bits.
    static uint8_t HidModifiersFromMacFlags(uint32_t macFlags, bool rightHand);

    // One key going down or up. A modifier key becomes a FlagsChanged event
    // whose flags are the state after it (its own flag set on press, cleared on
    // release, whatever the toolkit reported); any other key a KeyDown/KeyUp.
    static HostInputEvent Translate(bool press, uint16_t macKeyCode, const Modifiers& modifiers, double timestamp = 0.0);
    static HostInputEvent TranslateXkb(bool press, uint32_t xkbKeycode, const Modifiers& modifiers,
                                       double timestamp = 0.0) {
        return Translate(press, MacKeyCodeFromXkbKeycode(xkbKeycode), modifiers, timestamp);
    }
};

}  // namespace kelvadeck
