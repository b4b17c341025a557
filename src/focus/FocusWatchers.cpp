#include "focus/FocusWatchers.h"

#include <cstdlib>
#include <vector>

#include "focus/HyprlandFocusWatcher.h"
#include "focus/SwayFocusWatcher.h"
#include "focus/X11FocusWatcher.h"

namespace kelvadeck {

namespace {

bool Set(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
}

}  // namespace

std::unique_ptr<FocusWatcher> FocusWatchers::StartFirst(std::string& why) {
    std::vector<std::unique_ptr<FocusWatcher>> candidates;
    if (Set("SWAYSOCK")) candidates.push_back(std::make_unique<SwayFocusWatcher>());
    if (Set("HYPRLAND_INSTANCE_SIGNATURE")) candidates.push_back(std::make_unique<HyprlandFocusWatcher>());
    if (Set("DISPLAY")) candidates.push_back(std::make_unique<X11FocusWatcher>());
    why.clear();
    for (auto& candidate : candidates) {
        std::string error;
        if (candidate->Start(error)) return std::move(candidate);
        why += (why.empty() ? "" : "; ") + candidate->Name() + ": " + error;
    }
    if (candidates.empty()) {
        why = "no desktop whose focus can be followed (neither SWAYSOCK, HYPRLAND_INSTANCE_SIGNATURE nor DISPLAY is set)";
    }
    return nullptr;
}

}  // namespace kelvadeck
