#include "screens/EditMacroVC.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "macro/MacroScriptFile.h"
#include "model/Constants.h"
#include "model/TextConvert.h"
#include "screenlogic/JobMessage.h"
#include "screenlogic/MacroSlotName.h"
#include "screenlogic/MacroSlotStore.h"
#include "screenlogic/MacroStepList.h"
#include "screenlogic/TextTemplate.h"
#include "screens/HelpLauncher.h"
#include "screens/InputSupportJoysticButton.h"
#include "screens/InputSupportMouseButton.h"
#include "screens/InputSupportMouseWheel.h"
#include "screens/InputSupportMoveDistance.h"
#include "screens/InputSupportMultimediaButton.h"
#include "screens/InputSupportNumberInput.h"
#include "screens/InputSupportkeyboard.h"
#include "screens/MacroStepTable.h"
#include "screens/QtKeyEventAdapter.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

namespace {

using C = Constants;
using Dialog = MacroStepKinds::Dialog;

constexpr int kTimerMs = 200;
// Longest name a slot stores, in UTF-16 code units (as the line edit counts).
constexpr int kNameMaxUnits = 126;

enum StepColumn { COL_NO, COL_SIZE, COL_CONTENT, COL_VALUE, COL_COUNT };

QString Q(const std::string& s) { return QString::fromStdString(s); }

QColor TintColour(MacroStepKinds::ColourGroup group) {
    const auto tint = MacroStepKinds::TintOf(group);
    if (!tint) return QColor(Qt::transparent);
    return QColor::fromRgbF(static_cast<float>(tint->red), static_cast<float>(tint->green), static_cast<float>(tint->blue),
                            static_cast<float>(tint->alpha));
}

const char* SegueName(Dialog d) {
    switch (d) {
        case Dialog::Number: return "NumberDialogSegue";
        case Dialog::Joypad: return "JoypadDialogSegue";
        case Dialog::MouseButton: return "MouseButtonDialogSegue";
        case Dialog::Multimedia: return "MultimediaDialogSegue";
        case Dialog::Distance: return "DistanceDialogSegue";
        case Dialog::KeyInput: return "KeyInputDialogSegue";
        case Dialog::Wheel: return "WheelDialogSegue";
        case Dialog::None: break;
    }
    return "";
}

// Qt's mouse buttons as the engine numbers them.
int ButtonNumber(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton: return 0;
        case Qt::RightButton: return 1;
        case Qt::MiddleButton: return 2;
        case Qt::BackButton: return 3;
        case Qt::ForwardButton: return 4;
        default: return 5;
    }
}

}  // namespace

EditMacroVC::EditMacroVC(ScreenContext& context, QWidget* parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("EditMacroVC"));
    setModal(true);
    m_Timer = new QTimer(this);
    m_Timer->setInterval(kTimerMs);
    connect(m_Timer, &QTimer::timeout, this, &EditMacroVC::UpdateAppWindow);
    BuildControls();
    InitControl();
    RenewMacroList();
    RenewTable();
    StartTimerForUpdateWindow();
}

EditMacroVC::~EditMacroVC() {
    if (m_bPaletteDragging) QApplication::restoreOverrideCursor();
}

std::string EditMacroVC::T(const char* key) const {
    return m_ctx.pDM ? m_ctx.pDM->Strings().Get(key) : StringTable().Get(key);
}

void EditMacroVC::Log(const std::string& line) const {
    if (m_ctx.pDM) m_ctx.pDM->Log().Debug(line);
}

void EditMacroVC::ShowError(const std::string& text) const {
    if (m_ctx.prompts) m_ctx.prompts->ShowError(T("APPLICATION_NAME"), text);
}

void EditMacroVC::BuildControls() {
    auto* root = new QHBoxLayout(this);
    auto button = [this](const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };

    // The device's slots.
    auto* left = new QVBoxLayout;
    m_lblSelectMacroTitle = new QLabel(this);
    m_lblSelectMacroTitle->setObjectName(QStringLiteral("m_lblSelectMacroTitle"));
    m_tvSelectMacro = new QTableWidget(C::SCRIPT_USER_USE_NUM, 2, this);
    m_tvSelectMacro->setObjectName(QStringLiteral("m_tvSelectMacro"));
    m_tvSelectMacro->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tvSelectMacro->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tvSelectMacro->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tvSelectMacro->verticalHeader()->setVisible(false);
    m_tvSelectMacro->horizontalHeader()->setStretchLastSection(true);
    m_tvSelectMacro->setColumnWidth(0, 50);
    m_tvSelectMacro->setMinimumWidth(260);
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
    m_lblEditMacroTitle = new QLabel(this);
    m_lblEditMacroTitle->setObjectName(QStringLiteral("m_lblEditMacroTitle"));
    auto* fields = new QHBoxLayout;
    m_lblNoTitle = new QLabel(this);
    m_lblNoTitle->setObjectName(QStringLiteral("m_lblNoTitle"));
    m_txtNo = new QLineEdit(this);
    m_txtNo->setObjectName(QStringLiteral("m_txtNo"));
    m_txtNo->setReadOnly(true);
    m_txtNo->setFixedWidth(48);
    m_lblMacroNameTitle = new QLabel(this);
    m_lblMacroNameTitle->setObjectName(QStringLiteral("m_lblMacroNameTitle"));
    m_txtMacroName = new QLineEdit(this);
    m_txtMacroName->setObjectName(QStringLiteral("m_txtMacroName"));
    m_txtMacroName->setMaxLength(kNameMaxUnits);
    fields->addWidget(m_lblNoTitle);
    fields->addWidget(m_txtNo);
    fields->addWidget(m_lblMacroNameTitle);
    fields->addWidget(m_txtMacroName, 1);
    m_tvMacroContents = new MacroStepTable(this);
    m_tvMacroContents->setObjectName(QStringLiteral("m_tvMacroContents"));
    m_tvMacroContents->setColumnCount(COL_COUNT);
    m_tvMacroContents->horizontalHeader()->setStretchLastSection(true);
    m_tvMacroContents->setColumnWidth(COL_NO, 44);
    m_tvMacroContents->setColumnWidth(COL_SIZE, 44);
    m_tvMacroContents->setColumnWidth(COL_CONTENT, 190);
    m_tvMacroContents->setMinimumWidth(440);
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
    m_lblScriptSize = new QLabel(this);
    m_lblScriptSize->setObjectName(QStringLiteral("m_lblScriptSize"));
    m_lblScriptSize->setWordWrap(true);
    m_cvRecodePreview = new QFrame(this);
    m_cvRecodePreview->setObjectName(QStringLiteral("m_cvRecodePreview"));
    m_cvRecodePreview->setStyleSheet(QStringLiteral("#m_cvRecodePreview { background: rgba(0,0,0,230); border-radius: 8px; }"
                                                    "#m_cvRecodePreview QLabel { color: white; }"));
    m_cvRecodePreview->setFocusPolicy(Qt::StrongFocus);
    m_cvRecodePreview->setMinimumHeight(90);
    m_cvRecodePreview->installEventFilter(this);
    auto* previewLayout = new QVBoxLayout(m_cvRecodePreview);
    m_lblKeyInputResult = new QLabel(m_cvRecodePreview);
    m_lblKeyInputResult->setObjectName(QStringLiteral("m_lblKeyInputResult"));
    m_lblKeyInputResult->setWordWrap(true);
    previewLayout->addWidget(m_lblKeyInputResult);
    m_cvRecodePreview->hide();
    middle->addWidget(m_lblEditMacroTitle);
    middle->addLayout(fields);
    middle->addWidget(m_tvMacroContents, 1);
    middle->addWidget(m_cvRecodePreview);
    middle->addWidget(m_lblScriptSize);
    root->addLayout(middle, 5);

    // Palette and commands.
    auto* right = new QVBoxLayout;
    m_boxCreateMacroArea = new QGroupBox(this);
    m_boxCreateMacroArea->setObjectName(QStringLiteral("m_boxCreateMacroArea"));
    auto* paletteLayout = new QVBoxLayout(m_boxCreateMacroArea);
    m_cvControlItem = new QFrame(m_boxCreateMacroArea);
    m_cvControlItem->setObjectName(QStringLiteral("m_cvControlItem"));
    auto* grid = new QGridLayout(m_cvControlItem);
    grid->setSpacing(4);
    const auto& palette = MacroStepKinds::Palette();
    for (size_t k = 0; k < palette.size(); ++k) {
        auto* item = new QFrame(m_cvControlItem);
        item->setObjectName(QStringLiteral("m_cvControlElem%1").arg(k + 1));
        item->setProperty("identifier", QString::fromLatin1(palette[k].identifier.data(), static_cast<int>(palette[k].identifier.size())));
        item->setCursor(Qt::OpenHandCursor);
        item->setMinimumSize(130, 30);
        item->installEventFilter(this);
        auto* itemLayout = new QHBoxLayout(item);
        itemLayout->setContentsMargins(6, 2, 6, 2);
        auto* label = new QLabel(item);
        label->setObjectName(QStringLiteral("m_lblControlTitle%1").arg(k + 1));
        label->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        // Longer names (Japanese ones) take a second line rather than being cut.
        label->setWordWrap(true);
        itemLayout->addWidget(label);
        m_cvControlElem[k] = item;
        m_lblControlTitle[k] = label;
        grid->addWidget(item, static_cast<int>(k) / 2, static_cast<int>(k) % 2);
    }
    paletteLayout->addWidget(m_cvControlItem);
    m_boxControlArea = new QGroupBox(this);
    m_boxControlArea->setObjectName(QStringLiteral("m_boxControlArea"));
    auto* addRemove = new QHBoxLayout(m_boxControlArea);
    m_btnAdd = button("m_btnAdd");
    m_btnAdd->setText(QStringLiteral("+"));
    m_btnRemove = button("m_btnRemove");
    m_btnRemove->setText(QStringLiteral("\u2212"));
    addRemove->addWidget(m_btnAdd);
    addRemove->addWidget(m_btnRemove);
    addRemove->addStretch(1);
    m_boxRecordingArea = new QGroupBox(this);
    m_boxRecordingArea->setObjectName(QStringLiteral("m_boxRecordingArea"));
    auto* recording = new QHBoxLayout(m_boxRecordingArea);
    m_btnRecording = button("m_btnRecording");
    m_btnClear = button("m_btnClear");
    recording->addWidget(m_btnRecording);
    recording->addWidget(m_btnClear);
    m_boxFileManageArea = new QGroupBox(this);
    m_boxFileManageArea->setObjectName(QStringLiteral("m_boxFileManageArea"));
    auto* files = new QHBoxLayout(m_boxFileManageArea);
    m_btnImport = button("m_btnImport");
    m_btnExport = button("m_btnExport");
    files->addWidget(m_btnImport);
    files->addWidget(m_btnExport);
    auto* status = new QHBoxLayout;
    m_lblUSBStatusTitle = new QLabel(this);
    m_lblUSBStatusTitle->setObjectName(QStringLiteral("m_lblUSBStatusTitle"));
    m_lblUSBStatus = new QLabel(this);
    m_lblUSBStatus->setObjectName(QStringLiteral("m_lblUSBStatus"));
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
}

void EditMacroVC::InitControl() {
    setWindowTitle(Q(T("BTN_MACRO_EDITOR")));
    m_lblSelectMacroTitle->setText(Q(T("MACRO_EDITOR_MACRO_LIST_TITLE")));
    m_tvSelectMacro->setHorizontalHeaderLabels({Q(T("MACRO_EDITOR_LIST_NO")), Q(T("MACRO_EDITOR_LIST_MACRO_NAME"))});
    m_btnWrite->setText(Q(T("MACRO_EDITOR_MACRO_WRITE")));
    m_btnRead->setText(Q(T("MACRO_EDITOR_MACRO_READ")));
    m_lblEditMacroTitle->setText(Q(T("MACRO_EDITOR_MACRO_EDITOR_AREA_TITLE")));
    m_lblNoTitle->setText(Q(T("MACRO_EDITOR_LIST_NO")));
    m_lblMacroNameTitle->setText(Q(T("MACRO_EDITOR_LIST_MACRO_NAME")));
    m_txtMacroName->setPlaceholderText(Q(MacroSlotName::Placeholder(m_ctx.pDM ? m_ctx.pDM->Strings() : StringTable())));
    m_tvMacroContents->setHorizontalHeaderLabels({Q(T("MACRO_EDITOR_LIST_NO")), Q(T("MACRO_EDITOR_EDITOR_LIST_SIZE")),
                                                  Q(T("MACRO_EDITOR_EDITOR_LIST_ITEM")), Q(T("MACRO_EDITOR_EDITOR_LIST_VALUE"))});
    m_boxCreateMacroArea->setTitle(Q(T("MACRO_EDITOR_MACRO_CREATE_TITLE")));
    m_boxControlArea->setTitle(Q(T("MACRO_EDITOR_OPERATION_SETTING")));
    m_boxRecordingArea->setTitle(Q(T("MACRO_EDITOR_OPERATION_REC")));
    m_boxFileManageArea->setTitle(Q(T("MACRO_EDITOR_MACRO_DATA_RW_TITLE")));
    m_btnRecording->setText(Q(T("MACRO_EDITOR_OPERATION_REC_START")));
    m_btnClear->setText(Q(T("MACRO_EDITOR_OPERATION_REC_DELETE")));
    m_btnImport->setText(Q(T("MACRO_EDITOR_MACRO_DATA_READ")));
    m_btnExport->setText(Q(T("MACRO_EDITOR_MACRO_DATA_SAVE")));
    m_btnCancel->setText(Q(T("BTN_CANCEL")));
    m_btnHelp->setText(Q(T("BTN_HELP")));
    m_lblKeyInputResult->setText(Q(T("MACRO_EDITOR_KEY_INPUT_PREVIEW")));
    m_lblUSBStatusTitle->setText(Q(T("STATUS_MESSAGE_BOX_TEXT")));
    const auto& palette = MacroStepKinds::Palette();
    for (size_t k = 0; k < palette.size(); ++k) {
        const QString title = Q(T(std::string(palette[k].labelKey).c_str()));
        m_lblControlTitle[k]->setText(title);
        m_cvControlElem[k]->setToolTip(title);
    }
    ApplyPaletteColours();
    ShowConnectionState();
    const bool usable = m_ctx.pDM && m_ctx.pDM->pUSBHID().bConnected() && m_ctx.pDM->bDataInitialize();
    BlockedControl(!usable);
}

void EditMacroVC::ApplyPaletteColours() {
    const auto& palette = MacroStepKinds::Palette();
    for (size_t k = 0; k < palette.size(); ++k) {
        const QColor c = TintColour(palette[k].colour);
        m_cvControlElem[k]->setStyleSheet(QStringLiteral("#%1 { background: rgba(%2,%3,%4,%5); border: 1px solid #c4c9d0; border-radius: 5px; }")
                                              .arg(m_cvControlElem[k]->objectName())
                                              .arg(c.red())
                                              .arg(c.green())
                                              .arg(c.blue())
                                              .arg(c.alphaF()));
    }
}

void EditMacroVC::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ApplyPaletteColours();
}

QRect EditMacroVC::rctSelectMacroTV() const { return QRect(m_tvSelectMacro->mapTo(this, QPoint(0, 0)), m_tvSelectMacro->size()); }

QRect EditMacroVC::rctEditMacroTV() const {
    return QRect(m_tvMacroContents->mapTo(this, QPoint(0, 0)), m_tvMacroContents->size());
}

void EditMacroVC::ShowConnectionState() {
    const bool connected = m_ctx.pDM && m_ctx.pDM->pUSBHID().bConnected();
    m_lblUSBStatus->setText(Q(T(connected ? "STATUS_MSG_USB_CONNECT" : "STATUS_MSG_USB_UNCONNECT")));
}

void EditMacroVC::RenewMacroList() {
    const StringTable fallback;
    const StringTable& s = m_ctx.pDM ? m_ctx.pDM->Strings() : fallback;
    for (int n = 0; n < C::SCRIPT_USER_USE_NUM; ++n) {
        const ScriptElem none;
        const bool exists = m_ctx.pDM && static_cast<size_t>(n) < m_ctx.pDM->g_arSCE.size();
        const ScriptElem& slot = exists ? m_ctx.pDM->g_arSCE[static_cast<size_t>(n)] : none;
        m_tvSelectMacro->setItem(n, 0, new QTableWidgetItem(Q(MacroSlotName::NumberText(n))));
        m_tvSelectMacro->setItem(n, 1, new QTableWidgetItem(Q(MacroSlotName::ListText(slot, s))));
    }
}

void EditMacroVC::RenewTable() {
    const StringTable fallback;
    const StringTable& s = m_ctx.pDM ? m_ctx.pDM->Strings() : fallback;
    const int rows = MacroStepList::RowCount(clsMC);
    m_tvMacroContents->setRowCount(rows);
    auto cell = [this](int row, int col, const std::string& text, const QColor& tint) {
        auto* item = new QTableWidgetItem(Q(text));
        if (tint.alpha() != 0) item->setBackground(tint);
        m_tvMacroContents->setItem(row, col, item);
    };
    const QColor none(Qt::transparent);
    cell(0, COL_NO, "0", none);
    cell(0, COL_SIZE, "0", none);
    cell(0, COL_CONTENT, MacroStepList::ModeText(clsMC.bScriptMode, s), none);
    cell(0, COL_VALUE, "", none);
    for (int r = 1; r < rows; ++r) {
        const MacroDataScript& step = *MacroStepList::StepAtRow(clsMC, r);
        const QColor tint = TintColour(MacroStepKinds::ColourOf(step.bControlItemNo));
        cell(r, COL_NO, std::to_string(r), tint);
        cell(r, COL_SIZE, std::to_string(step.nScriptSize), tint);
        cell(r, COL_CONTENT, MacroCreator::GetContentName(step, s).value_or(""), tint);
        cell(r, COL_VALUE, MacroCreator::GetSetValueString(step, s), tint);
    }
    const MacroStepList::Size size = MacroStepList::SizeOf(clsMC);
    m_lblScriptSize->setText(Q(MacroStepList::SizeText(size, s)));
    m_lblScriptSize->setStyleSheet(size.Fits() ? QString() : QStringLiteral("color:#b3261e; font-weight:bold;"));
    UpdateRemoveButton();
}

void EditMacroVC::UpdateRemoveButton() {
    m_btnRemove->setEnabled(!m_bBlocked && !m_tvMacroContents->selectionModel()->selectedRows().isEmpty());
}

void EditMacroVC::BlockedControl(bool block) {
    m_bBlocked = block;
    for (QWidget* w : std::initializer_list<QWidget*>{m_tvSelectMacro, m_btnWrite, m_btnRead, m_txtMacroName, m_tvMacroContents,
                                                     m_btnRecording, m_btnClear, m_btnImport, m_btnExport, m_btnCancel}) {
        w->setEnabled(!block);
    }
    UpdateRemoveButton();
}

void EditMacroVC::StartTimerForUpdateWindow() {
    Log("Edit Macro :  StartTimerForUpdateWindow");
    m_Timer->start();
}

void EditMacroVC::StopTimerForUpdateWindow() { m_Timer->stop(); }

bool EditMacroVC::IsTimerRunning() const { return m_Timer->isActive(); }

int EditMacroVC::SelectedSlot() const {
    const QModelIndexList rows = m_tvSelectMacro->selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    const int index = rows.front().row();
    return index >= 0 && index < C::SCRIPT_USER_USE_NUM ? index : -1;
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
    MacroStepList::Clear(clsMC);
    m_txtNo->clear();
    m_txtMacroName->clear();
    m_pInputStringPreview.clear();
    m_lblKeyInputResult->clear();
    m_recorder.Start();
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
    OpenDialog(MacroStepKinds::DialogOnDoubleClick(step->bControlItemNo), static_cast<size_t>(row - 1));
}

void EditMacroVC::OpenDialog(Dialog kind, size_t stepIndex) {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || kind == Dialog::None || m_dialog || stepIndex >= clsMC.arCurrentMacroScript.size()) return;
    InputSupportDialog* dialog = nullptr;
    switch (kind) {
        case Dialog::Number: dialog = new InputSupportNumberInput(*dm, this); break;
        case Dialog::Joypad: dialog = new InputSupportJoysticButton(*dm, this); break;
        case Dialog::MouseButton: dialog = new InputSupportMouseButton(*dm, this); break;
        case Dialog::Multimedia: dialog = new InputSupportMultimediaButton(*dm, this); break;
        case Dialog::Distance: dialog = new InputSupportMoveDistance(*dm, this); break;
        case Dialog::KeyInput: dialog = new InputSupportkeyboard(*dm, this); break;
        case Dialog::Wheel: dialog = new InputSupportMouseWheel(*dm, this); break;
        case Dialog::None: return;
    }
    Log(std::string("prepareForSegue segue=") + SegueName(kind));
    dialog->setAttribute(Qt::WA_DeleteOnClose, true);
    dialog->SetCurrentMDS(clsMC.arCurrentMacroScript[stepIndex]);
    // Steps are only ever appended while a dialog is open (a read finishing),
    // so the index still names the step handed over.
    connect(dialog, &InputSupportDialog::stepChanged, this, [this, dialog, stepIndex] {
        if (stepIndex < clsMC.arCurrentMacroScript.size()) clsMC.arCurrentMacroScript[stepIndex] = dialog->CurrentMDS();
        RenewTable();
    });
    m_dialog = dialog;
    dialog->open();
}

void EditMacroVC::GetPanAction(PanState state, const std::string& identifier, const QPoint& pos) {
    switch (state) {
        case PanState::Began:
            if (!m_bPaletteDragging) QApplication::setOverrideCursor(Qt::DragCopyCursor);
            m_bPaletteDragging = true;
            m_pstrDragItem = identifier;
            return;
        case PanState::Changed:
            if (m_bPaletteDragging) {
                QApplication::changeOverrideCursor(rctSelectMacroTV().contains(pos) ? Qt::ForbiddenCursor : Qt::DragCopyCursor);
            }
            return;
        case PanState::Ended: break;
    }
    if (m_bPaletteDragging) QApplication::restoreOverrideCursor();
    m_bPaletteDragging = false;
    m_pstrDragItem.clear();
    if (!rctEditMacroTV().contains(pos)) return;
    const int32_t kind = MacroStepKinds::KindForIdentifier(identifier);
    if (kind == C::SCRIPT_ICON_IDX_BLANK) return;
    MacroDataScript step = MacroCreator::CreateMacroForScriptUseDrag(kind);
    step.bControlItemNo = static_cast<uint8_t>(kind);
    clsMC.arCurrentMacroScript.push_back(step);
    RenewTable();
    // The dialog edits the step just appended.
    OpenDialog(MacroStepKinds::DialogOnDrop(kind), clsMC.arCurrentMacroScript.size() - 1);
}

bool EditMacroVC::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_cvRecodePreview && m_bRecording) {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                HostInputEvent e;
                if (QtKeyEventAdapter::Translate(*static_cast<QKeyEvent*>(event), e)) KeyboardEvent(e);
                return true;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease: {
                const auto* m = static_cast<QMouseEvent*>(event);
                const bool down = event->type() == QEvent::MouseButtonPress;
                MouseEvent(HostInputEvent::Mouse(down, ButtonNumber(m->button()), static_cast<double>(m->timestamp()) / 1000.0));
                return true;
            }
            default: break;
        }
        return QDialog::eventFilter(watched, event);
    }
    auto* frame = qobject_cast<QFrame*>(watched);
    if (frame != nullptr && frame->property("identifier").isValid()) {
        const std::string id = frame->property("identifier").toString().toStdString();
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseMove:
            case QEvent::MouseButtonRelease: {
                const auto* m = static_cast<QMouseEvent*>(event);
                const QPoint pos = frame->mapTo(this, m->position().toPoint());
                if (event->type() == QEvent::MouseButtonPress) {
                    if (m->button() == Qt::LeftButton) GetPanAction(PanState::Began, id, pos);
                } else if (event->type() == QEvent::MouseMove) {
                    GetPanAction(PanState::Changed, id, pos);
                } else if (m->button() == Qt::LeftButton && m_bPaletteDragging) {
                    GetPanAction(PanState::Ended, id, pos);
                }
                return true;
            }
            default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Recording

void EditMacroVC::ClickRecording() {
    m_txtMacroName->clearFocus();
    if (!m_bRecording) {
        m_bRecording = true;
        m_recorder.Start();
        m_pInputStringPreview.clear();
        m_lblKeyInputResult->clear();
        m_lblKeyInputResult->setText(Q(T("DIAL_FUNC_SETTING_CATEGOLY_KEY")));
        m_cvRecodePreview->show();
        m_cvControlItem->hide();
        m_btnRecording->setText(Q(T("MACRO_EDITOR_OPERATION_REC_STOP")));
        m_tvSelectMacro->setSelectionMode(QAbstractItemView::NoSelection);
        m_tvMacroContents->setSelectionMode(QAbstractItemView::NoSelection);
        m_cvRecodePreview->setFocus(Qt::OtherFocusReason);
    } else {
        m_bRecording = false;
        m_cvRecodePreview->hide();
        m_cvControlItem->show();
        m_btnRecording->setText(Q(T("MACRO_EDITOR_OPERATION_REC_START")));
        m_tvSelectMacro->setSelectionMode(QAbstractItemView::SingleSelection);
        m_tvMacroContents->setSelectionMode(QAbstractItemView::SingleSelection);
    }
}

void EditMacroVC::Record(const HostInputEvent& event) {
    if (!m_bRecording || m_ctx.pDM == nullptr) return;
    const size_t appended = m_recorder.Record(event, m_ctx.pDM->pKeyCode(), clsMC.arCurrentMacroScript);
    const bool isKey = event.type == HostInputEvent::Type::KeyDown || event.type == HostInputEvent::Type::KeyUp ||
                       event.type == HostInputEvent::Type::FlagsChanged;
    if (appended > 0 && isKey) {
        m_pInputStringPreview += "[" + clsMC.arCurrentMacroScript.back().strAnalyzeRet1.value_or("") + "]";
        m_lblKeyInputResult->setText(Q(m_pInputStringPreview));
    }
    if (appended > 0) {
        RenewTable();
        m_tvMacroContents->scrollToBottom();
    }
}

void EditMacroVC::KeyboardEvent(const HostInputEvent& event) { Record(event); }

void EditMacroVC::MouseEvent(const HostInputEvent& event) { Record(event); }

// ---------------------------------------------------------------------------
// Reading and writing slots

bool EditMacroVC::StartJob() {
    DataManager* dm = m_ctx.pDM;
    if (dm->pUSBHID().StartCom()) return true;
    dm->pComQue().Reset();
    ShowError(T("JOB_NOT_STARTED_NO_DEVICE"));
    return false;
}

void EditMacroVC::AppendSlotSteps(int index) {
    const MacroCreator* script = MacroSlotStore::SlotScript(*m_ctx.pDM, index);
    if (script == nullptr) return;
    MacroStepList::Append(clsMC, script->arCurrentMacroScript, script->bScriptMode);
    RenewTable();
}

void EditMacroVC::ClickRead() {
    DataManager* dm = m_ctx.pDM;
    const int a = SelectedSlot();
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
    if (!StartJob()) return;
    m_bCurrentMode = MODE_READ;
    BlockedControl(true);
}

void EditMacroVC::ClickWrite() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return;
    const int a = SelectedSlot();
    if (a < 0) {
        ShowError(T("DEVICE_MACRO_WRITE_POS_ERR_MSG"));
        return;
    }
    // A script that does not fit a slot is refused before anything happens.
    const MacroStepList::Size size = MacroStepList::SizeOf(clsMC);
    if (!size.Fits()) {
        ShowError(MacroStepList::TooLongText(size, dm->Strings()));
        return;
    }
    std::string question = T("DEVICE_MACRO_WRITE_CONFIRM_MSG");
    if (const size_t at = question.find("%d"); at != std::string::npos) question.replace(at, 2, std::to_string(a + 1));
    if (!m_ctx.prompts || !m_ctx.prompts->Confirm(T("APPLICATION_NAME"), question)) {
        Log("Alert result Cancel");
        return;
    }
    Log("Alert result OK");
    m_nSelectMacroNo = a;
    m_strWriteName = m_txtMacroName->text().toStdU16String();
    m_txtNo->setText(Q(MacroSlotName::NumberText(a)));
    Log("@ClickWrite Current select macro = " + std::to_string(a));
    if (!MacroSlotStore::SectorLoaded(*dm, a) && MacroSlotStore::QueueSectorRead(*dm, a)) {
        if (!StartJob()) return;
        m_bCurrentMode = MODE_READ_BEFORE_WRITE;
        BlockedControl(true);
        return;
    }
    WriteScriptToFlash();
}

void EditMacroVC::WriteScriptToFlash() {
    DataManager* dm = m_ctx.pDM;
    const StringTable& s = dm->Strings();
    using R = MacroSlotStore::StoreResult;
    switch (MacroSlotStore::Store(*dm, m_nSelectMacroNo, clsMC, m_strWriteName)) {
        case R::Stored: break;
        case R::TooLong: ShowError(MacroStepList::TooLongText(MacroStepList::SizeOf(clsMC), s)); return;
        case R::SectorNotLoaded: ShowError(T("MACRO_SECTOR_NOT_LOADED_MSG")); return;
        case R::NoSlot: ShowError(T("DEVICE_MACRO_WRITE_POS_ERR_MSG")); return;
        case R::NoModel: ShowError(T("JOB_NOT_STARTED_NO_DEVICE")); return;
    }
    m_bCurrentMode = MODE_WRITE;
    BlockedControl(true);
    if (!StartJob()) {
        m_bCurrentMode = MODE_IDLE;
        BlockedControl(!dm->pUSBHID().bConnected());
    }
}

void EditMacroVC::FinishJob() {
    DataManager* dm = m_ctx.pDM;
    const StringTable& s = dm->Strings();
    const ComResult& result = dm->pUSBHID().LastResult();
    const uint8_t mode = m_bCurrentMode;
    m_bCurrentMode = MODE_IDLE;
    BlockedControl(!dm->pUSBHID().bConnected() || !dm->bDataInitialize());
    switch (mode) {
        case MODE_READ:
            if (MacroSlotStore::FinishSectorRead(*dm, m_nSelectMacroNo)) {
                AppendSlotSteps(m_nSelectMacroNo);
            } else {
                const std::string why = JobMessage::Failure("JOB_NAME_MACRO_READ", result, s);
                ShowError(why.empty() ? T("MACRO_SECTOR_NOT_LOADED_MSG") : why);
            }
            break;
        case MODE_READ_BEFORE_WRITE:
            if (MacroSlotStore::FinishSectorRead(*dm, m_nSelectMacroNo)) {
                WriteScriptToFlash();
            } else {
                const std::string why = JobMessage::Failure("JOB_NAME_MACRO_READ", result, s);
                ShowError((why.empty() ? std::string() : why + "\n") + T("MACRO_SECTOR_NOT_LOADED_MSG"));
            }
            break;
        case MODE_WRITE: {
            RenewMacroList();
            const std::string why = JobMessage::Failure("JOB_NAME_MACRO_WRITE", result, s);
            if (!why.empty()) ShowError(why);
            break;
        }
        default: break;
    }
}

void EditMacroVC::UpdateAppWindow() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_bInUpdate) return;
    m_bInUpdate = true;
    USBHidManager& hid = dm->pUSBHID();
    if (hid.bUSBStatusUpdate()) {
        Log("Edit Macro : USB status update!");
        hid.SetUSBDetectUpdate(false);
        if (hid.bConnected()) {
            if (dm->bDataInitialize() && m_bCurrentMode == MODE_IDLE) BlockedControl(false);
        } else {
            BlockedControl(true);
        }
        ShowConnectionState();
    }
    if (dm->bDataUpdate()) {
        Log("Edit Macro : Get USB data update flag!");
        dm->SetDataUpdate(false);
        if (!dm->bDataInitialize()) {
            dm->DataInitializeFromMemory();
            RenewMacroList();
        }
        FinishJob();
    }
    m_bInUpdate = false;
}

// ---------------------------------------------------------------------------
// Files, help, closing

void EditMacroVC::ClickImport() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_ctx.prompts == nullptr) return;
    const auto path = m_ctx.prompts->ChooseOpenFile(C::SCRIPT_FILE_EXTENSION);
    if (!path) {
        Log("Select file cancel");
        return;
    }
    Log(*path);
    const MacroScriptFile::Imported imported = MacroScriptFile::ImportFile(*path, dm->pKeyCode());
    if (!imported.ok()) {
        Log("Import refused: " + MacroScriptFile::ErrorText(imported));
        ShowError(T("SCRIPT_FILE_IMPORT_ERROR_MSG"));
        return;
    }
    MacroScriptFile::AppendTo(clsMC, imported);
    RenewTable();
}

void EditMacroVC::ClickExport() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_ctx.prompts == nullptr) return;
    const auto path = m_ctx.prompts->ChooseSaveFile(C::SCRIPT_FILE_EXTENSION);
    if (!path) {
        Log("Select file cancel");
        return;
    }
    Log(*path);
    const MacroScriptFile::Exported exported = MacroScriptFile::Export(clsMC, *path);
    switch (exported.error) {
        case MacroScriptFile::ExportError::None: break;
        case MacroScriptFile::ExportError::TooLong:
            ShowError(MacroStepList::TooLongText(MacroStepList::SizeOf(clsMC), dm->Strings()));
            break;
        case MacroScriptFile::ExportError::BadMode:
        case MacroScriptFile::ExportError::WriteFailed:
            // The reason (a full disk, no permission) goes with the message.
            ShowError(TextTemplate::Fill(T("SCRIPT_FILE_EXPORT_ERROR_MSG"), {*path}) + "\n" +
                      MacroScriptFile::ErrorText(exported));
            break;
    }
}

void EditMacroVC::ClickHelp() { HelpLauncher::Open(m_ctx, "macro-editor.html"); }

void EditMacroVC::ClickCancel() {
    StopTimerForUpdateWindow();
    if (m_bRecording) ClickRecording();
    QDialog::reject();
}

void EditMacroVC::reject() {
    // Escape or the close box: as Cancel, but never while a job runs.
    if (m_bCurrentMode != MODE_IDLE) return;
    ClickCancel();
}

}  // namespace kelvadeck
