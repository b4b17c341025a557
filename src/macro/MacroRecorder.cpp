#include "macro/MacroRecorder.h"

#include <cmath>

#include "macro/MacroCreator.h"
#include "model/Constants.h"

namespace kelvadeck {

size_t MacroRecorder::Record(const HostInputEvent& event, const KeyCode& keyCode, std::vector<MacroDataScript>& steps) {
    using T = HostInputEvent::Type;
    MacroDataScript step;
    switch (event.type) {
        case T::KeyDown:
        case T::KeyUp:
        case T::FlagsChanged: step = MacroCreator::CreateMacroForScriptKeyinput(event, nullptr, keyCode); break;
        case T::MouseDown:
        case T::MouseUp: step = MacroCreator::CreateMacroForScriptMouse(event); break;
        default: return 0;
    }
    if (step.bScriptID == Constants::SCRIPT_COMMAND_BLANK) return 0;

    size_t added = 0;
    if (m_previousTimestamp) {
        steps.push_back(MacroCreator::CreateMacroForScriptInterval(IntervalMilliseconds(*m_previousTimestamp, event.timestamp)));
        ++added;
    }
    steps.push_back(std::move(step));
    m_previousTimestamp = event.timestamp;
    return added + 1;
}

uint16_t MacroRecorder::IntervalMilliseconds(double fromSeconds, double toSeconds) {
    const double ms = std::floor((toSeconds - fromSeconds) * 1000.0);
    if (!(ms > 0.0)) return 0;  // also NaN
    if (std::isinf(ms)) return 0;
    // An interval holds 16 bits: a 70 s wait is stored, and played, as 4.464 s.
    return static_cast<uint16_t>(std::fmod(ms, 65536.0));
}

}  // namespace kelvadeck
