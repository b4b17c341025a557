// The job life cycle the screens share, where no screen reaches it: a job
// that cannot start is refused in words, follows nothing and leaves the
// controls as the device allows.
#include <gtest/gtest.h>

#include <vector>

#include "GuiRig.h"
#include "device/USBHidManager.h"
#include "screens/ScreenJob.h"

namespace kelvadeck::guitest {
namespace {

TEST(ScreenJob, AJobThatCannotStartIsRefusedInWordsAndFollowsNothing) {
    GuiRig::Setup setup;
    setup.plugged = false;
    GuiRig rig(setup);
    rig.Launch();
    ScreenJob job(rig.App().Context(), {}, nullptr);
    std::vector<bool> blocking;
    QObject::connect(&job, &ScreenJob::blockingChanged, [&blocking](bool block) { blocking.push_back(block); });
    bool followed = false;
    const ScreenJob::Ended follow = [&followed](const ComResult&) { followed = true; };

    EXPECT_FALSE(job.Start({1, "JOB_NAME_LED_WRITE", follow, follow}));
    EXPECT_EQ(job.State(), ScreenJob::IDLE);
    ASSERT_EQ(rig.prompts.errors.size(), 1u);
    EXPECT_EQ(rig.prompts.errors[0], rig.Dm().Strings().Get("JOB_NOT_STARTED_NO_DEVICE"));
    // No device: the controls stay blocked.
    EXPECT_EQ(blocking, std::vector<bool>{true});
    EXPECT_FALSE(rig.Dm().pUSBHID().IsJobRunning());
    EXPECT_FALSE(followed);
}

}  // namespace
}  // namespace kelvadeck::guitest
