#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "macro/HostInputEvent.h"
#include "model/MacroDataScript.h"

namespace kelvadeck {

class KeyCode;

// Records host input into script steps the way the macro editor does while
// its record button is on: key downs and ups, modifier changes and mouse
// buttons each become one step, and every recorded step after the first is
// preceded by an interval holding the time since the previous recorded one
// (whole milliseconds, kept to the device's 16 bits).
// Scroll and other events are not recorded, and neither are mouse buttons the
// device has no command for: their time is carried over into the next wait.
class MacroRecorder {
public:
    // Forgets the previous event: the next recorded step gets no interval.
    void Start() { m_previousTimestamp.reset(); }

    // Appends the steps for one event to steps; the number appended (0, 1 or 2).
    size_t Record(const HostInputEvent& event, const KeyCode& keyCode, std::vector<MacroDataScript>& steps);

    // The wait between two timestamps in seconds as the interval step stores
    // it: truncated to milliseconds, modulo 65536; 0 when time went backwards.
    static uint16_t IntervalMilliseconds(double fromSeconds, double toSeconds);

private:
    std::optional<double> m_previousTimestamp;
};

}  // namespace kelvadeck
