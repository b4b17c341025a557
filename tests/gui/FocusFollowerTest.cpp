// While the desktop application runs it has the device, so it follows the
// focused application itself: on a private X server, windows made active as
// a window manager does; the rules file edited from outside, as
// `kelvadeck-cli app-mode` or a text editor does.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <string>

#include "GuiRig.h"
#include "KnownImage.h"
#include "app/FocusFollower.h"
#include "core/AppModeRules.h"
#include "device/ComElem.h"
#include "focus/X11FocusWatcher.h"
#include "support/FakeWindowManager.h"
#include "support/XvfbServer.h"

namespace kelvadeck::guitest {
namespace {

// The modes (0-based) the device was sent by settings reports so far.
std::vector<uint8_t> ModesSent(GuiRig& rig) {
    std::vector<uint8_t> modes;
    for (const auto& r : rig.device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_STANDARD_INFO)) modes.push_back(r.payload.at(0));
    return modes;
}

TEST(FocusFollower, TheRunningApplicationFollowsTheFocusAndEditedRulesAtOnce) {
    const testsupport::XvfbServer x;
    if (!x.Running()) GTEST_SKIP() << "no Xvfb";
    const QTemporaryDir dir;
    const std::string rulesPath = dir.filePath(QStringLiteral("kelvadeck/app-modes.conf")).toStdString();
    AppModeRules rules;
    ASSERT_TRUE(rules.Set("krita", 2));
    std::string error;
    ASSERT_TRUE(rules.Save(rulesPath, error)) << error;

    GuiRig::Setup setup;
    setup.image = BuildKnownImage();
    setup.followFocusRules = rulesPath;
    const std::string display = x.Display();
    setup.focusWatchers = [display](std::string& why) -> std::unique_ptr<FocusWatcher> {
        auto watcher = std::make_unique<X11FocusWatcher>(display);
        if (!watcher->Start(why)) return nullptr;
        return watcher;
    };
    GuiRig rig(setup);
    rig.Launch();
    FocusFollower* follower = rig.App().Focus();
    ASSERT_NE(follower, nullptr);
    EXPECT_EQ(follower->Desktop(), "X11") << follower->WhyNot();
    rig.device.LiveState().Clear();
    const uint64_t programmed = rig.device.Counters().flashBytesProgrammed;

    testsupport::FakeWindowManager wm(display);
    const uint32_t krita = wm.Window("krita", "krita");
    wm.Activate(krita);
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return ModesSent(rig) == std::vector<uint8_t>{1}; }, 10000)) << ModesSent(rig).size();
    EXPECT_EQ(follower->RecentApplications(), std::vector<std::string>{"krita"});

    // Edited elsewhere: the new mode for the focused application applies at once.
    ASSERT_TRUE(rules.Set("krita", 3));
    ASSERT_TRUE(rules.Save(rulesPath, error)) << error;
    ASSERT_TRUE(GuiRig::PumpUntil([&] { return ModesSent(rig) == std::vector<uint8_t>{1, 2}; }, 10000)) << ModesSent(rig).size();
    EXPECT_EQ(rig.device.Counters().flashBytesProgrammed, programmed);

    // No rules left: the watcher goes, and the editor can say why nothing follows.
    ASSERT_TRUE(follower->SaveRules(AppModeRules{}, error)) << error;
    EXPECT_EQ(follower->Desktop(), "");
    EXPECT_EQ(follower->WhyNot(), "no rules");
}

}  // namespace
}  // namespace kelvadeck::guitest
