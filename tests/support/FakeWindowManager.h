#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>

namespace kelvadeck::testsupport {

// What a window manager does for the focus watchers: windows with a
// WM_CLASS, and the root window's _NET_ACTIVE_WINDOW naming the active one.
class FakeWindowManager {
public:
    explicit FakeWindowManager(const std::string& display);
    ~FakeWindowManager();
    FakeWindowManager(const FakeWindowManager&) = delete;
    FakeWindowManager& operator=(const FakeWindowManager&) = delete;

    // A new window whose WM_CLASS is instance and class.
    uint32_t Window(const std::string& instance, const std::string& cls);
    // Makes window the active one (XCB_WINDOW_NONE: no window).
    void Activate(uint32_t window);

private:
    uint32_t Atom(const char* name);

    xcb_connection_t* m_c;
    uint32_t m_root = 0;
    uint32_t m_active = 0;
};

}  // namespace kelvadeck::testsupport
