#pragma once

#include <string>

#include "base/UniqueFd.h"
#include "focus/FocusWatcher.h"

namespace kelvadeck {

// Hyprland: its event socket (.socket2.sock) announces "activewindow>>CLASS,TITLE"
// lines; its request socket (.socket.sock) answers "j/activewindow" with the
// active window as JSON.
class HyprlandFocusWatcher : public FocusWatcher {
public:
    // folder: the instance's socket folder; empty: found from
    // $HYPRLAND_INSTANCE_SIGNATURE under $XDG_RUNTIME_DIR/hypr (or /tmp/hypr).
    explicit HyprlandFocusWatcher(std::string folder = {});

    std::string Name() const override { return "Hyprland"; }
    bool Start(std::string& error) override;
    int Fd() const override { return m_events.Get(); }
    std::optional<FocusedWindow> Dispatch(bool& ok) override;
    std::optional<FocusedWindow> Current() override;

private:
    std::string m_folder;
    UniqueFd m_events;
    std::string m_buffer;
};

}  // namespace kelvadeck
