// The system settings screen: settings, backup, restore and factory reset.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "GuiRig.h"
#include "KnownImage.h"
#include "core/BackupRestoreJob.h"
#include "device/ComElem.h"
#include "device/USBHidManager.h"
#include "keys/KeyCode.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "screens/SettingVC.h"

namespace kelvadeck::guitest {
namespace {

namespace fs = std::filesystem;
using C = Constants;
using FC = FlashControl;
using Job = BackupRestoreJob;

// The settings screen opened from the main screen, with the highest value
// its progress bar reached recorded.
class SettingFixture : public ::testing::Test {
protected:
    void Open(GuiRig::Setup setup = {}) {
        if (setup.image.empty()) setup.image = BuildKnownImage();
        rig = std::make_unique<GuiRig>(std::move(setup));
        rig->Launch();
        rig->Find<QPushButton>(QStringLiteral("m_btnSetting"))->click();
        screen = rig->Find<SettingVC>(QStringLiteral("SettingVC"));
        ASSERT_NE(screen, nullptr);
        ASSERT_FALSE(rig->Top().IsTimerRunning());
        bar = Find<QProgressBar>("m_piBackupRestore");
        QObject::connect(bar, &QProgressBar::valueChanged, bar, [this](int v) {
            barMax = std::max(barMax, v);
            ++barSteps;
        });
        GuiRig::Settle(250);
    }
    template <typename T>
    T* Find(const char* name) {
        T* w = screen->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
    bool WaitForJobEnd() {
        const bool ended = GuiRig::PumpUntil([this] { return screen->bCurrentMode() == Job::SETSTS_NONE; }, 120000);
        GuiRig::Settle(300);
        return ended;
    }
    fs::path Temp(const char* name) const { return fs::path(dir.path().toStdString()) / name; }
    // What the folder holds: a backup leaves no temporary file behind.
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }

    QTemporaryDir dir;
    std::unique_ptr<GuiRig> rig;
    SettingVC* screen = nullptr;
    QProgressBar* bar = nullptr;
    int barMax = 0;
    int barSteps = 0;
};

TEST_F(SettingFixture, ShowsTheModelAndTheConnection) {
    Open();
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("System Settings"));
    EXPECT_EQ(Find<QSpinBox>("m_stpOffTime")->value(), 30);
    EXPECT_EQ(Find<QButtonGroup>("m_rdoDialFuncLED")->checkedId(), C::LED_LIGHT_TYPE_FUNC_SLOW);
    // No stored keyboard choice on a host outside Japan: US.
    EXPECT_EQ(Find<QButtonGroup>("m_rdoKeyboard")->checkedId(), KeyCode::KEYBOARD_TYPE_US);
    EXPECT_EQ(Find<QLabel>("m_lblUSBStatus")->text(), QStringLiteral("Connected (emulated Kelvadeck)"));
    EXPECT_TRUE(Find<QFrame>("m_cvProgress")->isHidden());
    EXPECT_TRUE(Find<QPushButton>("m_btnBackup")->isEnabled());
}

TEST_F(SettingFixture, AJapaneseHostWithoutAStoredChoiceGetsJis) {
    GuiRig::Setup setup;
    setup.countryCode = "JP";
    Open(std::move(setup));
    EXPECT_EQ(Find<QButtonGroup>("m_rdoKeyboard")->checkedId(), KeyCode::KEYBOARD_TYPE_JIS);
}

TEST_F(SettingFixture, UncheckingTheModeLedOffDisablesTheOffTime) {
    Open();
    QCheckBox* off = Find<QCheckBox>("m_chkLEDOffFlag");
    off->setChecked(true);
    EXPECT_TRUE(Find<QSpinBox>("m_stpOffTime")->isEnabled());
    off->setChecked(false);
    EXPECT_FALSE(Find<QSpinBox>("m_stpOffTime")->isEnabled());
}

TEST_F(SettingFixture, SubmitWritesTheSettingsAndSendsThemLive) {
    Open();
    Find<QCheckBox>("m_chkSleepOff")->setChecked(true);
    Find<QCheckBox>("m_chkEncoderContinue")->setChecked(false);
    Find<QCheckBox>("m_chkLEDOffFlag")->setChecked(true);
    QSpinBox* stepper = Find<QSpinBox>("m_stpOffTime");
    // 500 seconds cannot be typed: the last digit is refused.
    EXPECT_EQ(stepper->maximum(), 180);
    stepper->selectAll();
    QTest::keyClicks(stepper, QStringLiteral("500"));
    EXPECT_EQ(stepper->value(), 50);
    stepper->setValue(30);
    stepper->stepUp();
    stepper->stepUp();
    EXPECT_EQ(stepper->value(), 32);
    EXPECT_EQ(stepper->text(), QStringLiteral("32"));
    Find<QButtonGroup>("m_rdoDialFuncLED")->button(C::LED_LIGHT_TYPE_FUNC_FLASH)->click();
    Find<QButtonGroup>("m_rdoKeyboard")->button(KeyCode::KEYBOARD_TYPE_JIS)->click();
    rig->device.LiveState().Clear();
    rig->prompts.confirmAnswers = {true};
    Click("m_btnSubmit");
    EXPECT_FALSE(Find<QPushButton>("m_btnSubmit")->isEnabled());
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(Find<QPushButton>("m_btnSubmit")->isEnabled());
    EXPECT_TRUE(rig->prompts.errors.empty());
    EXPECT_TRUE(rig->LogHas("SETSTS_WRITE_DATA Finish!"));
    // Said in place, without a dialog to dismiss.
    EXPECT_EQ(Find<QLabel>("m_lblSubmitNote")->text(), QStringLiteral("The settings were written to the device."));
    EXPECT_TRUE(rig->prompts.notices.empty());

    // The live update carries the new values, the current mode reset to 0.
    const auto live = rig->device.LiveState().PayloadsFor(ComElem::COM_CMD_SET_STANDARD_INFO);
    ASSERT_EQ(live.size(), 1u);
    const std::vector<uint8_t> expected = {0, C::LED_SLEEP_ENABLED, C::LED_LIGHT_TYPE_MODE_OFF, C::LED_LIGHT_TYPE_FUNC_FLASH, 32,
                                           C::ENCODER_TYPEMATIC_PRESS};
    EXPECT_EQ(std::vector<uint8_t>(live[0].payload.begin(), live[0].payload.begin() + 6), expected);
    // The flash holds them: decode the device's flash afresh.
    DataManager fresh;
    std::copy_n(rig->Flash().begin(), FC::FM_SECTOR_SIZE, fresh.SectorBuffer(0));
    std::copy_n(rig->Flash().begin() + FC::FM_SECTOR_SIZE, FC::FM_SECTOR_SIZE, fresh.SectorBuffer(1));
    ASSERT_TRUE(fresh.DataInitializeFromMemory());
    EXPECT_EQ(fresh.g_pSSI.bLEDOffTimer, 32);
    EXPECT_EQ(fresh.g_pSSI.bLEDSleepFlag, C::LED_SLEEP_ENABLED);
    EXPECT_EQ(fresh.g_pSSI.bLEDLampTypeFunc, C::LED_LIGHT_TYPE_FUNC_FLASH);
    EXPECT_EQ(fresh.g_pSSI.bEncoderType, C::ENCODER_TYPEMATIC_PRESS);
    EXPECT_EQ(fresh.g_arPSI[0].arDialFuncElemList[0].strFunctionName, std::u16string(u"Brush size"));
    // The keyboard layout stays on the host.
    EXPECT_EQ(rig->defaults.GetInteger(KeyCode::KEYBOARD_TYPE_USER_SETTING), KeyCode::KEYBOARD_TYPE_JIS);
    EXPECT_EQ(rig->Dm().pKeyCode().KeyboardType(), KeyCode::KEYBOARD_TYPE_JIS);
}

// The off time takes what the device stores (0 to 180 seconds) as it is
// typed; what the field shows is what is written.
TEST_F(SettingFixture, TheModeLedOffTimeTakesOnlyWhatTheDeviceStores) {
    Open();
    Find<QCheckBox>("m_chkLEDOffFlag")->setChecked(true);
    QSpinBox* off = Find<QSpinBox>("m_stpOffTime");
    EXPECT_EQ(off->minimum(), 0);
    EXPECT_EQ(off->maximum(), C::LED_LIGHT_OFF_MODE_TIME_MAX);
    off->selectAll();
    QTest::keyClicks(off, QStringLiteral("500"));
    EXPECT_EQ(off->text(), QStringLiteral("50"));  // the third digit is refused as it is typed
    off->selectAll();
    QTest::keyClicks(off, QStringLiteral("180"));
    EXPECT_EQ(off->value(), 180);
    rig->prompts.confirmAnswers = {true};
    Click("m_btnSubmit");
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(rig->Dm().g_pSSI.bLEDOffTimer, 180);
    EXPECT_EQ(off->text(), QStringLiteral("180"));
}

TEST_F(SettingFixture, CancellingTheConfirmationChangesNothing) {
    Open();
    const auto before = rig->Flash();
    const uint64_t exchanges = rig->device.ExchangeNumber();
    Find<QCheckBox>("m_chkSleepOff")->toggle();
    Find<QButtonGroup>("m_rdoKeyboard")->button(KeyCode::KEYBOARD_TYPE_JIS)->click();
    rig->prompts.confirmAnswers = {false};
    Click("m_btnSubmit");
    GuiRig::Settle(300);
    EXPECT_EQ(rig->device.ExchangeNumber(), exchanges);
    EXPECT_EQ(rig->Flash(), before);
    EXPECT_FALSE(rig->defaults.GetInteger(KeyCode::KEYBOARD_TYPE_USER_SETTING).has_value());
    EXPECT_TRUE(rig->LogHas("Alert result Cancel"));
    EXPECT_TRUE(Find<QLabel>("m_lblSubmitNote")->text().isEmpty());
}

TEST_F(SettingFixture, ApplyLeavesTheFocusWhereItWas) {
    Open();
    screen->activateWindow();
    QPushButton* submit = Find<QPushButton>("m_btnSubmit");
    submit->setFocus();
    ASSERT_EQ(screen->focusWidget(), submit);
    rig->prompts.confirmAnswers = {true};
    submit->click();
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(screen->focusWidget(), submit);
}

TEST_F(SettingFixture, BackupWritesTheWholeFlashWithProgressToItsMaximum) {
    Open();
    const fs::path file = Temp("device.mbf");
    rig->prompts.saveAnswers = {file.string()};
    Click("m_btnBackup");
    EXPECT_EQ(rig->prompts.panelExtensions.back(), "mbf");
    EXPECT_FALSE(Find<QFrame>("m_cvProgress")->isHidden());
    EXPECT_EQ(Find<QLabel>("m_lblDenominator")->text(), QStringLiteral("33826"));
    EXPECT_FALSE(Find<QPushButton>("m_btnClose")->isEnabled());
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(rig->prompts.errors.empty()) << rig->prompts.errors.front();
    EXPECT_EQ(barMax, 33826);
    EXPECT_EQ(Find<QLabel>("m_lblNumerator")->text(), QStringLiteral("33826"));
    EXPECT_TRUE(Find<QFrame>("m_cvProgress")->isHidden());
    EXPECT_EQ(ReadAll(file), rig->Flash());
    EXPECT_EQ(Files(), QStringList{QStringLiteral("device.mbf")});
    EXPECT_EQ(screen->LastResultText(), QString::fromStdString("The backup was saved to " + file.string() + "."));
    EXPECT_TRUE(Find<QPushButton>("m_btnClose")->isEnabled());
}

TEST_F(SettingFixture, ACancelledSavePanelStartsNothing) {
    Open();
    const uint64_t exchanges = rig->device.ExchangeNumber();
    rig->prompts.saveAnswers = {std::nullopt};
    Click("m_btnBackup");
    GuiRig::Settle(300);
    EXPECT_EQ(rig->device.ExchangeNumber(), exchanges);
    EXPECT_TRUE(rig->LogHas("Select file cancel"));
    EXPECT_TRUE(Find<QFrame>("m_cvProgress")->isHidden());
}

TEST_F(SettingFixture, ACancelledBackupWritesNoFile) {
    Open();
    const fs::path file = Temp("cancelled.mbf");
    rig->prompts.saveAnswers = {file.string()};
    Click("m_btnBackup");
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return barSteps > 0; }, 10000));
    Click("m_btnCancelBackup");
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(Files().isEmpty()) << Files().join(QStringLiteral(", ")).toStdString();
    EXPECT_LT(barMax, 33826);
    EXPECT_EQ(screen->LastResultText(), QStringLiteral("The backup was cancelled. No file was written."));
    EXPECT_TRUE(rig->prompts.errors.empty());
    EXPECT_TRUE(Find<QPushButton>("m_btnBackup")->isEnabled());
}

TEST_F(SettingFixture, ABackupThatCannotBeWrittenIsReportedWithItsPath) {
    Open();
    const std::string file = Temp("no-such-folder").string() + "/device.mbf";
    rig->prompts.saveAnswers = {file};
    Click("m_btnBackup");
    ASSERT_TRUE(WaitForJobEnd());
    ASSERT_EQ(rig->prompts.errors.size(), 1u);
    EXPECT_NE(rig->prompts.errors[0].find("could not be saved to " + file), std::string::npos) << rig->prompts.errors[0];
    EXPECT_NE(rig->prompts.errors[0].find("No such file or directory"), std::string::npos) << rig->prompts.errors[0];
    EXPECT_TRUE(screen->LastResultText().isEmpty());
}

TEST_F(SettingFixture, ABackupWhoseReadsFailIsReportedAndWritesNoFile) {
    Open();
    // Reads are answered without data; the transport gives up on them after
    // its retries.
    const fs::path file = Temp("partial.mbf");
    rig->device.SetKnobs([&] {
        EmulatorKnobs k = rig->device.Knobs();
        k.errorForCommands = {ComElem::COM_CMD_READ};
        return k;
    }());
    rig->prompts.saveAnswers = {file.string()};
    Click("m_btnBackup");
    ASSERT_TRUE(WaitForJobEnd());
    ASSERT_EQ(rig->prompts.errors.size(), 1u);
    EXPECT_EQ(rig->prompts.errors[0].rfind("The backup did not complete.", 0), 0u) << rig->prompts.errors[0];
    EXPECT_NE(rig->prompts.errors[0].find("No backup file was written."), std::string::npos);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(Find<QPushButton>("m_btnBackup")->isEnabled());
}

TEST_F(SettingFixture, RestoreAfterConfirmationReproducesTheFileOnTheDevice) {
    GuiRig::Setup setup;
    setup.image.assign(FC::FM_TOTAL_SIZE, 0xFF);  // an erased device
    Open(std::move(setup));
    std::vector<uint8_t> image = BuildKnownImage();
    for (size_t i = 5 * FC::FM_SECTOR_SIZE; i < 5 * FC::FM_SECTOR_SIZE + 4096; ++i) image[i] = static_cast<uint8_t>(i * 7);
    const fs::path file = Temp("restore.mbf");
    WriteAll(file, image);
    rig->prompts.openAnswers = {file.string()};
    rig->prompts.confirmAnswers = {true};
    rig->device.ResetCounters();
    Click("m_btnRestore");
    // 32 erases and the write chunks that hold something other than 0xFF:
    // far fewer than the 40,960 writes of the whole image.
    const int planned = Find<QLabel>("m_lblDenominator")->text().toInt();
    EXPECT_GT(planned, 32);
    EXPECT_LT(planned, 2000);
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(rig->prompts.errors.empty());
    ASSERT_EQ(rig->prompts.confirms.size(), 1u);
    EXPECT_NE(rig->prompts.confirms[0].find(file.string()), std::string::npos);
    // The bar's end is the answers that came, reached with the last one.
    const EmulatorCounters c = rig->device.Counters();
    EXPECT_EQ(static_cast<uint64_t>(planned), c.ExchangesFor(0x12) + c.ExchangesFor(0x13));
    EXPECT_EQ(barMax, planned);
    EXPECT_TRUE(rig->Flash() == image);
    // The screen decoded the restored image.
    EXPECT_EQ(rig->Dm().g_pSSI.bLEDOffTimer, 30);
    EXPECT_EQ(Find<QSpinBox>("m_stpOffTime")->value(), 30);
    EXPECT_EQ(screen->LastResultText(), QStringLiteral("The backup was written to the device."));
    // Back on the main screen the restored names show.
    Click("m_btnClose");
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return rig->Top().IsTimerRunning(); }));
    GuiRig::Settle(300);
    EXPECT_EQ(rig->Find<QLabel>(QStringLiteral("m_lblDialFuncName2"))->text(), QStringLiteral("Zoom"));
}

TEST_F(SettingFixture, ARefusedRestoreConfirmationWritesNothing) {
    Open();
    const auto before = rig->Flash();
    const uint64_t exchanges = rig->device.ExchangeNumber();
    const fs::path file = Temp("other.mbf");
    WriteAll(file, std::vector<uint8_t>(FC::FM_TOTAL_SIZE, 0x00));
    rig->prompts.openAnswers = {file.string()};
    rig->prompts.confirmAnswers = {false};
    Click("m_btnRestore");
    GuiRig::Settle(300);
    EXPECT_EQ(rig->device.ExchangeNumber(), exchanges);
    EXPECT_EQ(rig->Flash(), before);
    EXPECT_TRUE(Find<QFrame>("m_cvProgress")->isHidden());
}

// The file is looked at first: a file that cannot be restored is refused
// without asking to replace everything.
TEST_F(SettingFixture, AShortRestoreFileIsRefusedBeforeAnythingIsAskedOrSent) {
    Open();
    const auto before = rig->Flash();
    const uint64_t exchanges = rig->device.ExchangeNumber();
    const fs::path file = Temp("short.mbf");
    WriteAll(file, std::vector<uint8_t>(FC::FM_TOTAL_SIZE - 1, 0x00));
    rig->prompts.openAnswers = {file.string()};
    Click("m_btnRestore");
    GuiRig::Settle(300);
    EXPECT_TRUE(rig->prompts.questions.empty());
    EXPECT_TRUE(rig->prompts.unexpected.empty());
    EXPECT_EQ(rig->device.ExchangeNumber(), exchanges);
    EXPECT_EQ(rig->Flash(), before);
    ASSERT_EQ(rig->prompts.errors.size(), 1u);
    EXPECT_NE(rig->prompts.errors[0].find("is not a Kelvadeck backup"), std::string::npos);
    EXPECT_NE(rig->prompts.errors[0].find("this file has 2,097,151 bytes"), std::string::npos) << rig->prompts.errors[0];
    EXPECT_TRUE(rig->LogHas("Restoreファイルの確認に失敗"));
    EXPECT_TRUE(Find<QPushButton>("m_btnRestore")->isEnabled());
    EXPECT_EQ(screen->bCurrentMode(), Job::SETSTS_NONE);
}

TEST_F(SettingFixture, AMissingRestoreFileIsRefusedBeforeAnythingIsAsked) {
    Open();
    rig->prompts.openAnswers = {Temp("gone.mbf").string()};
    Click("m_btnRestore");
    GuiRig::Settle(300);
    EXPECT_TRUE(rig->prompts.questions.empty());
    ASSERT_EQ(rig->prompts.errors.size(), 1u);
    EXPECT_NE(rig->prompts.errors[0].find("cannot be read"), std::string::npos) << rig->prompts.errors[0];
}

// A file larger than the flash is restored from its first 2 MiB, and the
// question says so before anything is replaced.
TEST_F(SettingFixture, ALongerRestoreFileIsRestoredFromItsStartAfterSayingSo) {
    GuiRig::Setup setup;
    setup.image.assign(FC::FM_TOTAL_SIZE, 0xFF);
    Open(std::move(setup));
    const std::vector<uint8_t> image = BuildKnownImage();
    std::vector<uint8_t> longer = image;
    longer.resize(FC::FM_TOTAL_SIZE + 100, 0x5A);
    const fs::path file = Temp("longer.mbf");
    WriteAll(file, longer);
    rig->prompts.openAnswers = {file.string()};
    rig->prompts.confirmAnswers = {true};
    Click("m_btnRestore");
    ASSERT_TRUE(WaitForJobEnd());
    ASSERT_EQ(rig->prompts.questions.size(), 1u);
    const UserPrompts::Question& q = rig->prompts.questions[0];
    EXPECT_EQ(q.headline, "Replace everything on the device?");
    EXPECT_EQ(q.verb, "Replace Everything");
    EXPECT_TRUE(q.destructive);
    EXPECT_NE(q.explanation.find("2,097,252 bytes"), std::string::npos) << q.explanation;
    EXPECT_NE(q.explanation.find("only its first 2,097,152 bytes"), std::string::npos) << q.explanation;
    EXPECT_TRUE(rig->prompts.errors.empty());
    EXPECT_TRUE(rig->Flash() == image);
}

TEST_F(SettingFixture, FactoryResetErasesTheDeviceAndGivesTheDefaultModel) {
    Open();
    rig->prompts.confirmAnswers = {true};
    const std::optional<std::string> firmware = rig->Dm().g_pSSI.strFirmwareVer;
    ASSERT_TRUE(firmware.has_value());
    Click("m_btnFormat");
    ASSERT_EQ(rig->prompts.questions.size(), 1u);
    EXPECT_EQ(rig->prompts.questions[0].headline, "Erase the device?");
    EXPECT_EQ(rig->prompts.questions[0].verb, "Erase Device");
    EXPECT_TRUE(rig->prompts.questions[0].destructive);
    ASSERT_EQ(rig->prompts.notices.size(), 1u);
    EXPECT_NE(rig->prompts.notices[0].find("Do not unplug"), std::string::npos);
    EXPECT_EQ(Find<QLabel>("m_lblDenominator")->text(), QStringLiteral("32"));
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_TRUE(rig->prompts.errors.empty());
    EXPECT_EQ(barMax, 32);
    const auto flash = rig->Flash();
    EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](uint8_t b) { return b == 0xFF; }));
    // The model is what an erased device decodes to.
    DataManager erased;
    erased.DataInitializeFromMemory();
    EXPECT_EQ(rig->Dm().g_arPSI, erased.g_arPSI);
    EXPECT_EQ(rig->Dm().g_pSSI.bLEDOffTimer, erased.g_pSSI.bLEDOffTimer);
    EXPECT_EQ(screen->LastResultText(), QStringLiteral("The device was reset to its factory settings."));
    // The erased device keeps its firmware, and the main screen still names it.
    EXPECT_EQ(rig->Dm().g_pSSI.strFirmwareVer, firmware);
    Click("m_btnClose");
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return rig->Top().IsTimerRunning(); }));
    GuiRig::Settle(300);
    EXPECT_EQ(rig->Find<QLabel>(QStringLiteral("m_lblFirmwareVer"))->text().toStdString(), "Firmware version: " + *firmware);
}

TEST_F(SettingFixture, CancellingTheResetWarningChangesNothing) {
    Open();
    const auto before = rig->Flash();
    rig->prompts.confirmAnswers = {false};
    Click("m_btnFormat");
    GuiRig::Settle(300);
    EXPECT_TRUE(rig->prompts.notices.empty());
    EXPECT_EQ(rig->Flash(), before);
    EXPECT_TRUE(rig->LogHas("Alert result Cancel"));
}

TEST_F(SettingFixture, AResetTheDeviceRefusesIsShownAsAnError) {
    Open();
    EmulatorKnobs knobs = rig->device.Knobs();
    knobs.errorForAddresses = {{0x30000, 0x3FFFF}};  // sector 3 will not erase
    rig->device.SetKnobs(knobs);
    rig->prompts.confirmAnswers = {true};
    Click("m_btnFormat");
    ASSERT_TRUE(WaitForJobEnd());
    ASSERT_EQ(rig->prompts.errors.size(), 1u);
    EXPECT_EQ(rig->prompts.errors[0].rfind("The factory reset did not complete.", 0), 0u) << rig->prompts.errors[0];
    EXPECT_NE(rig->prompts.errors[0].find("refused 1 of 32 steps"), std::string::npos) << rig->prompts.errors[0];
    EXPECT_TRUE(screen->LastResultText().isEmpty());
    EXPECT_TRUE(Find<QPushButton>("m_btnFormat")->isEnabled());
}

TEST_F(SettingFixture, UnplugDuringARestoreIsShownAndBlocksTheScreen) {
    Open();
    const fs::path file = Temp("restore.mbf");
    WriteAll(file, BuildKnownImage());
    EmulatorKnobs knobs = rig->device.Knobs();
    knobs.unplugAfterExchanges = rig->device.ExchangeNumber() + 60;  // after the erases, amid the writes
    rig->device.SetKnobs(knobs);
    rig->prompts.openAnswers = {file.string()};
    rig->prompts.confirmAnswers = {true};
    Click("m_btnRestore");
    ASSERT_TRUE(WaitForJobEnd());
    ASSERT_EQ(rig->prompts.errors.size(), 1u);
    EXPECT_NE(rig->prompts.errors[0].find("disconnected"), std::string::npos) << rig->prompts.errors[0];
    EXPECT_NE(rig->prompts.errors[0].find("Restore the backup again"), std::string::npos);
    EXPECT_EQ(Find<QLabel>("m_lblUSBStatus")->text(), QStringLiteral("Not connected"));
    EXPECT_FALSE(Find<QPushButton>("m_btnRestore")->isEnabled());
}

}  // namespace
}  // namespace kelvadeck::guitest
