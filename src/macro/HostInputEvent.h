#pragma once

#include <cstdint>

namespace kelvadeck {

// One keyboard or mouse event of the host, in the few fields the macro engine
// needs. The screens convert their toolkit's events into this at the boundary,
// so recording and the step dialogs can be driven (and tested) without a window.
struct HostInputEvent {
    enum class Type : uint8_t {
        Other,         // anything the engine does not record
        KeyDown,
        KeyUp,
        FlagsChanged,  // a modifier key went down or up; modifierFlags is the state after it
        MouseDown,
        MouseUp,
        ScrollWheel,
    };

    // Modifier state bits, with the values the Mac key code table is built
    // around (the device's key names come from Mac virtual key codes).
    static constexpr uint32_t FLAG_CAPS_LOCK = 1u << 16;
    static constexpr uint32_t FLAG_SHIFT = 1u << 17;
    static constexpr uint32_t FLAG_CONTROL = 1u << 18;
    static constexpr uint32_t FLAG_OPTION = 1u << 19;
    static constexpr uint32_t FLAG_COMMAND = 1u << 20;

    Type type = Type::Other;
    // Mac virtual key code of the physical key (0x00 is "A"); codes above 0xFF
    // have no USB usage.
    uint16_t macKeyCode = 0;
    uint32_t modifierFlags = 0;  // FLAG_* bits
    // 0 left, 1 right, 2 wheel button, 3 button 4, 4 button 5, higher: other buttons.
    int32_t mouseButton = 0;
    // Pressure of a mouse button event: not 0 while the button is down.
    double pressure = 0.0;
    double scrollDeltaY = 0.0;  // positive: wheel moved up (away from the user)
    double timestamp = 0.0;     // seconds, any fixed origin

    static HostInputEvent Key(Type type, uint16_t macKeyCode, uint32_t modifierFlags = 0, double timestamp = 0.0) {
        HostInputEvent e;
        e.type = type;
        e.macKeyCode = macKeyCode;
        e.modifierFlags = modifierFlags;
        e.timestamp = timestamp;
        return e;
    }
    static HostInputEvent Mouse(bool down, int32_t button, double timestamp = 0.0) {
        HostInputEvent e;
        e.type = down ? Type::MouseDown : Type::MouseUp;
        e.mouseButton = button;
        e.pressure = down ? 1.0 : 0.0;
        e.timestamp = timestamp;
        return e;
    }
    static HostInputEvent Scroll(double deltaY, double timestamp = 0.0) {
        HostInputEvent e;
        e.type = Type::ScrollWheel;
        e.scrollDeltaY = deltaY;
        e.timestamp = timestamp;
        return e;
    }
};

}  // namespace kelvadeck
