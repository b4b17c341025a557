#include "screens/EditDialMacroVC.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "model/Constants.h"
#include "screenlogic/DialMacroSetForm.h"
#include "screens/HelpLauncher.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

using C = Constants;

}  // namespace

EditDialMacroVC::EditDialMacroVC(ScreenContext& context, QWidget* parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("EditDialMacroVC"));
    setModal(true);
    ScreenJob::Traces traces;
    traces.dataUpdate = "EditDialMacroVC Get USB data update flag!";
    traces.stateInDataUpdate = true;
    m_job = new ScreenJob(m_ctx, traces, this);
    connect(m_job, &ScreenJob::blockingChanged, this, &EditDialMacroVC::BlockedControl);
    connect(m_job, &ScreenJob::connectionChanged, this, &EditDialMacroVC::ShowConnectionState);
    BuildControls();
    SetDialMacroInfo();
    m_job->StartTimer();
}

EditDialMacroVC::~EditDialMacroVC() = default;

std::string EditDialMacroVC::T(const char* key) const {
    return m_ctx.Strings().Get(key);
}

void EditDialMacroVC::BuildControls() {
    setWindowTitle(Q(T("BTN_DIAL_MACRO_EDITOR")));
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_cmbSelectDialMacroFuncNo = new QComboBox(this);
    m_cmbSelectDialMacroFuncNo->setObjectName(QStringLiteral("m_cmbSelectDialMacroFuncNo"));
    if (m_ctx.pDM) {
        for (const FuncSettingElem& e : m_ctx.pDM->Catalogues().arDF_FuncList_UserDialMacro) {
            m_cmbSelectDialMacroFuncNo->addItem(Q(e.strName));
        }
    }
    m_chkLoopFlag = new QCheckBox(Q(T("SCRIPT_MODE_LOOP_MODE_TEXT")), this);
    m_chkLoopFlag->setObjectName(QStringLiteral("m_chkLoopFlag"));
    top->addWidget(m_cmbSelectDialMacroFuncNo, 1);
    top->addWidget(m_chkLoopFlag);
    root->addLayout(top);

    m_tblMacroList = new QTableWidget(C::ENCODER_SCRIPT_SCRIPTSET_MAX_NUM, 2, this);
    m_tblMacroList->setObjectName(QStringLiteral("m_tblMacroList"));
    m_tblMacroList->setHorizontalHeaderLabels({Q(T("MACRO_EDITOR_LIST_NO")), Q(T("ENCODER_SCRIPT_LIST_MACRO_NAME"))});
    m_tblMacroList->verticalHeader()->setVisible(false);
    m_tblMacroList->horizontalHeader()->setStretchLastSection(true);
    m_tblMacroList->setColumnWidth(0, 44);
    m_tblMacroList->setSelectionMode(QAbstractItemView::NoSelection);
    m_tblMacroList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tblMacroList->setMinimumSize(420, 420);
    QStringList choices;
    if (m_ctx.pDM) {
        for (const auto& c : DialMacroSetForm::Choices(m_ctx.pDM->g_arSCE, m_ctx.pDM->Strings())) choices << Q(c.text);
    }
    for (int r = 0; r < C::ENCODER_SCRIPT_SCRIPTSET_MAX_NUM; ++r) {
        char number[8];
        std::snprintf(number, sizeof number, "%02d", r + 1);
        m_tblMacroList->setItem(r, 0, new QTableWidgetItem(QString::fromLatin1(number)));
        auto* combo = new QComboBox(m_tblMacroList);
        combo->setObjectName(QStringLiteral("m_cmbMacroNo%1").arg(r + 1));
        combo->addItems(choices);
        for (int i = 0; i < combo->count(); ++i) combo->setItemData(i, i);
        m_tblMacroList->setCellWidget(r, 1, combo);
        m_cmbRows.push_back(combo);
    }
    root->addWidget(m_tblMacroList, 1);

    auto* bottom = new QHBoxLayout;
    m_lblUSBStatusTitle = new QLabel(Q(T("STATUS_MESSAGE_BOX_TEXT")), this);
    m_lblUSBStatusTitle->setObjectName(QStringLiteral("m_lblUSBStatusTitle"));
    m_lblUSBStatus = new QLabel(this);
    m_lblUSBStatus->setObjectName(QStringLiteral("m_lblUSBStatus"));
    m_btnHelp = new QPushButton(Q(T("BTN_HELP")), this);
    m_btnHelp->setObjectName(QStringLiteral("m_btnHelp"));
    m_btnCancel = new QPushButton(Q(T("BTN_CLOSE")), this);
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnSubmit = new QPushButton(Q(T("BTN_SUBMIT")), this);
    m_btnSubmit->setObjectName(QStringLiteral("m_btnSubmit"));
    // Enter applies; no other button takes it.
    for (QPushButton* b : {m_btnHelp, m_btnCancel, m_btnSubmit}) b->setAutoDefault(false);
    m_btnSubmit->setDefault(true);
    bottom->addWidget(m_lblUSBStatusTitle);
    bottom->addWidget(m_lblUSBStatus, 1);
    bottom->addWidget(m_btnHelp);
    bottom->addWidget(m_btnCancel);
    bottom->addWidget(m_btnSubmit);
    root->addLayout(bottom);

    connect(m_cmbSelectDialMacroFuncNo, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &EditDialMacroVC::comboBoxSelectionIsChanging);
    connect(m_btnHelp, &QPushButton::clicked, this, &EditDialMacroVC::ClickHelp);
    // Close asks about unapplied rows, as Escape does.
    connect(m_btnCancel, &QPushButton::clicked, this, &EditDialMacroVC::reject);
    connect(m_btnSubmit, &QPushButton::clicked, this, &EditDialMacroVC::ClickSubmit);
}

void EditDialMacroVC::SetDialMacroInfo() {
    m_bCurrentDialMacroNo = C::DIAL_MACRO_FUNC_TYPE_NO_1;
    {
        const QSignalBlocker quiet(m_cmbSelectDialMacroFuncNo);
        m_cmbSelectDialMacroFuncNo->setCurrentIndex(m_bCurrentDialMacroNo);
    }
    LoadSet();
    ShowConnectionState(m_ctx.pDM && m_ctx.pDM->pUSBHID().bConnected());
    BlockedControl(!m_job->Usable());
}

void EditDialMacroVC::ShowConnectionState(bool connected) {
    m_lblUSBStatus->setText(Q(T(connected ? "STATUS_MSG_USB_CONNECT" : "STATUS_MSG_USB_UNCONNECT")));
}

const DialMacroInfo& EditDialMacroVC::CurrentSet() const {
    static const DialMacroInfo empty;
    DataManager* dm = m_ctx.pDM;
    return dm && m_bCurrentDialMacroNo < dm->g_arDMI.size() ? dm->g_arDMI[m_bCurrentDialMacroNo] : empty;
}

bool EditDialMacroVC::HasChanges() const {
    return DialMacroSetForm::HasChanges(RowSelections(), m_chkLoopFlag->isChecked(), CurrentSet());
}

void EditDialMacroVC::LoadSet() {
    DataManager* dm = m_ctx.pDM;
    const DialMacroInfo& set = CurrentSet();
    m_chkLoopFlag->setChecked(DialMacroSetForm::Loop(set));
    const std::vector<int> rows = DialMacroSetForm::Rows(set);
    for (size_t r = 0; r < m_cmbRows.size() && r < rows.size(); ++r) {
        QComboBox* combo = m_cmbRows[r];
        // A number beyond the user's scripts keeps a choice of its own.
        while (combo->count() > C::SCRIPT_USER_USE_NUM + 1) combo->removeItem(combo->count() - 1);
        int index = combo->findData(rows[r]);
        if (index < 0 && dm) {
            combo->addItem(Q(DialMacroSetForm::ExtraChoice(rows[r], dm->g_arSCE, dm->Strings()).text), rows[r]);
            index = combo->count() - 1;
        }
        combo->setCurrentIndex(index < 0 ? 0 : index);
    }
}

std::vector<int> EditDialMacroVC::RowSelections() const {
    std::vector<int> rows;
    for (const QComboBox* combo : m_cmbRows) rows.push_back(combo->currentData().toInt());
    return rows;
}

void EditDialMacroVC::comboBoxSelectionIsChanging(int index) {
    m_ctx.Trace("EditDialMacroVC : comboBoxSelectionIsChanging");
    if (index < 0 || index >= C::ENCODER_SCRIPT_NUM || index == m_bCurrentDialMacroNo) return;
    const auto chosen = static_cast<uint8_t>(index);
    const UserPrompts::SaveChoice choice = m_job->AskBeforeDiscarding(HasChanges());
    if (choice != UserPrompts::SaveChoice::Discard) {
        // The set being edited stays chosen until it is written (or for good).
        ShowSetChoice(m_bCurrentDialMacroNo);
        if (choice == UserPrompts::SaveChoice::Save) Write([this, chosen](const ComResult&) { ChooseSet(chosen); });
        return;
    }
    ChooseSet(chosen);
}

void EditDialMacroVC::ShowSetChoice(uint8_t set) {
    const QSignalBlocker quiet(m_cmbSelectDialMacroFuncNo);
    m_cmbSelectDialMacroFuncNo->setCurrentIndex(set);
}

void EditDialMacroVC::ChooseSet(uint8_t set) {
    ShowSetChoice(set);
    m_bCurrentDialMacroNo = set;
    LoadSet();
}

void EditDialMacroVC::BlockedControl(bool block) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_cmbSelectDialMacroFuncNo, m_chkLoopFlag, m_tblMacroList, m_btnCancel, m_btnSubmit}) {
        w->setEnabled(!block);
    }
}

void EditDialMacroVC::ClickSubmit() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return;
    m_ctx.Trace("EditDialMacroVC : ClickSubmit");
    if (!m_job->Confirm(T("DEVICE_ENCODER_SCRIPT_WRITE_CONFIRM_MSG"))) return;
    Write(m_job->Closing(this));
}

void EditDialMacroVC::Write(const ScreenJob::Ended& written) {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_bCurrentDialMacroNo >= dm->g_arDMI.size()) return;
    dm->g_arDMI[m_bCurrentDialMacroNo] = DialMacroSetForm::Build(RowSelections(), m_chkLoopFlag->isChecked());
    dm->DataOutputToMemory();
    ComQue& que = dm->pComQue();
    que.CreateFastWriteComQue();
    que.CreateDialMacroInfoComQue();
    m_job->Start({VCSTS_WRITING, "JOB_NAME_DIAL_MACRO_WRITE", written});
}

void EditDialMacroVC::ClickCancel() {
    m_ctx.Trace("EditDialMacroVC : ClickCancel");
    m_job->StopTimer();
    QDialog::reject();
}

void EditDialMacroVC::reject() {
    if (m_job->IsRunning()) return;  // never while the set is being written
    // Escape, Close and the close box: unapplied rows are asked about first.
    m_job->Leave(HasChanges(), [this] { Write(m_job->Closing(this)); }, [this] { ClickCancel(); });
}

void EditDialMacroVC::ClickHelp() { HelpLauncher::Open(m_ctx, "dial-macro-editor.html"); }

}  // namespace kelvadeck
