// The dial function screen: both turning directions' tables and value areas,
// sensitivity, names, key capture per side, submit checked against the
// emulated device's flash, its live-update reports and the model, cancel and
// a write the device refuses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "GuiRig.h"
#include "KnownImage.h"
#include "device/ComElem.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "model/TextConvert.h"
#include "screens/DialFuncSettingVC.h"

namespace kelvadeck::guitest {
namespace {

using C = Constants;
using FC = FlashControl;

class DialFixture : public ::testing::Test {
protected:
    void Launch(EmulatorKnobs knobs = {}) {
        GuiRig::Setup setup;
        setup.image = BuildKnownImage();
        setup.knobs = std::move(knobs);
        rig = std::make_unique<GuiRig>(std::move(setup));
        rig->Launch();
    }
    void Open(int func, EmulatorKnobs knobs = {}) {
        Launch(std::move(knobs));
        OpenLaunched(func);
    }
    void OpenLaunched(int func) {
        mode = rig->Dm().g_pSSI.bMode;
        QPushButton* b = rig->Find<QPushButton>(QStringLiteral("m_btnDialFuncSelect%1").arg(func + 1));
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled());
        b->click();
        screen = rig->Find<DialFuncSettingVC>(QStringLiteral("DialFuncSettingVC"));
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
    // A key released in a key field, as the desktop delivers it.
    void Release(const char* field, quint32 xkb, int qtKey) {
        QLineEdit* f = Find<QLineEdit>(field);
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, xkb, 0, 0);
        QApplication::sendEvent(f, &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, xkb, 0, 0);
        QApplication::sendEvent(f, &release);
    }
    // Types into a spin box as a user would, over what it holds.
    QSpinBox* Type(const char* field, const QString& text) {
        auto* f = Find<QSpinBox>(field);
        f->selectAll();
        QTest::keyClicks(f, text);
        return f;
    }
    void Submit() {
        rig->prompts.confirmAnswers.push_back(true);
        Find<QPushButton>("m_btnSubmit")->click();
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
    const MacroDataDialFunc& Shown(bool right) const { return screen->Form().Action(right); }

    std::unique_ptr<GuiRig> rig;
    DialFuncSettingVC* screen = nullptr;
    uint8_t mode = 0;
};

std::vector<uint8_t> Bytes(const MacroDataDialFunc& a) {
    std::vector<uint8_t> out;
    for (int i = 0; i < 8; ++i) out.push_back(a.Byte(i));
    return out;
}

TEST_F(DialFixture, KeyAndMouseMoveReachModelFlashAndLiveReports) {
    Open(1);
    // Clockwise: a key with Control (stored) and Shift.
    EXPECT_FALSE(Find<QWidget>("m_cvKeyInputSetting_R")->isHidden());
    EXPECT_TRUE(Find<QCheckBox>("m_chkControl_R")->isChecked());
    Release("m_txtKeyInputValue_R", 52, Qt::Key_Z);
    EXPECT_EQ(Find<QLineEdit>("m_txtKeyInputValue_R")->text(), QStringLiteral("Z"));
    Find<QCheckBox>("m_chkShift_R")->click();
    // Counter-clockwise: a mouse move with typed X and Y.
    Choose("m_tblCategory_L", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE);
    Choose("m_tblDetail_L", C::APP_DATA_DIAL_FUNC_MOUSE_ID_MOVE);
    EXPECT_TRUE(Find<QWidget>("m_cvKeyInputSetting_L")->isHidden());
    EXPECT_FALSE(Find<QWidget>("m_cvDistanceSetting_L")->isHidden());
    // 300 cannot be typed: the last digit is refused, what is shown is stored.
    EXPECT_EQ(Type("m_stpDistanceValueX_L", QStringLiteral("300"))->value(), 30);
    Type("m_stpDistanceValueX_L", QStringLiteral("12"));
    EXPECT_EQ(Type("m_stpDistanceValueY_L", QStringLiteral("-7"))->value(), -7);
    rig->device.LiveState().Clear();
    const std::vector<uint8_t> firstBefore = Bytes(rig->Dm().g_arPSI[mode].arDialFuncElemList[0].clsMacroR);
    Submit();
    ASSERT_TRUE(Closed());
    EXPECT_TRUE(rig->prompts.errors.empty());

    const DialFuncElem& live = rig->Dm().g_arPSI[mode].arDialFuncElemList[1];
    EXPECT_EQ(live.clsMacroR.bScriptType, C::SET_TYPE_KEYBOARD_KEY);
    EXPECT_EQ(live.clsMacroR.bKeyCode, 0x1D);
    EXPECT_EQ(live.clsMacroR.bKeyModifier, 0x30);  // clockwise: the right-hand bits
    EXPECT_EQ(live.clsMacroR.bSensitive, 80);
    EXPECT_EQ(live.clsMacroL.bScriptType, C::SET_TYPE_MOUSE_MOVE);
    EXPECT_EQ(live.clsMacroL.cMoveX, 12);
    EXPECT_EQ(live.clsMacroL.cMoveY, -7);

    const auto flash = FlashModel();
    const DialFuncElem& stored = flash->g_arPSI[mode].arDialFuncElemList[1];
    EXPECT_EQ(Bytes(stored.clsMacroR), Bytes(live.clsMacroR));
    EXPECT_EQ(Bytes(stored.clsMacroL), Bytes(live.clsMacroL));
    EXPECT_EQ(stored.clsMacroR.bKeyModifier, 0x30);
    EXPECT_EQ(stored.clsMacroL.cMoveY, -7);
    EXPECT_EQ(flash->g_arPSI[mode].arSelectItemElemDF[1].bItemID1_L, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE);
    EXPECT_EQ(flash->g_arPSI[mode].arSelectItemElemDF[1].bItemID3_L, C::APP_DATA_DIAL_FUNC_MOUSE_ID_MOVE);
    // The other functions were rebuilt as they were.
    EXPECT_EQ(Bytes(flash->g_arPSI[mode].arDialFuncElemList[0].clsMacroR), firstBefore);

    bool seen = false;
    for (const auto& report : rig->device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_PROFILE_FUNC_INFO)) {
        ASSERT_GE(report.payload.size(), 18u);
        if (report.payload[0] != mode || report.payload[1] != 1) continue;
        seen = true;
        EXPECT_EQ(std::vector<uint8_t>(report.payload.begin() + 2, report.payload.begin() + 10), Bytes(live.clsMacroR));
        EXPECT_EQ(std::vector<uint8_t>(report.payload.begin() + 10, report.payload.begin() + 18), Bytes(live.clsMacroL));
    }
    EXPECT_TRUE(seen);
}

TEST_F(DialFixture, SensitivityControlsKeepInStepAndAreBounded) {
    Open(0);
    auto* sliderR = Find<QSlider>("m_sldSensitiveValue_R");
    EXPECT_EQ(sliderR->value(), 80);
    EXPECT_EQ(Find<QSpinBox>("m_stpSensitiveValue_L")->value(), 80);
    sliderR->setValue(40);
    EXPECT_EQ(Find<QSpinBox>("m_stpSensitiveValue_R")->value(), 40);
    EXPECT_EQ(Shown(true).bSensitive, 40);
    EXPECT_EQ(Shown(false).bSensitive, 80);
    Find<QSpinBox>("m_stpSensitiveValue_R")->stepUp();
    EXPECT_EQ(sliderR->value(), 41);
    EXPECT_EQ(Shown(true).bSensitive, 41);

    // 250 cannot be typed (its last digit is refused); 100 can.
    QSpinBox* spinL = Type("m_stpSensitiveValue_L", QStringLiteral("250"));
    EXPECT_EQ(spinL->value(), 25);
    EXPECT_EQ(Shown(false).bSensitive, 25);
    Type("m_stpSensitiveValue_L", QStringLiteral("100"));
    EXPECT_EQ(Find<QSlider>("m_sldSensitiveValue_L")->value(), 100);
    EXPECT_EQ(Shown(false).bSensitive, 100);
    EXPECT_EQ(spinL->minimum(), 1);
    EXPECT_EQ(spinL->maximum(), 100);
    Type("m_stpSensitiveValue_L", QStringLiteral("55"));
    EXPECT_EQ(Find<QSlider>("m_sldSensitiveValue_L")->value(), 55);
    EXPECT_EQ(Shown(false).bSensitive, 55);
    EXPECT_EQ(Shown(true).bSensitive, 41);

    Submit();
    ASSERT_TRUE(Closed());
    const auto flash = FlashModel();
    EXPECT_EQ(flash->g_arPSI[mode].arDialFuncElemList[0].clsMacroR.Byte(C::DEVICE_DATA_SENSE_IDX), 41);
    EXPECT_EQ(flash->g_arPSI[mode].arDialFuncElemList[0].clsMacroL.Byte(C::DEVICE_DATA_SENSE_IDX), 55);
}

TEST_F(DialFixture, NameEditReachesTheFlash) {
    Open(2);
    QLineEdit* name = Find<QLineEdit>("m_txtDFName3");
    EXPECT_FALSE(name->isReadOnly());
    EXPECT_TRUE(Find<QLineEdit>("m_txtDFName1")->isReadOnly());
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Dial Function 3 — Mode 1"));
    // A name longer than the device stores cannot be typed.
    name->selectAll();
    QTest::keyClicks(name, QString(42, QLatin1Char('n')));
    EXPECT_EQ(name->text(), QString(31, QLatin1Char('n')));
    name->setText(QStringLiteral("Zoom ±"));
    Submit();
    ASSERT_TRUE(Closed());
    const auto flash = FlashModel();
    const auto& stored = flash->g_arPSI[mode].arDialFuncElemList[2].strFunctionName;
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(TextConvert::Utf16ToUtf8(*stored), "Zoom ±");
    // The main screen was redrawn from the new model.
    GuiRig::Settle();
    rig->Find<QPushButton>(QStringLiteral("m_btnProfileSelect%1").arg(mode + 1))->click();
    EXPECT_TRUE(rig->Find<QLabel>(QStringLiteral("m_lblDialFuncName3"))->text().contains(QStringLiteral("Zoom ±")));
}

TEST_F(DialFixture, ChoosingAnotherFunctionEditsItAndUnnamedShowsThePlaceholder) {
    Launch();
    rig->Top().ChangeProfileSelect(1);
    rig->Top().RenewUI();
    OpenLaunched(0);
    QLineEdit* fourth = Find<QLineEdit>("m_txtDFName4");
    EXPECT_TRUE(fourth->text().isEmpty());
    EXPECT_EQ(fourth->placeholderText(), QStringLiteral("(unnamed)"));
    Find<QPushButton>("m_btnDFSelect4")->click();
    EXPECT_EQ(screen->Form().bSelectDialFuncID, 3);
    EXPECT_FALSE(fourth->isReadOnly());
    EXPECT_TRUE(Find<QLineEdit>("m_txtDFName1")->isReadOnly());
    EXPECT_TRUE(Find<QPushButton>("m_btnDFSelect4")->isHidden());
    EXPECT_FALSE(Find<QPushButton>("m_btnDFSelect1")->isHidden());
}

TEST_F(DialFixture, KeyCapturePerSide) {
    Open(0);
    Release("m_txtKeyInputValue_R", 52, Qt::Key_Z);
    EXPECT_EQ(Shown(true).bKeyCode, 0x1D);
    EXPECT_EQ(Shown(false).bKeyCode, 0x2F);  // the other side keeps its key
    Release("m_txtKeyInputValue_L", 38, Qt::Key_A);
    EXPECT_EQ(Shown(false).bKeyCode, 0x04);
    EXPECT_EQ(Find<QLineEdit>("m_txtKeyInputValue_L")->text(), QStringLiteral("A"));
    EXPECT_EQ(Shown(true).bKeyCode, 0x1D);
    Find<QCheckBox>("m_chkShift_L")->click();
    EXPECT_EQ(Shown(false).bKeyModifier, 0x03);  // counter-clockwise: the left-hand bits
    Find<QCheckBox>("m_chkControl_R")->click();  // off
    Find<QCheckBox>("m_chkShift_R")->click();
    EXPECT_EQ(Shown(true).bKeyModifier, 0x20);
    EXPECT_EQ(Shown(true).bSensitive, 80);
    Find<QPushButton>("m_btnValueClear_L")->click();
    EXPECT_EQ(Shown(false).bKeyModifier, 0);
    EXPECT_NE(Shown(false).bKeyCode, 0x04);
    EXPECT_TRUE(Find<QLineEdit>("m_txtKeyInputValue_L")->text().isEmpty());
    EXPECT_FALSE(Find<QCheckBox>("m_chkShift_L")->isChecked());
    EXPECT_EQ(Shown(true).bKeyCode, 0x1D);
}

TEST_F(DialFixture, CascadingTablesAndTheReturnToTheFormerCategory) {
    Open(0);
    EXPECT_EQ(Find<QListWidget>("m_tblApplication_R")->count(), 0);
    Choose("m_tblCategory_R", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET);
    EXPECT_GT(Find<QListWidget>("m_tblApplication_R")->count(), 0);
    EXPECT_EQ(Find<QListWidget>("m_tblApplication_L")->count(), 0);
    EXPECT_EQ(screen->Form().NewSIE().bItemID3_R, 0);
    EXPECT_TRUE(Find<QWidget>("m_cvKeyInputSetting_R")->isHidden());
    EXPECT_TRUE(Find<QLabel>("m_lblNoApplication_R")->isHidden());
    Choose("m_tblCategory_R", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY);
    EXPECT_EQ(screen->Form().NewSIE().bItemID3_R, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY);
    // The empty application table says why; the tables have their titles.
    EXPECT_EQ(Find<QListWidget>("m_tblApplication_R")->count(), 0);
    EXPECT_FALSE(Find<QLabel>("m_lblNoApplication_R")->isHidden());
    EXPECT_EQ(Find<QLabel>("m_lblApplicationTitle_R")->text(), QStringLiteral("Application"));
    QListWidget* detail = Find<QListWidget>("m_tblDetail_R");
    EXPECT_EQ(detail->item(0)->toolTip(), detail->item(0)->text());
    EXPECT_FALSE(Find<QWidget>("m_cvKeyInputSetting_R")->isHidden());
    Choose("m_tblCategory_L", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE);
    Choose("m_tblDetail_L", C::APP_DATA_DIAL_FUNC_MOUSE_ID_WH_SCROLL);
    QSpinBox* num = Type("m_stpNumInputValue_L", QStringLiteral("-200"));
    EXPECT_EQ(num->minimum(), -127);
    EXPECT_EQ(num->maximum(), 127);
    EXPECT_EQ(num->value(), -20);  // the last digit is refused
    EXPECT_EQ(Shown(false).cMoveZ, -20);
}

TEST_F(DialFixture, CancelDropsEveryEdit) {
    Open(0);
    const ProfileSettingInfo before = rig->Dm().g_arPSI[mode];
    const auto flashBefore = rig->Flash();
    Find<QLineEdit>("m_txtDFName1")->setText(QStringLiteral("Changed"));
    Release("m_txtKeyInputValue_R", 38, Qt::Key_A);
    Find<QSlider>("m_sldSensitiveValue_L")->setValue(5);
    Choose("m_tblCategory_L", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MULTIMEDIA);
    Find<QPushButton>("m_btnCancel")->click();
    ASSERT_TRUE(Closed());
    EXPECT_EQ(rig->Dm().g_arPSI[mode], before);
    EXPECT_EQ(rig->Flash(), flashBefore);
    EXPECT_TRUE(rig->prompts.confirms.empty());
}

TEST_F(DialFixture, EscapeAsksBeforeDroppingEditsAndEnterApplies) {
    using Choice = UserPrompts::SaveChoice;
    // Without edits, Escape closes at once.
    Open(0);
    QTest::keyClick(screen, Qt::Key_Escape);
    ASSERT_TRUE(Closed());
    EXPECT_TRUE(rig->prompts.confirms.empty());
    for (Choice choice : {Choice::Cancel, Choice::Discard, Choice::Save}) {
        Open(0);
        const auto flashBefore = rig->Flash();
        Find<QSlider>("m_sldSensitiveValue_L")->setValue(5);
        rig->PressEscape(screen, choice);
        ASSERT_EQ(rig->prompts.confirms.size(), 1u);
        if (choice == Choice::Cancel) {
            GuiRig::Settle(50);
            EXPECT_EQ(rig->Top().CurrentScreen(), screen);
            EXPECT_EQ(Shown(false).bSensitive, 5);
            // Enter in the name field applies, after the question.
            rig->prompts.confirmAnswers.push_back(false);
            QTest::keyClick(Find<QLineEdit>("m_txtDFName1"), Qt::Key_Return);
            EXPECT_EQ(rig->prompts.confirms.size(), 2u);
            continue;
        }
        ASSERT_TRUE(Closed());
        const uint8_t stored = FlashModel()->g_arPSI[mode].arDialFuncElemList[0].clsMacroL.Byte(C::DEVICE_DATA_SENSE_IDX);
        if (choice == Choice::Discard) {
            EXPECT_EQ(rig->Flash(), flashBefore);
        }
        if (choice == Choice::Save) {
            EXPECT_EQ(stored, 5);
        }
        EXPECT_TRUE(rig->prompts.unexpected.empty());
    }
}

TEST_F(DialFixture, RefusedWriteIsShownAndTheScreenStaysOpen) {
    EmulatorKnobs knobs;
    knobs.errorForCommands = {ComElem::COM_CMD_WRITE};
    Open(0, knobs);
    Release("m_txtKeyInputValue_R", 52, Qt::Key_Z);
    Submit();
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return !rig->prompts.errors.empty(); }, 20000));
    EXPECT_NE(rig->Top().CurrentScreen(), nullptr);
    EXPECT_EQ(screen->bVCStatus(), DialFuncSettingVC::VCSTS_IDLE);
    EXPECT_TRUE(Find<QPushButton>("m_btnSubmit")->isEnabled());
    const std::string job = rig->Dm().Strings().Get("JOB_NAME_WRITE_SETTINGS");
    EXPECT_NE(rig->prompts.errors.front().find(job), std::string::npos) << rig->prompts.errors.front();
}

// The flash took the change, the device only did not apply it at once: the
// screen closes as after any write and the main screen says what happened.
TEST_F(DialFixture, RefusedLiveUpdatesCloseTheScreenAndTheMainScreenWarns) {
    EmulatorKnobs knobs;
    knobs.errorForCommands = {ComElem::COM_CMD_SET_PROFILE_FUNC_INFO};
    Open(0, knobs);
    Release("m_txtKeyInputValue_R", 52, Qt::Key_Z);
    Submit();
    ASSERT_TRUE(Closed());
    EXPECT_TRUE(rig->prompts.errors.empty());
    QLabel* message = rig->Find<QLabel>(QStringLiteral("m_lblJobMessage"));
    ASSERT_NE(message, nullptr);
    ASSERT_TRUE(GuiRig::PumpUntil([message] { return !message->text().isEmpty(); }, 5000));
    EXPECT_TRUE(message->text().contains(QStringLiteral("12"))) << message->text().toStdString();
    const auto flash = FlashModel();
    EXPECT_EQ(flash->g_arPSI[mode].arDialFuncElemList[0].clsMacroR.bKeyCode, 0x1D);  // Z, in the flash
}

TEST_F(DialFixture, ColourButtonOpensTheLedColourScreenForThatFunction) {
    Open(0);
    Find<QPushButton>("m_btnDFColorSelect2")->click();
    ASSERT_NE(screen->ColorScreen(), nullptr);
    EXPECT_FALSE(screen->IsTimerRunning());
    screen->ColorScreen()->reject();
    EXPECT_TRUE(GuiRig::PumpUntil([this] { return screen->ColorScreen() == nullptr; }, 5000));
    EXPECT_TRUE(screen->IsTimerRunning());
}

}  // namespace
}  // namespace kelvadeck::guitest
