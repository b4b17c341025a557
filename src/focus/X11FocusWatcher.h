#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "focus/FocusWatcher.h"

struct xcb_connection_t;

namespace kelvadeck {

// An X11 desktop with a window manager that follows EWMH: the root window's
// _NET_ACTIVE_WINDOW property names the active window, and a change of it is
// a property event on the root window. The application's names come from
// the window's WM_CLASS (instance, then class).
class X11FocusWatcher : public FocusWatcher {
public:
    // display: an X display name (":0"); empty: $DISPLAY.
    explicit X11FocusWatcher(std::string display = {});
    ~X11FocusWatcher() override;

    std::string Name() const override { return "X11"; }
    bool Start(std::string& error) override;
    int Fd() const override;
    std::optional<FocusedWindow> Dispatch(bool& ok) override;
    std::optional<FocusedWindow> Current() override;

private:
    struct Disconnect {
        void operator()(xcb_connection_t* c) const;
    };

    std::string m_display;
    std::unique_ptr<xcb_connection_t, Disconnect> m_connection;
    uint32_t m_root = 0;
    uint32_t m_activeAtom = 0;
    uint32_t m_nameAtom = 0;
    uint32_t m_utf8Atom = 0;
};

}  // namespace kelvadeck
