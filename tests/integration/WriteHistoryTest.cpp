// Undo of flash writes against the emulated Kelvadeck: what an undo writes
// back is what the device held before the write, entry by entry, newest first,
// and the history forgets whatever it cannot restore faithfully.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/DataManager.h"
#include "core/WriteHistory.h"
#include "core/BackupRestoreJob.h"
#include "device/ComElem.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "support/JobRig.h"
#include "support/ReferenceImage.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;
using C = Constants;
using FC = FlashControl;
using Clock = std::chrono::system_clock;
using testsupport::JobRig;

const std::vector<uint8_t>& Reference() {
    static const std::vector<uint8_t> image = testsupport::ReferenceImageBytes();
    return image;
}

// The bytes of the settings sector that the fast write transfers, in block order.
std::vector<uint8_t> SettingsBlockBytes(const std::vector<uint8_t>& flash) {
    size_t count = 0;
    const ComQue::Block* blocks = ComQue::SettingsBlocks(count);
    std::vector<uint8_t> out;
    for (size_t i = 0; i < count; ++i) {
        out.insert(out.end(), flash.begin() + blocks[i].addr, flash.begin() + blocks[i].addr + blocks[i].size);
    }
    return out;
}

std::vector<uint8_t> SectorOf(const std::vector<uint8_t>& flash, int sector) {
    const auto begin = flash.begin() + static_cast<std::ptrdiff_t>(sector) * FC::FM_SECTOR_SIZE;
    return std::vector<uint8_t>(begin, begin + FC::FM_SECTOR_SIZE);
}

uint8_t ModeByte(const std::vector<uint8_t>& flash, int mode, int offset) {
    return flash[static_cast<size_t>(FC::ModeSettingAddress(mode) + offset)];
}

// A settings edit written as the LED colour screen writes it.
ComResult WriteSettings(JobRig& rig, const std::function<void(DataManager&)>& edit) {
    edit(*rig.dm);
    EXPECT_TRUE(rig.dm->DataOutputToMemory());
    ComQue& que = rig.dm->pComQue();
    que.CreateFastWriteComQue();
    que.CreateProfileSettingInfoComQue();
    return rig.Run();
}

ComResult Undo(JobRig& rig) {
    if (!rig.dm->History().StartUndoLastChange()) {
        ADD_FAILURE() << "the undo did not start";
        return {};
    }
    EXPECT_TRUE(rig.dm->pUSBHID().IsJobRunning());
    return rig.Run();
}

// Reads a data sector's scripts and decodes them, as the macro screen does
// before it stores a script there.
void LoadScriptSector(JobRig& rig, int sector) {
    if (rig.dm->pComQue().SetReadScriptDataComQue(sector)) {
        ASSERT_TRUE(rig.Run().Succeeded());
    }
    ASSERT_TRUE(rig.dm->SectorReadFlag(sector));
    rig.dm->SetScriptDataFromFlashSector(sector);
}

// The first user script the reference image stores.
int FirstStoredUserScript(const DataManager& dm) {
    for (int i = 0; i < C::SCRIPT_USER_USE_NUM; ++i) {
        if (dm.g_arSCE[static_cast<size_t>(i)].IsStored()) return i + 1;
    }
    return 0;
}

class TempDir {
public:
    TempDir() : path(fs::temp_directory_path() / ("kelvadeck-undo-" + std::to_string(::getpid()))) {
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

// ---------------------------------------------------------------------------

TEST(WriteHistory, UndoOfASettingsWriteGivesBackTheDevicesSettings) {
    JobRig rig(Reference());
    ASSERT_TRUE(rig.Boot().Succeeded());
    const std::vector<uint8_t> original = rig.Flash();
    const std::vector<ProfileSettingInfo> modes = rig.dm->g_arPSI;
    const std::vector<DialMacroInfo> dials = rig.dm->g_arDMI;
    WriteHistory& history = rig.dm->History();
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.NewestChange().has_value());

    const uint8_t oldDuty = rig.dm->g_arPSI[0].bLEDDutyR;
    const uint8_t newDuty = oldDuty == 42 ? 43 : 42;
    const auto before = Clock::now();
    ASSERT_TRUE(WriteSettings(rig, [&](DataManager& dm) { dm.g_arPSI[0].bLEDDutyR = newDuty; }).Succeeded());
    const auto after = Clock::now();
    ASSERT_EQ(ModeByte(rig.Flash(), 0, FC::FM_OFSET_BASE_LED_R_DUTY), newDuty);

    ASSERT_EQ(history.EntryCount(), 1u);
    EXPECT_TRUE(history.CanUndo());
    const auto change = history.NewestChange();
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->sectors, std::vector<int>{0});
    EXPECT_TRUE(change->Settings());
    EXPECT_FALSE(change->ScriptDirectory());
    EXPECT_TRUE(change->ScriptSectors().empty());
    EXPECT_GE(change->time, before);
    EXPECT_LE(change->time, after);

    rig.device.LiveState().Clear();
    const ComResult r = Undo(rig);
    ASSERT_TRUE(r.Succeeded()) << r.Describe();
    const std::vector<uint8_t> undone = rig.Flash();
    EXPECT_EQ(SettingsBlockBytes(undone), SettingsBlockBytes(original));
    EXPECT_EQ(rig.dm->g_arPSI, modes);
    EXPECT_EQ(rig.dm->g_arDMI, dials);
    // The undo's job is no change of its own.
    EXPECT_EQ(history.EntryCount(), 0u);
    EXPECT_FALSE(history.CanUndo());

    // The device took the restored settings over at once, every one of them.
    const auto profiles = rig.device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_PROFILE_STANDARD_INFO);
    ASSERT_EQ(profiles.size(), size_t{C::MODE_NUM});
    const auto mode0 = profiles[0].payload;
    ASSERT_EQ(mode0.size(), size_t{C::COM_PACKET_SIZE_SET_PROFILE_STANDARD_INFO});
    EXPECT_EQ(mode0[1 + FC::FM_OFSET_BASE_LED_R_DUTY], oldDuty);
    EXPECT_EQ(rig.device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_SWITCH_FUNC_INFO).size(),
              size_t{C::MODE_NUM} * C::BUTTON_NUM);
    EXPECT_EQ(rig.device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_STANDARD_INFO).size(), 1u);

    // A new arrival reads what the undo left: the model of the original device.
    ASSERT_TRUE(rig.Boot().Succeeded());
    EXPECT_EQ(rig.dm->g_arPSI, modes);
    EXPECT_EQ(rig.dm->g_arDMI, dials);
}

TEST(WriteHistory, UndoOfAScriptWriteGivesBackTheScriptSectorAndTheDirectory) {
    JobRig rig(Reference());
    ASSERT_TRUE(rig.Boot().Succeeded());
    const int scriptNo = FirstStoredUserScript(*rig.dm);
    ASSERT_GT(scriptNo, 0);
    const int sector = FC::ScriptSector(scriptNo - 1);
    LoadScriptSector(rig, sector);
    const std::vector<uint8_t> original = rig.Flash();
    const std::vector<ScriptElem> scripts = rig.dm->g_arSCE;
    const ScriptTotalInfo totals = rig.dm->g_pSCTI;
    ASSERT_TRUE(scripts[static_cast<size_t>(scriptNo - 1)].pbRawData.has_value());

    const MacroCreator replacement = testsupport::ReferenceScript(700, 99);
    ASSERT_TRUE(rig.dm->RenewMacroScriptInfo(scriptNo, replacement));
    ASSERT_TRUE(rig.dm->DataOutputToMemory());
    ComQue& que = rig.dm->pComQue();
    que.CreateScriptInfoComQue();
    que.CreateWriteScriptComQue(scriptNo);
    ASSERT_TRUE(rig.Run().Succeeded());
    ASSERT_NE(SectorOf(rig.Flash(), sector), SectorOf(original, sector));
    ASSERT_NE(SectorOf(rig.Flash(), 1), SectorOf(original, 1));

    WriteHistory& history = rig.dm->History();
    ASSERT_EQ(history.EntryCount(), 1u);
    const auto change = history.NewestChange();
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->sectors, (std::vector<int>{1, sector}));
    EXPECT_FALSE(change->Settings());
    EXPECT_TRUE(change->ScriptDirectory());
    EXPECT_EQ(change->ScriptSectors(), std::vector<int>{sector});

    const ComResult r = Undo(rig);
    ASSERT_TRUE(r.Succeeded()) << r.Describe();
    EXPECT_TRUE(rig.Flash() == original) << "the flash differs from the device's before the write";
    // The model decodes the restored sectors: every script of the sector is back.
    EXPECT_EQ(rig.dm->g_pSCTI, totals);
    for (int i = sector - 2; i < C::SCRIPT_NUM; i += FC::FM_SCRIPT_DATA_SECTOR_NUM) {
        SCOPED_TRACE(i);
        const ScriptElem& now = rig.dm->g_arSCE[static_cast<size_t>(i)];
        const ScriptElem& then = scripts[static_cast<size_t>(i)];
        EXPECT_EQ(now.dwSaveAddress, then.dwSaveAddress);
        EXPECT_EQ(now.dwSaveSize, then.dwSaveSize);
        EXPECT_EQ(now.strScriptName, then.strScriptName);
        EXPECT_EQ(now.pbRawData, then.pbRawData);
    }
    EXPECT_EQ(history.EntryCount(), 0u);
}

TEST(WriteHistory, ElevenWritesKeepTheLastTenAndUndoGoesNewestFirst) {
    JobRig rig({});
    ASSERT_TRUE(rig.Boot().Succeeded());
    WriteHistory& history = rig.dm->History();
    for (uint8_t value = 1; value <= 11; ++value) {
        ASSERT_TRUE(WriteSettings(rig, [&](DataManager& dm) { dm.g_arPSI[1].bLEDDutyG = value; }).Succeeded());
        EXPECT_EQ(history.EntryCount(), std::min<size_t>(value, WriteHistory::MAX_ENTRIES));
    }
    ASSERT_EQ(ModeByte(rig.Flash(), 1, FC::FM_OFSET_BASE_LED_G_DUTY), 11);
    for (uint8_t expected = 10; expected >= 1; --expected) {
        SCOPED_TRACE(static_cast<int>(expected));
        ASSERT_TRUE(Undo(rig).Succeeded());
        EXPECT_EQ(ModeByte(rig.Flash(), 1, FC::FM_OFSET_BASE_LED_G_DUTY), expected);
        EXPECT_EQ(rig.dm->g_arPSI[1].bLEDDutyG, expected);
        EXPECT_EQ(history.EntryCount(), size_t{expected} - 1);
    }
    // The first write's before-image was the oldest of eleven: it is gone.
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.StartUndoLastChange());
    EXPECT_FALSE(rig.dm->pUSBHID().IsJobRunning());
    EXPECT_EQ(ModeByte(rig.Flash(), 1, FC::FM_OFSET_BASE_LED_G_DUTY), 1);
}

TEST(WriteHistory, AnUndoTakesOnlyTheNewestEntry) {
    JobRig rig({});
    ASSERT_TRUE(rig.Boot().Succeeded());
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[2].bLEDDutyB = 5; }).Succeeded());
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[2].bLEDDutyB = 6; }).Succeeded());
    ASSERT_TRUE(Undo(rig).Succeeded());
    EXPECT_EQ(rig.dm->History().EntryCount(), 1u);
    EXPECT_EQ(ModeByte(rig.Flash(), 2, FC::FM_OFSET_BASE_LED_B_DUTY), 5);
    // A change made after an undo is undone before the older ones.
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[2].bLEDDutyB = 7; }).Succeeded());
    EXPECT_EQ(rig.dm->History().EntryCount(), 2u);
    ASSERT_TRUE(Undo(rig).Succeeded());
    EXPECT_EQ(ModeByte(rig.Flash(), 2, FC::FM_OFSET_BASE_LED_B_DUTY), 5);
    ASSERT_TRUE(Undo(rig).Succeeded());
    EXPECT_EQ(ModeByte(rig.Flash(), 2, FC::FM_OFSET_BASE_LED_B_DUTY), 0xFF);  // the erased device's byte
}

TEST(WriteHistory, AFailedUndoKeepsItsEntryForAnotherTry) {
    JobRig rig(Reference());
    ASSERT_TRUE(rig.Boot().Succeeded());
    const std::vector<uint8_t> original = rig.Flash();
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[1].bLEDBrightness ^= 1; }).Succeeded());
    const std::vector<uint8_t> written = rig.Flash();
    ASSERT_NE(SettingsBlockBytes(written), SettingsBlockBytes(original));
    WriteHistory& history = rig.dm->History();
    const auto change = history.NewestChange();
    ASSERT_TRUE(change.has_value());

    EmulatorKnobs knobs = rig.device.Knobs();
    knobs.errorForAddresses = {{0x0000, 0xFFFF}};  // the settings sector refuses erase and writes
    rig.device.SetKnobs(knobs);
    const ComResult failed = Undo(rig);
    EXPECT_FALSE(failed.Succeeded());
    EXPECT_TRUE(rig.Flash() == written);
    ASSERT_EQ(history.EntryCount(), 1u);
    EXPECT_TRUE(history.CanUndo());
    const auto kept = history.NewestChange();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->sectors, change->sectors);
    EXPECT_EQ(kept->time, change->time);

    knobs.errorForAddresses.clear();
    rig.device.SetKnobs(knobs);
    const ComResult retried = Undo(rig);
    ASSERT_TRUE(retried.Succeeded()) << retried.Describe();
    EXPECT_EQ(SettingsBlockBytes(rig.Flash()), SettingsBlockBytes(original));
    EXPECT_EQ(history.EntryCount(), 0u);
}

TEST(WriteHistory, JobsThatRewriteNothingMakeNoEntry) {
    JobRig rig(Reference());
    ASSERT_TRUE(rig.Boot().Succeeded());
    const std::vector<uint8_t> original = rig.Flash();
    WriteHistory& history = rig.dm->History();
    USBHidManager& hid = rig.dm->pUSBHID();

    // Encoded, but the write never starts: nothing was queued.
    rig.dm->g_arPSI[0].bLEDDutyB ^= 1;
    ASSERT_TRUE(rig.dm->DataOutputToMemory());
    EXPECT_TRUE(history.HasPendingImage(0));
    EXPECT_FALSE(hid.StartCom());
    EXPECT_EQ(history.EntryCount(), 0u);
    // Jobs that leave the flash alone.
    rig.dm->pComQue().SetLedPreview(10, 20, 30, 1);
    ASSERT_TRUE(rig.Run().Succeeded());
    rig.dm->pComQue().CreateBaseSettingInfoComQue();
    ASSERT_TRUE(rig.Run().Succeeded());
    EXPECT_EQ(history.EntryCount(), 0u);
    // Rewriting the sector with what the device holds is no change either.
    rig.dm->g_arPSI[0].bLEDDutyB ^= 1;
    ASSERT_TRUE(rig.dm->DataOutputToMemory());
    rig.dm->pComQue().CreateFastWriteComQue();
    ASSERT_TRUE(rig.Run().Succeeded());
    EXPECT_EQ(history.EntryCount(), 0u);
    EXPECT_FALSE(history.HasPendingImage(0));

    // The before-image is still the device's when the write finally runs.
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyB ^= 1; }).Succeeded());
    ASSERT_EQ(history.EntryCount(), 1u);
    ASSERT_TRUE(Undo(rig).Succeeded());
    EXPECT_EQ(SettingsBlockBytes(rig.Flash()), SettingsBlockBytes(original));
}

TEST(WriteHistory, AWriteThatCannotStartMakesNoEntry) {
    JobRig rig({});
    ASSERT_TRUE(rig.Boot().Succeeded());
    WriteHistory& history = rig.dm->History();
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyR = 1; }).Succeeded());
    ASSERT_EQ(history.EntryCount(), 1u);

    // The device went away unnoticed: the start finds out, and nothing is kept.
    rig.device.Unplug();
    rig.dm->g_arPSI[0].bLEDDutyR = 2;
    ASSERT_TRUE(rig.dm->DataOutputToMemory());
    rig.dm->pComQue().CreateFastWriteComQue();
    EXPECT_FALSE(rig.dm->pUSBHID().StartCom());
    EXPECT_EQ(history.EntryCount(), 0u);
    EXPECT_FALSE(history.HasPendingImage(0));
    EXPECT_FALSE(history.StartUndoLastChange());
}

TEST(WriteHistory, RemovalOfTheDeviceForgetsEverything) {
    JobRig rig(Reference());
    ASSERT_TRUE(rig.Boot().Succeeded());
    WriteHistory& history = rig.dm->History();
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyG ^= 1; }).Succeeded());
    rig.dm->g_arPSI[0].bLEDDutyG ^= 2;
    ASSERT_TRUE(rig.dm->DataOutputToMemory());
    ASSERT_EQ(history.EntryCount(), 1u);
    ASSERT_TRUE(history.HasPendingImage(0));

    rig.device.Unplug();
    rig.dm->pUSBHID().PollDevices();
    ASSERT_FALSE(rig.dm->pUSBHID().bConnected());
    EXPECT_EQ(history.EntryCount(), 0u);
    EXPECT_FALSE(history.HasPendingImage(0));
    EXPECT_FALSE(history.HasPendingImage(1));

    // Another Kelvadeck arrives: the first one's sectors are not offered to it.
    (void)rig.device.Flash().Overwrite(0, std::vector<uint8_t>(FC::FM_TOTAL_SIZE, 0xFF));
    rig.device.Plug();
    ASSERT_TRUE(rig.Boot().Succeeded());
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.StartUndoLastChange());
}

TEST(WriteHistory, ADeviceLostDuringAWriteLeavesNoEntry) {
    JobRig rig({});
    ASSERT_TRUE(rig.Boot().Succeeded());
    EmulatorKnobs knobs = rig.device.Knobs();
    knobs.unplugAfterExchanges = rig.device.ExchangeNumber() + 3;  // after the erase, during the writes
    rig.device.SetKnobs(knobs);
    const ComResult r = WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyR = 9; });
    EXPECT_EQ(r.eReason, ComResult::AbortReason::DeviceGone);
    EXPECT_EQ(rig.dm->History().EntryCount(), 0u);
    EXPECT_FALSE(rig.dm->History().HasPendingImage(0));
}

TEST(WriteHistory, FactoryResetAndRestoreEmptyTheHistory) {
    JobRig rig(Reference());
    ASSERT_TRUE(rig.Boot().Succeeded());
    WriteHistory& history = rig.dm->History();
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyR ^= 1; }).Succeeded());
    ASSERT_EQ(history.EntryCount(), 1u);

    BackupRestoreJob job(*rig.dm);
    ASSERT_TRUE(job.StartFormat()) << job.LastError();
    rig.Run();
    EXPECT_EQ(history.EntryCount(), 0u);  // already when the job erased the flash
    ASSERT_EQ(job.FinishJob().outcome, BackupRestoreJob::Outcome::Ok);

    // After the reset, the erased settings are what a write's undo gives back.
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyR = 3; }).Succeeded());
    ASSERT_EQ(history.EntryCount(), 1u);
    ASSERT_TRUE(Undo(rig).Succeeded());
    const std::vector<uint8_t> blocks = SettingsBlockBytes(rig.Flash());
    EXPECT_TRUE(std::all_of(blocks.begin(), blocks.end(), [](uint8_t b) { return b == 0xFF; }));

    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyR = 4; }).Succeeded());
    rig.dm->g_arPSI[0].bLEDDutyR = 5;
    ASSERT_TRUE(rig.dm->DataOutputToMemory());
    ASSERT_EQ(history.EntryCount(), 1u);
    ASSERT_TRUE(history.HasPendingImage(0));
    TempDir tmp;
    const std::string file = (tmp.path / "device.mbf").string();
    {
        std::ofstream out(file, std::ios::binary);
        const std::vector<uint8_t>& image = Reference();
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
    ASSERT_TRUE(job.StartRestore(file)) << job.LastError();
    rig.Run();
    EXPECT_EQ(history.EntryCount(), 0u);
    EXPECT_FALSE(history.HasPendingImage(0));
    ASSERT_EQ(job.FinishJob().outcome, BackupRestoreJob::Outcome::Ok);
    EXPECT_TRUE(rig.Flash() == Reference());
    EXPECT_FALSE(history.CanUndo());
}

TEST(WriteHistory, ASectorReadAgainShowsTheDeviceAndKeepsNoImage) {
    JobRig rig(Reference());
    ASSERT_TRUE(rig.Boot().Succeeded());
    const int scriptNo = FirstStoredUserScript(*rig.dm);
    ASSERT_GT(scriptNo, 0);
    const int sector = FC::ScriptSector(scriptNo - 1);
    LoadScriptSector(rig, sector);
    const std::vector<uint8_t> original = rig.Flash();
    WriteHistory& history = rig.dm->History();
    EXPECT_FALSE(history.HasPendingImage(sector));

    ASSERT_TRUE(rig.dm->RenewMacroScriptInfo(scriptNo, testsupport::ReferenceScript(50, 3)));
    EXPECT_TRUE(history.HasPendingImage(sector));
    rig.dm->pComQue().SetReadSectorComQue(sector);
    ASSERT_TRUE(rig.Run().Succeeded());
    EXPECT_FALSE(history.HasPendingImage(sector));

    // The buffer is the device's again: writing it back changes nothing and is no entry.
    rig.dm->pComQue().CreateWriteScriptComQue(scriptNo);
    ASSERT_TRUE(rig.Run().Succeeded());
    EXPECT_EQ(history.EntryCount(), 0u);
    EXPECT_TRUE(rig.Flash() == original);
}

TEST(WriteHistory, ASectorRewrittenUnreadCannotBeUndoneAndEmptiesTheHistory) {
    JobRig rig({});
    ASSERT_TRUE(rig.Boot().Succeeded());
    WriteHistory& history = rig.dm->History();
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyR = 8; }).Succeeded());
    ASSERT_EQ(history.EntryCount(), 1u);

    // Slot 33 lies in sector 4, which was never read: what the device held there is unknown.
    const int scriptNo = 33;
    ASSERT_FALSE(rig.dm->SectorReadFlag(FC::ScriptSector(scriptNo - 1)));
    ASSERT_TRUE(rig.dm->RenewMacroScriptInfo(scriptNo, testsupport::ReferenceScript(40, 1)));
    ASSERT_TRUE(rig.dm->DataOutputToMemory());
    rig.dm->pComQue().CreateScriptInfoComQue();
    rig.dm->pComQue().CreateWriteScriptComQue(scriptNo);
    ASSERT_TRUE(rig.Run().Succeeded());
    EXPECT_EQ(history.EntryCount(), 0u);
    EXPECT_FALSE(history.CanUndo());
}

TEST(WriteHistory, UndoWaitsForAnIdleQueue) {
    JobRig rig({});
    ASSERT_TRUE(rig.Boot().Succeeded());
    WriteHistory& history = rig.dm->History();
    ASSERT_TRUE(WriteSettings(rig, [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyR = 8; }).Succeeded());
    // Steps queued but not started would run in the undo's job.
    rig.dm->pComQue().SetLedPreview(1, 2, 3, 1);
    EXPECT_FALSE(history.StartUndoLastChange());
    EXPECT_EQ(history.EntryCount(), 1u);
    EXPECT_EQ(rig.dm->g_arPSI[0].bLEDDutyR, 8);  // nothing was restored
    ASSERT_TRUE(rig.Run().Succeeded());
    // And while a job runs, there is nothing to undo yet.
    rig.dm->pComQue().SetLedPreview(1, 2, 3, 1);
    ASSERT_TRUE(rig.dm->pUSBHID().StartCom());
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.StartUndoLastChange());
    ASSERT_TRUE(rig.Run().Succeeded());
    EXPECT_TRUE(history.CanUndo());
}

}  // namespace
}  // namespace kelvadeck
