#pragma once

#include <optional>
#include <string>

#include "focus/FocusedWindow.h"

namespace kelvadeck {

// Learns which window has the focus on one kind of desktop, by the desktop's
// own events (nothing polls). A caller waits until Fd() is readable (poll,
// or a Qt socket notifier) and then calls Dispatch().
class FocusWatcher {
public:
    virtual ~FocusWatcher() = default;

    // The kind of desktop it watches, for messages ("X11", "KWin" ...).
    virtual std::string Name() const = 0;
    // Connects and asks for the events. False with the reason in error when
    // this desktop cannot be watched this way.
    virtual bool Start(std::string& error) = 0;
    // What to wait on for events (valid after a successful Start).
    virtual int Fd() const = 0;
    // Takes the events that have arrived; the newly focused window when the
    // focus moved. False in ok when the desktop went away (stop watching).
    virtual std::optional<FocusedWindow> Dispatch(bool& ok) = 0;
    // The window that has the focus now, when that can be asked.
    virtual std::optional<FocusedWindow> Current() = 0;
};

}  // namespace kelvadeck
