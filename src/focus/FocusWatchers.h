#pragma once

#include <memory>
#include <string>

#include "focus/FocusWatcher.h"

namespace kelvadeck {

// The first focus watcher that works on this desktop, tried in the order of
// how specific the desktop's own signs are: a Wayland compositor's IPC socket
// (Sway, Hyprland), then X11 (also where an X11 window manager runs on its
// own). Where none works, why not for each.
class FocusWatchers {
public:
    static std::unique_ptr<FocusWatcher> StartFirst(std::string& why);
};

}  // namespace kelvadeck
