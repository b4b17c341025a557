// The X11 focus watcher against a real X server (Xvfb): windows with a
// WM_CLASS, made active by setting _NET_ACTIVE_WINDOW on the root window as
// a window manager would (none runs).
#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <cstring>
#include <string>

#include "focus/X11FocusWatcher.h"
#include "support/FakeWindowManager.h"
#include "support/XvfbServer.h"

namespace kelvadeck {
namespace {

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

    testsupport::FakeWindowManager wm(x.Display());
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
