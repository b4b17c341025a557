// The main window's menus: offline editing of a backup file, the readable
// settings document, going back to the device, and closing with unsaved edits.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <QAction>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <filesystem>
#include <functional>
#include <fstream>

#include "GuiRig.h"
#include "KnownImage.h"
#include "support/ReferenceImage.h"
#include "app/MainMenu.h"
#include "base/FileLock.h"
#include "device/ComQue.h"
#include "export/SettingsJsonTransfer.h"
#include "keys/KeyCode.h"
#include "model/FlashControl.h"

namespace kelvadeck::guitest {
namespace {

namespace fs = std::filesystem;
using FC = FlashControl;

GuiRig::Setup WithImage(std::vector<uint8_t> image) {
    GuiRig::Setup setup;
    setup.image = std::move(image);
    return setup;
}

// Changes the first mode's LED colour (red duty, 0 to 100) and writes the settings, as the LED screen does.
void WriteNewLedColour(GuiRig& rig, uint8_t red) {
    DataManager& dm = rig.Dm();
    dm.g_arPSI[0].bLEDDutyR = red;
    ASSERT_TRUE(dm.DataOutputToMemory());
    ASSERT_TRUE(dm.pComQue().CreateFastWriteComQue());
    ASSERT_TRUE(rig.Top().StartJob("JOB_NAME_LED_WRITE", {}));
    ASSERT_TRUE(rig.WaitIdle());
}

// File > Open Backup… on a copy of the known image, then waits for its boot read.
void OpenKnownBackup(GuiRig& rig, const fs::path& backup) {
    WriteAll(backup, BuildKnownImage());
    rig.prompts.openAnswers.push_back(backup.string());
    rig.App().Menu().OpenBackup();
    ASSERT_TRUE(rig.WaitIdle());
    ASSERT_NE(rig.App().Offline(), nullptr);
}

struct ModelCopy {
    StandardSettingInfo settings;
    std::vector<ProfileSettingInfo> modes;
    std::vector<DialMacroInfo> dialMacros;
    explicit ModelCopy(const DataManager& dm) : settings(dm.g_pSSI), modes(dm.g_arPSI), dialMacros(dm.g_arDMI) {}
};

class MainMenuTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    fs::path File(const char* name) const { return fs::path(dir.path().toStdString()) / name; }
};

TEST_F(MainMenuTest, OpenedBackupIsEditedOfflineAndSavedOnlyOnRequest) {
    const fs::path backup = File("known.mbf");
    const std::vector<uint8_t> known = BuildKnownImage();
    GuiRig rig;  // an erased device is connected
    rig.Launch();
    OpenKnownBackup(rig, backup);
    EXPECT_TRUE(rig.Window().windowTitle().contains(QStringLiteral("known.mbf")));
    EXPECT_TRUE(GuiRig::PumpUntil([&] { return rig.App().Menu().Action("actSave")->isEnabled(); }, 10000));
    // The screens show the file's settings, not the connected device's.
    GuiRig reference(WithImage(known));
    reference.Launch();
    EXPECT_EQ(rig.Dm().g_arPSI, reference.Dm().g_arPSI);
    EXPECT_EQ(rig.Dm().g_pSSI, reference.Dm().g_pSSI);

    WriteNewLedColour(rig, 0x12);
    // Nothing reaches the file or the connected device before Save.
    EXPECT_EQ(ReadAll(backup), known);
    EXPECT_EQ(rig.Flash(), std::vector<uint8_t>(FC::FM_TOTAL_SIZE, 0xFF));
    EXPECT_TRUE(rig.App().HasUnsavedOfflineChanges());
    // The title marks the unsaved changes; the device line names the file.
    EXPECT_TRUE(rig.Window().windowTitle().endsWith(QStringLiteral("known.mbf[*]")));
    EXPECT_TRUE(rig.Window().isWindowModified());
    EXPECT_EQ(rig.Find<QLabel>(QStringLiteral("m_lblUSBStatus"))->text(), QStringLiteral("Editing known.mbf"));

    rig.App().Menu().Save();
    EXPECT_TRUE(rig.prompts.errors.empty());
    EXPECT_FALSE(rig.App().HasUnsavedOfflineChanges());
    EXPECT_FALSE(rig.Window().isWindowModified());
    const std::vector<uint8_t> saved = ReadAll(backup);
    ASSERT_EQ(saved.size(), known.size());
    EXPECT_NE(saved, known);
    // Read again, the file holds the new colour.
    GuiRig check(WithImage(saved));
    check.Launch();
    EXPECT_EQ(check.Dm().g_arPSI[0].bLEDDutyR, 0x12);
    EXPECT_TRUE(rig.prompts.unexpected.empty());
}

// While a file is edited, the questions before a change speak of the file.
TEST_F(MainMenuTest, QuestionsSayInTheFileWhileAFileIsEdited) {
    GuiRig rig;
    rig.Launch();
    OpenKnownBackup(rig, File("asked.mbf"));
    rig.Top().OpenSettingScreen();
    QDialog* settings = rig.Top().CurrentScreen();
    ASSERT_NE(settings, nullptr);
    GuiRig::Settle(300);
    rig.prompts.confirmAnswers = {false, false};
    settings->findChild<QPushButton*>(QStringLiteral("m_btnSubmit"))->click();
    settings->findChild<QPushButton*>(QStringLiteral("m_btnFormat"))->click();
    ASSERT_EQ(rig.prompts.questions.size(), 2u);
    EXPECT_EQ(rig.prompts.questions[0].explanation, "Write the settings to the file?");
    EXPECT_EQ(rig.prompts.questions[1].headline, "Erase everything in the file?");
    EXPECT_EQ(settings->findChild<QLabel*>(QStringLiteral("m_lblUSBStatus"))->text(), QStringLiteral("Editing asked.mbf"));
    settings->close();
}

TEST_F(MainMenuTest, UnsavedEditsAreAskedAboutBeforeTheyCouldBeLost) {
    const fs::path backup = File("edit.mbf");
    GuiRig rig;
    rig.Launch();
    OpenKnownBackup(rig, backup);
    EXPECT_TRUE(rig.App().Menu().MayClose());  // nothing changed yet: no question
    EXPECT_TRUE(rig.prompts.confirms.empty());

    WriteNewLedColour(rig, 0x34);
    rig.prompts.saveChoices.push_back(UserPrompts::SaveChoice::Cancel);
    EXPECT_FALSE(rig.App().Menu().MayClose());
    rig.prompts.saveChoices.push_back(UserPrompts::SaveChoice::Cancel);
    rig.App().Menu().UseConnectedDevice();
    EXPECT_NE(rig.App().Offline(), nullptr);  // cancelled: still on the file

    rig.prompts.saveChoices.push_back(UserPrompts::SaveChoice::Discard);
    rig.App().Menu().UseConnectedDevice();
    ASSERT_TRUE(rig.WaitIdle());
    EXPECT_EQ(rig.App().Offline(), nullptr);
    EXPECT_EQ(ReadAll(backup), BuildKnownImage());  // discarded
    EXPECT_FALSE(rig.Window().windowTitle().contains(QStringLiteral("edit.mbf")));
    EXPECT_TRUE(rig.Dm().pUSBHID().bConnected());  // back on the connected device
    EXPECT_TRUE(rig.prompts.unexpected.empty());
}

TEST_F(MainMenuTest, SaveChoiceWritesTheFileBeforeClosing) {
    const fs::path backup = File("close.mbf");
    GuiRig rig;
    rig.Launch();
    OpenKnownBackup(rig, backup);
    WriteNewLedColour(rig, 0x56);
    rig.prompts.saveChoices.push_back(UserPrompts::SaveChoice::Save);
    EXPECT_TRUE(rig.App().Menu().MayClose());
    EXPECT_NE(ReadAll(backup), BuildKnownImage());
}

TEST_F(MainMenuTest, TheStartImageIsSavedWhenLeftForAnotherFileAndNeverAsked) {
    // kelvadeck --emulator=start.mbf: its image is saved when the program
    // ends, and so also when another backup replaces it.
    const fs::path start = File("start.mbf");
    WriteAll(start, BuildKnownImage());
    GuiRig::Setup setup;
    setup.emulatorFile = start.string();
    GuiRig rig(setup);
    rig.Launch();
    ASSERT_NE(rig.App().Offline(), nullptr);
    WriteNewLedColour(rig, 71);
    EXPECT_TRUE(rig.App().Menu().MayClose());  // no question: it is saved at the end

    OpenKnownBackup(rig, File("other.mbf"));
    GuiRig check(WithImage(ReadAll(start)));
    check.Launch();
    EXPECT_EQ(check.Dm().g_arPSI[0].bLEDDutyR, 71);
    EXPECT_TRUE(rig.prompts.unexpected.empty());
}

TEST_F(MainMenuTest, AFileThatIsNoFlashImageIsRefusedAndTheDeviceStays) {
    const fs::path bad = File("short.mbf");
    WriteAll(bad, std::vector<uint8_t>(1000, 0));
    GuiRig rig(WithImage(BuildKnownImage()));
    rig.Launch();
    const std::vector<ProfileSettingInfo> before = rig.Dm().g_arPSI;
    for (const fs::path& p : {bad, File("missing.mbf")}) {
        rig.prompts.openAnswers.push_back(p.string());
        rig.App().Menu().OpenBackup();
    }
    ASSERT_EQ(rig.prompts.errors.size(), 2u);
    EXPECT_EQ(rig.App().Offline(), nullptr);
    EXPECT_EQ(rig.Dm().g_arPSI, before);
    EXPECT_FALSE(fs::exists(File("missing.mbf")));
}

TEST_F(MainMenuTest, ExportThenImportOntoAnErasedDeviceGivesTheSameSettingsAndScripts) {
    const fs::path json = File("settings.json");
    // Every mode, key and colour set, and forty scripts.
    GuiRig source(WithImage(testsupport::ReferenceImageBytes()));
    source.Launch();
    source.prompts.saveAnswers.push_back(json.string());
    source.App().Menu().ExportJson();
    ASSERT_TRUE(source.WaitIdle());
    ASSERT_TRUE(source.prompts.errors.empty()) << source.prompts.errors.front();
    ASSERT_EQ(source.prompts.notices.size(), 1u);
    ASSERT_TRUE(fs::is_regular_file(json));

    GuiRig target;  // erased
    target.Launch();
    target.prompts.openAnswers.push_back(json.string());
    target.prompts.confirmAnswers.push_back(true);
    target.App().Menu().ImportJson();
    ASSERT_TRUE(target.WaitIdle());
    ASSERT_TRUE(target.prompts.errors.empty()) << target.prompts.errors.front();
    ASSERT_EQ(target.prompts.notices.size(), 1u);

    // Read back from the device itself, not from the model the import built.
    GuiRig check(WithImage(target.Flash()));
    check.Launch();
    const ModelCopy want(source.Dm());
    const ModelCopy got(check.Dm());
    EXPECT_EQ(got.modes, want.modes);
    EXPECT_EQ(got.dialMacros, want.dialMacros);
    // The device starts in the first mode after its settings are written.
    StandardSettingInfo settings = want.settings;
    settings.bMode = got.settings.bMode;
    EXPECT_EQ(got.settings, settings);
    // The scripts: both exports are the same document.
    for (GuiRig* rig : {&source, &check}) {
        ASSERT_FALSE(SettingsJsonTransfer::QueueUnreadSectors(rig->Dm(), SettingsJsonTransfer::AllDataSectors()) &&
                     !rig->Top().StartJob("JOB_NAME_SCRIPTS_READ", {}));
        ASSERT_TRUE(rig->WaitIdle());
        int failed = 0;
        ASSERT_TRUE(SettingsJsonTransfer::LoadSectors(rig->Dm(), SettingsJsonTransfer::AllDataSectors(), failed));
    }
    size_t a = 0;
    size_t b = 0;
    EXPECT_EQ(SettingsJsonTransfer::DocumentText(check.Dm(), b), SettingsJsonTransfer::DocumentText(source.Dm(), a));
    EXPECT_GE(a, 40u);
    EXPECT_EQ(a, b);
}

TEST_F(MainMenuTest, ARefusedOrCancelledImportLeavesTheDeviceAsItWas) {
    const fs::path broken = File("broken.json");
    {
        std::ofstream out(broken);
        out << R"({"format":"kelvadeck-settings","version":1,"modes":"three"})";
    }
    GuiRig rig(WithImage(BuildKnownImage()));
    rig.Launch();
    const std::vector<uint8_t> before = rig.Flash();
    rig.prompts.openAnswers.push_back(broken.string());
    rig.App().Menu().ImportJson();
    ASSERT_EQ(rig.prompts.errors.size(), 1u);
    EXPECT_TRUE(rig.prompts.confirms.empty());  // refused before anything is asked

    // A good document, but the user cancels at the question.
    const fs::path good = File("good.json");
    rig.prompts.saveAnswers.push_back(good.string());
    rig.App().Menu().ExportJson();
    ASSERT_TRUE(rig.WaitIdle());
    rig.prompts.openAnswers.push_back(good.string());
    rig.prompts.confirmAnswers.push_back(false);
    rig.App().Menu().ImportJson();
    ASSERT_TRUE(rig.WaitIdle());
    EXPECT_EQ(rig.prompts.confirms.size(), 1u);
    EXPECT_EQ(rig.Flash(), before);
    EXPECT_TRUE(rig.prompts.unexpected.empty());
}

TEST_F(MainMenuTest, UndoPutsBackTheSettingsNewestChangeFirst) {
    GuiRig rig(WithImage(BuildKnownImage()));
    rig.Launch();
    const uint8_t original = rig.Dm().g_arPSI[0].bLEDDutyR;
    QAction* undo = rig.App().Menu().Action("actUndo");
    rig.App().Menu().UpdateActions();
    EXPECT_FALSE(undo->isEnabled());

    WriteNewLedColour(rig, 0x21);
    WriteNewLedColour(rig, 0x42);
    rig.App().Menu().UpdateActions();
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo Mode 1"));

    rig.prompts.confirmAnswers = {true, true};
    rig.App().Menu().UndoLastChange();
    ASSERT_TRUE(rig.WaitIdle());
    EXPECT_EQ(rig.Dm().g_arPSI[0].bLEDDutyR, 0x21);
    rig.App().Menu().UndoLastChange();
    ASSERT_TRUE(rig.WaitIdle());
    EXPECT_EQ(rig.Dm().g_arPSI[0].bLEDDutyR, original);
    EXPECT_TRUE(rig.prompts.errors.empty());
    // What the device holds, read afresh.
    GuiRig check(WithImage(rig.Flash()));
    check.Launch();
    EXPECT_EQ(check.Dm().g_arPSI, rig.Dm().g_arPSI);

    // Nothing is left to undo: the user is told so and the flash stays.
    const std::vector<uint8_t> flash = rig.Flash();
    rig.App().Menu().UndoLastChange();
    EXPECT_EQ(rig.prompts.notices.size(), 3u);
    EXPECT_EQ(rig.Flash(), flash);
    EXPECT_TRUE(rig.prompts.unexpected.empty());
}

// Undo names the one part the last write changed; a write of several parts
// is named by what it wrote and when.
TEST_F(MainMenuTest, UndoNamesWhatItWillUndo) {
    struct Case {
        const char* name;
        std::function<void(DataManager&)> change;
        QString menu;
        std::string question;
    };
    const Case cases[] = {
        {"mode colour", [](DataManager& dm) { dm.g_arPSI[0].bLEDDutyR ^= 0x10; }, QStringLiteral("&Undo Mode 1"),
         "Undo the change of Mode 1?"},
        {"dial function name", [](DataManager& dm) { dm.g_arPSI[0].arDialFuncElemList[1].strFunctionName = u"Smudge"; },
         QStringLiteral("&Undo Dial Function 2 of Mode 1"), "Undo the change of Dial Function 2 of Mode 1?"},
        {"key", [](DataManager& dm) { dm.g_arPSI[1].arSelectItemElemSW[2].bItemID3 ^= 1; }, QStringLiteral("&Undo Key 3 of Mode 2"),
         "Undo the change of Key 3 of Mode 2?"},
        {"system settings", [](DataManager& dm) { dm.g_pSSI.bLEDOffTimer ^= 4; }, QStringLiteral("&Undo System Settings"),
         "Undo the change of System Settings?"},
        {"several parts",
         [](DataManager& dm) {
             dm.g_arPSI[0].bLEDDutyR ^= 0x10;
             dm.g_arPSI[2].arDialFuncElemList[0].strFunctionName = u"Smudge";
         },
         QString(), "Undo the last change?"},
    };
    for (const Case& c : cases) {
        GuiRig rig(WithImage(BuildKnownImage()));
        rig.Launch();
        DataManager& dm = rig.Dm();
        c.change(dm);
        ASSERT_TRUE(dm.DataOutputToMemory());
        ASSERT_TRUE(dm.pComQue().CreateFastWriteComQue());
        ASSERT_TRUE(rig.Top().StartJob("JOB_NAME_WRITE_SETTINGS", {}));
        ASSERT_TRUE(rig.WaitIdle());
        rig.App().Menu().UpdateActions();
        const QString text = rig.App().Menu().Action("actUndo")->text();
        if (c.menu.isEmpty()) {
            EXPECT_TRUE(text.startsWith(QStringLiteral("&Undo Last Change (settings, "))) << c.name << ": " << text.toStdString();
        } else {
            EXPECT_EQ(text, c.menu) << c.name;
        }
        rig.prompts.confirmAnswers = {false};
        rig.App().Menu().UndoLastChange();
        ASSERT_EQ(rig.prompts.questions.size(), 1u) << c.name;
        EXPECT_EQ(rig.prompts.questions[0].headline, c.question) << c.name;
        EXPECT_EQ(rig.prompts.questions[0].verb, "Undo") << c.name;
    }
}

TEST_F(MainMenuTest, DeviceCommandsWaitForADevice) {
    GuiRig::Setup setup;
    setup.plugged = false;
    GuiRig rig(setup);
    rig.Launch();
    rig.App().Menu().UpdateActions();
    EXPECT_FALSE(rig.App().Menu().Action("actExportJson")->isEnabled());
    EXPECT_FALSE(rig.App().Menu().Action("actSave")->isEnabled());  // no file is open
    EXPECT_TRUE(rig.App().Menu().Action("actOpenBackup")->isEnabled());
    rig.App().Menu().ExportJson();  // e.g. by its shortcut
    EXPECT_EQ(rig.prompts.errors.size(), 1u);
    EXPECT_TRUE(rig.prompts.panelExtensions.empty());
}

// Another program (kelvadeck-cli, another window) holds the file: opening it
// here is refused with a reason; once it is free it opens. Opening the open
// file again drops its edits, and an unchanged start image is never rewritten.
TEST_F(MainMenuTest, AFileAnotherProgramHoldsIsNotOpenedAndOnlyChangedImagesAreWritten) {
    const fs::path start = File("start.mbf");
    WriteAll(start, BuildKnownImage());
    struct stat before {};
    ASSERT_EQ(::stat(start.c_str(), &before), 0);
    GuiRig::Setup setup;
    setup.emulatorFile = start.string();
    GuiRig rig(setup);
    rig.Launch();

    const fs::path other = File("other.mbf");
    WriteAll(other, BuildKnownImage());
    FileLock cli;
    std::string error;
    ASSERT_EQ(cli.TryLock(other.string(), error), FileLock::Outcome::Locked) << error;
    rig.prompts.openAnswers.push_back(other.string());
    rig.App().Menu().OpenBackup();
    ASSERT_EQ(rig.prompts.errors.size(), 1u);
    EXPECT_NE(rig.prompts.errors[0].find("is in use by another Kelvadeck program"), std::string::npos) << rig.prompts.errors[0];
    EXPECT_EQ(rig.App().Offline()->Path(), start.string());

    cli.Release();
    OpenKnownBackup(rig, other);  // the start image, unchanged, is left as it was
    struct stat after {};
    ASSERT_EQ(::stat(start.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    WriteNewLedColour(rig, 0x21);
    rig.prompts.saveChoices.push_back(UserPrompts::SaveChoice::Discard);
    rig.prompts.openAnswers.push_back(other.string());
    rig.App().Menu().OpenBackup();
    ASSERT_TRUE(rig.WaitIdle());
    EXPECT_EQ(rig.prompts.errors.size(), 1u);
    EXPECT_EQ(rig.App().Offline()->Path(), other.string());
    EXPECT_NE(rig.Dm().g_arPSI[0].bLEDDutyR, 0x21);  // the file as it is on disk
    EXPECT_FALSE(rig.App().HasUnsavedOfflineChanges());
    EXPECT_EQ(cli.TryLock(other.string(), error), FileLock::Outcome::Busy);  // still held here
    EXPECT_TRUE(rig.prompts.unexpected.empty());
}

}  // namespace
}  // namespace kelvadeck::guitest
