#pragma once

#include <cstdint>
#include <string>

#include "base/UniqueFd.h"
#include "focus/FocusWatcher.h"

namespace kelvadeck {

// Sway (and other compositors that speak its i3-style IPC): window events on
// the IPC socket ($SWAYSOCK). A focus event names the window's Wayland app id,
// or for an X11 window its WM_CLASS instance and class.
class SwayFocusWatcher : public FocusWatcher {
public:
    // socketPath: the IPC socket; empty: $SWAYSOCK.
    explicit SwayFocusWatcher(std::string socketPath = {});

    std::string Name() const override { return "Sway"; }
    bool Start(std::string& error) override;
    int Fd() const override { return m_fd.Get(); }
    std::optional<FocusedWindow> Dispatch(bool& ok) override;
    std::optional<FocusedWindow> Current() override { return m_current; }

private:
    bool Send(uint32_t type, const std::string& payload);
    // One whole message from the socket, waiting for it (used while starting).
    bool Receive(uint32_t& type, std::string& payload);
    // Whole messages from what has been read so far.
    bool TakeMessage(uint32_t& type, std::string& payload);
    // The focus events among the messages read; the last focus, if any.
    std::optional<FocusedWindow> TakeEvents();

    std::string m_path;
    UniqueFd m_fd;
    std::string m_buffer;
    std::optional<FocusedWindow> m_current;
};

}  // namespace kelvadeck
