// The focused application's mode reaches the emulated Kelvadeck as one
// device-wide settings report, never as a flash write.
#include <gtest/gtest.h>

#include <vector>

#include "core/ModeFollower.h"
#include "device/ComElem.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "support/JobRig.h"
#include "support/ReferenceImage.h"

namespace kelvadeck {
namespace {

using testsupport::JobRig;

class Follower : public ::testing::Test {
protected:
    void SetUp() override {
        rig = std::make_unique<JobRig>(testsupport::ReferenceImageBytes());
        ASSERT_TRUE(rig->Boot().Succeeded());
        follower = std::make_unique<ModeFollower>(*rig->dm);
        AppModeRules rules;
        ASSERT_TRUE(rules.Set("krita", 2));
        ASSERT_TRUE(rules.Set("org.gimp.*", 3));
        follower->SetRules(rules);
        rig->device.ResetCounters();
        rig->device.LiveState().Clear();
        flash = rig->Flash();
    }
    // Runs what the follower queued; the modes the device was sent.
    std::vector<uint8_t> Sent() {
        rig->Run();
        std::vector<uint8_t> modes;
        for (const auto& r : rig->device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_STANDARD_INFO)) modes.push_back(r.payload.at(0));
        return modes;
    }
    std::unique_ptr<JobRig> rig;
    std::unique_ptr<ModeFollower> follower;
    std::vector<uint8_t> flash;
};

TEST_F(Follower, EachChangeOfApplicationIsOneReportAndTheFlashStaysAsItWas) {
    EXPECT_EQ(follower->FocusChanged({"krita", "krita"}), 2);
    EXPECT_EQ(Sent(), std::vector<uint8_t>{1});
    EXPECT_EQ(rig->device.Counters().exchanges, 1u);
    // The report carries the other device-wide settings as the model holds them.
    const auto report = rig->device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_STANDARD_INFO).back();
    EXPECT_EQ(report.payload.at(4), rig->dm->g_pSSI.bLEDOffTimer);

    EXPECT_EQ(follower->FocusChanged({"krita", "krita"}), std::nullopt);  // another window of it
    EXPECT_EQ(follower->FocusChanged({"blender"}), std::nullopt);        // no rule, no fallback: stay
    EXPECT_EQ(follower->FocusChanged({"", "org.gimp.GIMP"}), 3);
    EXPECT_EQ(Sent(), (std::vector<uint8_t>{1, 2}));
    AppModeRules rules = follower->Rules();
    rules.fallback = 1;
    follower->SetRules(rules);
    EXPECT_EQ(follower->FocusChanged({"blender"}), 1);
    EXPECT_EQ(Sent(), (std::vector<uint8_t>{1, 2, 0}));
    EXPECT_EQ(rig->device.Counters().exchanges, 3u);
    EXPECT_EQ(rig->device.Counters().sectorsErased, 0u);
    EXPECT_TRUE(rig->Flash() == flash);
}

// A settings write leaves the device in its first mode; the focused
// application's mode follows again.
TEST_F(Follower, AfterASettingsWriteTheFocusedApplicationsModeComesBack) {
    ASSERT_EQ(follower->FocusChanged({"krita"}), 2);
    rig->Run();
    EXPECT_EQ(follower->Reapply(), std::nullopt);  // nothing changed it
    ASSERT_TRUE(rig->dm->DataOutputToMemory());
    rig->dm->pComQue().CreateFastWriteComQue();
    rig->dm->pComQue().CreateBaseSettingInfoComQue();
    ASSERT_TRUE(rig->Run().Succeeded());
    EXPECT_EQ(rig->dm->g_pSSI.bMode, 0);
    EXPECT_EQ(follower->Reapply(), 2);
    EXPECT_EQ(Sent().back(), 1);
}

TEST_F(Follower, WithoutADeviceNothingIsQueued) {
    rig->device.Unplug();
    rig->dm->pUSBHID().DeviceGone();
    EXPECT_EQ(follower->FocusChanged({"krita"}), std::nullopt);
    EXPECT_FALSE(rig->dm->pComQue().HasQue());
}

}  // namespace
}  // namespace kelvadeck
