#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "macro/HostInputEvent.h"
#include "macro/MacroCreator.h"
#include "macro/MacroRecorder.h"
#include "screenlogic/MacroEditorBaseline.h"
#include "screenlogic/MacroStepKinds.h"
#include "screens/InputSupportDialog.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenJob.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTableWidget;

namespace kelvadeck {

class StatusNote;

class MacroPalette;
class MacroRecordPanel;
class MacroSlotTable;
class MacroStepTable;

// The macro editor: the device's user script slots 1 to 150 on the left, the
// script being edited as a step list in the middle (row 0 its play mode), and
// a palette of the seventeen step kinds to drag onto it. Steps also come from
// recording the user's keys and mouse buttons, from reading a slot and from
// importing a macro file. Write stores the script in the selected slot.
//
// A slot shares its data sector with other scripts; the sector is read from
// the device before it is repacked, and a write that would lose one of them,
// or a script too long for a slot, is refused with a message.
//
// Work is never dropped without a question: Clear asks before it empties the
// script, and closing the editor with steps that are neither written to a
// slot nor exported asks whether to write them first. A write or an export
// that went through is told in a line under the steps.
class EditMacroVC : public QDialog {
    Q_OBJECT
public:
    // Device job states.
    static constexpr uint8_t MODE_IDLE = ScreenJob::IDLE;
    static constexpr uint8_t MODE_READ = 1;               // reading a sector for Read
    static constexpr uint8_t MODE_READ_BEFORE_WRITE = 2;  // reading a sector before Write
    static constexpr uint8_t MODE_WRITE = 3;

    EditMacroVC(ScreenContext& context, QWidget* parent = nullptr);
    ~EditMacroVC() override;

    void ClickAdd();
    void ClickRemove();
    void ClickRecording();
    void ClickClear();
    void ClickRead();
    void ClickWrite();
    void ClickImport();
    void ClickExport();
    void ClickHelp();
    // Closes the editor (after asking, when there is unsaved work).
    void ClickCancel();
    // A double click on a step list row: row 0 cycles the play mode, a step
    // row opens its step dialog.
    void DoubleClickAction(int row);
    // A palette item of the kind dropped on the step list: appended at once,
    // or, for a kind with a dialog, once the dialog adds it.
    void AppendStep(int32_t kind);
    void SetPlayMode(int mode);
    // A key or mouse button of the user's, recorded while recording is on.
    void Record(const HostInputEvent& event);

    void RenewTable();
    void RenewMacroList();
    void BlockedControl(bool block);
    bool IsTimerRunning() const { return m_job->IsTimerRunning(); }

    const MacroCreator& Script() const { return clsMC; }
    uint8_t bCurrentMode() const { return m_job->State(); }
    bool bRecording() const { return m_bRecording; }
    // The step dialog now open, if any.
    InputSupportDialog* CurrentDialog() const { return m_dialog.data(); }

protected:
    void reject() override;

private:
    void BuildControls();
    void InitControl();
    void ShowConnectionState();
    // Opens the dialog of a step: the step stepIndex of the script, or a new
    // step (none) that the dialog appends when it confirms.
    void OpenDialog(MacroStepKinds::Dialog dialog, const MacroDataScript& step, std::optional<size_t> stepIndex);
    void AppendSlotSteps(int index);
    void Write();
    void WriteScriptToFlash();
    // The name as typed in the name field.
    std::u16string EditedName() const;
    // The steps and name as they are now are in a safe place (a slot, a file).
    void MarkSaved();
    bool IsUnsaved() const;
    void Close();
    // A short note on what a write or an export did.
    void Tell(const std::string& text);
    void UpdateRemoveButton();
    std::string T(const char* key) const;

    ScreenContext& m_ctx;
    MacroCreator clsMC;
    MacroRecorder m_recorder;
    ScreenJob* m_job = nullptr;
    bool m_bBlocked = false;
    bool m_bRecording = false;
    // The slot (list index) and name of the Read or Write under way.
    int m_nSelectMacroNo = -1;
    std::u16string m_strWriteName;
    std::vector<int> m_dragRows;
    QPointer<InputSupportDialog> m_dialog;
    MacroEditorBaseline m_baseline;
    // What becomes the baseline once the write under way has gone through.
    MacroEditorBaseline m_writing;
    bool m_bCloseAfterWrite = false;
    // The control that had the focus when a write or an export began gets it back after.
    QPointer<QWidget> m_focusBeforeWrite;

    QLabel* m_lblSelectMacroTitle = nullptr;
    MacroSlotTable* m_tvSelectMacro = nullptr;
    QPushButton* m_btnWrite = nullptr;
    QPushButton* m_btnRead = nullptr;
    QLabel* m_lblEditMacroTitle = nullptr;
    QLabel* m_lblNoTitle = nullptr;
    QLineEdit* m_txtNo = nullptr;
    QLabel* m_lblMacroNameTitle = nullptr;
    QLineEdit* m_txtMacroName = nullptr;
    QLabel* m_lblPlayMode = nullptr;
    QComboBox* m_cmbPlayMode = nullptr;
    MacroStepTable* m_tvMacroContents = nullptr;
    QLabel* m_lblScriptSize = nullptr;
    StatusNote* m_lblOutcome = nullptr;
    QGroupBox* m_boxCreateMacroArea = nullptr;
    // The palette, or while recording the recorded keys, in one place.
    QStackedWidget* m_stkCreate = nullptr;
    MacroPalette* m_cvControlItem = nullptr;
    QGroupBox* m_boxControlArea = nullptr;
    QPushButton* m_btnAdd = nullptr;
    QPushButton* m_btnRemove = nullptr;
    QGroupBox* m_boxRecordingArea = nullptr;
    QPushButton* m_btnRecording = nullptr;
    QPushButton* m_btnClear = nullptr;
    MacroRecordPanel* m_cvRecodePreview = nullptr;
    QGroupBox* m_boxFileManageArea = nullptr;
    QPushButton* m_btnImport = nullptr;
    QPushButton* m_btnExport = nullptr;
    QPushButton* m_btnHelp = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QLabel* m_lblUSBStatusTitle = nullptr;
    QLabel* m_lblUSBStatus = nullptr;
};

}  // namespace kelvadeck
