#pragma once

#include <cstdint>

#include "macro/HostInputEvent.h"

class QKeyEvent;

namespace kelvadeck {

// The Qt side of key capture: turns a QKeyEvent into the host key event the
// macro engine and the key fields take (the Mac key code of the physical key
// the user pressed, Mac modifier flags). On Linux the physical key comes from
// the native scan code (the xkb keycode); on macOS from the native virtual key;
// an event without either (synthesized, other platforms) falls back on the
// Qt key, taken as the key of a US keyboard.
class QtKeyEventAdapter {
public:
    // False for events that carry nothing to capture: not a key press or
    // release, or the release half of an auto-repeat.
    static bool Translate(const QKeyEvent& event, HostInputEvent& out);
    // Mac key code of the event's physical key (KeyEventTranslator::NO_MAC_KEY if unknown).
    static uint16_t MacKeyCodeOf(const QKeyEvent& event);
};

}  // namespace kelvadeck
