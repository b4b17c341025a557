// The switch function screen: cascading tables, key capture on both layouts,
// submit checked against the emulated device's flash and the model, cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "GuiRig.h"
#include "KnownImage.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "screens/SwichFuncSettingVC.h"

namespace kelvadeck::guitest {
namespace {

using C = Constants;
using FC = FlashControl;

class SwitchFixture : public ::testing::Test {
protected:
    void Open(const char* switchButton) {
        GuiRig::Setup setup;
        setup.image = BuildKnownImage();
        rig = std::make_unique<GuiRig>(std::move(setup));
        rig->Launch();
        rig->Find<QPushButton>(QString::fromLatin1(switchButton))->click();
        screen = rig->Find<SwichFuncSettingVC>(QStringLiteral("SwichFuncSettingVC"));
        ASSERT_NE(screen, nullptr);
    }
    template <typename T>
    T* Find(const char* name) {
        T* w = screen->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Choose(const char* table, int row) {
        QListWidget* t = Find<QListWidget>(table);
        ASSERT_LT(row, t->count()) << table;
        emit t->itemClicked(t->item(row));
    }
    // A key released in the key field, as the desktop delivers it.
    void Release(quint32 xkb, int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QLineEdit* field = Find<QLineEdit>("m_txtKeyInputValue");
        QKeyEvent press(QEvent::KeyPress, qtKey, mods, xkb, 0, 0);
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, mods, xkb, 0, 0);
        QApplication::sendEvent(field, &release);
    }
    std::unique_ptr<DataManager> FlashModel() {
        auto dm = std::make_unique<DataManager>();
        const auto flash = rig->Flash();
        std::copy_n(flash.begin(), FC::FM_SECTOR_SIZE, dm->SectorBuffer(0));
        std::copy_n(flash.begin() + FC::FM_SECTOR_SIZE, FC::FM_SECTOR_SIZE, dm->SectorBuffer(1));
        dm->DataInitializeFromMemory();
        return dm;
    }
    bool Closed() {
        return GuiRig::PumpUntil([this] { return rig->Top().CurrentScreen() == nullptr; }, 20000);
    }

    std::unique_ptr<GuiRig> rig;
    SwichFuncSettingVC* screen = nullptr;
};

TEST_F(SwitchFixture, KeySubmitReachesFlashModelAndMainScreen) {
    Open("m_btnSwitchFuncSelect3");
    Choose("m_tblCategory", C::APP_DATA_FUNC_CATEGORY_ID_KEY);
    Choose("m_tblDetail", C::APP_DATA_DIAL_FUNC_KEY_ID_KEY);
    EXPECT_FALSE(Find<QWidget>("m_cvKeyInputSetting")->isHidden());
    EXPECT_TRUE(Find<QWidget>("m_cvNumInputSetting")->isHidden());
    Release(52, Qt::Key_Z);  // Z on a US keyboard
    EXPECT_EQ(Find<QLineEdit>("m_txtKeyInputValue")->text(), QStringLiteral("Z"));
    Find<QCheckBox>("m_chkShift")->click();
    Find<QCheckBox>("m_chkControl")->click();
    rig->prompts.confirmAnswers.push_back(true);
    Find<QPushButton>("m_btnSubmit")->click();
    ASSERT_TRUE(Closed());
    EXPECT_TRUE(rig->prompts.errors.empty());
    const uint8_t mode = rig->Dm().g_pSSI.bMode;
    const MacroDataDialFunc& live = rig->Dm().g_arPSI[mode].arSwitchFuncElemList[2].clsMacroSW;
    EXPECT_EQ(live.bKeyCode, 0x1D);
    EXPECT_EQ(live.bKeyModifier, 0x03);  // buttons use the left-hand bits
    const auto flash = FlashModel();
    const MacroDataDialFunc& stored = flash->g_arPSI[mode].arSwitchFuncElemList[2].clsMacroSW;
    EXPECT_EQ(stored.bKeyCode, 0x1D);
    EXPECT_EQ(stored.bKeyModifier, 0x03);
    EXPECT_EQ(flash->g_arPSI[mode].arSelectItemElemSW[2].bItemID1, C::APP_DATA_FUNC_CATEGORY_ID_KEY);
    GuiRig::Settle();
    EXPECT_TRUE(rig->Find<QLabel>(QStringLiteral("lblKeyCombination3"))->text().contains(QStringLiteral("Z")));
}

TEST_F(SwitchFixture, EnterAppliesAndNeverClearsTheKey) {
    Open("m_btnSwitchFuncSelect3");
    Choose("m_tblCategory", C::APP_DATA_FUNC_CATEGORY_ID_KEY);
    Choose("m_tblDetail", C::APP_DATA_DIAL_FUNC_KEY_ID_KEY);
    Release(52, Qt::Key_Z);
    screen->activateWindow();
    GuiRig::Settle(50);
    QWidget* focus = screen->focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_NE(focus, Find<QPushButton>("m_btnValueClear"));
    EXPECT_TRUE(Find<QPushButton>("m_btnSubmit")->isDefault());
    EXPECT_FALSE(Find<QPushButton>("m_btnValueClear")->isDefault());
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Key 3 — Mode 1"));
    // Enter on the screen as it opened, and on the Clear button itself: the
    // assignment is applied (after the question), never erased.
    rig->prompts.confirmAnswers.push_back(false);
    QTest::keyClick(focus, Qt::Key_Return);
    ASSERT_EQ(rig->prompts.confirms.size(), 1u);
    EXPECT_EQ(screen->Form().Action().bKeyCode, 0x1D);
    Find<QPushButton>("m_btnValueClear")->setFocus();
    rig->prompts.confirmAnswers.push_back(false);
    QTest::keyClick(Find<QPushButton>("m_btnValueClear"), Qt::Key_Return);
    EXPECT_EQ(rig->prompts.confirms.size(), 2u);
    EXPECT_EQ(screen->Form().Action().bKeyCode, 0x1D);
    EXPECT_EQ(Find<QLineEdit>("m_txtKeyInputValue")->text(), QStringLiteral("Z"));
}

TEST_F(SwitchFixture, EscapeAsksBeforeDroppingEdits) {
    using Choice = UserPrompts::SaveChoice;
    // Without edits, Escape closes at once.
    Open("m_btnSwitchFuncSelect1");
    QTest::keyClick(screen, Qt::Key_Escape);
    ASSERT_TRUE(Closed());
    EXPECT_TRUE(rig->prompts.confirms.empty());
    // With edits: Cancel keeps the screen, Discard drops them, Save writes them.
    for (Choice choice : {Choice::Cancel, Choice::Discard, Choice::Save}) {
        Open("m_btnSwitchFuncSelect1");
        const auto flashBefore = rig->Flash();
        Choose("m_tblCategory", C::APP_DATA_FUNC_CATEGORY_ID_KEY);
        Choose("m_tblDetail", C::APP_DATA_DIAL_FUNC_KEY_ID_KEY);
        Release(38, Qt::Key_A);
        rig->PressEscape(screen, choice);
        ASSERT_EQ(rig->prompts.confirms.size(), 1u);
        if (choice == Choice::Cancel) {
            GuiRig::Settle(50);
            EXPECT_EQ(rig->Top().CurrentScreen(), screen);
            EXPECT_EQ(screen->Form().Action().bKeyCode, 0x04);
            continue;
        }
        ASSERT_TRUE(Closed());
        const uint8_t mode = rig->Dm().g_pSSI.bMode;
        const uint8_t stored = FlashModel()->g_arPSI[mode].arSwitchFuncElemList[0].clsMacroSW.bKeyCode;
        if (choice == Choice::Discard) {
            EXPECT_EQ(rig->Flash(), flashBefore);
        }
        if (choice == Choice::Save) {
            EXPECT_EQ(stored, 0x04);
        }
        EXPECT_TRUE(rig->prompts.unexpected.empty());
    }
}

TEST_F(SwitchFixture, KeyCaptureOnTheJisLayoutTakesTheYenKey) {
    Open("m_btnSwitchFuncSelect1");
    rig->Dm().pKeyCode().SetKeyboardType(KeyCode::KEYBOARD_TYPE_JIS);
    Choose("m_tblCategory", C::APP_DATA_FUNC_CATEGORY_ID_KEY);
    Choose("m_tblDetail", C::APP_DATA_DIAL_FUNC_KEY_ID_KEY);
    Release(132, Qt::Key_yen);
    EXPECT_EQ(screen->Form().Action().bKeyCode, 0x89);
    EXPECT_EQ(Find<QLineEdit>("m_txtKeyInputValue")->text(), QStringLiteral("¥"));
    Release(97, Qt::Key_Backslash);  // Ro
    EXPECT_EQ(screen->Form().Action().bKeyCode, 0x87);
    Find<QPushButton>("m_btnValueClear")->click();
    EXPECT_EQ(screen->Form().Action().bKeyCode, 0);
    EXPECT_EQ(screen->Form().Action().bKeyModifier, 0);
    EXPECT_TRUE(Find<QLineEdit>("m_txtKeyInputValue")->text().isEmpty());
}

TEST_F(SwitchFixture, ReturningToTheFormerCategoryRestoresItsChoices) {
    Open("m_btnSwitchFuncSelect1");
    const SelectItemElemForSwich before = screen->Form().pclsNewSIE;
    const int other = before.bItemID1 == C::APP_DATA_FUNC_CATEGORY_ID_MOUSE ? C::APP_DATA_FUNC_CATEGORY_ID_KEY
                                                                            : C::APP_DATA_FUNC_CATEGORY_ID_MOUSE;
    Choose("m_tblCategory", other);
    EXPECT_EQ(screen->Form().pclsNewSIE.bItemID3, 0);
    Choose("m_tblCategory", before.bItemID1);
    EXPECT_EQ(screen->Form().pclsNewSIE, before);
}

TEST_F(SwitchFixture, NumberTakesOnlyWhatASignedByteHolds) {
    Open("m_btnSwitchFuncSelect2");
    Choose("m_tblCategory", C::APP_DATA_FUNC_CATEGORY_ID_MOUSE);
    Choose("m_tblDetail", C::APP_DATA_DIAL_FUNC_MOUSE_ID_WH_SCROLL);
    auto* num = Find<QSpinBox>("m_stpNumInputValue");
    EXPECT_EQ(num->minimum(), -127);
    EXPECT_EQ(num->maximum(), 127);
    num->selectAll();
    QTest::keyClicks(num, QStringLiteral("300"));
    EXPECT_EQ(num->value(), 30);  // the last digit is refused
    EXPECT_EQ(screen->Form().Action().cMoveZ, 30);
}

TEST_F(SwitchFixture, PushSwitchOffersTheDefaultDialFunctionOthersDoNot) {
    Open("m_btnSwitchFuncSelect11");
    EXPECT_FALSE(Find<QComboBox>("m_cmbDialFuncDefault")->isHidden());
    EXPECT_EQ(Find<QComboBox>("m_cmbDialFuncDefault")->count(), 4);
}

TEST_F(SwitchFixture, CancelDropsEveryEdit) {
    Open("m_btnSwitchFuncSelect1");
    const ProfileSettingInfo before = rig->Dm().g_arPSI[rig->Dm().g_pSSI.bMode];
    const auto flashBefore = rig->Flash();
    Choose("m_tblCategory", C::APP_DATA_FUNC_CATEGORY_ID_KEY);
    Choose("m_tblDetail", C::APP_DATA_DIAL_FUNC_KEY_ID_KEY);
    Release(38, Qt::Key_A);
    Find<QPushButton>("m_btnCancel")->click();
    ASSERT_TRUE(Closed());
    EXPECT_EQ(rig->Dm().g_arPSI[rig->Dm().g_pSSI.bMode], before);
    EXPECT_EQ(rig->Flash(), flashBefore);
}

TEST_F(SwitchFixture, PresetWithAnUnreadSectorReadsItFirstThenWrites) {
    Open("m_btnSwitchFuncSelect4");
    int sector = 0;
    const uint8_t mode = rig->Dm().g_pSSI.bMode;
    rig->Dm().HasSwitchPresetScriptInfo(mode, 3, sector);
    rig->Dm().SetSectorReadFlag(sector, false);
    Choose("m_tblCategory", C::APP_DATA_FUNC_CATEGORY_ID_PRESET);
    Choose("m_tblApplication", C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP);
    Choose("m_tblDetail", 1);
    rig->prompts.confirmAnswers.push_back(true);
    Find<QPushButton>("m_btnSubmit")->click();
    EXPECT_EQ(screen->bVCStatus(), SwichFuncSettingVC::VCSTS_READING);
    ASSERT_TRUE(Closed());
    EXPECT_TRUE(rig->prompts.errors.empty());
    EXPECT_TRUE(rig->Dm().SectorReadFlag(sector));
    const auto flash = FlashModel();
    EXPECT_EQ(flash->g_arPSI[mode].arSelectItemElemSW[3].bItemID1, C::APP_DATA_FUNC_CATEGORY_ID_PRESET);
    EXPECT_EQ(flash->g_arPSI[mode].arSWScriptNo[3], DataManager::PresetScriptNo(mode, 3));
}

}  // namespace
}  // namespace kelvadeck::guitest
