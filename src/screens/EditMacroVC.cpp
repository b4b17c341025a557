#include "screens/EditMacroVC.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "device/USBHidManager.h"
#include "macro/MacroScriptFile.h"
#include "model/Constants.h"
#include "screenlogic/JobMessage.h"
#include "screenlogic/MacroSlotName.h"
#include "screenlogic/MacroSlotStore.h"
#include "screenlogic/MacroStepList.h"
#include "screenlogic/TextTemplate.h"
#include "screens/HelpLauncher.h"
#include "screens/MacroPalette.h"
#include "screens/MacroRecordPanel.h"
#include "screens/MacroSlotTable.h"
#include "screens/MacroStepTable.h"
#include "screens/Named.h"
#include "screens/QtText.h"
#include "screens/StatusNote.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

namespace {

using C = Constants;
using Dialog = MacroStepKinds::Dialog;

}  // namespace

EditMacroVC::EditMacroVC(ScreenContext& context, QWidget* parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("EditMacroVC"));
    setModal(true);
    ScreenJob::Traces traces;
    traces.timerStarted = "Edit Macro :  StartTimerForUpdateWindow";
    traces.connection = "Edit Macro : USB status update!";
    traces.dataUpdate = "Edit Macro : Get USB data update flag!";
    m_job = new ScreenJob(m_ctx, traces, this);
    connect(m_job, &ScreenJob::blockingChanged, this, &EditMacroVC::BlockedControl);
    connect(m_job, &ScreenJob::connectionChanged, this, &EditMacroVC::ShowConnectionState);
    connect(m_job, &ScreenJob::decoded, this, &EditMacroVC::RenewMacroList);
    BuildControls();
    InitControl();
    RenewMacroList();
    RenewTable();
    m_job->StartTimer();
}

EditMacroVC::~EditMacroVC() = default;

std::string EditMacroVC::T(const char* key) const { return m_ctx.Strings().Get(key); }

void EditMacroVC::BuildControls() {
    auto* root = new QHBoxLayout(this);
    auto button = [this](const char* name) {
        auto* b = Named<QPushButton>(this, name);
        b->setAutoDefault(false);
        return b;
    };

    // The device's slots.
    auto* left = new QVBoxLayout;
    m_lblSelectMacroTitle = Named<QLabel>(this, "m_lblSelectMacroTitle");
    m_tvSelectMacro = Named<MacroSlotTable>(this, "m_tvSelectMacro");
    auto* slotButtons = new QHBoxLayout;
    m_btnRead = button("m_btnRead");
    m_btnWrite = button("m_btnWrite");
    slotButtons->addWidget(m_btnRead);
    slotButtons->addWidget(m_btnWrite);
    left->addWidget(m_lblSelectMacroTitle);
    left->addWidget(m_tvSelectMacro, 1);
    left->addLayout(slotButtons);
    root->addLayout(left, 3);

    // The script being edited.
    auto* middle = new QVBoxLayout;
    m_lblEditMacroTitle = Named<QLabel>(this, "m_lblEditMacroTitle");
    auto* fields = new QHBoxLayout;
    m_lblNoTitle = Named<QLabel>(this, "m_lblNoTitle");
    m_txtNo = Named<QLineEdit>(this, "m_txtNo");
    // Shown, never typed in: it looks like text, not like a field.
    m_txtNo->setReadOnly(true);
    m_txtNo->setFrame(false);
    m_txtNo->setFocusPolicy(Qt::NoFocus);
    m_txtNo->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    m_txtNo->setFixedWidth(40);
    m_lblMacroNameTitle = Named<QLabel>(this, "m_lblMacroNameTitle");
    m_txtMacroName = Named<QLineEdit>(this, "m_txtMacroName");
    // No more than a slot stores: a longer name cannot be typed.
    m_txtMacroName->setMaxLength(MacroSlotName::NAME_MAX_UNITS);
    fields->addWidget(m_lblNoTitle);
    fields->addWidget(m_txtNo);
    fields->addWidget(m_lblMacroNameTitle);
    fields->addWidget(m_txtMacroName, 1);
    auto* playMode = new QHBoxLayout;
    m_lblPlayMode = Named<QLabel>(this, "m_lblPlayMode");
    m_cmbPlayMode = Named<QComboBox>(this, "m_cmbPlayMode");
    m_lblPlayMode->setBuddy(m_cmbPlayMode);
    playMode->addWidget(m_lblPlayMode);
    playMode->addWidget(m_cmbPlayMode);
    playMode->addStretch(1);
    m_tvMacroContents = Named<MacroStepTable>(this, "m_tvMacroContents");
    m_tvMacroContents->onDragRows = [this](const std::vector<int>& rows) {
        if (rows.empty() || !MacroStepList::CanDragRow(clsMC, rows.front())) return false;
        m_dragRows = rows;
        return true;
    };
    m_tvMacroContents->onDropAbove = [this](int aboveRow) {
        // Only a drag that started in this list moves anything, one row per drop.
        if (m_dragRows.empty()) return false;
        const int from = m_dragRows.front();
        m_dragRows.clear();
        const bool moved = MacroStepList::MoveRow(clsMC, from, aboveRow);
        RenewTable();
        return moved;
    };
    m_lblScriptSize = Named<QLabel>(this, "m_lblScriptSize");
    m_lblScriptSize->setWordWrap(true);
    m_lblOutcome = Named<StatusNote>(this, "m_lblOutcome");
    m_lblOutcome->setWordWrap(true);
    middle->addWidget(m_lblEditMacroTitle);
    middle->addLayout(fields);
    middle->addLayout(playMode);
    middle->addWidget(m_tvMacroContents, 1);
    middle->addWidget(m_lblScriptSize);
    middle->addWidget(m_lblOutcome);
    root->addLayout(middle, 5);

    // Palette and commands. While recording, the recorded keys take the
    // palette's place, so that nothing else moves.
    auto* right = new QVBoxLayout;
    m_boxCreateMacroArea = Named<QGroupBox>(this, "m_boxCreateMacroArea");
    auto* paletteLayout = new QVBoxLayout(m_boxCreateMacroArea);
    m_stkCreate = new QStackedWidget(m_boxCreateMacroArea);
    m_cvControlItem = new MacroPalette(m_tvMacroContents, m_tvSelectMacro, m_stkCreate);
    connect(m_cvControlItem, &MacroPalette::dropped, this, &EditMacroVC::AppendStep);
    m_cvRecodePreview = new MacroRecordPanel(m_stkCreate);
    connect(m_cvRecodePreview, &MacroRecordPanel::input, this, &EditMacroVC::Record);
    m_stkCreate->addWidget(m_cvControlItem);
    m_stkCreate->addWidget(m_cvRecodePreview);
    paletteLayout->addWidget(m_stkCreate);
    m_boxControlArea = Named<QGroupBox>(this, "m_boxControlArea");
    auto* addRemove = new QHBoxLayout(m_boxControlArea);
    m_btnAdd = button("m_btnAdd");
    m_btnAdd->setText(QStringLiteral("+"));
    m_btnRemove = button("m_btnRemove");
    m_btnRemove->setText(QStringLiteral("\u2212"));
    addRemove->addWidget(m_btnAdd);
    addRemove->addWidget(m_btnRemove);
    addRemove->addStretch(1);
    m_boxRecordingArea = Named<QGroupBox>(this, "m_boxRecordingArea");
    auto* recording = new QHBoxLayout(m_boxRecordingArea);
    m_btnRecording = button("m_btnRecording");
    m_btnClear = button("m_btnClear");
    recording->addWidget(m_btnRecording);
    recording->addWidget(m_btnClear);
    m_boxFileManageArea = Named<QGroupBox>(this, "m_boxFileManageArea");
    auto* files = new QHBoxLayout(m_boxFileManageArea);
    m_btnImport = button("m_btnImport");
    m_btnExport = button("m_btnExport");
    files->addWidget(m_btnImport);
    files->addWidget(m_btnExport);
    auto* status = new QHBoxLayout;
    m_lblUSBStatusTitle = Named<QLabel>(this, "m_lblUSBStatusTitle");
    m_lblUSBStatus = Named<QLabel>(this, "m_lblUSBStatus");
    status->addWidget(m_lblUSBStatusTitle);
    status->addWidget(m_lblUSBStatus, 1);
    auto* bottom = new QHBoxLayout;
    m_btnHelp = button("m_btnHelp");
    m_btnCancel = button("m_btnCancel");
    bottom->addWidget(m_btnHelp);
    bottom->addStretch(1);
    bottom->addWidget(m_btnCancel);
    right->addWidget(m_boxCreateMacroArea);
    right->addWidget(m_boxControlArea);
    right->addWidget(m_boxRecordingArea);
    right->addWidget(m_boxFileManageArea);
    right->addStretch(1);
    right->addLayout(status);
    right->addLayout(bottom);
    root->addLayout(right, 3);

    connect(m_btnAdd, &QPushButton::clicked, this, &EditMacroVC::ClickAdd);
    connect(m_btnRemove, &QPushButton::clicked, this, &EditMacroVC::ClickRemove);
    connect(m_btnRecording, &QPushButton::clicked, this, &EditMacroVC::ClickRecording);
    connect(m_btnClear, &QPushButton::clicked, this, &EditMacroVC::ClickClear);
    connect(m_btnRead, &QPushButton::clicked, this, &EditMacroVC::ClickRead);
    connect(m_btnWrite, &QPushButton::clicked, this, &EditMacroVC::ClickWrite);
    connect(m_btnImport, &QPushButton::clicked, this, &EditMacroVC::ClickImport);
    connect(m_btnExport, &QPushButton::clicked, this, &EditMacroVC::ClickExport);
    connect(m_btnHelp, &QPushButton::clicked, this, &EditMacroVC::ClickHelp);
    connect(m_btnCancel, &QPushButton::clicked, this, &EditMacroVC::ClickCancel);
    connect(m_tvMacroContents, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { DoubleClickAction(row); });
    connect(m_tvMacroContents, &QTableWidget::itemSelectionChanged, this, &EditMacroVC::UpdateRemoveButton);
    connect(m_tvMacroContents, &MacroStepTable::deletePressed, this, &EditMacroVC::ClickRemove);
    connect(m_cmbPlayMode, &QComboBox::activated, this, &EditMacroVC::SetPlayMode);
    // Enter writes (after the question); nothing that clears takes it.
    m_btnWrite->setDefault(true);
}

void EditMacroVC::InitControl() {
    setWindowTitle(Q(T("BTN_MACRO_EDITOR")));
    m_lblSelectMacroTitle->setText(Q(T("MACRO_EDITOR_MACRO_LIST_TITLE")));
    m_tvSelectMacro->InitControl(m_ctx.Strings());
    m_btnWrite->setText(Q(T("MACRO_EDITOR_MACRO_WRITE")));
    m_btnRead->setText(Q(T("MACRO_EDITOR_MACRO_READ")));
    m_lblEditMacroTitle->setText(Q(T("MACRO_EDITOR_MACRO_EDITOR_AREA_TITLE")));
    m_lblNoTitle->setText(Q(T("MACRO_EDITOR_LIST_NO")));
    m_lblMacroNameTitle->setText(Q(T("MACRO_EDITOR_LIST_MACRO_NAME")));
    m_lblPlayMode->setText(Q(T("MACRO_EDITOR_PLAY_MODE")));
    m_cmbPlayMode->setToolTip(Q(T("MACRO_EDITOR_PLAY_MODE_TIP")));
    for (uint8_t mode = 0; mode < C::SCRIPT_MODE_NUM; ++mode) m_cmbPlayMode->addItem(Q(MacroStepList::ModeText(mode, m_ctx.Strings())));
    m_txtMacroName->setPlaceholderText(Q(MacroSlotName::Placeholder(m_ctx.Strings())));
    m_tvMacroContents->InitControl(m_ctx.Strings());
    m_boxCreateMacroArea->setTitle(Q(T("MACRO_EDITOR_MACRO_CREATE_TITLE")));
    m_boxControlArea->setTitle(Q(T("MACRO_EDITOR_OPERATION_SETTING")));
    m_boxRecordingArea->setTitle(Q(T("MACRO_EDITOR_OPERATION_REC")));
    m_boxFileManageArea->setTitle(Q(T("MACRO_EDITOR_MACRO_DATA_RW_TITLE")));
    m_btnRecording->setText(Q(T("MACRO_EDITOR_OPERATION_REC_START")));
    // As wide as its longer title, so that starting to record moves nothing.
    const QFontMetrics fm = m_btnRecording->fontMetrics();
    m_btnRecording->setMinimumWidth(m_btnRecording->sizeHint().width() - fm.horizontalAdvance(m_btnRecording->text()) +
                                    std::max(fm.horizontalAdvance(m_btnRecording->text()),
                                             fm.horizontalAdvance(Q(T("MACRO_EDITOR_OPERATION_REC_STOP")))));
    m_btnClear->setText(Q(T("MACRO_EDITOR_OPERATION_REC_DELETE")));
    m_btnImport->setText(Q(T("MACRO_EDITOR_MACRO_DATA_READ")));
    m_btnExport->setText(Q(T("MACRO_EDITOR_MACRO_DATA_SAVE")));
    m_btnCancel->setText(Q(T("BTN_CANCEL")));
    m_btnHelp->setText(Q(T("BTN_HELP")));
    m_cvRecodePreview->ShowHint(Q(T("MACRO_EDITOR_KEY_INPUT_PREVIEW")));
    m_lblUSBStatusTitle->setText(Q(T("STATUS_MESSAGE_BOX_TEXT")));
    m_cvControlItem->InitControl(m_ctx.Strings());
    ShowConnectionState();
    BlockedControl(!m_job->Usable());
}

void EditMacroVC::ShowConnectionState() {
    const bool connected = m_ctx.pDM && m_ctx.pDM->pUSBHID().bConnected();
    m_lblUSBStatus->setText(Q(T(connected ? "STATUS_MSG_USB_CONNECT" : "STATUS_MSG_USB_UNCONNECT")));
}

void EditMacroVC::RenewMacroList() {
    m_tvSelectMacro->Show(m_ctx.pDM ? m_ctx.pDM->g_arSCE : std::vector<ScriptElem>{}, m_ctx.Strings());
}

void EditMacroVC::RenewTable() {
    // A note on a write or an export is about the steps as they were.
    m_lblOutcome->Clear();
    const StringTable& s = m_ctx.Strings();
    m_tvMacroContents->Show(clsMC, s);
    const MacroStepList::Size size = MacroStepList::SizeOf(clsMC);
    m_lblScriptSize->setText(Q(MacroStepList::SizeText(size, s)));
    m_lblScriptSize->setStyleSheet(size.Fits() ? QString() : QStringLiteral("color:#b3261e; font-weight:bold;"));
    const QSignalBlocker quiet(m_cmbPlayMode);
    m_cmbPlayMode->setCurrentIndex(clsMC.bScriptMode);
    UpdateRemoveButton();
}

void EditMacroVC::UpdateRemoveButton() {
    m_btnRemove->setEnabled(!m_bBlocked && !m_tvMacroContents->selectionModel()->selectedRows().isEmpty());
}

void EditMacroVC::BlockedControl(bool block) {
    m_bBlocked = block;
    for (QWidget* w : std::initializer_list<QWidget*>{m_tvSelectMacro, m_btnWrite, m_btnRead, m_txtMacroName, m_cmbPlayMode,
                                                     m_tvMacroContents, m_btnRecording, m_btnClear, m_btnImport, m_btnExport,
                                                     m_btnCancel}) {
        w->setEnabled(!block);
    }
    UpdateRemoveButton();
}

// ---------------------------------------------------------------------------
// Editing

void EditMacroVC::ClickAdd() {
    MacroStepList::AddBlank(clsMC);
    RenewTable();
}

void EditMacroVC::ClickRemove() {
    const QModelIndexList rows = m_tvMacroContents->selectionModel()->selectedRows();
    if (rows.isEmpty()) return;
    if (MacroStepList::RemoveRow(clsMC, rows.front().row())) RenewTable();
}

void EditMacroVC::ClickClear() {
    // Steps that are written or exported are safe; anything else is asked about.
    const std::string steps = std::to_string(clsMC.arCurrentMacroScript.size());
    if (IsUnsaved() && !m_job->Confirm(TextTemplate::Fill(T("MACRO_CLEAR_CONFIRM_MSG"), {steps}))) return;
    MacroStepList::Clear(clsMC);
    m_txtNo->clear();
    m_txtMacroName->clear();
    m_cvRecodePreview->ShowHint(QString());
    m_recorder.Start();
    RenewTable();
}

void EditMacroVC::SetPlayMode(int mode) {
    if (mode < 0 || mode >= C::SCRIPT_MODE_NUM) return;
    clsMC.bScriptMode = static_cast<uint8_t>(mode);
    RenewTable();
}

void EditMacroVC::DoubleClickAction(int row) {
    if (row == 0) {
        MacroStepList::CycleMode(clsMC);
        RenewTable();
        return;
    }
    const MacroDataScript* step = MacroStepList::StepAtRow(clsMC, row);
    if (step == nullptr) return;
    OpenDialog(MacroStepKinds::DialogOnDoubleClick(step->bControlItemNo), *step, static_cast<size_t>(row - 1));
}

void EditMacroVC::OpenDialog(Dialog kind, const MacroDataScript& step, std::optional<size_t> stepIndex) {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || kind == Dialog::None || m_dialog) return;
    InputSupportDialog* dialog = InputSupportDialog::Create(kind, *dm, this);
    m_ctx.Trace("prepareForSegue segue=" + std::string(MacroStepKinds::SegueName(kind)));
    dialog->setAttribute(Qt::WA_DeleteOnClose, true);
    dialog->SetCurrentMDS(step, !stepIndex.has_value());
    // Steps are only ever appended while a dialog is open (a read finishing),
    // so the index still names the step handed over.
    connect(dialog, &InputSupportDialog::stepChanged, this, [this, dialog, stepIndex] {
        if (!stepIndex) {
            clsMC.arCurrentMacroScript.push_back(dialog->CurrentMDS());
        } else if (*stepIndex < clsMC.arCurrentMacroScript.size()) {
            clsMC.arCurrentMacroScript[*stepIndex] = dialog->CurrentMDS();
        }
        RenewTable();
    });
    m_dialog = dialog;
    dialog->open();
}

void EditMacroVC::AppendStep(int32_t kind) {
    MacroDataScript step = MacroCreator::CreateMacroForScriptUseDrag(kind);
    step.bControlItemNo = static_cast<uint8_t>(kind);
    const Dialog dialog = MacroStepKinds::DialogOnDrop(kind);
    if (dialog != Dialog::None && m_ctx.pDM != nullptr) {
        // Cancel in the dialog adds nothing.
        OpenDialog(dialog, step, std::nullopt);
        return;
    }
    clsMC.arCurrentMacroScript.push_back(step);
    RenewTable();
}

// ---------------------------------------------------------------------------
// Recording

void EditMacroVC::ClickRecording() {
    m_txtMacroName->clearFocus();
    m_bRecording = !m_bRecording;
    if (m_bRecording) {
        m_recorder.Start();
        m_cvRecodePreview->ShowHint(Q(T("DIAL_FUNC_SETTING_CATEGOLY_KEY")));
    }
    m_stkCreate->setCurrentWidget(m_bRecording ? static_cast<QWidget*>(m_cvRecodePreview) : m_cvControlItem);
    m_btnRecording->setText(Q(T(m_bRecording ? "MACRO_EDITOR_OPERATION_REC_STOP" : "MACRO_EDITOR_OPERATION_REC_START")));
    // Nothing is selected while recording.
    const auto selection = m_bRecording ? QAbstractItemView::NoSelection : QAbstractItemView::SingleSelection;
    m_tvSelectMacro->setSelectionMode(selection);
    m_tvMacroContents->setSelectionMode(selection);
    if (m_bRecording) m_cvRecodePreview->setFocus(Qt::OtherFocusReason);
}

void EditMacroVC::Record(const HostInputEvent& event) {
    if (!m_bRecording || m_ctx.pDM == nullptr) return;
    const size_t appended = m_recorder.Record(event, m_ctx.pDM->pKeyCode(), clsMC.arCurrentMacroScript);
    const bool isKey = event.type == HostInputEvent::Type::KeyDown || event.type == HostInputEvent::Type::KeyUp ||
                       event.type == HostInputEvent::Type::FlagsChanged;
    if (appended > 0 && isKey) m_cvRecodePreview->AddKey(clsMC.arCurrentMacroScript.back().strAnalyzeRet1.value_or(""));
    if (appended > 0) {
        RenewTable();
        m_tvMacroContents->scrollToBottom();
    }
}

// ---------------------------------------------------------------------------
// Reading and writing slots

void EditMacroVC::AppendSlotSteps(int index) {
    const MacroCreator* script = MacroSlotStore::SlotScript(*m_ctx.pDM, index);
    if (script == nullptr) return;
    // Read into an empty editor, the script is what the slot holds.
    const bool fresh = clsMC.arCurrentMacroScript.empty();
    MacroStepList::Append(clsMC, script->arCurrentMacroScript, script->bScriptMode);
    if (fresh) MarkSaved();
    RenewTable();
}

void EditMacroVC::ClickRead() {
    DataManager* dm = m_ctx.pDM;
    const int a = m_tvSelectMacro->SelectedSlot();
    if (dm == nullptr || a < 0 || !dm->bDataInitialize()) return;
    m_nSelectMacroNo = a;
    m_txtNo->setText(Q(MacroSlotName::NumberText(a)));
    // An unnamed slot leaves the field empty: the placeholder says "unnamed",
    // and writing back keeps the slot unnamed.
    m_txtMacroName->setText(QString::fromStdU16String(MacroSlotName::FieldText(dm->g_arSCE[static_cast<size_t>(a)])));
    if (MacroSlotStore::SectorLoaded(*dm, a)) {
        AppendSlotSteps(a);
        return;
    }
    if (!MacroSlotStore::QueueSectorRead(*dm, a)) {
        // Nothing stored in the sector: nothing to read.
        AppendSlotSteps(a);
        return;
    }
    // A read that did not complete leaves the steps as they are.
    const ScreenJob::Ended read = [this](const ComResult& result) {
        if (MacroSlotStore::FinishSectorRead(*m_ctx.pDM, m_nSelectMacroNo)) {
            AppendSlotSteps(m_nSelectMacroNo);
            return;
        }
        const std::string why = m_job->FailureText(result);
        m_job->ShowError(why.empty() ? T("MACRO_SECTOR_NOT_LOADED_MSG") : why);
    };
    m_job->Start({MODE_READ, "JOB_NAME_MACRO_READ", read, read});
}

void EditMacroVC::ClickWrite() {
    m_bCloseAfterWrite = false;
    Write();
}

void EditMacroVC::Write() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return;
    const int a = m_tvSelectMacro->SelectedSlot();
    if (a < 0) {
        m_job->ShowError(T("DEVICE_MACRO_WRITE_POS_ERR_MSG"));
        return;
    }
    // A script that does not fit a slot is refused before anything happens.
    const MacroStepList::Size size = MacroStepList::SizeOf(clsMC);
    if (!size.Fits()) {
        m_job->ShowError(MacroStepList::TooLongText(size, dm->Strings()));
        return;
    }
    std::string question = T("DEVICE_MACRO_WRITE_CONFIRM_MSG");
    if (const size_t at = question.find("%d"); at != std::string::npos) question.replace(at, 2, std::to_string(a + 1));
    if (!m_job->Confirm(question)) return;
    m_lblOutcome->Clear();
    m_focusBeforeWrite = focusWidget();
    m_nSelectMacroNo = a;
    m_strWriteName = EditedName();
    m_txtNo->setText(Q(MacroSlotName::NumberText(a)));
    m_ctx.Trace("@ClickWrite Current select macro = " + std::to_string(a));
    if (MacroSlotStore::SectorLoaded(*dm, a) || !MacroSlotStore::QueueSectorRead(*dm, a)) {
        WriteScriptToFlash();
        return;
    }
    // The other scripts of the sector are read first, or the write would lose them.
    const ScreenJob::Ended read = [this](const ComResult& result) {
        if (MacroSlotStore::FinishSectorRead(*m_ctx.pDM, m_nSelectMacroNo)) {
            WriteScriptToFlash();
            return;
        }
        const std::string why = m_job->FailureText(result);
        m_job->ShowError((why.empty() ? std::string() : why + "\n") + T("MACRO_SECTOR_NOT_LOADED_MSG"));
    };
    m_job->Start({MODE_READ_BEFORE_WRITE, "JOB_NAME_MACRO_READ", read, read});
}

void EditMacroVC::WriteScriptToFlash() {
    DataManager* dm = m_ctx.pDM;
    const StringTable& s = dm->Strings();
    using R = MacroSlotStore::StoreResult;
    switch (MacroSlotStore::Store(*dm, m_nSelectMacroNo, clsMC, m_strWriteName)) {
        case R::Stored: break;
        case R::TooLong: m_job->ShowError(MacroStepList::TooLongText(MacroStepList::SizeOf(clsMC), s)); return;
        case R::SectorNotLoaded: m_job->ShowError(T("MACRO_SECTOR_NOT_LOADED_MSG")); return;
        case R::NoSlot: m_job->ShowError(T("DEVICE_MACRO_WRITE_POS_ERR_MSG")); return;
        case R::NoModel: m_job->ShowError(T("JOB_NOT_STARTED_NO_DEVICE")); return;
    }
    m_writing.Take(clsMC, m_strWriteName);
    const ScreenJob::Ended written = [this](const ComResult& result) {
        RenewMacroList();
        m_baseline = m_writing;
        if (m_bCloseAfterWrite) {
            Close();
            return;
        }
        const std::string warning = JobMessage::Warning(result, m_ctx.Strings());
        Tell(TextTemplate::Fill(T("MACRO_WRITE_DONE_MSG"), {MacroSlotName::NumberText(m_nSelectMacroNo)}) +
             (warning.empty() ? std::string() : " " + warning));
    };
    const ScreenJob::Ended notWritten = [this](const ComResult& result) {
        RenewMacroList();
        m_job->ShowFailure(result);
    };
    m_job->Start({MODE_WRITE, "JOB_NAME_MACRO_WRITE", written, notWritten});
}

// ---------------------------------------------------------------------------
// Files, help, closing

void EditMacroVC::ClickImport() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_ctx.prompts == nullptr) return;
    const auto path = m_ctx.prompts->ChooseOpenFile(C::SCRIPT_FILE_EXTENSION);
    if (!path) {
        m_ctx.Trace("Select file cancel");
        return;
    }
    m_ctx.Trace(*path);
    const MacroScriptFile::Imported imported = MacroScriptFile::ImportFile(*path, dm->pKeyCode());
    if (!imported.ok()) {
        m_ctx.Trace("Import refused: " + MacroScriptFile::ErrorText(imported));
        m_job->ShowError(T("SCRIPT_FILE_IMPORT_ERROR_MSG"));
        return;
    }
    const bool fresh = clsMC.arCurrentMacroScript.empty();
    MacroScriptFile::AppendTo(clsMC, imported);
    if (fresh) MarkSaved();
    RenewTable();
}

void EditMacroVC::ClickExport() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_ctx.prompts == nullptr) return;
    const auto path = m_ctx.prompts->ChooseSaveFile(C::SCRIPT_FILE_EXTENSION);
    if (!path) {
        m_ctx.Trace("Select file cancel");
        return;
    }
    m_ctx.Trace(*path);
    m_lblOutcome->Clear();
    m_focusBeforeWrite = focusWidget();
    const MacroScriptFile::Exported exported = MacroScriptFile::Export(clsMC, *path);
    switch (exported.error) {
        case MacroScriptFile::ExportError::None:
            MarkSaved();
            Tell(TextTemplate::Fill(T("MACRO_EXPORT_DONE_MSG"), {*path}));
            break;
        case MacroScriptFile::ExportError::TooLong:
            m_job->ShowError(MacroStepList::TooLongText(MacroStepList::SizeOf(clsMC), dm->Strings()));
            break;
        case MacroScriptFile::ExportError::BadMode:
        case MacroScriptFile::ExportError::WriteFailed:
            // The reason (a full disk, no permission) goes with the message.
            m_job->ShowError(TextTemplate::Fill(T("SCRIPT_FILE_EXPORT_ERROR_MSG"), {*path}) + "\n" +
                      MacroScriptFile::ErrorText(exported));
            break;
    }
}

void EditMacroVC::ClickHelp() { HelpLauncher::Open(m_ctx, "macro-editor.html"); }

void EditMacroVC::Tell(const std::string& text) {
    m_lblOutcome->Show(Q(text));
    if (m_focusBeforeWrite) m_focusBeforeWrite->setFocus(Qt::OtherFocusReason);
}

std::u16string EditMacroVC::EditedName() const { return m_txtMacroName->text().toStdU16String(); }

void EditMacroVC::MarkSaved() { m_baseline.Take(clsMC, EditedName()); }

bool EditMacroVC::IsUnsaved() const { return m_baseline.IsUnsaved(clsMC, EditedName()); }

void EditMacroVC::ClickCancel() {
    if (m_job->IsRunning()) return;
    if (IsUnsaved() && m_ctx.prompts != nullptr) {
        switch (m_ctx.prompts->AskSaveChanges(T("MACRO_UNSAVED_TITLE"), T("MACRO_UNSAVED_MSG"))) {
            case UserPrompts::SaveChoice::Save:
                // Written to the selected slot, the editor closes.
                m_bCloseAfterWrite = true;
                Write();
                return;
            case UserPrompts::SaveChoice::Discard: break;
            case UserPrompts::SaveChoice::Cancel: return;
        }
    }
    Close();
}

void EditMacroVC::Close() {
    m_job->StopTimer();
    if (m_bRecording) ClickRecording();
    QDialog::reject();
}

// Escape and the close box: as Cancel, never while a job runs.
void EditMacroVC::reject() { ClickCancel(); }

}  // namespace kelvadeck
