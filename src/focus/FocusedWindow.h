#pragma once

#include <string>
#include <vector>

namespace kelvadeck {

// The window that has the keyboard focus, as far as a desktop tells: the
// names its application goes by (a Wayland app id; the instance and class
// halves of an X11 WM_CLASS), most specific first, and its title. No names:
// no window has the focus (or it tells nothing about itself).
struct FocusedWindow {
    std::vector<std::string> names;
    std::string title;

    bool operator==(const FocusedWindow&) const = default;
};

}  // namespace kelvadeck
