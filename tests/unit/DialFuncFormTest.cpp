// The dial function screen's decisions without a window: cascading
// selection per side, modifier bits per side, sensitivity bounds and a preset
// that cannot be loaded.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/DataManager.h"
#include "model/Constants.h"
#include "screenlogic/DialFuncForm.h"

using namespace kelvadeck;
using C = Constants;

namespace {

class DialFuncFormTest : public ::testing::Test {
protected:
    DialFuncFormTest()
        : m_dir(testing::TempDir() + "/kelvadeck_dial_presets_" +
                testing::UnitTest::GetInstance()->current_test_info()->name()),
          dm(Options(m_dir)) {
        std::filesystem::remove_all(m_dir);
    }
    ~DialFuncFormTest() override { std::filesystem::remove_all(m_dir); }
    static DataManager::Options Options(const std::string& dir) {
        DataManager::Options o;
        o.resourceDir = dir;
        return o;
    }
    void SetUp() override {
        ASSERT_TRUE(dm.DataInitializeFromMemory());
        ASSERT_TRUE(form.Open(dm, 1));
    }
    void WriteDialPreset(int app, int id, const std::vector<uint8_t>& bytes) {
        char rel[64];
        std::snprintf(rel, sizeof rel, "/presetdata/JA/macro_dial/%03d/%03d.dat", app, id);
        const std::filesystem::path path = m_dir + rel;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void ChoosePreset(bool right) {
        const int base = right ? 0 : 3;
        form.ChangeSelectItem(base, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET);
        form.ChangeSelectItem(base + 1, C::APP_DATA_DIAL_FUNC_PRESET_ID_PHOTOSHOP);
        form.ChangeSelectItem(base + 2, C::APP_DATA_DIAL_FUNC_PRESET_PHOTOSHOP_ID_BRUSH_S);
    }

    std::string m_dir;
    DataManager dm;
    DialFuncForm form;
};

TEST_F(DialFuncFormTest, EachSideCascadesOnItsOwnAndTheFormerCategoryComesBack) {
    form.ChangeSelectItem(0, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE);
    form.ChangeSelectItem(2, C::APP_DATA_DIAL_FUNC_MOUSE_ID_MOVE);
    form.ChangeSelectItem(3, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD);
    form.ChangeSelectItem(5, C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_RIGHT_ANALOG);
    EXPECT_EQ(form.InputArea(true), FuncInputArea::Area::MouseMove);
    EXPECT_EQ(form.InputArea(false), FuncInputArea::Area::JoypadMove);
    EXPECT_TRUE(form.Rows(1, dm).empty());
    EXPECT_EQ(form.Rows(2, dm).size(), dm.Catalogues().arDF_FuncList_Mouse.size());
    EXPECT_EQ(form.Rows(5, dm).size(), dm.Catalogues().arDF_FuncList_Gamepad.size());
    // The same category again changes nothing.
    form.ChangeSelectItem(0, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE);
    EXPECT_EQ(form.NewSIE().bItemID3_R, C::APP_DATA_DIAL_FUNC_MOUSE_ID_MOVE);
    // Back to the category the function had: its former choices return.
    form.ChangeSelectItem(3, form.pclsCurrentSIE.bItemID1_L);
    EXPECT_EQ(form.NewSIE().bItemID2_L, form.pclsCurrentSIE.bItemID2_L);
    EXPECT_EQ(form.NewSIE().bItemID3_L, form.pclsCurrentSIE.bItemID3_L);
    EXPECT_FALSE(form.ChangeSelectItem(6, 0));
    // The selection lives in the working copy only.
    EXPECT_EQ(dm.g_arPSI[dm.g_pSSI.bMode].arSelectItemElemDF[1], form.pclsCurrentSIE);
}

TEST_F(DialFuncFormTest, ShiftIsTheRightHandBitClockwiseAndTheLeftHandBitCounterClockwise) {
    form.ChangeSelectItem(0, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY);
    form.ChangeSelectItem(2, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY);
    FuncInputArea::ModifierBoxes shift;
    shift.shift = true;
    form.RenewKeyInputInfo(true, nullptr, shift, dm);
    form.RenewKeyInputInfo(false, nullptr, shift, dm);
    EXPECT_EQ(form.Action(true).bKeyModifier, 0x20);
    EXPECT_EQ(form.Action(false).bKeyModifier, 0x02);
    form.ClearKey(true, dm);
    EXPECT_EQ(form.Action(true).bKeyModifier, 0);
    EXPECT_EQ(form.Action(false).bKeyModifier, 0x02);
}

TEST_F(DialFuncFormTest, SensitivityIsBoundedAndWrittenToBothSides) {
    EXPECT_EQ(DialFuncForm::ClampSensitivity(0), 1);
    EXPECT_EQ(DialFuncForm::ClampSensitivity(-5), 1);
    EXPECT_EQ(DialFuncForm::ClampSensitivity(101), 100);
    EXPECT_EQ(DialFuncForm::ClampSensitivity(37), 37);
    form.SetSensitivity(30, 70);
    EXPECT_EQ(form.Action(true).bSensitive, 30);
    EXPECT_EQ(form.Action(false).bSensitive, 70);
    EXPECT_EQ(form.Action(false).Byte(C::DEVICE_DATA_SENSE_IDX), 70);
}

TEST_F(DialFuncFormTest, AMissingPresetIsReportedAndNothingIsWritten) {
    const ProfileSettingInfo before = dm.g_arPSI[dm.g_pSSI.bMode];
    ChoosePreset(false);
    std::string error;
    EXPECT_EQ(form.Submit(dm, error), DialFuncForm::Submitted::Failed);
    EXPECT_EQ(error, "PRESET_FILE_MISSING_MSG");
    EXPECT_EQ(dm.g_arPSI[dm.g_pSSI.bMode], before);
}

TEST_F(DialFuncFormTest, AnUnreadablePresetIsReportedAndNothingIsWritten) {
    WriteDialPreset(C::APP_DATA_DIAL_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_DIAL_FUNC_PRESET_PHOTOSHOP_ID_BRUSH_S,
                    {0x09, 0x00});
    const ProfileSettingInfo before = dm.g_arPSI[dm.g_pSSI.bMode];
    ChoosePreset(true);
    std::string error;
    EXPECT_EQ(form.Submit(dm, error), DialFuncForm::Submitted::Failed);
    EXPECT_EQ(error, "PRESET_FILE_UNREADABLE_MSG");
    EXPECT_EQ(dm.g_arPSI[dm.g_pSSI.bMode], before);
}

TEST_F(DialFuncFormTest, EditsAreChangesAnEmptyNameIsNoName) {
    EXPECT_FALSE(form.HasChanges(dm));
    // A function without a name given an empty one: still no name.
    for (int k = 0; k < C::FUNCTION_NUM; ++k) {
        if (!form.Function(k).strFunctionName) form.SetFunctionName(k, "");
    }
    EXPECT_FALSE(form.HasChanges(dm));
    form.SetFunctionName(1, "Zoom");
    EXPECT_TRUE(form.HasChanges(dm));
    ASSERT_TRUE(form.Open(dm, 1));
    form.SetSensitivity(1, 1);
    EXPECT_TRUE(form.HasChanges(dm));
}

TEST_F(DialFuncFormTest, WithoutADeviceNothingChangesInTheModel) {
    WriteDialPreset(C::APP_DATA_DIAL_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_DIAL_FUNC_PRESET_PHOTOSHOP_ID_BRUSH_S,
                    {0x09, 0x00, 0x30, 0, 0, 0, 0});
    const ProfileSettingInfo before = dm.g_arPSI[dm.g_pSSI.bMode];
    ChoosePreset(true);
    form.SetFunctionName(1, "Brush");
    std::string error;
    EXPECT_EQ(form.Submit(dm, error), DialFuncForm::Submitted::Failed);
    EXPECT_EQ(error, "JOB_NOT_STARTED_NO_DEVICE");
    EXPECT_EQ(dm.g_arPSI[dm.g_pSSI.bMode], before);
}

}  // namespace
