// The X11 focus watcher against a real X server (Xvfb): windows with a
// WM_CLASS, made active by setting _NET_ACTIVE_WINDOW on the root window as
// a window manager would (none runs).
#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <cstring>
#include <string>

#include "focus/X11FocusWatcher.h"
#include "support/XvfbServer.h"

namespace kelvadeck {
namespace {

// What a window manager does: windows, and the root's active-window property.
class FakeWindowManager {
public:
    explicit FakeWindowManager(const std::string& display) : m_c(xcb_connect(display.c_str(), nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        m_active = Atom("_NET_ACTIVE_WINDOW");
    }
    ~FakeWindowManager() { xcb_disconnect(m_c); }

    uint32_t Window(const std::string& instance, const std::string& cls) {
        const uint32_t w = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        const std::string wmClass = instance + '\0' + cls + '\0';
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(wmClass.size()), wmClass.data());
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(cls.size()), cls.data());
        xcb_flush(m_c);
        return w;
    }
    void Activate(uint32_t window) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, m_active, XCB_ATOM_WINDOW, 32, 1, &window);
        xcb_flush(m_c);
    }

private:
    uint32_t Atom(const char* name) {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const uint32_t atom = r ? r->atom : 0;
        std::free(r);
        return atom;
    }
    xcb_connection_t* m_c;
    uint32_t m_root = 0;
    uint32_t m_active = 0;
};

// Waits (at most two seconds, or the tenths given) for the watcher's next report.
std::optional<FocusedWindow> Next(FocusWatcher& w, int tenths = 20) {
    pollfd p{w.Fd(), POLLIN, 0};
    for (int i = 0; i < tenths; ++i) {
        if (::poll(&p, 1, 100) > 0) {
            bool ok = true;
            if (auto focused = w.Dispatch(ok)) return focused;
            EXPECT_TRUE(ok);
        }
    }
    return std::nullopt;
}

TEST(X11FocusWatcher, ReportsEachNewlyActiveWindowsClassByEvents) {
    const testsupport::XvfbServer x;
    if (!x.Running()) GTEST_SKIP() << "no Xvfb";
    X11FocusWatcher watcher(x.Display());
    std::string error;
    ASSERT_TRUE(watcher.Start(error)) << error;
    EXPECT_EQ(watcher.Current(), FocusedWindow{});

    FakeWindowManager wm(x.Display());
    const uint32_t krita = wm.Window("krita", "krita");
    const uint32_t gimp = wm.Window("gimp", "Gimp");
    wm.Activate(krita);
    EXPECT_EQ(Next(watcher), (FocusedWindow{{"krita", "krita"}, "krita"}));
    wm.Activate(gimp);
    EXPECT_EQ(Next(watcher), (FocusedWindow{{"gimp", "Gimp"}, "Gimp"}));
    EXPECT_EQ(watcher.Current(), (FocusedWindow{{"gimp", "Gimp"}, "Gimp"}));
    wm.Activate(XCB_WINDOW_NONE);
    EXPECT_EQ(Next(watcher), FocusedWindow{});
    // Nothing happens, nothing comes.
    EXPECT_EQ(Next(watcher, 3), std::nullopt);
}

TEST(X11FocusWatcher, WithoutADisplayItSaysSo) {
    X11FocusWatcher watcher(":987");
    std::string error;
    EXPECT_FALSE(watcher.Start(error));
    EXPECT_NE(error.find(":987"), std::string::npos) << error;
}

}  // namespace
}  // namespace kelvadeck
