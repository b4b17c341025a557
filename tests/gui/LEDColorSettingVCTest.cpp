// The LED colour screen: controls in step, live previews, submit and cancel.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "GuiRig.h"
#include "KnownImage.h"
#include "device/ComElem.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "screens/LEDColorSettingVC.h"

namespace kelvadeck::guitest {
namespace {

using C = Constants;
using FC = FlashControl;

class LedFixture : public ::testing::Test {
protected:
    void Open(const char* colourButton) {
        GuiRig::Setup setup;
        setup.image = BuildKnownImage();
        rig = std::make_unique<GuiRig>(std::move(setup));
        rig->Launch();
        rig->Find<QPushButton>(QString::fromLatin1(colourButton))->click();
        screen = rig->Find<LEDColorSettingVC>(QStringLiteral("LEDColorSettingVC"));
        ASSERT_NE(screen, nullptr);
        rig->device.LiveState().Clear();
    }
    template <typename T>
    T* Find(const char* name) {
        T* w = screen->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::deque<EmulatedLiveState::LedPreview> Previews() {
        GuiRig::PumpUntil([this] { return !rig->Dm().pUSBHID().IsJobRunning(); }, 5000);
        return rig->device.LiveState().LedPreviews();
    }
    // The device's flash decoded afresh.
    std::unique_ptr<DataManager> FlashModel() {
        auto dm = std::make_unique<DataManager>();
        const auto flash = rig->Flash();
        std::copy_n(flash.begin(), FC::FM_SECTOR_SIZE, dm->SectorBuffer(0));
        std::copy_n(flash.begin() + FC::FM_SECTOR_SIZE, FC::FM_SECTOR_SIZE, dm->SectorBuffer(1));
        dm->DataInitializeFromMemory();
        return dm;
    }

    std::unique_ptr<GuiRig> rig;
    LEDColorSettingVC* screen = nullptr;
};

TEST_F(LedFixture, OpensWithTheStoredColourOfTheMode) {
    Open("m_btnProfileColorSelect1");
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("LED Colour — Mode 1"));
    EXPECT_EQ(Find<QSlider>("m_sldColor_R")->value(), 0);
    EXPECT_EQ(Find<QSlider>("m_sldColor_G")->value(), 55);
    EXPECT_EQ(Find<QSpinBox>("m_stpValue_G")->value(), 55);
    EXPECT_EQ(Find<QSlider>("m_sldColor_B")->maximum(), 100);
    EXPECT_EQ(Find<QButtonGroup>("m_rbtnBrightness")->checkedId(), C::LED_BRIGHTNESS_LEVEL_NORMAL);
    EXPECT_FALSE(rig->Top().IsTimerRunning());
}

TEST_F(LedFixture, SliderAndSpinBoxFollowEachOtherAndEachChangeIsPreviewed) {
    Open("m_btnProfileColorSelect1");
    QSlider* slider = Find<QSlider>("m_sldColor_R");
    QSpinBox* stepper = Find<QSpinBox>("m_stpValue_R");

    slider->setValue(40);
    EXPECT_EQ(stepper->value(), 40);
    EXPECT_EQ(screen->R(), 40);

    stepper->selectAll();
    QTest::keyClicks(stepper, QStringLiteral("75"));
    EXPECT_EQ(slider->value(), 75);
    EXPECT_EQ(stepper->value(), 75);

    stepper->stepUp();
    EXPECT_EQ(slider->value(), 76);

    // Beyond the range nothing can be typed: 250 stops at 25.
    stepper->selectAll();
    QTest::keyClicks(stepper, QStringLiteral("250"));
    EXPECT_EQ(stepper->value(), 25);
    EXPECT_EQ(slider->value(), 25);

    const auto previews = Previews();
    ASSERT_GE(previews.size(), 4u);
    EXPECT_EQ(previews[0].red, 40);
    EXPECT_EQ(previews[0].green, 55);
    EXPECT_EQ(previews[0].blue, 100);
    EXPECT_EQ(previews[0].timeMs, 20000);
    EXPECT_EQ(previews[0].channels, 3);
    EXPECT_EQ(previews.back().red, slider->value());
    bool sawTyped = false, sawStepped = false;
    for (const auto& p : previews) {
        sawTyped |= p.red == 75;
        sawStepped |= p.red == 76;
    }
    EXPECT_TRUE(sawTyped);
    EXPECT_TRUE(sawStepped);
}

TEST_F(LedFixture, TheSameValueAgainSendsNothing) {
    Open("m_btnProfileColorSelect1");
    QSlider* slider = Find<QSlider>("m_sldColor_B");
    slider->setValue(90);
    ASSERT_EQ(Previews().size(), 1u);
    Find<QSpinBox>("m_stpValue_B")->setValue(90);
    EXPECT_EQ(Previews().size(), 1u);
}

TEST_F(LedFixture, BrightnessChoicesArePreviewedOnlyWhenTheyChange) {
    Open("m_btnProfileColorSelect2");
    QButtonGroup* brightness = Find<QButtonGroup>("m_rbtnBrightness");
    brightness->button(C::LED_BRIGHTNESS_LEVEL_NORMAL)->click();
    EXPECT_TRUE(Previews().empty());
    EXPECT_TRUE(rig->LogHas("no change brightness : R=100, G=45, B=0, Bright=0"));
    brightness->button(C::LED_BRIGHTNESS_LEVEL_LIGHT)->click();
    const auto previews = Previews();
    ASSERT_EQ(previews.size(), 1u);
    EXPECT_EQ(previews[0].brightness, C::LED_BRIGHTNESS_LEVEL_LIGHT);
    EXPECT_EQ(previews[0].red, 100);
    EXPECT_EQ(previews[0].green, 45);
}

TEST_F(LedFixture, SubmitStoresTheModeColourAndSendsTheModes) {
    Open("m_btnProfileColorSelect1");
    Find<QSlider>("m_sldColor_R")->setValue(33);
    Find<QButtonGroup>("m_rbtnBrightness")->button(C::LED_BRIGHTNESS_LEVEL_DARK)->click();
    Previews();
    rig->device.LiveState().Clear();
    Find<QPushButton>("m_btnSubmit")->click();
    EXPECT_FALSE(Find<QPushButton>("m_btnSubmit")->isEnabled());
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return rig->Find<LEDColorSettingVC>(QStringLiteral("LEDColorSettingVC")) == nullptr; }));
    GuiRig::Settle(300);
    EXPECT_TRUE(rig->prompts.errors.empty());
    EXPECT_EQ(rig->device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_PROFILE_STANDARD_INFO).size(), 3u);
    EXPECT_TRUE(rig->device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_PROFILE_FUNC_INFO).empty());
    const auto flash = FlashModel();
    EXPECT_EQ(flash->g_arPSI[0].bLEDDutyR, 33);
    EXPECT_EQ(flash->g_arPSI[0].bLEDDutyG, 55);
    EXPECT_EQ(flash->g_arPSI[0].bLEDDutyB, 100);
    EXPECT_EQ(flash->g_arPSI[0].bLEDBrightness, C::LED_BRIGHTNESS_LEVEL_DARK);
    EXPECT_EQ(flash->g_arPSI[1].bLEDDutyR, 100);
    // The main screen runs again and shows the new colour.
    EXPECT_TRUE(rig->Top().IsTimerRunning());
    EXPECT_EQ(rig->Dm().g_arPSI[0].bLEDDutyR, 33);
}

TEST_F(LedFixture, SubmitStoresADialFunctionColourAndSendsTheFunctions) {
    Open("m_btnDialFuncColorSelect2");
    EXPECT_EQ(Find<QSlider>("m_sldColor_B")->value(), 40);
    Find<QSlider>("m_sldColor_G")->setValue(10);
    Previews();
    rig->device.LiveState().Clear();
    Find<QPushButton>("m_btnSubmit")->click();
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return rig->Find<LEDColorSettingVC>(QStringLiteral("LEDColorSettingVC")) == nullptr; }));
    GuiRig::Settle(300);
    EXPECT_EQ(rig->device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_PROFILE_FUNC_INFO).size(), 12u);
    const auto flash = FlashModel();
    EXPECT_EQ(flash->g_arPSI[0].arDialFuncElemList[1].bLEDDutyG, 10);
    EXPECT_EQ(flash->g_arPSI[0].arDialFuncElemList[1].bLEDDutyB, 40);
    EXPECT_EQ(flash->g_arPSI[0].arDialFuncElemList[0].bLEDDutyR, 100);
}

TEST_F(LedFixture, CancelStoresNothing) {
    Open("m_btnProfileColorSelect3");
    const auto before = rig->Flash();
    Find<QSlider>("m_sldColor_R")->setValue(5);
    Previews();
    Find<QPushButton>("m_btnCancel")->click();
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return rig->Find<LEDColorSettingVC>(QStringLiteral("LEDColorSettingVC")) == nullptr; }));
    GuiRig::Settle(300);
    EXPECT_EQ(rig->Flash(), before);
    EXPECT_EQ(rig->Dm().g_arPSI[2].bLEDDutyR, 70);
    EXPECT_TRUE(rig->LogHas("LEDColorSettingVC : ClickCancel"));
    EXPECT_TRUE(rig->Top().IsTimerRunning());
}

TEST_F(LedFixture, EscapeAsksBeforeDroppingAChangedColour) {
    using Choice = UserPrompts::SaveChoice;
    auto closed = [this] {
        return GuiRig::PumpUntil([this] { return rig->Find<LEDColorSettingVC>(QStringLiteral("LEDColorSettingVC")) == nullptr; });
    };
    // Unchanged, Escape closes at once.
    Open("m_btnProfileColorSelect3");
    QTest::keyClick(screen, Qt::Key_Escape);
    ASSERT_TRUE(closed());
    EXPECT_TRUE(rig->prompts.confirms.empty());
    for (Choice choice : {Choice::Cancel, Choice::Discard, Choice::Save}) {
        Open("m_btnProfileColorSelect3");
        Find<QSlider>("m_sldColor_R")->setValue(5);
        Previews();
        rig->PressEscape(screen, choice);
        ASSERT_EQ(rig->prompts.confirms.size(), 1u);
        if (choice == Choice::Cancel) {
            GuiRig::Settle(50);
            ASSERT_NE(rig->Find<LEDColorSettingVC>(QStringLiteral("LEDColorSettingVC")), nullptr);
            EXPECT_EQ(screen->R(), 5);
            continue;
        }
        ASSERT_TRUE(closed());
        GuiRig::Settle(300);
        EXPECT_EQ(FlashModel()->g_arPSI[2].bLEDDutyR, choice == Choice::Save ? 5 : 70);
        EXPECT_TRUE(rig->prompts.unexpected.empty());
    }
}

TEST_F(LedFixture, AWriteTheDeviceRefusesKeepsTheScreenOpenWithTheError) {
    Open("m_btnProfileColorSelect1");
    EmulatorKnobs knobs = rig->device.Knobs();
    knobs.errorForCommands = {ComElem::COM_CMD_DELETE};
    rig->device.SetKnobs(knobs);
    Find<QSlider>("m_sldColor_R")->setValue(12);
    Previews();
    Find<QPushButton>("m_btnSubmit")->click();
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return !rig->prompts.errors.empty(); }, 10000));
    EXPECT_EQ(rig->prompts.errors[0].rfind("Writing the LED colour did not complete.", 0), 0u) << rig->prompts.errors[0];
    ASSERT_NE(rig->Find<LEDColorSettingVC>(QStringLiteral("LEDColorSettingVC")), nullptr);
    EXPECT_TRUE(Find<QPushButton>("m_btnSubmit")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("m_btnCancel")->isEnabled());
}

}  // namespace
}  // namespace kelvadeck::guitest
