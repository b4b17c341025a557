// Writes skip the chunks that would only program 0xFF. NOR flash programming
// can only clear bits, so those chunks change nothing: every job must leave
// the device's flash byte for byte as the plain plan (every chunk sent) does,
// with fewer exchanges, and the answers planned beforehand are the answers
// that come.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "device/ComElem.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "model/FlashControl.h"
#include "support/DeviceJobKind.h"
#include "support/JobRig.h"
#include "support/ReferenceImage.h"

namespace kelvadeck {
namespace {

using FC = FlashControl;
using testsupport::DeviceJobKind;
using testsupport::JobRig;

const std::vector<uint8_t>& Reference() {
    static const std::vector<uint8_t> image = testsupport::ReferenceImageBytes();
    return image;
}

struct Outcome {
    ComResult result;
    EmulatorCounters counters;
    int64_t planned = 0;
    std::vector<uint8_t> flash;
    std::vector<uint8_t> sector0;
    std::vector<uint8_t> sector1;
    std::vector<uint8_t> whole;
};

Outcome RunKind(const DeviceJobKind& job, bool skip, const std::vector<uint8_t>& image = Reference()) {
    JobRig rig(image);
    EXPECT_TRUE(rig.Boot().Succeeded());
    rig.dm->pComQue().SetSkipErasedChunks(skip);
    job.prepare(rig);
    rig.device.ResetCounters();
    job.queue(rig);
    Outcome o;
    o.planned = rig.dm->pComQue().PlannedAnswers();
    o.result = rig.Run();
    o.counters = rig.device.Counters();
    o.flash = rig.Flash();
    o.sector0.assign(rig.dm->SectorBuffer(0), rig.dm->SectorBuffer(0) + FC::FM_SECTOR_SIZE);
    o.sector1.assign(rig.dm->SectorBuffer(1), rig.dm->SectorBuffer(1) + FC::FM_SECTOR_SIZE);
    o.whole.assign(rig.dm->WholeImage(), rig.dm->WholeImage() + FC::FM_TOTAL_SIZE);
    return o;
}

bool Writes(const DeviceJobKind& job) {
    return job.name != "boot read" && job.name != "macro script read" && job.name != "LED preview" && job.name != "backup" &&
           job.name != "factory reset";
}

TEST(ErasedChunkSkip, EveryJobKindLeavesTheFlashThePlainPlanLeaves) {
    const std::vector<DeviceJobKind> jobs = testsupport::AllDeviceJobKinds();
    ASSERT_EQ(jobs.size(), 14u);
    for (const DeviceJobKind& job : jobs) {
        SCOPED_TRACE(job.name);
        const Outcome ours = RunKind(job, true);
        const Outcome plain = RunKind(job, false);
        EXPECT_TRUE(ours.result.Succeeded()) << ours.result.Describe();
        EXPECT_TRUE(plain.result.Succeeded()) << plain.result.Describe();
        EXPECT_TRUE(ours.flash == plain.flash);
        // What was read reaches the same buffers.
        EXPECT_TRUE(ours.sector0 == plain.sector0);
        EXPECT_TRUE(ours.sector1 == plain.sector1);
        EXPECT_TRUE(ours.whole == plain.whole);
        EXPECT_EQ(ours.result.nStepsDone, plain.result.nStepsDone);
        EXPECT_EQ(ours.counters.sectorsErased, plain.counters.sectorsErased);
        if (Writes(job)) {
            EXPECT_LT(ours.counters.exchanges, plain.counters.exchanges);
        } else {
            EXPECT_EQ(ours.counters.exchanges, plain.counters.exchanges);
        }
        // The plan made before the job is what the job did.
        EXPECT_EQ(static_cast<uint64_t>(ours.planned), ours.counters.exchanges);
        EXPECT_EQ(static_cast<uint64_t>(plain.planned), plain.counters.exchanges);
    }
}

TEST(ErasedChunkSkip, JobsOnTheReferenceImageStayWithinTheirExchangeBudgets) {
    for (const DeviceJobKind& job : testsupport::AllDeviceJobKinds()) {
        SCOPED_TRACE(job.name);
        const Outcome ours = RunKind(job, true);
        const uint64_t n = ours.counters.exchanges;
        uint64_t budget = UINT64_MAX;
        if (job.settingsWrite) budget = 70;
        if (job.name == "macro script write" || job.name == "switch preset applied") budget = 150;
        if (job.name == "restore") budget = 1000;
        // The boot read reads heads of directory records and the names they announce.
        if (job.name == "boot read") budget = 300;
        // Reads and erases are what they were.
        if (job.name == "backup") budget = 33826;
        if (job.name == "factory reset") budget = 32;
        EXPECT_LE(n, budget);
        if (job.name == "backup" || job.name == "factory reset") {
            EXPECT_EQ(n, budget);
        }
    }
}

TEST(ErasedChunkSkip, ChangedSettingsReachTheFlash) {
    // A skipped chunk is one that held nothing to write; a changed value is
    // never among them.
    const std::vector<DeviceJobKind> jobs = testsupport::AllDeviceJobKinds();
    const auto dial = std::find_if(jobs.begin(), jobs.end(), [](const DeviceJobKind& j) { return j.name == "dial function"; });
    ASSERT_NE(dial, jobs.end());
    const Outcome o = RunKind(*dial, true);
    const size_t name = FC::FM_FUNCTION_NAME_ST_ADR + 2 * FC::FM_FUNCTION_NAME_ST_SIZE;  // mode 0, function 2
    EXPECT_EQ(o.flash[name], 8);
    EXPECT_EQ(o.flash[name + 1], 'Z');
    EXPECT_EQ(o.flash[name + 7], 'm');
    EXPECT_EQ(o.flash[FC::FM_FUNCTION_SETTING_ST_ADR + 2 * FC::FM_FUNCTION_SETTING_SIZE_FUNC + 2], 0x57);
}

TEST(ErasedChunkSkip, RestoredImagesWithAnyPatternOfErasedBytesComeBackExactly) {
    // Runs of 0xFF of every length and position: at page ends, across chunk
    // borders, single bytes of 0xFF inside data, data bytes alone in a page.
    std::mt19937 rng(5);
    const std::vector<DeviceJobKind> jobs = testsupport::AllDeviceJobKinds();
    const auto restore = std::find_if(jobs.begin(), jobs.end(), [](const DeviceJobKind& j) { return j.name == "restore"; });
    ASSERT_NE(restore, jobs.end());
    for (int round = 0; round < 3; ++round) {
        std::vector<uint8_t> image(FC::FM_TOTAL_SIZE, 0xFF);
        size_t pos = 0;
        while (pos < image.size()) {
            const size_t erased = rng() % (round == 0 ? 8 : round == 1 ? 300 : 5000);
            const size_t data = 1 + rng() % (round == 2 ? 3 : 120);
            pos += erased;
            for (size_t i = 0; i < data && pos < image.size(); ++i, ++pos) {
                image[pos] = static_cast<uint8_t>(rng() % 5 == 0 ? 0xFF : rng());
            }
        }
        DeviceJobKind job = *restore;
        job.prepare = [&image](JobRig& rig) { std::memcpy(rig.dm->WholeImage(), image.data(), image.size()); };
        SCOPED_TRACE("round " + std::to_string(round));
        // The device starts with other data: the erases must clear it.
        const Outcome ours = RunKind(job, true);
        EXPECT_TRUE(ours.result.Succeeded());
        EXPECT_TRUE(ours.flash == image);
        EXPECT_EQ(static_cast<uint64_t>(ours.planned), ours.counters.exchanges);
        EXPECT_LE(ours.counters.ExchangesFor(ComElem::COM_CMD_WRITE), 40960u);
    }
}

TEST(ErasedChunkSkip, AWriteOverUnerasedFlashStillMatchesThePlainPlan) {
    // Programming 0xFF leaves even programmed bytes as they are, so skipping
    // is right without an erase before it too.
    std::vector<uint8_t> dirty(FC::FM_TOTAL_SIZE);
    std::mt19937 rng(9);
    for (auto& b : dirty) b = static_cast<uint8_t>(rng());
    DeviceJobKind job;
    job.name = "sector write without erase";
    job.prepare = [](JobRig& rig) {
        uint8_t* s = rig.dm->SectorBuffer(9);
        std::memset(s, 0xFF, FC::FM_SECTOR_SIZE);
        for (size_t i = 0; i < FC::FM_SECTOR_SIZE; i += 97) s[i] = static_cast<uint8_t>(i);
    };
    job.queue = [](JobRig& rig) { rig.dm->pComQue().CreateWriteSectorComQue(9); };
    const Outcome ours = RunKind(job, true, dirty);
    const Outcome plain = RunKind(job, false, dirty);
    EXPECT_TRUE(ours.flash == plain.flash);
    EXPECT_LT(ours.counters.exchanges, plain.counters.exchanges);
}

TEST(ErasedChunkSkip, AJobOfErasedBytesOnlyEndsWithoutAReport) {
    JobRig rig(Reference());
    ASSERT_TRUE(rig.Boot().Succeeded());
    rig.dm->SetDataUpdate(false);
    std::memset(rig.dm->SectorBuffer(20), 0xFF, FC::FM_SECTOR_SIZE);
    rig.device.ResetCounters();
    ASSERT_TRUE(rig.dm->pComQue().CreateWriteSectorComQue(20));
    EXPECT_EQ(rig.dm->pComQue().PlannedAnswers(), 0);
    // Nothing to send, yet the job happened and ends once, as every job does.
    ASSERT_TRUE(rig.dm->pUSBHID().StartCom());
    EXPECT_FALSE(rig.dm->pUSBHID().IsJobRunning());
    EXPECT_TRUE(rig.dm->bDataUpdate());
    EXPECT_EQ(rig.dm->pUSBHID().LastResult().nStepsDone, 1);
    EXPECT_TRUE(rig.dm->pUSBHID().LastResult().Succeeded());
    EXPECT_EQ(rig.device.Counters().exchanges, 0u);
}

}  // namespace
}  // namespace kelvadeck
