#include "screens/SwichFuncSettingVC.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "device/USBHidManager.h"
#include "model/Constants.h"
#include "screens/CatalogueTables.h"
#include "screens/FuncInputPanel.h"
#include "screenlogic/EditedItemText.h"
#include "screens/HelpLauncher.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

using C = Constants;

}  // namespace

SwichFuncSettingVC::SwichFuncSettingVC(ScreenContext& context, QWidget* parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("SwichFuncSettingVC"));
    ScreenJob::Traces traces;
    traces.timerStarted = "SwitchFuncSetting :  StartTimerForUpdateWindow";
    traces.dataUpdate = "SwitchFuncSetting : Get USB data update flag2";
    traces.stateInDataUpdate = true;
    m_job = new ScreenJob(m_ctx, traces, this);
    connect(m_job, &ScreenJob::blockingChanged, this, &SwichFuncSettingVC::BlockedControl);
    BuildControls();
}

SwichFuncSettingVC::~SwichFuncSettingVC() = default;

void SwichFuncSettingVC::BuildControls() {
    auto* root = new QVBoxLayout(this);
    auto* current = new QHBoxLayout;
    m_lblSelectNameTitle = new QLabel(this);
    m_lblSelectNameTitle->setObjectName(QStringLiteral("m_lblSelectNameTitle"));
    m_lblSelectName = new QLabel(this);
    m_lblSelectName->setObjectName(QStringLiteral("m_lblSelectName"));
    m_lblSelectName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    current->addWidget(m_lblSelectNameTitle);
    current->addWidget(m_lblSelectName, 1);
    root->addLayout(current);

    m_tables = new CatalogueTables(0, QString(), QSize(200, 260), this);
    connect(m_tables, &CatalogueTables::rowClicked, this, &SwichFuncSettingVC::SelectRow);
    root->addWidget(m_tables);

    auto* dialDefault = new QHBoxLayout;
    m_lblDialFuncDefault = new QLabel(this);
    m_lblDialFuncDefault->setObjectName(QStringLiteral("m_lblDialFuncDefault"));
    m_cmbDialFuncDefault = new QComboBox(this);
    m_cmbDialFuncDefault->setObjectName(QStringLiteral("m_cmbDialFuncDefault"));
    connect(m_cmbDialFuncDefault, &QComboBox::activated, this, [this](int index) { m_form.ChangeEncoderDefault(index); });
    dialDefault->addWidget(m_lblDialFuncDefault);
    dialDefault->addWidget(m_cmbDialFuncDefault, 1);
    root->addLayout(dialDefault);

    m_lblFuncSettingTitle = new QLabel(this);
    m_lblFuncSettingTitle->setObjectName(QStringLiteral("m_lblFuncSettingTitle"));
    root->addWidget(m_lblFuncSettingTitle);

    m_inputPanel = new FuncInputPanel(QString(), 1, 0, this);
    root->addWidget(m_inputPanel);
    connect(m_inputPanel, &FuncInputPanel::keyChanged, this, &SwichFuncSettingVC::RenewKeyInputInfo);
    connect(m_inputPanel, &FuncInputPanel::keyCleared, this, [this] {
        if (m_ctx.pDM) m_form.ClearKey(*m_ctx.pDM);
    });
    connect(m_inputPanel, &FuncInputPanel::numberChanged, this, [this](int n) { m_form.SetNumber(n); });
    connect(m_inputPanel, &FuncInputPanel::distanceChanged, this, [this](int x, int y) { m_form.SetDistance(x, y); });

    auto* buttons = new QHBoxLayout;
    m_btnHelp = new QPushButton(this);
    m_btnHelp->setObjectName(QStringLiteral("m_btnHelp"));
    m_btnCancel = new QPushButton(this);
    m_btnCancel->setObjectName(QStringLiteral("m_btnCancel"));
    m_btnSubmit = new QPushButton(this);
    m_btnSubmit->setObjectName(QStringLiteral("m_btnSubmit"));
    // Enter applies; Cancel, Help and the key's Clear never take it.
    for (QPushButton* b : {m_btnHelp, m_btnCancel, m_btnSubmit}) b->setAutoDefault(false);
    m_btnSubmit->setDefault(true);
    buttons->addWidget(m_btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnSubmit);
    root->addLayout(buttons);
    connect(m_btnHelp, &QPushButton::clicked, this, [this] { HelpLauncher::Open(m_ctx, "button-function.html"); });
    connect(m_btnCancel, &QPushButton::clicked, this, &SwichFuncSettingVC::ClickCancel);
    connect(m_btnSubmit, &QPushButton::clicked, this, &SwichFuncSettingVC::ClickSubmit);
}

void SwichFuncSettingVC::SetSwitchFuncID(uint8_t button) {
    DataManager* dm = m_ctx.pDM;
    const bool open = dm != nullptr && m_form.Open(*dm, button);
    InitControl();
    ShowTables();
    ChangeExtraImputArea();
    BlockedControl(!open || !dm->pUSBHID().bConnected());
    // The screen opens on the tables, never on a button that clears.
    m_tables->setFocus(Qt::OtherFocusReason);
    m_job->StartTimer();
}

void SwichFuncSettingVC::InitControl() {
    const StringTable& s = m_ctx.Strings();
    const uint8_t mode = m_form.bSelectProfileID;
    setWindowTitle(Q(m_ctx.pDM ? EditedItemText::Switch(m_form.bSelectSwitchFuncID, mode, s) : s.Get("SCREEN_FUNCTION_SETTING")));
    m_lblFuncSettingTitle->setText(Q(s.Get("SETTING_VALUE")));
    m_lblSelectNameTitle->setText(Q(s.Get("FUNC_SETTING_CURRENT_TITLE")));
    m_tables->InitControl(s);
    m_lblDialFuncDefault->setText(Q(s.Get("FUNC_SETTING_ENCODER_DEFAULT_SETTING_TITLE")));
    m_inputPanel->InitControl(s);
    m_btnHelp->setText(Q(s.Get("BTN_HELP")));
    m_btnCancel->setText(Q(s.Get("BTN_CANCEL")));
    m_btnSubmit->setText(Q(s.Get("BTN_SUBMIT")));
    const bool push = m_form.bSelectSwitchFuncID == C::BUTTON_11_ID;
    m_lblDialFuncDefault->setVisible(push);
    m_cmbDialFuncDefault->setVisible(push);
    m_cmbDialFuncDefault->clear();
    if (push) {
        for (const std::string& item : m_form.DialDefaultItems(s)) m_cmbDialFuncDefault->addItem(Q(item));
        m_cmbDialFuncDefault->setCurrentIndex(m_form.m_pPSIShadow.bEncoderDefaultFuncNo);
    }
    if (m_ctx.pDM) m_lblSelectName->setText(Q(m_form.CurrentAssignmentText(*m_ctx.pDM)));
}

void SwichFuncSettingVC::ShowTables() {
    if (m_ctx.pDM == nullptr) return;
    const SelectItemElemForSwich& n = m_form.pclsNewSIE;
    m_tables->Show([this](int tag) { return m_form.Rows(tag, *m_ctx.pDM); }, {n.bItemID1, n.bItemID2, n.bItemID3});
}

void SwichFuncSettingVC::SelectRow(int tag, int row) {
    if (!m_form.ChangeSelectItem(tag, row)) return;
    if (tag == 0 || tag == 1) ShowTables();
    ChangeExtraImputArea();
}

void SwichFuncSettingVC::ChangeExtraImputArea() {
    m_inputPanel->Show(m_form.InputArea(), m_form.Action(), m_ctx.Strings());
    // The heading stands only over a value to enter.
    m_lblFuncSettingTitle->setVisible(m_form.InputArea() != FuncInputArea::Area::None);
}

void SwichFuncSettingVC::RenewKeyInputInfo() {
    if (m_ctx.pDM == nullptr) return;
    m_form.RenewKeyInputInfo(m_inputPanel->CapturedKey(), m_inputPanel->Modifiers(), *m_ctx.pDM);
    if (m_form.Action().pStrKey) m_inputPanel->ShowKey(m_form.Action());
}

void SwichFuncSettingVC::BlockedControl(bool block) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_tables, m_cmbDialFuncDefault, m_inputPanel, m_btnCancel, m_btnSubmit}) {
        w->setEnabled(!block);
    }
}

void SwichFuncSettingVC::ClickSubmit() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_job->IsRunning()) return;
    if (!m_job->Confirm(dm->Strings().Get("DEVICE_BASE_BUTTON_SETUP_WRITE_CONFIRM_MSG"))) return;
    Write();
}

void SwichFuncSettingVC::Write() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return;
    std::string error;
    const SwitchFuncForm::Submitted submitted = m_form.Submit(*dm, error);
    FollowSubmit(submitted, error);
}

void SwichFuncSettingVC::FollowSubmit(SwitchFuncForm::Submitted submitted, const std::string& errorKey) {
    switch (submitted) {
        case SwitchFuncForm::Submitted::Failed: m_job->Refuse(m_ctx.Strings().Get(errorKey)); break;
        case SwitchFuncForm::Submitted::ReadingSector: {
            const ScreenJob::Ended read = [this](const ComResult&) {
                std::string error;
                const SwitchFuncForm::Submitted next = m_form.ContinueAfterSectorRead(*m_ctx.pDM, true, error);
                FollowSubmit(next, error);
            };
            const ScreenJob::Ended notRead = [this](const ComResult& result) {
                // Nothing was written: the model is put back as it was.
                std::string error;
                m_form.ContinueAfterSectorRead(*m_ctx.pDM, false, error);
                m_job->ShowFailure(result);
            };
            m_job->Watch({VCSTS_READING, "JOB_NAME_PRESET_SLOT_READ", read, notRead});
            break;
        }
        case SwitchFuncForm::Submitted::Writing:
            m_job->Watch({VCSTS_WRITING, "JOB_NAME_WRITE_SETTINGS", m_job->Closing(this)});
            break;
    }
}

void SwichFuncSettingVC::ClickCancel() {
    if (m_job->IsRunning()) return;
    m_job->StopTimer();
    QDialog::reject();
}

void SwichFuncSettingVC::reject() {
    // Escape and the close box: the edits are asked about first.
    if (m_job->IsRunning()) return;
    m_job->Leave(m_ctx.pDM && m_form.HasChanges(*m_ctx.pDM), [this] { Write(); }, [this] { ClickCancel(); });
}

}  // namespace kelvadeck
