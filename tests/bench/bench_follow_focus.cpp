// How fast the device's mode follows the focus: on a private X server, a
// window manager's change of _NET_ACTIVE_WINDOW, the X11 watcher's event, the
// rule, and the settings report through the emulated Kelvadeck, measured as
// host time from the property change to the device's answer. Also counts the
// exchanges per switch (one: the settings report) and the flash bytes
// written (none).
//
//   bench_follow_focus [SWITCHES]     (default 200)
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/ModeFollower.h"
#include "focus/X11FocusWatcher.h"
#include "support/FakeWindowManager.h"
#include "support/JobRig.h"
#include "support/ReferenceImage.h"
#include "support/XvfbServer.h"

using namespace kelvadeck;
using namespace kelvadeck::testsupport;

int main(int argc, char** argv) {
    const int switches = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const XvfbServer x;
    if (!x.Running()) {
        std::fprintf(stderr, "bench_follow_focus: Xvfb did not start\n");
        return 1;
    }
    JobRig rig(ReferenceImageBytes());
    if (!rig.Boot().Succeeded()) return 1;
    ModeFollower follower(*rig.dm);
    AppModeRules rules;
    rules.Set("krita", 2);
    rules.Set("gimp", 3);
    follower.SetRules(rules);

    X11FocusWatcher watcher(x.Display());
    std::string error;
    if (!watcher.Start(error)) {
        std::fprintf(stderr, "bench_follow_focus: %s\n", error.c_str());
        return 1;
    }
    FakeWindowManager wm(x.Display());
    const uint32_t windows[2] = {wm.Window("krita", "krita"), wm.Window("gimp", "Gimp")};
    rig.device.ResetCounters();

    std::vector<double> micros;
    int lost = 0;
    for (int i = 0; i < switches; ++i) {
        const auto start = std::chrono::steady_clock::now();
        wm.Activate(windows[i % 2]);
        bool sent = false;
        pollfd p{watcher.Fd(), POLLIN, 0};
        while (!sent && ::poll(&p, 1, 2000) > 0) {
            bool ok = true;
            const std::optional<FocusedWindow> focused = watcher.Dispatch(ok);
            if (!ok) return 1;
            if (focused && follower.FocusChanged(focused->names)) sent = rig.Run().Succeeded();
        }
        if (!sent) {
            ++lost;
            continue;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    const auto at = [&micros](double q) { return micros.empty() ? 0.0 : micros[static_cast<size_t>(q * (micros.size() - 1))]; };
    const EmulatorCounters& c = rig.device.Counters();
    std::printf("switches %d (lost %d)\n", switches, lost);
    std::printf("focus change to device answer, host time: median %.0f us, 95th %.0f us, max %.0f us\n", at(0.5), at(0.95),
                at(1.0));
    std::printf("exchanges per switch: %.2f; flash bytes programmed: %llu; sectors erased: %llu\n",
                static_cast<double>(c.exchanges) / switches, static_cast<unsigned long long>(c.flashBytesProgrammed),
                static_cast<unsigned long long>(c.sectorsErased));
    return lost == 0 && c.exchanges == static_cast<uint64_t>(switches) && c.flashBytesProgrammed == 0 ? 0 : 1;
}
