#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/DataManager.h"

using namespace kelvadeck;
using C = Constants;
using F = FlashControl;

namespace {

// A preset folder of our own so the tests do not depend on the shipped presets.
class PresetFolder {
public:
    // Named after the test: CTest runs tests in parallel processes.
    PresetFolder()
        : m_dir(testing::TempDir() + "/kelvadeck_presets_" + testing::UnitTest::GetInstance()->current_test_info()->name()) {
        std::filesystem::remove_all(m_dir);
    }
    ~PresetFolder() { std::filesystem::remove_all(m_dir); }
    const std::string& Dir() const { return m_dir; }
    void WriteSwitchPreset(int app, int id, const std::vector<uint8_t>& bytes) {
        char rel[64];
        std::snprintf(rel, sizeof rel, "/presetdata/JA/macro_sw/%03d/%03d.mcdf", app, id);
        const std::filesystem::path path = m_dir + rel;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::string m_dir;
};

DataManager::Options WithResources(const std::string& dir) {
    DataManager::Options options;
    options.resourceDir = dir;
    return options;
}

const SelectItemElemForSwich kEraser{C::APP_DATA_FUNC_CATEGORY_ID_PRESET, C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP,
                                     C::APP_DATA_FUNC_PRESET_PHOTOSHOP_ID_ERASER};

}  // namespace

TEST(DataManagerPreset, SelectionSetsTheButtonNumbers) {
    DataManager dm;
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    ASSERT_TRUE(dm.SetNewSwitchFuncSetting(0, 0, kEraser));
    EXPECT_EQ(dm.g_arPSI[0].arSWScriptNo[0], 151);
    EXPECT_EQ(dm.g_arPSI[0].arSWSpScriptNo[0], 0);
    EXPECT_EQ(dm.g_arPSI[0].arSelectItemElemSW[0], kEraser);
    ASSERT_TRUE(dm.SetNewSwitchFuncSetting(2, 10, kEraser));
    EXPECT_EQ(dm.g_arPSI[2].arSWScriptNo[10], 183);

    ASSERT_TRUE(dm.SetNewSwitchFuncSetting(1, 3, {C::APP_DATA_FUNC_CATEGORY_ID_MACRO, 0, 4}));
    EXPECT_EQ(dm.g_arPSI[1].arSWScriptNo[3], 5);
    ASSERT_TRUE(dm.SetNewSwitchFuncSetting(1, 3, {C::APP_DATA_FUNC_CATEGORY_ID_GENERAL, 0, 12}));
    EXPECT_EQ(dm.g_arPSI[1].arSWScriptNo[3], 0);
    EXPECT_EQ(dm.g_arPSI[1].arSWSpScriptNo[3], C::SP_FUNC_FUNC);
    for (uint8_t category : {C::APP_DATA_FUNC_CATEGORY_ID_KEY, C::APP_DATA_FUNC_CATEGORY_ID_MOUSE,
                             C::APP_DATA_FUNC_CATEGORY_ID_GAMEPAD, C::APP_DATA_FUNC_CATEGORY_ID_MULTIMEDIA,
                             C::APP_DATA_FUNC_CATEGORY_ID_NOT_SET}) {
        ASSERT_TRUE(dm.SetNewSwitchFuncSetting(1, 3, {category, 0, 1}));
        EXPECT_EQ(dm.g_arPSI[1].arSWScriptNo[3], 0);
        EXPECT_EQ(dm.g_arPSI[1].arSWSpScriptNo[3], 0);
    }
    // Out-of-range list positions choose nothing rather than a wrong script.
    ASSERT_TRUE(dm.SetNewSwitchFuncSetting(1, 3, {C::APP_DATA_FUNC_CATEGORY_ID_MACRO, 0, 150}));
    EXPECT_EQ(dm.g_arPSI[1].arSWScriptNo[3], 0);
    ASSERT_TRUE(dm.SetNewSwitchFuncSetting(1, 3, {C::APP_DATA_FUNC_CATEGORY_ID_GENERAL, 0, 13}));
    EXPECT_EQ(dm.g_arPSI[1].arSWSpScriptNo[3], 0);
    EXPECT_FALSE(dm.SetNewSwitchFuncSetting(3, 0, kEraser));
    EXPECT_FALSE(dm.SetNewSwitchFuncSetting(0, 11, kEraser));
}

TEST(DataManagerPreset, PresetSlotSectors) {
    DataManager dm;
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    int sector = 0;
    EXPECT_FALSE(dm.HasSwitchPresetScriptInfo(1, 5, sector));
    EXPECT_EQ(sector, 18) << "slot 167 is index 166, in sector 2 + 166 % 30";
    dm.SetSectorReadFlag(18, true);
    EXPECT_TRUE(dm.HasSwitchPresetScriptInfo(1, 5, sector));
}

TEST(DataManagerPreset, PresetScriptIsStoredInTheButtonsSlot) {
    PresetFolder folder;
    folder.WriteSwitchPreset(0, 2, {0x41, 0x08, 0x40, 0x08});
    DataManager dm(WithResources(folder.Dir()));
    // Script 1 (index 0) shares sector 2 with the slot of mode 0 button 0 (index 150).
    uint8_t* rec = dm.SectorBuffer(1) + F::ScriptRecordOffset(0);
    const uint8_t stored[] = {0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00, 0x00};
    std::copy(stored, stored + sizeof stored, rec);
    dm.SectorBuffer(2)[0] = 0x29;
    dm.SectorBuffer(2)[1] = 0x21;
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    int sector = 0;
    ASSERT_FALSE(dm.HasSwitchPresetScriptInfo(0, 0, sector));
    ASSERT_EQ(sector, 2);
    EXPECT_EQ(dm.RenewSwitchScriptInfoFromPreset(0, 0, kEraser), DataManager::PRESET_SECTOR_NOT_READ)
        << "the other scripts of the sector must be loaded before it is repacked";
    dm.SetSectorReadFlag(sector, true);
    ASSERT_TRUE(dm.SetScriptDataFromFlashSector(sector));
    EXPECT_EQ(dm.RenewSwitchScriptInfoFromPreset(0, 0, kEraser), 151);
    const ScriptElem& slot = dm.g_arSCE[150];
    EXPECT_EQ(slot.pbRawData, (std::vector<uint8_t>{0x41, 0x08, 0x40, 0x08}));
    EXPECT_EQ(slot.dwSaveAddress, 0x20002u) << "packed after script 1";
    EXPECT_EQ(dm.SectorBuffer(2)[1], 0x21) << "script 1 survives the repack";
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 2);
    EXPECT_EQ(dm.g_pSCTI.dwTotalSize, 6u);

    // The same preset again replaces the bytes: the count stays, the size follows.
    folder.WriteSwitchPreset(0, 2, {0x41, 0x08, 0x70, 0x00, 0x10, 0x40, 0x08});
    EXPECT_EQ(dm.RenewSwitchScriptInfoFromPreset(0, 0, kEraser), 151);
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 2);
    EXPECT_EQ(dm.g_pSCTI.dwTotalSize, 9u);

    EXPECT_EQ(dm.RenewSwitchScriptInfoFromPreset(0, 0, {C::APP_DATA_FUNC_CATEGORY_ID_MACRO, 0, 1}), 0);
    EXPECT_EQ(dm.RenewSwitchScriptInfoFromPreset(3, 0, kEraser), DataManager::PRESET_NO_MODE);
}

TEST(DataManagerPreset, BadPresetFilesStoreNothing) {
    PresetFolder folder;
    folder.WriteSwitchPreset(0, 3, std::vector<uint8_t>(F::FM_SCRIPT_DATA_MAX_SIZE + 1, 0x29));
    folder.WriteSwitchPreset(0, 4, {});
    DataManager dm(WithResources(folder.Dir()));
    ASSERT_TRUE(dm.DataInitializeFromMemory());
    for (int s = 2; s < 32; ++s) {
        dm.SetSectorReadFlag(s, true);
        ASSERT_TRUE(dm.SetScriptDataFromFlashSector(s));
    }
    const auto before = std::vector<uint8_t>(dm.SectorBuffer(2), dm.SectorBuffer(2) + F::FM_SECTOR_SIZE);
    EXPECT_EQ(dm.RenewSwitchScriptInfoFromPreset(0, 0, kEraser), DataManager::PRESET_FILE_MISSING);
    EXPECT_EQ(dm.RenewSwitchScriptInfoFromPreset(0, 0, {C::APP_DATA_FUNC_CATEGORY_ID_PRESET, 0, 3}),
              DataManager::PRESET_FILE_TOO_LARGE);
    EXPECT_EQ(dm.RenewSwitchScriptInfoFromPreset(0, 0, {C::APP_DATA_FUNC_CATEGORY_ID_PRESET, 0, 4}),
              DataManager::PRESET_FILE_UNREADABLE);
    EXPECT_FALSE(dm.g_arSCE[150].IsStored());
    EXPECT_EQ(dm.g_pSCTI.bTotalNum, 0);
    EXPECT_EQ(std::vector<uint8_t>(dm.SectorBuffer(2), dm.SectorBuffer(2) + F::FM_SECTOR_SIZE), before);
}
