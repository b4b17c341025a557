#include "focus/FocusWatchers.h"

#include <cstdlib>
#include <vector>

#include "focus/GnomeShellFocusWatcher.h"
#include "focus/HyprlandFocusWatcher.h"
#include "focus/KWinFocusWatcher.h"
#include "focus/SwayFocusWatcher.h"
#include "focus/X11FocusWatcher.h"

namespace kelvadeck {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

bool DesktopIs(const std::string& desktops, const std::string& name) {
    // XDG_CURRENT_DESKTOP is a colon-separated list ("ubuntu:GNOME").
    size_t start = 0;
    for (;;) {
        const size_t end = desktops.find(':', start);
        if (desktops.compare(start, end == std::string::npos ? std::string::npos : end - start, name) == 0) return true;
        if (end == std::string::npos) return false;
        start = end + 1;
    }
}

}  // namespace

std::unique_ptr<FocusWatcher> FocusWatchers::StartFirst(std::string& why) {
    const std::string desktop = Env("XDG_CURRENT_DESKTOP");
    const bool wayland = !Env("WAYLAND_DISPLAY").empty();
    std::vector<std::unique_ptr<FocusWatcher>> candidates;
    if (DesktopIs(desktop, "KDE")) candidates.push_back(std::make_unique<KWinFocusWatcher>());
    if (DesktopIs(desktop, "GNOME")) candidates.push_back(std::make_unique<GnomeShellFocusWatcher>());
    if (!Env("SWAYSOCK").empty()) candidates.push_back(std::make_unique<SwayFocusWatcher>());
    if (!Env("HYPRLAND_INSTANCE_SIGNATURE").empty()) candidates.push_back(std::make_unique<HyprlandFocusWatcher>());
    // Under Wayland, DISPLAY leads to Xwayland, which sees only the programs
    // that run through it: the focus would follow some windows and silently
    // miss the others.
    if (!Env("DISPLAY").empty() && !wayland) candidates.push_back(std::make_unique<X11FocusWatcher>());
    why.clear();
    for (auto& candidate : candidates) {
        std::string error;
        if (candidate->Start(error)) {
            std::unique_ptr<FocusWatcher> started = std::move(candidate);
            return started;
        }
        why += (why.empty() ? "" : "; ") + candidate->Name() + ": " + error;
    }
    if (candidates.empty()) {
        why = wayland ? "this Wayland desktop (" + (desktop.empty() ? std::string("unknown") : desktop) +
                            ") tells no program which window has the focus; known are KDE Plasma, GNOME (with the "
                            "package's shell extension), Sway and Hyprland"
                      : "no desktop whose focus can be followed (no X11 display, no known Wayland compositor)";
    }
    return nullptr;
}

}  // namespace kelvadeck
