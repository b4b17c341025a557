// The macro editor and its step dialogs against the emulated Kelvadeck:
// writing into a sector that holds other scripts, scripts too long for a
// slot, unnamed slots, macro files, the palette, reordering, recording and
// the value rules of the step dialogs.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "GuiRig.h"
#include "KnownImage.h"
#include "macro/MacroScriptFile.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "screens/EditMacroVC.h"
#include "screens/InputSupportJoysticButton.h"
#include "screens/InputSupportMouseButton.h"
#include "screens/InputSupportMouseWheel.h"
#include "screens/InputSupportMoveDistance.h"
#include "screens/InputSupportMultimediaButton.h"
#include "screens/InputSupportNumberInput.h"
#include "screens/InputSupportkeyboard.h"
#include "screens/KeyInputReceiver.h"
#include "screens/MacroStepTable.h"

namespace kelvadeck::guitest {
namespace {

using C = Constants;
using F = FlashControl;
namespace fs = std::filesystem;

MacroDataScript Wait(uint16_t ms) { return MacroCreator::CreateMacroForScriptInterval(ms); }

struct StoredScript {
    int index;             // slot list index (slot number - 1)
    std::u16string name;   // empty: unnamed
    std::vector<MacroDataScript> steps;
    uint8_t mode = 0;
};

// The known image with scripts stored in their slots, as the device would hold them.
std::vector<uint8_t> ImageWithScripts(const std::vector<StoredScript>& scripts) {
    std::vector<uint8_t> image = BuildKnownImage();
    DataManager dm;
    std::copy_n(image.begin(), F::FM_SECTOR_SIZE, dm.SectorBuffer(0));
    std::copy_n(image.begin() + F::FM_SECTOR_SIZE, F::FM_SECTOR_SIZE, dm.SectorBuffer(1));
    if (!dm.DataInitializeFromMemory()) throw std::runtime_error("image");
    for (int s = 2; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) dm.SetSectorReadFlag(s, true);
    for (const StoredScript& st : scripts) {
        MacroCreator m;
        m.bScriptMode = st.mode;
        m.arCurrentMacroScript = st.steps;
        m.EncodeMacroData();
        if (!dm.RenewMacroScriptInfo(st.index + 1, m)) throw std::runtime_error("store");
        ScriptElem& e = dm.g_arSCE[static_cast<size_t>(st.index)];
        e.bScriptMode = st.mode;
        e.strScriptName = st.name;
    }
    dm.DataOutputToMemory();
    for (int s = 0; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) {
        if (s >= 2 && !dm.SectorReadFlag(s)) continue;
        std::copy_n(dm.SectorBuffer(s), F::FM_SECTOR_SIZE, image.begin() + static_cast<std::ptrdiff_t>(s) * F::FM_SECTOR_SIZE);
    }
    return image;
}

class EditorFixture : public ::testing::Test {
protected:
    void Open(std::vector<uint8_t> image = BuildKnownImage()) {
        GuiRig::Setup setup;
        setup.image = std::move(image);
        rig = std::make_unique<GuiRig>(std::move(setup));
        rig->Launch();
        QPushButton* open = rig->Find<QPushButton>(QStringLiteral("m_btnEditMacro"));
        ASSERT_TRUE(open->isEnabled());
        open->click();
        screen = rig->Find<EditMacroVC>(QStringLiteral("EditMacroVC"));
        ASSERT_NE(screen, nullptr);
        ASSERT_FALSE(rig->Top().IsTimerRunning());
    }
    template <typename T>
    T* Find(const char* name) {
        T* w = screen->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QTableWidget* Steps() { return Find<QTableWidget>("m_tvMacroContents"); }
    QString Cell(int row, int col) {
        QTableWidgetItem* item = Steps()->item(row, col);
        return item ? item->text() : QString();
    }
    void SelectSlot(int index) { Find<QTableWidget>("m_tvSelectMacro")->selectRow(index); }
    // Drags a palette item and lets go over a widget of the screen.
    void DropPaletteItem(int item, QWidget* over) {
        auto* frame = Find<QFrame>(QStringLiteral("m_cvControlElem%1").arg(item).toLatin1().constData());
        const QPoint target = frame->mapFrom(screen, over->mapTo(screen, over->rect().center()));
        auto send = [frame](QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
            QMouseEvent e(type, QPointF(pos), QPointF(frame->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
            QCoreApplication::sendEvent(frame, &e);
        };
        send(QEvent::MouseButtonPress, QPoint(4, 4), Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, target, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, target, Qt::LeftButton, Qt::NoButton);
    }
    template <typename D>
    D* Dialog() {
        auto* d = qobject_cast<D*>(screen->CurrentDialog());
        EXPECT_NE(d, nullptr);
        return d;
    }
    // Types into a spin box of a dialog as a user would, over what it holds.
    static QSpinBox* Type(QDialog* d, const char* name, const QString& text) {
        auto* spin = d->findChild<QSpinBox*>(QString::fromLatin1(name));
        EXPECT_NE(spin, nullptr) << name;
        if (spin == nullptr) return nullptr;
        spin->selectAll();
        QTest::keyClicks(spin, text);
        return spin;
    }
    void Submit(QDialog* d) {
        d->findChild<QPushButton*>(QStringLiteral("m_btnSubmit"))->click();
        GuiRig::Settle(50);
    }
    std::unique_ptr<DataManager> FlashModel() {
        auto dm = std::make_unique<DataManager>();
        const auto flash = rig->Flash();
        for (int s = 0; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) {
            std::copy_n(flash.begin() + static_cast<std::ptrdiff_t>(s) * F::FM_SECTOR_SIZE, F::FM_SECTOR_SIZE, dm->SectorBuffer(s));
        }
        dm->DataInitializeFromMemory();
        for (int s = 2; s < static_cast<int>(F::FM_SECTOR_NUM); ++s) dm->SetScriptDataFromFlashSector(s);
        return dm;
    }
    static std::vector<uint8_t> Bytes(const ScriptElem& e) { return e.pbRawData.value_or(std::vector<uint8_t>{}); }
    static std::vector<uint8_t> Encoded(std::vector<MacroDataScript> steps) {
        MacroCreator m;
        m.arCurrentMacroScript = std::move(steps);
        m.EncodeMacroData();
        return *m.pbRawData;
    }
    fs::path TempFile(const std::string& name) {
        return fs::temp_directory_path() / ("kelvadeck-medit-" + std::to_string(::getpid()) + "-" + name);
    }

    std::unique_ptr<GuiRig> rig;
    EditMacroVC* screen = nullptr;
};

TEST_F(EditorFixture, WritingIntoASectorThatHoldsOtherScriptsKeepsThemAll) {
    // Slots 1, 31 and 91 share data sector 2 with slot 61.
    const std::vector<MacroDataScript> brush = {Wait(0x0101), Wait(0x0202)};
    const std::vector<MacroDataScript> zoom = {Wait(0x0303)};
    const std::vector<MacroDataScript> pan = {Wait(0x0404), Wait(0x0505), Wait(0x0606)};
    Open(ImageWithScripts({{0, u"Brush", brush, 1}, {30, u"Zoom", zoom, 2}, {90, u"", pan, 3}}));
    const uint64_t readsBefore = rig->device.Counters().exchanges;

    // A wait of 300 ms dropped from the palette and set in its dialog.
    DropPaletteItem(17, Steps());
    auto* number = Dialog<InputSupportNumberInput>();
    ASSERT_NE(number, nullptr);
    Type(number, "m_stpNumber", QStringLiteral("300"));
    Submit(number);
    SelectSlot(60);
    Find<QLineEdit>("m_txtMacroName")->setText(QStringLiteral("Stamp"));
    rig->prompts.confirmAnswers.push_back(true);
    Find<QPushButton>("m_btnWrite")->click();
    ASSERT_TRUE(rig->WaitIdle());
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return screen->bCurrentMode() == EditMacroVC::MODE_IDLE && Find<QPushButton>("m_btnWrite")->isEnabled(); }));
    EXPECT_TRUE(rig->prompts.errors.empty()) << rig->prompts.errors.front();
    ASSERT_EQ(rig->prompts.confirms.size(), 1u);
    EXPECT_EQ(rig->prompts.confirms[0], "Write the macro to slot 61 on the device?");
    EXPECT_GT(rig->device.Counters().exchanges, readsBefore);

    const auto flash = FlashModel();
    EXPECT_EQ(Bytes(flash->g_arSCE[0]), Encoded(brush));
    EXPECT_EQ(flash->g_arSCE[0].strScriptName, u"Brush");
    EXPECT_EQ(flash->g_arSCE[0].bScriptMode, 1);
    EXPECT_EQ(Bytes(flash->g_arSCE[30]), Encoded(zoom));
    EXPECT_EQ(flash->g_arSCE[30].strScriptName, u"Zoom");
    EXPECT_EQ(Bytes(flash->g_arSCE[90]), Encoded(pan));
    EXPECT_EQ(flash->g_arSCE[90].bScriptMode, 3);
    EXPECT_EQ(Bytes(flash->g_arSCE[60]), (std::vector<uint8_t>{0x70, 0x01, 0x2C}));
    EXPECT_EQ(flash->g_arSCE[60].strScriptName, u"Stamp");
    EXPECT_EQ(flash->g_pSCTI.bTotalNum, 4);
    // The list shows the new name; the editor keeps its steps.
    EXPECT_EQ(Find<QTableWidget>("m_tvSelectMacro")->item(60, 1)->text(), QStringLiteral("Stamp"));
    EXPECT_EQ(Find<QLineEdit>("m_txtNo")->text(), QStringLiteral("061"));
    EXPECT_EQ(screen->Script().arCurrentMacroScript.size(), 1u);
    // The write is told under the steps; no message box.
    EXPECT_EQ(Find<QLabel>("m_lblOutcome")->text(), QStringLiteral("Written to slot 061."));
    // Changed again, the steps are no longer what was written: the note goes.
    DropPaletteItem(2, Steps());
    EXPECT_TRUE(Find<QLabel>("m_lblOutcome")->text().isEmpty());
}

TEST_F(EditorFixture, AScriptTooLongForASlotIsRefusedWithAMessageAndNothingIsWritten) {
    // Slot 2 holds 9000 bytes; read twice the editor holds 18000.
    Open(ImageWithScripts({{1, u"Long", std::vector<MacroDataScript>(3000, Wait(7)), 0}}));
    SelectSlot(1);
    Find<QPushButton>("m_btnRead")->click();
    ASSERT_TRUE(rig->WaitIdle());
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return screen->Script().arCurrentMacroScript.size() == 3000; }));
    EXPECT_EQ(Find<QLabel>("m_lblScriptSize")->text(), QStringLiteral("Size: 9000 of 9362 bytes"));
    Find<QPushButton>("m_btnRead")->click();
    ASSERT_EQ(screen->Script().arCurrentMacroScript.size(), 6000u);
    EXPECT_EQ(Find<QLabel>("m_lblScriptSize")->text(),
              QStringLiteral("Size: 18000 of 9362 bytes 8638 bytes too long: the last 2880 steps do not fit."));

    const auto before = rig->Flash();
    const uint64_t exchanges = rig->device.Counters().exchanges;
    Find<QPushButton>("m_btnWrite")->click();
    GuiRig::Settle(300);
    EXPECT_TRUE(rig->prompts.confirms.empty());
    ASSERT_EQ(rig->prompts.errors.size(), 1u);
    EXPECT_NE(rig->prompts.errors[0].find("18000 bytes"), std::string::npos) << rig->prompts.errors[0];
    EXPECT_NE(rig->prompts.errors[0].find("8638 bytes (the last 2880 steps) do not fit"), std::string::npos);
    EXPECT_EQ(rig->device.Counters().exchanges, exchanges);
    EXPECT_EQ(rig->Flash(), before);
    EXPECT_EQ(rig->Dm().g_arSCE[1].dwSaveSize, 9000u);
}

TEST_F(EditorFixture, AnUnnamedSlotReadAndWrittenBackStaysUnnamed) {
    Open(ImageWithScripts({{30, u"", {Wait(5)}, 0}}));
    const QString unnamed = QStringLiteral("(unnamed macro)");
    EXPECT_EQ(Find<QTableWidget>("m_tvSelectMacro")->item(30, 1)->text(), unnamed);
    EXPECT_EQ(Find<QTableWidget>("m_tvSelectMacro")->item(30, 0)->text(), QStringLiteral("031"));
    SelectSlot(30);
    Find<QPushButton>("m_btnRead")->click();
    ASSERT_TRUE(rig->WaitIdle());
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return screen->Script().arCurrentMacroScript.size() == 1; }));
    QLineEdit* name = Find<QLineEdit>("m_txtMacroName");
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_EQ(name->placeholderText(), unnamed);

    rig->prompts.confirmAnswers.push_back(true);
    Find<QPushButton>("m_btnWrite")->click();
    ASSERT_TRUE(rig->WaitIdle());
    GuiRig::Settle(300);
    EXPECT_TRUE(rig->prompts.errors.empty());
    const auto flash = FlashModel();
    EXPECT_EQ(Bytes(flash->g_arSCE[30]), (std::vector<uint8_t>{0x70, 0, 5}));
    EXPECT_TRUE(flash->g_arSCE[30].strScriptName.value_or(u"").empty());
    EXPECT_EQ(Find<QTableWidget>("m_tvSelectMacro")->item(30, 1)->text(), unnamed);
}

TEST_F(EditorFixture, ReadingAppendsAndTakesTheModeOnlyIntoAnEmptyList) {
    Open(ImageWithScripts({{4, u"Five", {Wait(5)}, C::SCRIPT_MODE_FIRE_MODE}, {34, u"Other", {Wait(6)}, C::SCRIPT_MODE_HOLD_MODE}}));
    SelectSlot(4);
    Find<QPushButton>("m_btnRead")->click();
    ASSERT_TRUE(rig->WaitIdle());
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return screen->Script().arCurrentMacroScript.size() == 1; }));
    EXPECT_EQ(screen->Script().bScriptMode, C::SCRIPT_MODE_FIRE_MODE);
    EXPECT_EQ(Find<QLineEdit>("m_txtMacroName")->text(), QStringLiteral("Five"));
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Rapid fire"));
    // The sector is read now: the next read needs no job.
    SelectSlot(34);
    Find<QPushButton>("m_btnRead")->click();
    ASSERT_EQ(screen->Script().arCurrentMacroScript.size(), 2u);
    EXPECT_EQ(screen->Script().bScriptMode, C::SCRIPT_MODE_FIRE_MODE);
    EXPECT_EQ(screen->Script().arCurrentMacroScript[1].sOption, 6);
    EXPECT_EQ(Find<QLineEdit>("m_txtNo")->text(), QStringLiteral("035"));
}

TEST_F(EditorFixture, WriteWithoutASelectedSlotAsksForOne) {
    Open();
    Find<QPushButton>("m_btnWrite")->click();
    ASSERT_EQ(rig->prompts.errors.size(), 1u);
    EXPECT_EQ(rig->prompts.errors[0], "Select a macro slot in the list first.");
    EXPECT_TRUE(rig->prompts.confirms.empty());
}

TEST_F(EditorFixture, CancellingTheConfirmationWritesNothing) {
    Open();
    DropPaletteItem(2, Steps());  // left stick centre: no dialog
    SelectSlot(0);
    const auto before = rig->Flash();
    rig->prompts.confirmAnswers.push_back(false);
    Find<QPushButton>("m_btnWrite")->click();
    GuiRig::Settle(300);
    EXPECT_EQ(rig->Flash(), before);
    EXPECT_TRUE(rig->LogHas("Alert result Cancel"));
    EXPECT_FALSE(rig->Dm().g_arSCE[0].IsStored());
}

TEST_F(EditorFixture, ExportAndImportMakeTheSameScriptAgain) {
    Open();
    // Key press "A", wait 300, key release "A", loop mode.
    DropPaletteItem(9, Steps());
    auto* key = Dialog<InputSupportkeyboard>();
    ASSERT_NE(key, nullptr);
    key->KeyInput()->ReceiveEvent(HostInputEvent::Key(HostInputEvent::Type::KeyDown, 0x00));
    EXPECT_EQ(screen->CurrentDialog(), key);  // a key going down only is remembered
    key->KeyInput()->ReceiveEvent(HostInputEvent::Key(HostInputEvent::Type::KeyUp, 0x00));
    GuiRig::Settle(50);
    DropPaletteItem(17, Steps());
    auto* number = Dialog<InputSupportNumberInput>();
    ASSERT_NE(number, nullptr);
    Type(number, "m_stpNumber", QStringLiteral("300"));
    Submit(number);
    DropPaletteItem(10, Steps());
    Dialog<InputSupportkeyboard>()->KeyInput()->ReceiveEvent(HostInputEvent::Key(HostInputEvent::Type::KeyUp, 0x00));
    GuiRig::Settle(50);
    screen->DoubleClickAction(0);
    ASSERT_EQ(screen->Script().arCurrentMacroScript.size(), 3u);

    const fs::path file = TempFile("roundtrip.mcdf");
    rig->prompts.saveAnswers.push_back(file.string());
    Find<QPushButton>("m_btnExport")->click();
    EXPECT_TRUE(rig->prompts.errors.empty());
    ASSERT_EQ(rig->prompts.panelExtensions.back(), "mcdf");
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x03, 0x5A, 0x4B, 0x57, 0x14, 0, 0, 0, 0x01, 0x07, 0, 0, 0, 0x41, 0x04, 0x70, 0x01, 0x2C,
                                           0x40, 0x04}));

    const std::vector<MacroDataScript> steps = screen->Script().arCurrentMacroScript;
    // Exported, the steps are safe: Clear asks nothing; the export is told.
    EXPECT_NE(Find<QLabel>("m_lblOutcome")->text().indexOf(QString::fromStdString(file.string())), -1);
    Find<QPushButton>("m_btnClear")->click();
    EXPECT_TRUE(rig->prompts.confirms.empty());
    EXPECT_EQ(Steps()->rowCount(), 1);
    EXPECT_EQ(screen->Script().bScriptMode, C::SCRIPT_MODE_LOOP_MODE);
    screen->DoubleClickAction(0);
    screen->DoubleClickAction(0);
    screen->DoubleClickAction(0);  // back to "one"
    rig->prompts.openAnswers.push_back(file.string());
    Find<QPushButton>("m_btnImport")->click();
    EXPECT_TRUE(rig->prompts.errors.empty());
    EXPECT_EQ(screen->Script().bScriptMode, C::SCRIPT_MODE_LOOP_MODE);
    ASSERT_EQ(screen->Script().arCurrentMacroScript.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(screen->Script().arCurrentMacroScript[i].bScriptID, steps[i].bScriptID) << i;
        EXPECT_EQ(screen->Script().arCurrentMacroScript[i].cOption1, steps[i].cOption1) << i;
    }
    EXPECT_EQ(Cell(2, 3).isEmpty(), false);

    // A broken file is refused and changes nothing.
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        const char broken[] = {0x03, 'Z', 'K', 'W', 0x0E, 0, 0, 0, 0x00, 0x01, 0, 0, 0, 0x41};
        out.write(broken, sizeof broken);
    }
    rig->prompts.openAnswers.push_back(file.string());
    Find<QPushButton>("m_btnImport")->click();
    ASSERT_EQ(rig->prompts.errors.size(), 1u);
    EXPECT_EQ(rig->prompts.errors[0], "This file is not a valid macro file, or the macro is too long. Nothing was imported.");
    EXPECT_EQ(screen->Script().arCurrentMacroScript.size(), 3u);

    // An export that cannot be written is reported.
    const std::string nowhere = (TempFile("no-such-dir") / "x.mcdf").string();
    rig->prompts.saveAnswers.push_back(nowhere);
    Find<QPushButton>("m_btnExport")->click();
    ASSERT_EQ(rig->prompts.errors.size(), 2u);
    EXPECT_NE(rig->prompts.errors[1].find(nowhere), std::string::npos) << rig->prompts.errors[1];
    EXPECT_NE(rig->prompts.errors[1].find("No such file or directory"), std::string::npos) << rig->prompts.errors[1];
    fs::remove(file);
}

TEST_F(EditorFixture, ANewEditorShowsOnlyTheModeRowAndTheModeCycles) {
    Open();
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("Macro Editor"));
    // The slot number is shown, never typed in.
    EXPECT_TRUE(Find<QLineEdit>("m_txtNo")->isReadOnly());
    EXPECT_EQ(Find<QLineEdit>("m_txtNo")->focusPolicy(), Qt::NoFocus);
    ASSERT_EQ(Steps()->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), QStringLiteral("0"));
    EXPECT_EQ(Cell(0, 1), QStringLiteral("0"));
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Play once"));
    EXPECT_EQ(Find<QTableWidget>("m_tvSelectMacro")->rowCount(), 150);
    // A name longer than a slot stores cannot be typed.
    QLineEdit* name = Find<QLineEdit>("m_txtMacroName");
    QTest::keyClicks(name, QString(130, QLatin1Char('m')));
    EXPECT_EQ(name->text().size(), 126);
    name->clear();
    const char* modes[] = {"Loop", "Rapid fire", "While held", "Play once"};
    for (const char* m : modes) {
        screen->DoubleClickAction(0);
        EXPECT_EQ(Cell(0, 2), QString::fromLatin1(m));
    }
}

TEST_F(EditorFixture, PaletteDropsAddStepsOnlyOnTheStepList) {
    Open();
    DropPaletteItem(17, Find<QTableWidget>("m_tvSelectMacro"));
    EXPECT_EQ(screen->CurrentDialog(), nullptr);
    EXPECT_TRUE(screen->Script().arCurrentMacroScript.empty());
    // A wait dropped on the list is added by its dialog's "Add Step"; Cancel adds nothing.
    DropPaletteItem(17, Steps());
    EXPECT_NE(Dialog<InputSupportNumberInput>(), nullptr);
    EXPECT_TRUE(screen->Script().arCurrentMacroScript.empty());
    EXPECT_EQ(screen->CurrentDialog()->findChild<QPushButton*>(QStringLiteral("m_btnSubmit"))->text(), QStringLiteral("Add Step"));
    screen->CurrentDialog()->findChild<QPushButton*>(QStringLiteral("m_btnCancel"))->click();
    GuiRig::Settle(50);
    EXPECT_TRUE(screen->Script().arCurrentMacroScript.empty());
    EXPECT_EQ(Steps()->rowCount(), 1);
    DropPaletteItem(17, Steps());
    Submit(Dialog<InputSupportNumberInput>());
    ASSERT_EQ(screen->Script().arCurrentMacroScript.size(), 1u);
    EXPECT_EQ(screen->Script().arCurrentMacroScript[0].sOption, 1);  // the default wait
    // A stick move drops without a dialog; a double click asks for its position.
    DropPaletteItem(1, Steps());
    EXPECT_EQ(screen->CurrentDialog(), nullptr);
    ASSERT_EQ(screen->Script().arCurrentMacroScript.size(), 2u);
    EXPECT_EQ(Cell(2, 2), QStringLiteral("Left stick move"));
    EXPECT_EQ(Steps()->item(2, 2)->background().color(), QColor::fromRgbF(0, 1, 0, 0.1f));
    screen->DoubleClickAction(2);
    ASSERT_NE(Dialog<InputSupportMoveDistance>(), nullptr);
    // A step already in the script is changed with "OK"; Cancel changes nothing.
    EXPECT_EQ(screen->CurrentDialog()->findChild<QPushButton*>(QStringLiteral("m_btnSubmit"))->text(), QStringLiteral("OK"));
    Type(screen->CurrentDialog(), "m_stpDistanceValueX", QStringLiteral("9"));
    screen->CurrentDialog()->findChild<QPushButton*>(QStringLiteral("m_btnCancel"))->click();
    GuiRig::Settle(50);
    EXPECT_EQ(screen->Script().arCurrentMacroScript.size(), 2u);
    EXPECT_EQ(screen->Script().arCurrentMacroScript[1].cOption1, 0);
}

TEST_F(EditorFixture, RowsAreReorderedByDraggingAndTheModeRowStaysPut) {
    Open();
    for (int i = 0; i < 4; ++i) screen->findChild<QPushButton*>(QStringLiteral("m_btnAdd"))->click();
    // Give the four steps telling values: waits 1 to 4.
    auto script = [this] { return screen->Script().arCurrentMacroScript; };
    for (int r = 1; r <= 4; ++r) {
        DropPaletteItem(17, Steps());
        auto* number = Dialog<InputSupportNumberInput>();
        Type(number, "m_stpNumber", QString::number(r));
        Submit(number);
    }
    for (int i = 0; i < 4; ++i) {
        Steps()->selectRow(1);
        Find<QPushButton>("m_btnRemove")->click();  // the blank steps go
    }
    ASSERT_EQ(script().size(), 4u);
    auto table = qobject_cast<MacroStepTable*>(Steps());
    auto drag = [&](int fromRow, int aboveRow) {
        const QModelIndexList indexes = {table->model()->index(fromRow, 0)};
        std::unique_ptr<QMimeData> data(table->model()->mimeData(indexes));
        if (!data) return false;
        const QRect rect = aboveRow < table->rowCount() ? table->visualRect(table->model()->index(aboveRow, 0))
                                                        : table->visualRect(table->model()->index(table->rowCount() - 1, 0)).translated(0, 40);
        // The drag enters the list (which makes it the drop target), then drops.
        QDragEnterEvent enter(rect.center(), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(rect.center()), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(table->viewport(), &drop);
        EXPECT_TRUE(drop.isAccepted());
        return true;
    };
    auto values = [&] {
        std::vector<int> v;
        for (const auto& s : script()) v.push_back(s.sOption);
        return v;
    };
    ASSERT_TRUE(drag(3, 1));
    EXPECT_EQ(values(), (std::vector<int>{3, 1, 2, 4}));
    ASSERT_TRUE(drag(1, 4));
    EXPECT_EQ(values(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_FALSE(drag(0, 3));  // the mode row cannot be dragged
    ASSERT_TRUE(drag(2, 0));   // nor can anything land above it
    EXPECT_EQ(values(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Play once"));
    // Remove with the mode row selected removes nothing.
    Steps()->selectRow(0);
    Find<QPushButton>("m_btnRemove")->click();
    EXPECT_EQ(values(), (std::vector<int>{1, 2, 3, 4}));
    Steps()->clearSelection();
    EXPECT_FALSE(Find<QPushButton>("m_btnRemove")->isEnabled());
}

TEST_F(EditorFixture, RecordingAPressAPauseAndAReleaseMakesThreeSteps) {
    Open();
    // Recording moves nothing: the keys take the palette's place.
    ASSERT_TRUE(screen->isVisible());
    GuiRig::Settle(50);
    std::vector<QRect> places;
    const char* parts[] = {"m_tvMacroContents", "m_boxCreateMacroArea", "m_btnRecording", "m_btnClear", "m_btnWrite"};
    for (const char* name : parts) places.push_back(Find<QWidget>(name)->geometry());
    Find<QPushButton>("m_btnRecording")->click();
    ASSERT_TRUE(screen->bRecording());
    GuiRig::Settle(50);
    for (size_t i = 0; i < places.size(); ++i) EXPECT_EQ(Find<QWidget>(parts[i])->geometry(), places[i]) << parts[i];
    EXPECT_TRUE(Find<QFrame>("m_cvRecodePreview")->isVisibleTo(screen));
    EXPECT_FALSE(Find<QFrame>("m_cvControlItem")->isVisibleTo(screen));
    EXPECT_EQ(Find<QPushButton>("m_btnRecording")->text(), QStringLiteral("Stop recording"));
    screen->Record(HostInputEvent::Key(HostInputEvent::Type::KeyDown, 0x00, 0, 100.0));
    screen->Record(HostInputEvent::Key(HostInputEvent::Type::KeyUp, 0x00, 0, 100.25));
    screen->Record(HostInputEvent::Mouse(true, 0, 101.0));
    const auto& steps = screen->Script().arCurrentMacroScript;
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].bScriptID, C::SCRIPT_COMMAND_KEY_PRESS);
    EXPECT_EQ(steps[1].bScriptID, C::SCRIPT_COMMAND_INTERVAL);
    EXPECT_EQ(steps[1].sOption, 250);
    EXPECT_EQ(steps[2].bScriptID, C::SCRIPT_COMMAND_KEY_RELEASE);
    EXPECT_EQ(steps[4].bControlItemNo, C::SCRIPT_ICON_IDX_MOUSE_CLICK);
    EXPECT_EQ(Find<QLabel>("m_lblKeyInputResult")->text(), QStringLiteral("[A][A]"));
    GuiRig::Settle(50);
    for (size_t i = 0; i < places.size(); ++i) EXPECT_EQ(Find<QWidget>(parts[i])->geometry(), places[i]) << parts[i];
    // Real key events on the overlay are recorded too.
    QTest::keyClick(Find<QFrame>("m_cvRecodePreview"), Qt::Key_B);
    EXPECT_GE(steps.size(), 7u);
    Find<QPushButton>("m_btnRecording")->click();
    EXPECT_FALSE(screen->bRecording());
    EXPECT_TRUE(Find<QFrame>("m_cvControlItem")->isVisibleTo(screen));
    // Not recording: events add nothing.
    const size_t count = steps.size();
    screen->Record(HostInputEvent::Key(HostInputEvent::Type::KeyDown, 0x01, 0, 200.0));
    EXPECT_EQ(steps.size(), count);
}

TEST_F(EditorFixture, ClearAsksBeforeItWipesUnsavedSteps) {
    Open();
    DropPaletteItem(2, Steps());  // left stick centre: no dialog
    DropPaletteItem(2, Steps());
    rig->prompts.confirmAnswers.push_back(false);
    Find<QPushButton>("m_btnClear")->click();
    ASSERT_EQ(rig->prompts.confirms.size(), 1u);
    EXPECT_NE(rig->prompts.confirms[0].find("2 steps"), std::string::npos) << rig->prompts.confirms[0];
    EXPECT_EQ(screen->Script().arCurrentMacroScript.size(), 2u);
    rig->prompts.confirmAnswers.push_back(true);
    Find<QPushButton>("m_btnClear")->click();
    EXPECT_TRUE(screen->Script().arCurrentMacroScript.empty());
    // An empty editor clears without a question.
    Find<QPushButton>("m_btnClear")->click();
    EXPECT_EQ(rig->prompts.confirms.size(), 2u);
    EXPECT_TRUE(rig->prompts.unexpected.empty());
}

TEST_F(EditorFixture, EscapeAsksBeforeDroppingUnsavedStepsAndSaveWritesThem) {
    using Choice = UserPrompts::SaveChoice;
    Open();
    DropPaletteItem(2, Steps());
    SelectSlot(4);
    // Cancel: the editor stays, with its steps.
    rig->PressEscape(screen, Choice::Cancel);
    GuiRig::Settle(50);
    ASSERT_EQ(rig->prompts.confirms.size(), 1u);
    ASSERT_NE(rig->Find<EditMacroVC>(QStringLiteral("EditMacroVC")), nullptr);
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(screen->Script().arCurrentMacroScript.size(), 1u);
    // Save: written to the selected slot, then the editor closes.
    rig->prompts.saveChoices.push_back(Choice::Save);
    rig->prompts.confirmAnswers.push_back(true);
    QTest::keyClick(screen, Qt::Key_Escape);
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return rig->Find<EditMacroVC>(QStringLiteral("EditMacroVC")) == nullptr || !screen->isVisible(); }));
    ASSERT_TRUE(rig->WaitIdle());
    EXPECT_TRUE(rig->prompts.errors.empty());
    EXPECT_TRUE(FlashModel()->g_arSCE[4].IsStored());
    EXPECT_TRUE(rig->prompts.unexpected.empty());
}

TEST_F(EditorFixture, DiscardClosesWithoutWritingAndSavedStepsCloseWithoutAQuestion) {
    using Choice = UserPrompts::SaveChoice;
    Open();
    DropPaletteItem(2, Steps());
    const auto before = rig->Flash();
    rig->prompts.saveChoices.push_back(Choice::Discard);
    Find<QPushButton>("m_btnCancel")->click();
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return rig->Find<EditMacroVC>(QStringLiteral("EditMacroVC")) == nullptr || !screen->isVisible(); }));
    EXPECT_EQ(rig->Flash(), before);

    // Steps just read from a slot are safe there: closing asks nothing.
    Open(ImageWithScripts({{2, u"Three", {Wait(5)}, 0}}));
    SelectSlot(2);
    Find<QPushButton>("m_btnRead")->click();
    ASSERT_TRUE(rig->WaitIdle());
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return screen->Script().arCurrentMacroScript.size() == 1u; }));
    Find<QPushButton>("m_btnCancel")->click();
    ASSERT_TRUE(GuiRig::PumpUntil([this] { return rig->Find<EditMacroVC>(QStringLiteral("EditMacroVC")) == nullptr || !screen->isVisible(); }));
    EXPECT_TRUE(rig->prompts.unexpected.empty());
}

TEST_F(EditorFixture, DeleteRemovesTheSelectedStepAndThePlayModeHasItsOwnControl) {
    Open();
    DropPaletteItem(2, Steps());
    DropPaletteItem(4, Steps());
    Steps()->setFocus();
    Steps()->selectRow(1);
    QTest::keyClick(Steps(), Qt::Key_Delete);
    ASSERT_EQ(screen->Script().arCurrentMacroScript.size(), 1u);
    auto* mode = Find<QComboBox>("m_cmbPlayMode");
    EXPECT_FALSE(mode->toolTip().isEmpty());
    EXPECT_EQ(mode->currentText(), QStringLiteral("Play once"));
    mode->setCurrentIndex(C::SCRIPT_MODE_LOOP_MODE);
    emit mode->activated(C::SCRIPT_MODE_LOOP_MODE);
    EXPECT_EQ(screen->Script().bScriptMode, C::SCRIPT_MODE_LOOP_MODE);
    EXPECT_EQ(Cell(0, 2), QStringLiteral("Loop"));
    screen->DoubleClickAction(0);
    EXPECT_EQ(mode->currentText(), Cell(0, 2));
}

// ---- Step dialogs ---------------------------------------------------------

TEST_F(EditorFixture, TheNumberDialogTakesOnlyWhatSixteenBitsHoldInMilliseconds) {
    Open();
    DropPaletteItem(17, Steps());
    auto* number = Dialog<InputSupportNumberInput>();
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->windowTitle(), QStringLiteral("Wait"));
    auto* spin = number->findChild<QSpinBox*>(QStringLiteral("m_stpNumber"));
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->value(), 1);
    EXPECT_EQ(spin->minimum(), 0);
    EXPECT_EQ(spin->maximum(), 65535);
    EXPECT_EQ(spin->suffix(), QStringLiteral(" ms"));
    // The last digit of 70000 is refused as it is typed: what is shown is what is stored.
    Type(number, "m_stpNumber", QStringLiteral("70000"));
    EXPECT_EQ(spin->value(), 7000);
    Submit(number);
    const MacroDataScript& step = screen->Script().arCurrentMacroScript.at(0);
    EXPECT_EQ(step.sOption, 7000);
    EXPECT_EQ(Cell(1, 3).contains(QStringLiteral("7000")), true) << Cell(1, 3).toStdString();
}

TEST_F(EditorFixture, TheDistanceDialogTakesOnlyWhatASignedByteHolds) {
    struct Case {
        const char* typed;
        int shown;
    };
    const Case cases[] = {{"200", 20}, {"127", 127}, {"-128", -12}, {"-5", -5}};
    for (int item : {15, 1}) {  // mouse move, stick move
        Open();
        DropPaletteItem(item, Steps());
        if (screen->CurrentDialog() == nullptr) screen->DoubleClickAction(1);  // the stick move drops without one
        auto* distance = Dialog<InputSupportMoveDistance>();
        ASSERT_NE(distance, nullptr);
        for (const char* name : {"m_stpDistanceValueX", "m_stpDistanceValueY"}) {
            auto* spin = distance->findChild<QSpinBox*>(QString::fromLatin1(name));
            ASSERT_NE(spin, nullptr);
            EXPECT_EQ(spin->minimum(), -127);
            EXPECT_EQ(spin->maximum(), 127);
            for (const Case& c : cases) {
                Type(distance, name, QString::fromLatin1(c.typed));
                EXPECT_EQ(spin->value(), c.shown) << item << " " << name << " " << c.typed;
            }
        }
        Type(distance, "m_stpDistanceValueX", QStringLiteral("120"));
        Submit(distance);
        const MacroDataScript& step = screen->Script().arCurrentMacroScript.at(0);
        EXPECT_EQ(step.cOption1, 120) << item;
        EXPECT_EQ(step.cOption2, -5) << item;
        // Reopened, it shows the stored values.
        screen->DoubleClickAction(1);
        auto* again = Dialog<InputSupportMoveDistance>();
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->findChild<QSpinBox*>(QStringLiteral("m_stpDistanceValueX"))->value(), 120);
        again->findChild<QPushButton*>(QStringLiteral("m_btnCancel"))->click();
        GuiRig::Settle(50);
        rig.reset();
    }
}

TEST_F(EditorFixture, EnterConfirmsAStepDialogAndTheValueHasTheFocus) {
    Open();
    DropPaletteItem(17, Steps());
    auto* number = Dialog<InputSupportNumberInput>();
    ASSERT_NE(number, nullptr);
    number->activateWindow();
    GuiRig::Settle(50);
    auto* spin = number->findChild<QSpinBox*>(QStringLiteral("m_stpNumber"));
    EXPECT_EQ(number->focusWidget(), spin);
    EXPECT_TRUE(number->findChild<QPushButton*>(QStringLiteral("m_btnSubmit"))->isDefault());
    Type(number, "m_stpNumber", QStringLiteral("250"));
    QTest::keyClick(spin, Qt::Key_Return);
    GuiRig::Settle(50);
    EXPECT_EQ(screen->CurrentDialog(), nullptr);
    ASSERT_EQ(screen->Script().arCurrentMacroScript.size(), 1u);
    EXPECT_EQ(screen->Script().arCurrentMacroScript[0].sOption, 250);
}

TEST_F(EditorFixture, TheHatDialogIgnoresKeysOtherThanTheArrows) {
    Open();
    DropPaletteItem(5, Steps());
    auto* hat = Dialog<InputSupportkeyboard>();
    ASSERT_NE(hat, nullptr);
    EXPECT_EQ(hat->windowTitle(), QStringLiteral("Hat switch press"));
    screen->Script();  // the step starts at north (0)
    hat->KeyInput()->ReceiveEvent(HostInputEvent::Key(HostInputEvent::Type::KeyUp, 0x00));  // "A"
    GuiRig::Settle(50);
    ASSERT_EQ(screen->CurrentDialog(), hat);
    hat->KeyInput()->ReceiveEvent(HostInputEvent::Key(HostInputEvent::Type::KeyUp, 0x7D));  // down arrow
    GuiRig::Settle(50);
    EXPECT_EQ(screen->CurrentDialog(), nullptr);
    EXPECT_EQ(screen->Script().arCurrentMacroScript.at(0).cOption1, C::HAT_SWITCH_SOUTH);
}

TEST_F(EditorFixture, TheKeyDialogTakesAModifierAtOnce) {
    Open();
    DropPaletteItem(10, Steps());
    auto* key = Dialog<InputSupportkeyboard>();
    ASSERT_NE(key, nullptr);
    key->KeyInput()->ReceiveEvent(HostInputEvent::Key(HostInputEvent::Type::FlagsChanged, 0x38, HostInputEvent::FLAG_SHIFT));
    GuiRig::Settle(50);
    EXPECT_EQ(screen->CurrentDialog(), nullptr);
    const MacroDataScript& step = screen->Script().arCurrentMacroScript.at(0);
    EXPECT_EQ(static_cast<uint8_t>(step.cOption1), 0xE1);
    EXPECT_EQ(step.bScriptID, C::SCRIPT_COMMAND_KEY_RELEASE);
}

TEST_F(EditorFixture, ButtonDialogsSetTheCommandAndOfferNoPlaceholder) {
    Open();
    DropPaletteItem(12, Steps());  // mouse release
    auto* mouse = Dialog<InputSupportMouseButton>();
    ASSERT_NE(mouse, nullptr);
    auto* mouseGroup = mouse->findChild<QButtonGroup*>(QStringLiteral("m_rdoMouseButton"));
    EXPECT_EQ(mouseGroup->button(C::UI_BTN_ID_MOUSE_BLANK1), nullptr);
    for (QAbstractButton* b : mouseGroup->buttons()) EXPECT_FALSE(b->text().isEmpty());
    mouseGroup->button(C::UI_BTN_ID_MOUSE_R)->click();
    Submit(mouse);
    EXPECT_EQ(screen->Script().arCurrentMacroScript.at(0).bScriptID, 0x22);

    DropPaletteItem(11, Steps());  // mouse click
    mouse = Dialog<InputSupportMouseButton>();
    mouse->findChild<QButtonGroup*>(QStringLiteral("m_rdoMouseButton"))->button(C::UI_BTN_ID_MOUSE_R)->click();
    Submit(mouse);
    EXPECT_EQ(screen->Script().arCurrentMacroScript.at(1).bScriptID, 0x2A);

    DropPaletteItem(7, Steps());  // game pad button
    auto* pad = Dialog<InputSupportJoysticButton>();
    ASSERT_NE(pad, nullptr);
    auto* padGroup = pad->findChild<QButtonGroup*>(QStringLiteral("m_rdoJoysticButton"));
    EXPECT_EQ(padGroup->buttons().size(), 13);
    EXPECT_EQ(padGroup->button(12)->text(), QStringLiteral("13"));
    EXPECT_EQ(padGroup->button(13), nullptr);
    EXPECT_EQ(padGroup->button(14), nullptr);
    EXPECT_EQ(padGroup->checkedId(), 0);  // preselected from the step
    padGroup->button(4)->click();
    Submit(pad);
    EXPECT_EQ(screen->Script().arCurrentMacroScript.at(2).cOption1, 4);

    DropPaletteItem(13, Steps());  // multimedia
    auto* media = Dialog<InputSupportMultimediaButton>();
    ASSERT_NE(media, nullptr);
    auto* mediaGroup = media->findChild<QButtonGroup*>(QStringLiteral("m_rdoMultimediaButton"));
    EXPECT_EQ(mediaGroup->button(C::UI_BTN_ID_MULTIMEDIA_BLANK1), nullptr);
    // Nothing chosen yet: nothing to add.
    auto* add = media->findChild<QPushButton*>(QStringLiteral("m_btnSubmit"));
    EXPECT_EQ(mediaGroup->checkedId(), -1);
    EXPECT_FALSE(add->isEnabled());
    mediaGroup->button(C::UI_BTN_ID_MULTIMEDIA_MUTE)->click();
    EXPECT_TRUE(add->isEnabled());
    Submit(media);
    EXPECT_EQ(screen->Script().arCurrentMacroScript.at(3).cOption1, C::UI_BTN_ID_MULTIMEDIA_MUTE);
}

TEST_F(EditorFixture, TheWheelDialogTakesTheFirstTurn) {
    Open();
    DropPaletteItem(16, Steps());
    auto* wheel = Dialog<InputSupportMouseWheel>();
    ASSERT_NE(wheel, nullptr);
    wheel->ReceiveScroll(HostInputEvent::Scroll(0.0));
    ASSERT_EQ(screen->CurrentDialog(), wheel);
    wheel->ReceiveScroll(HostInputEvent::Scroll(120.0));
    GuiRig::Settle(50);
    EXPECT_EQ(screen->CurrentDialog(), nullptr);
    EXPECT_EQ(screen->Script().arCurrentMacroScript.at(0).bScriptID, C::SCRIPT_COMMAND_WHEEL_UP);
}

}  // namespace
}  // namespace kelvadeck::guitest
