// The dial macro editor against the emulated Kelvadeck: sets, rows, the loop
// flag and what the device stores.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "GuiRig.h"
#include "KnownImage.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "screens/EditDialMacroVC.h"

namespace kelvadeck::guitest {
namespace {

using C = Constants;
using F = FlashControl;

class DialMacroFixture : public ::testing::Test {
protected:
    void Open() {
        GuiRig::Setup setup;
        setup.image = BuildKnownImage();
        rig = std::make_unique<GuiRig>(std::move(setup));
        rig->Launch();
        rig->Find<QPushButton>(QStringLiteral("m_btnEditDialMacro"))->click();
        screen = rig->Find<EditDialMacroVC>(QStringLiteral("EditDialMacroVC"));
        ASSERT_NE(screen, nullptr);
    }
    QComboBox* Row(int n) { return screen->findChild<QComboBox*>(QStringLiteral("m_cmbMacroNo%1").arg(n)); }
    QComboBox* Sets() { return screen->findChild<QComboBox*>(QStringLiteral("m_cmbSelectDialMacroFuncNo")); }
    QCheckBox* Loop() { return screen->findChild<QCheckBox*>(QStringLiteral("m_chkLoopFlag")); }
    std::unique_ptr<DataManager> FlashModel() {
        auto dm = std::make_unique<DataManager>();
        const auto flash = rig->Flash();
        std::copy_n(flash.begin(), F::FM_SECTOR_SIZE, dm->SectorBuffer(0));
        std::copy_n(flash.begin() + F::FM_SECTOR_SIZE, F::FM_SECTOR_SIZE, dm->SectorBuffer(1));
        dm->DataInitializeFromMemory();
        return dm;
    }

    std::unique_ptr<GuiRig> rig;
    QPointer<EditDialMacroVC> screen;
};

TEST_F(DialMacroFixture, UnsetRowsAreDroppedTheRestCloseUpAndTheLoopFlagIsStored) {
    Open();
    ASSERT_NE(Row(32), nullptr);
    EXPECT_EQ(Row(1)->count(), 151);
    EXPECT_EQ(Row(1)->itemText(0), QStringLiteral("(none)"));
    EXPECT_EQ(Row(1)->itemText(5), QStringLiteral("Macro 005: (unnamed macro)"));
    Sets()->setCurrentIndex(1);
    EXPECT_EQ(screen->bCurrentDialMacroNo(), 1);
    for (int r = 1; r <= 32; ++r) Row(r)->setCurrentIndex(0);
    Row(1)->setCurrentIndex(5);
    Row(2)->setCurrentIndex(0);
    Row(3)->setCurrentIndex(12);
    Row(30)->setCurrentIndex(150);
    Loop()->setChecked(true);
    const DialMacroInfo otherSet = rig->Dm().g_arDMI[0];

    rig->prompts.confirmAnswers.push_back(true);
    screen->findChild<QPushButton*>(QStringLiteral("m_btnSubmit"))->click();
    ASSERT_TRUE(rig->WaitIdle());
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return screen.isNull() || !screen->isVisible(); }));
    EXPECT_TRUE(rig->prompts.errors.empty());
    EXPECT_EQ(rig->prompts.confirms.at(0), "Write the dial macros to the device?");

    const auto flash = FlashModel();
    const DialMacroInfo& set = flash->g_arDMI[1];
    EXPECT_EQ(set.bDialMacroSetNum, 3);
    std::vector<uint8_t> expected(32, 0);
    expected[0] = 5;
    expected[1] = 12;
    expected[2] = 150;
    EXPECT_EQ(set.arDialMacroNoList, expected);
    EXPECT_EQ(set.bDialMacroRoopFlag, C::ENCODER_SCRIPT_LOOP_SET_LOOP);
    EXPECT_EQ(flash->g_arDMI[0], otherSet);
}

TEST_F(DialMacroFixture, ASetWithEveryRowUnsetIsStoredEmptyWithoutLoop) {
    Open();
    Sets()->setCurrentIndex(2);
    for (int r = 1; r <= 32; ++r) Row(r)->setCurrentIndex(0);
    Loop()->setChecked(false);
    rig->prompts.confirmAnswers.push_back(true);
    screen->ClickSubmit();
    ASSERT_TRUE(rig->WaitIdle());
    const auto flash = FlashModel();
    EXPECT_EQ(flash->g_arDMI[2].bDialMacroSetNum, 0);
    EXPECT_EQ(flash->g_arDMI[2].arDialMacroNoList, std::vector<uint8_t>(32, 0));
    EXPECT_EQ(flash->g_arDMI[2].bDialMacroRoopFlag, C::ENCODER_SCRIPT_LOOP_SET_NONE);
}

TEST_F(DialMacroFixture, SwitchingSetsReloadsRowsAndLoopWithoutWriting) {
    Open();
    DataManager& dm = rig->Dm();
    dm.g_arDMI[1].arDialMacroNoList.assign(32, 0);
    dm.g_arDMI[1].arDialMacroNoList[0] = 9;
    dm.g_arDMI[1].bDialMacroRoopFlag = 1;
    dm.g_arDMI[2].arDialMacroNoList.assign(32, 0);
    dm.g_arDMI[2].bDialMacroRoopFlag = 0;
    const auto before = rig->Flash();
    Sets()->setCurrentIndex(1);
    EXPECT_EQ(Row(1)->currentIndex(), 9);
    EXPECT_TRUE(Loop()->isChecked());
    Sets()->setCurrentIndex(2);
    EXPECT_EQ(Row(1)->currentIndex(), 0);
    EXPECT_FALSE(Loop()->isChecked());
    rig->Settle(300);
    EXPECT_EQ(rig->Flash(), before);
}

TEST_F(DialMacroFixture, UnappliedRowsAreAskedAboutBeforeSwitchingSetsOrClosing) {
    using Choice = UserPrompts::SaveChoice;
    Open();
    const auto before = rig->Flash();
    const int edited = Row(1)->currentIndex() == 7 ? 8 : 7;
    Row(1)->setCurrentIndex(edited);
    // Cancel: the edited set stays chosen, with its rows.
    rig->prompts.saveChoices.push_back(Choice::Cancel);
    Sets()->setCurrentIndex(1);
    ASSERT_EQ(rig->prompts.confirms.size(), 1u);
    EXPECT_EQ(Sets()->currentIndex(), 0);
    EXPECT_EQ(screen->bCurrentDialMacroNo(), 0);
    EXPECT_EQ(Row(1)->currentIndex(), edited);
    // Save: the set is written, then the other set is shown.
    rig->prompts.saveChoices.push_back(Choice::Save);
    Sets()->setCurrentIndex(1);
    ASSERT_TRUE(rig->WaitIdle());
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return screen->bCurrentDialMacroNo() == 1; }));
    EXPECT_EQ(Sets()->currentIndex(), 1);
    EXPECT_EQ(FlashModel()->g_arDMI[0].arDialMacroNoList.at(0), edited);
    // Discard on Escape: the rows are dropped, nothing is written.
    const auto written = rig->Flash();
    Row(2)->setCurrentIndex(Row(2)->currentIndex() == 3 ? 4 : 3);
    rig->PressEscape(screen, Choice::Discard);
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return screen.isNull() || !screen->isVisible(); }));
    EXPECT_EQ(rig->Flash(), written);
    EXPECT_NE(written, before);
    EXPECT_EQ(rig->prompts.confirms.size(), 3u);
    EXPECT_TRUE(rig->prompts.unexpected.empty());
}

TEST_F(DialMacroFixture, CancellingTheConfirmationLeavesTheSetAndTheScreen) {
    Open();
    const DialMacroInfo before = rig->Dm().g_arDMI[0];
    Row(1)->setCurrentIndex(7);
    rig->prompts.confirmAnswers.push_back(false);
    screen->ClickSubmit();
    rig->Settle(300);
    EXPECT_EQ(rig->Dm().g_arDMI[0], before);
    ASSERT_FALSE(screen.isNull());
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(screen->bVCStatus(), 0);
}

}  // namespace
}  // namespace kelvadeck::guitest
