// The screens' toolkit-free logic: texts of the main screen, the LED colour
// target, help pages, job messages, progress estimates, the settings form
// and backup file staging.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/DataManager.h"
#include "keys/KeyCode.h"
#include "model/Constants.h"
#include "screenlogic/EditedItemText.h"
#include "screenlogic/HelpPage.h"
#include "screenlogic/JobMessage.h"
#include "screenlogic/LedColorTarget.h"
#include "screenlogic/ProgressEstimate.h"
#include "screenlogic/PromptText.h"
#include "screenlogic/SystemSettingsForm.h"
#include "screenlogic/TextTemplate.h"
#include "screenlogic/TopScreenText.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;
using C = Constants;

// A folder of its own for one test, also when other builds run the same tests.
fs::path TempDir(const std::string& name) {
    return fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
}

// A decoded default model to change one thing in.
class DecodedModel : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dm.DataInitializeFromMemory()); }
    ProfileSettingInfo& Mode(int m) { return dm.g_arPSI[static_cast<size_t>(m)]; }
    std::string Switch(int m, int b) { return TopScreenText::SwitchFunctionText(Mode(m), b, dm.Catalogues(), dm.g_arSCE, dm.Strings()); }
    void SetKey(int m, int b, uint8_t modifiers, uint8_t usage) {
        Mode(m).arSelectItemElemSW[static_cast<size_t>(b)] = {C::APP_DATA_FUNC_CATEGORY_ID_KEY, 0, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY};
        MacroDataDialFunc& a = Mode(m).arSwitchFuncElemList[static_cast<size_t>(b)].clsMacroSW;
        a.bScriptType = C::SET_TYPE_KEYBOARD_KEY;
        a.bKeyModifier = modifiers;
        a.bKeyCode = usage;
        a.pStrKey = dm.pKeyCode().GetKeyCodeStringFromUsb(usage);
    }
    DataManager dm;
};

TEST(TextTemplate, FillsNumberedPlacesAndKeepsTheRest) {
    EXPECT_EQ(TextTemplate::Fill("%2 of %1 steps", {"32", "3"}), "3 of 32 steps");
    EXPECT_EQ(TextTemplate::Fill("100% done, %1", {"ok"}), "100% done, ok");
    EXPECT_EQ(TextTemplate::Fill("%1 and %3", {"a"}), "a and %3");
}

TEST_F(DecodedModel, ModeNamesComeFromTheStringTable) {
    EXPECT_EQ(TopScreenText::ModeName(0, dm.Strings()), "Mode 1");
    EXPECT_EQ(TopScreenText::ModeName(2, dm.Strings()), "Mode 3");
}

TEST_F(DecodedModel, AnUnnamedDefaultFunctionReadsStarAndTheUnnamedText) {
    Mode(0).bEncoderDefaultFuncNo = 2;
    const auto label = TopScreenText::DialFunctionLabel(Mode(0), 2, dm.Strings());
    EXPECT_EQ(label.text, "* (unnamed)");
    EXPECT_TRUE(label.isDefault);
    Mode(0).arDialFuncElemList[1].strFunctionName = std::u16string(u"Zoom");
    const auto other = TopScreenText::DialFunctionLabel(Mode(0), 1, dm.Strings());
    EXPECT_EQ(other.text, "Zoom");
    EXPECT_FALSE(other.isDefault);
    Mode(0).arDialFuncElemList[3].strFunctionName = std::u16string();
    EXPECT_EQ(TopScreenText::DialFunctionLabel(Mode(0), 3, dm.Strings()).text, "(unnamed)");
}

TEST_F(DecodedModel, AKeyWithLeftControlAndRightShiftNamesBothModifiers) {
    SetKey(0, 0, C::USB_KEY_BIT_CTRL_L | C::USB_KEY_BIT_SHIFT_R, 0x1D);
    EXPECT_EQ(Switch(0, 0), "Key : Keystroke [Ctrl+Shift]");
    EXPECT_EQ(TopScreenText::KeyCombination(Mode(0).arSwitchFuncElemList[0].clsMacroSW, dm.Strings()), "Ctrl+Shift+Z");
}

TEST_F(DecodedModel, ModifiersAreListedCtrlShiftAltSuper) {
    EXPECT_EQ(TopScreenText::ModifierText(C::USB_KEY_BIT_WIN_R | C::USB_KEY_BIT_ALT_L | C::USB_KEY_BIT_SHIFT_L | C::USB_KEY_BIT_CTRL_R,
                                          dm.Strings()),
              "[Ctrl+Shift+Alt+Super]");
    EXPECT_EQ(TopScreenText::ModifierText(0, dm.Strings()), "");
}

TEST_F(DecodedModel, SwitchTextsOfEachCategory) {
    auto& sel = Mode(1).arSelectItemElemSW;
    sel[0] = {C::APP_DATA_FUNC_CATEGORY_ID_GENERAL, 0, 3};
    sel[1] = {C::APP_DATA_FUNC_CATEGORY_ID_MOUSE, 0, C::APP_DATA_DIAL_FUNC_MOUSE_ID_MOVE};
    sel[2] = {C::APP_DATA_FUNC_CATEGORY_ID_PRESET, C::APP_DATA_FUNC_PRESET_ID_SAI, 0};
    sel[3] = {C::APP_DATA_FUNC_CATEGORY_ID_MACRO, 0, 4};
    sel[4] = {C::APP_DATA_FUNC_CATEGORY_ID_NOT_SET, 0, 0};
    sel[5] = {0x77, 0, 0};
    sel[6] = {C::APP_DATA_FUNC_CATEGORY_ID_GAMEPAD, 0, 200};
    dm.g_arSCE[4].strScriptName = std::u16string(u"Sign");
    EXPECT_EQ(Switch(1, 0), "General : Mode 3");
    EXPECT_EQ(Switch(1, 1), "Mouse : Move pointer");
    EXPECT_EQ(Switch(1, 2), "Preset : SAI : Undo");
    EXPECT_EQ(Switch(1, 3), "Macro  : 005:Sign");
    EXPECT_EQ(Switch(1, 4), "Not assigned");
    EXPECT_EQ(Switch(1, 5), "Not assigned");   // no such category
    EXPECT_EQ(Switch(1, 6), "Gamepad");        // no such function
    EXPECT_EQ(Switch(1, 20), "Not assigned");  // no such switch
}

TEST_F(DecodedModel, TheKeyCombinationOfOtherActionsIsEmpty) {
    MacroDataDialFunc mouse;
    mouse.bScriptType = C::SET_TYPE_MOUSE_RCLICK;
    EXPECT_EQ(TopScreenText::KeyCombination(mouse, dm.Strings()), "");
    SetKey(0, 1, C::USB_KEY_BIT_ALT_L, 0);
    EXPECT_EQ(TopScreenText::KeyCombination(Mode(0).arSwitchFuncElemList[1].clsMacroSW, dm.Strings()), "Alt");
}

TEST_F(DecodedModel, FirmwareLabel) {
    dm.g_pSSI.strFirmwareVer = "1.02";
    EXPECT_EQ(TopScreenText::FirmwareLabel(dm.g_pSSI, dm.Strings()), "Firmware version: 1.02");
}

TEST_F(DecodedModel, LedTargetsAreModesThenDialFunctionsOfTheCurrentMode) {
    Mode(1).bLEDDutyR = 40;
    Mode(2).arDialFuncElemList[3].bLEDDutyB = 25;
    Mode(2).arDialFuncElemList[3].bLEDBrightness = C::LED_BRIGHTNESS_LEVEL_LIGHT;
    LedColorTarget::Color c;
    ASSERT_TRUE(LedColorTarget::Read(dm.g_arPSI, 0, 2, c));
    EXPECT_EQ(c.dutyR, 40);
    ASSERT_TRUE(LedColorTarget::Read(dm.g_arPSI, 2, 7, c));
    EXPECT_EQ(c.dutyB, 25);
    EXPECT_EQ(c.brightness, C::LED_BRIGHTNESS_LEVEL_LIGHT);
    EXPECT_FALSE(LedColorTarget::Read(dm.g_arPSI, 0, 0, c));
    EXPECT_FALSE(LedColorTarget::Read(dm.g_arPSI, 0, 8, c));
    EXPECT_FALSE(LedColorTarget::Read(dm.g_arPSI, 5, 4, c));

    const LedColorTarget::Color red{100, 0, 0, C::LED_BRIGHTNESS_LEVEL_DARK};
    ASSERT_TRUE(LedColorTarget::Write(dm.g_arPSI, 1, 4, red));
    EXPECT_EQ(Mode(1).arDialFuncElemList[0].bLEDDutyR, 100);
    EXPECT_EQ(Mode(1).arDialFuncElemList[0].bLEDBrightness, C::LED_BRIGHTNESS_LEVEL_DARK);
    EXPECT_EQ(Mode(0).arDialFuncElemList[0].bLEDDutyR, 0);
    ASSERT_TRUE(LedColorTarget::Write(dm.g_arPSI, 1, 3, red));
    EXPECT_EQ(Mode(2).bLEDDutyR, 100);
    EXPECT_FALSE(LedColorTarget::Write(dm.g_arPSI, 1, 9, red));
    EXPECT_TRUE(LedColorTarget::IsDialFunction(LedColorTarget::FunctionTag(3)));
    EXPECT_FALSE(LedColorTarget::IsDialFunction(LedColorTarget::ModeTag(2)));
}

TEST_F(DecodedModel, EditedItemTextNamesWhatAScreenEdits) {
    const StringTable& s = dm.Strings();
    EXPECT_EQ(EditedItemText::Switch(2, 0, s), "Key 3 — Mode 1");
    EXPECT_EQ(EditedItemText::Switch(C::BUTTON_11_ID, 2, s), "Dial Push Switch — Mode 3");
    EXPECT_EQ(EditedItemText::DialFunction(1, 0, s), "Dial Function 2 — Mode 1");
    EXPECT_EQ(EditedItemText::LedColour(LedColorTarget::ModeTag(1), 0, s), "LED Colour — Mode 2");
    EXPECT_EQ(EditedItemText::LedColour(LedColorTarget::FunctionTag(3), 2, s), "LED Colour — Dial Function 4 — Mode 3");
    EXPECT_EQ(EditedItemText::LedColour(0, 0, s), "LED Colour");
}

TEST(HelpPage, SuffixByCountry) {
    EXPECT_EQ(HelpPage::SuffixForCountry("JP"), "manual_jpn/");
    EXPECT_EQ(HelpPage::SuffixForCountry("KR"), "manual_ko/");
    EXPECT_EQ(HelpPage::SuffixForCountry("CN"), "manual_cn/");
    EXPECT_EQ(HelpPage::SuffixForCountry("TW"), "manual_tw/");
    EXPECT_EQ(HelpPage::SuffixForCountry("DE"), "manual_eng/");
    EXPECT_EQ(HelpPage::SuffixForCountry(""), "manual_eng/");
}

TEST(HelpPage, LocatesTheLanguageFolderAndFallsBackToEnglish) {
    const fs::path root = TempDir("kelvadeck-help-test");
    fs::remove_all(root);
    fs::create_directories(root / "help/manual_eng");
    fs::create_directories(root / "help/manual_ko");
    std::ofstream(root / "help/manual_eng/index.html") << "<html></html>";
    std::ofstream(root / "help/manual_ko/index.html") << "<html></html>";
    EXPECT_EQ(HelpPage::Locate(root.string(), "KR"), (root / "help/manual_ko/index.html").string());
    EXPECT_EQ(HelpPage::Locate(root.string(), "JP"), (root / "help/manual_eng/index.html").string());
    EXPECT_EQ(HelpPage::Locate(root.string(), "US"), (root / "help/manual_eng/index.html").string());
    fs::remove_all(root / "help/manual_eng");
    EXPECT_EQ(HelpPage::Locate(root.string(), "US"), "");
    EXPECT_EQ(HelpPage::Locate("", "US"), "");
    fs::remove_all(root);
}

TEST(HelpPage, TheShippedEnglishPageExists) {
    EXPECT_TRUE(fs::is_regular_file(fs::path(KELVADECK_SOURCE_DIR) / "resources/help/manual_eng/index.html"));
    EXPECT_NE(HelpPage::Locate(std::string(KELVADECK_SOURCE_DIR) + "/resources", "FR"), "");
}

TEST(JobMessage, NamesTheJobTheCauseAndTheFix) {
    const StringTable s;
    ComResult ok;
    ok.nStepsDone = 3;
    EXPECT_EQ(JobMessage::Failure("JOB_NAME_BACKUP", ok, s), "");

    ComResult gone;
    gone.bAborted = true;
    gone.eReason = ComResult::AbortReason::DeviceGone;
    EXPECT_EQ(JobMessage::Failure("JOB_NAME_RESTORE", gone, s),
              "The restore did not complete.\nThe Kelvadeck was disconnected while it ran. Plug it in again and repeat the step.");

    ComResult refused;
    refused.nStepsDone = 31;
    refused.nStepsFailed = 1;
    EXPECT_NE(JobMessage::Failure("JOB_NAME_FORMAT", refused, s).find("refused 1 of 32 steps"), std::string::npos);

    ComResult timeouts;
    timeouts.bAborted = true;
    timeouts.eReason = ComResult::AbortReason::TooManyFailures;
    timeouts.nStepsFailed = 3;
    timeouts.nStepsSkipped = 7;
    timeouts.dwTimeouts = 9;
    const std::string t = JobMessage::Failure("JOB_NAME_WRITE_SETTINGS", timeouts, s);
    EXPECT_EQ(t.rfind("Writing the settings did not complete.", 0), 0u);
    EXPECT_NE(t.find("did not answer in time (3 of 10 steps failed)"), std::string::npos);
}

TEST(JobMessage, NotConnectedSaysWhy) {
    const StringTable s;
    EXPECT_EQ(JobMessage::NotConnected("", s), "No Kelvadeck found. Plug it in; it is found by itself.");
    EXPECT_EQ(JobMessage::NotConnected("No permission (install the udev rule).", s),
              "A Kelvadeck was found but cannot be opened. No permission (install the udev rule).");
}

TEST(ProgressEstimate, ExtrapolatesFromTheRateSoFar) {
    EXPECT_EQ(ProgressEstimate::SecondsLeft(0, 100, 5000), -1);
    EXPECT_EQ(ProgressEstimate::SecondsLeft(10, 100, 500), -1);
    EXPECT_EQ(ProgressEstimate::SecondsLeft(25, 100, 10000), 30);
    EXPECT_EQ(ProgressEstimate::SecondsLeft(100, 100, 10000), 0);
    EXPECT_EQ(ProgressEstimate::SecondsLeft(3, 10, 1000), 3);  // 2.33 s, rounded up
    const StringTable s;
    EXPECT_EQ(ProgressEstimate::Text(-1, s), "");
    EXPECT_EQ(ProgressEstimate::Text(42, s), "About 42 s left");
    EXPECT_EQ(ProgressEstimate::Text(65, s), "About 1 min 05 s left");
}

TEST(SystemSettingsForm, ReadsAndWritesTheDeviceWideSettings) {
    StandardSettingInfo s;
    s.bLEDSleepFlag = C::LED_SLEEP_ENABLED;
    s.bEncoderType = C::ENCODER_TYPEMATIC_PRESS;
    s.bLEDLampTypeMode = C::LED_LIGHT_TYPE_MODE_OFF;
    s.bLEDOffTimer = 45;
    s.bLEDLampTypeFunc = C::LED_LIGHT_TYPE_FUNC_FLASH;
    SystemSettingsForm f = SystemSettingsForm::FromModel(s, std::nullopt, "US");
    EXPECT_TRUE(f.sleepOff);
    EXPECT_FALSE(f.encoderContinue);
    EXPECT_TRUE(f.modeLedOff);
    EXPECT_EQ(f.offTime, 45);
    EXPECT_EQ(f.dialFuncLed, C::LED_LIGHT_TYPE_FUNC_FLASH);
    EXPECT_EQ(f.keyboardType, KeyCode::KEYBOARD_TYPE_US);

    f.sleepOff = false;
    f.encoderContinue = true;
    f.modeLedOff = false;
    f.offTime = 300;  // the device keeps the low 8 bits
    f.dialFuncLed = C::LED_LIGHT_TYPE_FUNC_ON;
    f.ApplyTo(s);
    EXPECT_EQ(s.bLEDSleepFlag, C::LED_SLEEP_DISABLED);
    EXPECT_EQ(s.bEncoderType, C::ENCODER_TYPEMATIC_HIT);
    EXPECT_EQ(s.bLEDLampTypeMode, C::LED_LIGHT_TYPE_MODE_ON);
    EXPECT_EQ(s.bLEDOffTimer, 300 & 0xFF);
    EXPECT_EQ(s.bLEDLampTypeFunc, C::LED_LIGHT_TYPE_FUNC_ON);
}

TEST(SystemSettingsForm, KeyboardTypeFromTheStoredChoiceOrTheCountry) {
    EXPECT_EQ(SystemSettingsForm::InitialKeyboardType(std::nullopt, "JP"), KeyCode::KEYBOARD_TYPE_JIS);
    EXPECT_EQ(SystemSettingsForm::InitialKeyboardType(0L, "JP"), KeyCode::KEYBOARD_TYPE_JIS);
    EXPECT_EQ(SystemSettingsForm::InitialKeyboardType(std::nullopt, "US"), KeyCode::KEYBOARD_TYPE_US);
    EXPECT_EQ(SystemSettingsForm::InitialKeyboardType(KeyCode::KEYBOARD_TYPE_US, "JP"), KeyCode::KEYBOARD_TYPE_US);
}

// A message box's headline is its text's first sentence or line.
TEST(PromptText, SplitsAfterTheFirstSentenceOrLine) {
    struct Case {
        std::string text, headline, explanation;
    };
    const Case cases[] = {
        {"The backup did not complete. The device was unplugged.", "The backup did not complete.", "The device was unplugged."},
        {"Write the settings to the device?", "Write the settings to the device?", ""},
        {"Replace it?\nAll is lost.", "Replace it?", "All is lost."},
        {"Stop! Now.", "Stop!", "Now."},
        {"a.mbf cannot be read", "a.mbf cannot be read", ""},
        {"\xE8\xAA\xAD\xE3\x82\x81\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\xE3\x80\x82\xE5\x86\x8D\xE8\xA9\xA6\xE8\xA1\x8C",
         "\xE8\xAA\xAD\xE3\x82\x81\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\xE3\x80\x82", "\xE5\x86\x8D\xE8\xA9\xA6\xE8\xA1\x8C"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const PromptText::Parts parts = PromptText::Split(c.text);
        EXPECT_EQ(parts.headline, c.headline) << c.text;
        EXPECT_EQ(parts.explanation, c.explanation) << c.text;
    }
}

}  // namespace
}  // namespace kelvadeck
