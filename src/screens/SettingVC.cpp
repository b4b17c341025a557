#include "screens/SettingVC.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "base/UserDefaults.h"
#include "core/BackupRestoreJob.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "keys/KeyCode.h"
#include "model/Constants.h"
#include "screenlogic/JobMessage.h"
#include "screenlogic/ProgressEstimate.h"
#include "screenlogic/SystemSettingsForm.h"
#include "screenlogic/TextTemplate.h"
#include "screens/HelpLauncher.h"
#include "screens/QtText.h"
#include "screens/StatusNote.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

namespace {

using C = Constants;
using Job = BackupRestoreJob;
static_assert(Job::SETSTS_NONE == ScreenJob::IDLE, "the screen's state is its job's");

// A file's size in bytes as the messages write it: "2,097,153".
std::string ByteCount(uintmax_t size) { return QLocale(QLocale::English).toString(static_cast<qulonglong>(size)).toStdString(); }

// The bar and its numbers are redrawn at most this often while answers pour in.
constexpr qint64 kProgressRedrawMs = 100;

}  // namespace

SettingVC::SettingVC(ScreenContext& context, QWidget* parent) : QDialog(parent), m_ctx(context) {
    setObjectName(QStringLiteral("SettingVC"));
    setModal(true);
    m_job = std::make_unique<BackupRestoreJob>(Dm(), Dm().Log());
    m_job->SetProgressCallback([this](int32_t count, int32_t max) { OnProgress(count, max); });
    ScreenJob::Traces traces;
    traces.connection = "Setting : USB status update!";
    traces.dataUpdate = "Setting : Get USB data update flag!";
    m_screenJob = new ScreenJob(m_ctx, traces, this);
    connect(m_screenJob, &ScreenJob::blockingChanged, this, &SettingVC::BlockedControl);
    connect(m_screenJob, &ScreenJob::connectionChanged, this, &SettingVC::ShowConnectionState);
    BuildControls();
    dwTimeCounter = 0;
    InitControl();
    m_screenJob->StartTimer();
    InitSetting();
    BlockedControl(!Dm().pUSBHID().bConnected() || Dm().pUSBHID().IsJobRunning() || !Dm().bDataInitialize());
}

SettingVC::~SettingVC() {
    // A job still running reports its progress to nobody from now on.
    if (m_ctx.pDM && m_screenJob->IsRunning()) m_ctx.pDM->pUSBHID().SetRefSettingVC(nullptr);
}

void SettingVC::BuildControls() {
    auto* root = new QVBoxLayout(this);
    root->setSpacing(12);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    root->addLayout(columns);

    m_boxAnySetting = new QGroupBox(this);
    m_boxAnySetting->setObjectName(QStringLiteral("m_boxAnySetting"));
    auto* any = new QVBoxLayout(m_boxAnySetting);
    m_chkSleepOff = new QCheckBox(m_boxAnySetting);
    m_chkSleepOff->setObjectName(QStringLiteral("m_chkSleepOff"));
    m_chkEncoderContinue = new QCheckBox(m_boxAnySetting);
    m_chkEncoderContinue->setObjectName(QStringLiteral("m_chkEncoderContinue"));
    any->addWidget(m_chkSleepOff);
    any->addWidget(m_chkEncoderContinue);
    left->addWidget(m_boxAnySetting);

    m_boxProfileLED = new QGroupBox(this);
    m_boxProfileLED->setObjectName(QStringLiteral("m_boxProfileLED"));
    auto* led = new QHBoxLayout(m_boxProfileLED);
    m_chkLEDOffFlag = new QCheckBox(m_boxProfileLED);
    m_chkLEDOffFlag->setObjectName(QStringLiteral("m_chkLEDOffFlag"));
    // One field for the off time, which takes only what the device stores:
    // what it shows is what is written.
    m_stpOffTime = new QSpinBox(m_boxProfileLED);
    m_stpOffTime->setObjectName(QStringLiteral("m_stpOffTime"));
    m_stpOffTime->setRange(0, C::LED_LIGHT_OFF_MODE_TIME_MAX);
    m_stpOffTime->setAlignment(Qt::AlignRight);
    m_lblOffTimeUnit = new QLabel(m_boxProfileLED);
    m_lblOffTimeUnit->setObjectName(QStringLiteral("m_lblOffTimeUnit"));
    led->addWidget(m_chkLEDOffFlag);
    led->addWidget(m_stpOffTime);
    led->addWidget(m_lblOffTimeUnit);
    led->addStretch(1);
    left->addWidget(m_boxProfileLED);
    connect(m_chkLEDOffFlag, &QCheckBox::toggled, this, &SettingVC::ClickLEDOffFlag);

    auto radioGroup = [this](QGroupBox* box, const char* name, QButtonGroup*& group,
                             std::initializer_list<std::pair<int, const char*>> choices) {
        box->setObjectName(QString::fromLatin1(name).replace(QStringLiteral("m_rdo"), QStringLiteral("m_box")));
        group = new QButtonGroup(this);
        group->setObjectName(QString::fromLatin1(name));
        auto* layout = new QVBoxLayout(box);
        for (const auto& [id, key] : choices) {
            auto* radio = new QRadioButton(box);
            radio->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(id));
            radio->setProperty("textKey", QString::fromLatin1(key));
            group->addButton(radio, id);
            layout->addWidget(radio);
        }
    };
    m_boxDialFuncLED = new QGroupBox(this);
    radioGroup(m_boxDialFuncLED, "m_rdoDialFuncLED", m_rdoDialFuncLED,
               {{C::LED_LIGHT_TYPE_FUNC_SLOW, "SYSTEM_SETTING_DIAL_FUNC_LED_SLOW"},
                {C::LED_LIGHT_TYPE_FUNC_FLASH, "SYSTEM_SETTING_DIAL_FUNC_LED_FLASH"},
                {C::LED_LIGHT_TYPE_FUNC_ON, "SYSTEM_SETTING_DIAL_FUNC_LED_ON"}});
    right->addWidget(m_boxDialFuncLED);
    connect(m_rdoDialFuncLED, &QButtonGroup::idClicked, this,
            [this](int id) { m_ctx.Trace("ClickDialFuncSetting TagNo = " + std::to_string(id)); });

    m_boxKeyboard = new QGroupBox(this);
    radioGroup(m_boxKeyboard, "m_rdoKeyboard", m_rdoKeyboard,
               {{static_cast<int>(KeyCode::KEYBOARD_TYPE_US), "SYSTEM_SETTING_KEYBOARD_SETTING_US"},
                {static_cast<int>(KeyCode::KEYBOARD_TYPE_JIS), "SYSTEM_SETTING_KEYBOARD_SETTING_JA"}});
    right->addWidget(m_boxKeyboard);
    connect(m_rdoKeyboard, &QButtonGroup::idClicked, this,
            [this](int id) { m_ctx.Trace("ClickKeyboardSetting TagNo = " + std::to_string(id)); });
    left->addStretch(1);
    right->addStretch(1);

    auto* applyRow = new QHBoxLayout;
    m_lblSubmitNote = new StatusNote(this);
    m_lblSubmitNote->setObjectName(QStringLiteral("m_lblSubmitNote"));
    applyRow->addWidget(m_lblSubmitNote, 1);
    m_btnSubmit = new QPushButton(this);
    m_btnSubmit->setObjectName(QStringLiteral("m_btnSubmit"));
    applyRow->addWidget(m_btnSubmit);
    root->addLayout(applyRow);
    connect(m_btnSubmit, &QPushButton::clicked, this, &SettingVC::ClickSubmit);

    m_boxBuckup = new QGroupBox(this);
    m_boxBuckup->setObjectName(QStringLiteral("m_boxBuckup"));
    auto* backup = new QGridLayout(m_boxBuckup);
    m_lblBackupTitle = new QLabel(m_boxBuckup);
    m_lblBackupTitle->setObjectName(QStringLiteral("m_lblBackupTitle"));
    m_btnBackup = new QPushButton(m_boxBuckup);
    m_btnBackup->setObjectName(QStringLiteral("m_btnBackup"));
    m_btnRestore = new QPushButton(m_boxBuckup);
    m_btnRestore->setObjectName(QStringLiteral("m_btnRestore"));
    m_lblFormatTitle = new QLabel(m_boxBuckup);
    m_lblFormatTitle->setObjectName(QStringLiteral("m_lblFormatTitle"));
    m_btnFormat = new QPushButton(m_boxBuckup);
    m_btnFormat->setObjectName(QStringLiteral("m_btnFormat"));
    backup->addWidget(m_lblBackupTitle, 0, 0);
    backup->addWidget(m_btnBackup, 0, 1);
    backup->addWidget(m_btnRestore, 0, 2);
    backup->addWidget(m_lblFormatTitle, 1, 0);
    backup->addWidget(m_btnFormat, 1, 1, 1, 2);
    backup->setColumnStretch(0, 1);

    m_cvProgress = new QFrame(m_boxBuckup);
    m_cvProgress->setObjectName(QStringLiteral("m_cvProgress"));
    auto* progress = new QHBoxLayout(m_cvProgress);
    progress->setContentsMargins(0, 0, 0, 0);
    m_piBackupRestore = new QProgressBar(m_cvProgress);
    m_piBackupRestore->setObjectName(QStringLiteral("m_piBackupRestore"));
    m_piBackupRestore->setTextVisible(false);
    m_lblNumerator = new QLabel(m_cvProgress);
    m_lblNumerator->setObjectName(QStringLiteral("m_lblNumerator"));
    m_lblNumerator->setMinimumWidth(48);
    m_lblNumerator->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblSlash = new QLabel(QStringLiteral("/"), m_cvProgress);
    m_lblSlash->setObjectName(QStringLiteral("m_lblSlash"));
    m_lblDenominator = new QLabel(m_cvProgress);
    m_lblDenominator->setObjectName(QStringLiteral("m_lblDenominator"));
    m_lblDenominator->setMinimumWidth(48);
    m_lblTimeLeft = new QLabel(m_cvProgress);
    m_lblTimeLeft->setObjectName(QStringLiteral("m_lblTimeLeft"));
    m_lblTimeLeft->setMinimumWidth(150);
    m_btnCancelBackup = new QPushButton(m_cvProgress);
    m_btnCancelBackup->setObjectName(QStringLiteral("m_btnCancelBackup"));
    progress->addWidget(m_piBackupRestore, 1);
    progress->addWidget(m_lblNumerator);
    progress->addWidget(m_lblSlash);
    progress->addWidget(m_lblDenominator);
    progress->addWidget(m_lblTimeLeft);
    progress->addWidget(m_btnCancelBackup);
    backup->addWidget(m_cvProgress, 2, 0, 1, 3);
    m_lblJobResult = new QLabel(m_boxBuckup);
    m_lblJobResult->setObjectName(QStringLiteral("m_lblJobResult"));
    m_lblJobResult->setWordWrap(true);
    m_lblJobResult->setStyleSheet(QStringLiteral("color:#1e7a34;"));
    backup->addWidget(m_lblJobResult, 3, 0, 1, 3);
    root->addWidget(m_boxBuckup);
    connect(m_btnBackup, &QPushButton::clicked, this, &SettingVC::ClickBackup);
    connect(m_btnRestore, &QPushButton::clicked, this, &SettingVC::ClickRestore);
    connect(m_btnFormat, &QPushButton::clicked, this, &SettingVC::ClickFormat);
    connect(m_btnCancelBackup, &QPushButton::clicked, this, &SettingVC::ClickCancelBackup);

    auto* bottom = new QHBoxLayout;
    m_lblUSBStatusTitle = new QLabel(this);
    m_lblUSBStatusTitle->setObjectName(QStringLiteral("m_lblUSBStatusTitle"));
    m_lblUSBStatus = new QLabel(this);
    m_lblUSBStatus->setObjectName(QStringLiteral("m_lblUSBStatus"));
    m_btnHelp = new QPushButton(this);
    m_btnHelp->setObjectName(QStringLiteral("m_btnHelp"));
    m_btnClose = new QPushButton(this);
    m_btnClose->setObjectName(QStringLiteral("m_btnClose"));
    bottom->addWidget(m_lblUSBStatusTitle);
    bottom->addWidget(m_lblUSBStatus);
    bottom->addStretch(1);
    bottom->addWidget(m_btnHelp);
    bottom->addWidget(m_btnClose);
    root->addLayout(bottom);
    connect(m_btnHelp, &QPushButton::clicked, this, [this] { HelpLauncher::Open(m_ctx, "settings.html"); });
    connect(m_btnClose, &QPushButton::clicked, this, &SettingVC::ClickClose);
    setMinimumWidth(720);
}

void SettingVC::InitControl() {
    const StringTable& s = Dm().Strings();
    auto t = [&s](const char* key) { return Q(s.Get(key)); };
    setWindowTitle(t("SCREEN_SYSTEM_SETTING"));
    m_boxAnySetting->setTitle(t("SYSTEM_SETTING_SETTING_TITLE"));
    m_chkSleepOff->setText(t("SYSTEM_SETTING_SLEEP_LED_OFF"));
    m_chkEncoderContinue->setText(t("SYSTEM_SETTING_ENCODER_TYPEMATIC"));
    m_boxProfileLED->setTitle(t("SYSTEM_SETTING_MODE_LED_SETTING"));
    m_chkLEDOffFlag->setText(t("SYSTEM_SETTING_MODE_LED_OFF"));
    m_lblOffTimeUnit->setText(t("SYSTEM_SETTING_MODE_LED_OFF_UNIT"));
    m_boxKeyboard->setTitle(t("SYSTEM_SETTING_KEYBOARD_SETTING"));
    m_boxDialFuncLED->setTitle(t("SYSTEM_SETTING_DIAL_FUNC_LED_SETTING_TITLE"));
    for (QButtonGroup* g : {m_rdoKeyboard, m_rdoDialFuncLED}) {
        for (QAbstractButton* b : g->buttons()) b->setText(Q(s.Get(b->property("textKey").toString().toStdString())));
    }
    m_boxBuckup->setTitle(t("SYSTEM_SETTING_BACKUP_TITLE"));
    m_lblBackupTitle->setText(t("SYSTEM_SETTING_BACKUP_FILE_TITLE"));
    m_lblFormatTitle->setText(t("SYSTEM_SETTING_FACTORY_RESET_TITLE"));
    m_btnRestore->setText(t("SYSTEM_SETTING_BACKUP_FILE_READ"));
    m_btnBackup->setText(t("SYSTEM_SETTING_BACKUP_FILE_SAVE"));
    m_btnFormat->setText(t("SYSTEM_SETTING_FACTORY_RESET"));
    m_btnCancelBackup->setText(t("BTN_CANCEL_BACKUP"));
    m_btnSubmit->setText(t("BTN_SUBMIT"));
    m_btnClose->setText(t("BTN_CLOSE"));
    m_btnHelp->setText(t("BTN_HELP"));
    m_lblUSBStatusTitle->setText(t("STATUS_MESSAGE_BOX_TEXT"));
}

void SettingVC::InitSetting() {
    DataManager& dm = Dm();
    std::optional<long> stored;
    if (m_ctx.defaults) stored = m_ctx.defaults->GetInteger(KeyCode::KEYBOARD_TYPE_USER_SETTING);
    m_ctx.Trace(std::string(KeyCode::KEYBOARD_TYPE_USER_SETTING) + " " + std::to_string(stored.value_or(0)));
    if (!stored || *stored == 0) m_ctx.Trace(m_ctx.countryCode);
    const SystemSettingsForm form = SystemSettingsForm::FromModel(dm.g_pSSI, stored, m_ctx.countryCode);
    if (QAbstractButton* b = m_rdoKeyboard->button(static_cast<int>(form.keyboardType))) b->setChecked(true);
    {
        const QSignalBlocker quiet(m_chkLEDOffFlag);
        m_chkLEDOffFlag->setChecked(form.modeLedOff);
    }
    m_chkSleepOff->setChecked(form.sleepOff);
    m_chkEncoderContinue->setChecked(form.encoderContinue);
    if (QAbstractButton* b = m_rdoDialFuncLED->button(form.dialFuncLed)) b->setChecked(true);
    m_stpOffTime->setValue(static_cast<int>(form.offTime));
    ClickLEDOffFlag();
    ShowConnectionState();
    if (!m_screenJob->IsRunning()) m_cvProgress->hide();
}

void SettingVC::ShowConnectionState() {
    const bool connected = Dm().pUSBHID().bConnected();
    m_lblUSBStatus->setText(Q(m_ctx.DeviceLine(connected)));
    m_lblUSBStatus->setStyleSheet(connected ? QStringLiteral("color:#1e7a34; font-weight:bold;")
                                            : QStringLiteral("color:#b3261e; font-weight:bold;"));
}

void SettingVC::BlockedControl(bool block) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_chkSleepOff, m_chkEncoderContinue, m_btnSubmit, m_chkLEDOffFlag, m_btnRestore,
                                                       m_btnBackup, m_btnFormat, m_btnClose}) {
        w->setEnabled(!block);
    }
    for (QButtonGroup* g : {m_rdoKeyboard, m_rdoDialFuncLED}) {
        for (QAbstractButton* b : g->buttons()) b->setEnabled(!block);
    }
    // The off time only counts while the mode LED goes off.
    const bool offTime = !block && m_chkLEDOffFlag->isChecked();
    m_stpOffTime->setEnabled(offTime);
}

void SettingVC::ClickLEDOffFlag() {
    const bool on = m_chkLEDOffFlag->isChecked() && m_chkLEDOffFlag->isEnabled();
    m_stpOffTime->setEnabled(on);
}

void SettingVC::JobNotStarted(const std::string& reason) {
    EndProgress();
    m_screenJob->Refuse(reason);
}

void SettingVC::ShowJobEnd(const std::string& success, const std::string& error) {
    EndProgress();
    RenewUI();
    m_lblJobResult->setText(Q(success));
    if (!error.empty()) m_screenJob->ShowError(error);
}

void SettingVC::ClickSubmit() {
    DataManager& dm = Dm();
    const StringTable& s = dm.Strings();
    if (!m_screenJob->Confirm(m_ctx.Text("DEVICE_FUNCTION_WRITE_CONFIRM_MSG"))) return;

    SystemSettingsForm form;
    form.keyboardType = m_rdoKeyboard->checkedId() > 0 ? m_rdoKeyboard->checkedId() : KeyCode::KEYBOARD_TYPE_US;
    form.offTime = m_stpOffTime->value();
    form.sleepOff = m_chkSleepOff->isChecked();
    form.modeLedOff = m_chkLEDOffFlag->isChecked();
    form.encoderContinue = m_chkEncoderContinue->isChecked();
    form.dialFuncLed = static_cast<uint8_t>(std::max(0, m_rdoDialFuncLED->checkedId()));

    const bool keyboardKept = m_ctx.defaults && m_ctx.defaults->SetInteger(KeyCode::KEYBOARD_TYPE_USER_SETTING, form.keyboardType);
    dm.pKeyCode().SetKeyboardType(form.keyboardType);
    form.ApplyTo(dm.g_pSSI);

    dm.DataOutputToMemory();
    ComQue& que = dm.pComQue();
    que.CreateFastWriteComQue();
    que.CreateBaseSettingInfoComQue();
    m_lblSubmitNote->Clear();
    // The controls are blocked while the job runs; the focus goes back where
    // it was, so that the user carries on from there.
    const QPointer<QWidget> focused = focusWidget();
    const ScreenJob::Ended written = [this, focused](const ComResult& result) {
        m_ctx.Trace("SETSTS_WRITE_DATA Finish!");
        ShowJobEnd(JobMessage::Warning(result, Dm().Strings()), m_screenJob->FailureText(result));
        if (result.Succeeded()) m_lblSubmitNote->Show(Q(m_ctx.Text("SETTINGS_WRITTEN_MSG")));
        if (focused && focused->isEnabled()) focused->setFocus();
    };
    m_screenJob->Start({Job::SETSTS_WRITE_DATA, "JOB_NAME_WRITE_SETTINGS", written, written});
    if (!keyboardKept && m_ctx.prompts) m_ctx.prompts->ShowError(std::string(), s.Get("USER_SETTING_SAVE_ERROR"));
}

void SettingVC::BeginProgress(int32_t max, bool cancellable) {
    m_piBackupRestore->setMinimum(0);
    m_piBackupRestore->setMaximum(max);
    m_piBackupRestore->setValue(0);
    m_lblNumerator->setText(QStringLiteral("0"));
    m_lblDenominator->setText(QString::number(max));
    m_lblTimeLeft->clear();
    m_lblJobResult->clear();
    m_btnCancelBackup->setVisible(cancellable);
    m_btnCancelBackup->setEnabled(cancellable);
    m_cvProgress->show();
    m_jobClock.start();
    m_nLastShownMs = -1;
}

void SettingVC::EndProgress() {
    m_cvProgress->hide();
    m_piBackupRestore->setValue(0);
    m_lblTimeLeft->clear();
}

void SettingVC::OnProgress(int32_t count, int32_t max) {
    const int32_t value = m_job->ProgressValue();
    const bool last = value >= max;
    const qint64 now = m_jobClock.elapsed();
    if (last || m_nLastShownMs < 0 || now - m_nLastShownMs >= kProgressRedrawMs) {
        m_nLastShownMs = now;
        m_piBackupRestore->setValue(value);
        m_lblNumerator->setText(QString::number(count));
        m_lblTimeLeft->setText(Q(ProgressEstimate::Text(ProgressEstimate::SecondsLeft(count, max, now), Dm().Strings())));
    }
    // The bar has done its work with the last answer: it goes away.
    if (last) EndProgress();
}

void SettingVC::ClickBackup() {
    if (m_ctx.prompts == nullptr) return;
    const std::optional<std::string> path = m_ctx.prompts->ChooseSaveFile(C::BACKUP_FILE_EXTENSION);
    if (!path) {
        m_ctx.Trace("Select file cancel");
        return;
    }
    m_ctx.Trace(*path);
    g_pstrBackupPath = *path;
    m_bCancelBackup = false;
    BlockedControl(true);
    // The file is written only once the whole flash has been read, and
    // replaces an older file of that name only once it is complete.
    if (!m_job->StartBackup(g_pstrBackupPath)) {
        JobNotStarted(Dm().Strings().Get(Dm().pUSBHID().bConnected() ? "JOB_NOT_STARTED_BUSY" : "JOB_NOT_STARTED_NO_DEVICE"));
        return;
    }
    WatchLongJob(Job::SETSTS_BACKUP_FILE, true);
}

void SettingVC::ClickCancelBackup() {
    if (m_screenJob->State() != Job::SETSTS_BACKUP_FILE || m_bCancelBackup) return;
    m_ctx.Trace("Setting : backup cancelled");
    m_bCancelBackup = true;
    m_btnCancelBackup->setEnabled(false);
    // The steps left are dropped; the job ends with the answer in flight
    // and writes no file.
    m_job->CancelBackup();
}

void SettingVC::ClickRestore() {
    if (m_ctx.prompts == nullptr) return;
    const StringTable& s = Dm().Strings();
    const std::optional<std::string> path = m_ctx.prompts->ChooseOpenFile(C::BACKUP_FILE_EXTENSION);
    if (!path) {
        m_ctx.Trace("Select file cancel");
        return;
    }
    m_ctx.Trace(*path);
    g_pstrRestorePath = *path;
    // The file is looked at before the user is asked to let it replace everything.
    uintmax_t size = 0;
    const Job::RestoreFile file = Job::CheckRestoreFile(g_pstrRestorePath, size);
    if (file == Job::RestoreFile::TooShort || file == Job::RestoreFile::Unreadable) {
        m_ctx.Trace("Restoreファイルの確認に失敗");
        m_screenJob->ShowError(file == Job::RestoreFile::TooShort
                                   ? TextTemplate::Fill(s.Get("RESTORE_FILE_SHORT_ERROR"), {g_pstrRestorePath, ByteCount(size)})
                                   : TextTemplate::Fill(s.Get("RESTORE_FILE_READ_ERROR"), {g_pstrRestorePath}));
        return;
    }
    UserPrompts::Question question;
    question.headline = m_ctx.Text("RESTORE_CONFIRM_TITLE");
    question.explanation = TextTemplate::Fill(m_ctx.Text("RESTORE_CONFIRM_MSG"), {g_pstrRestorePath});
    if (file == Job::RestoreFile::Longer) question.explanation += "\n" + TextTemplate::Fill(s.Get("RESTORE_LONGER_NOTE"), {ByteCount(size)});
    question.verb = s.Get("BTN_REPLACE_EVERYTHING");
    question.destructive = true;
    if (!m_screenJob->Ask(question)) return;
    BlockedControl(true);
    if (!m_job->StartRestore(g_pstrRestorePath)) {
        std::string reason;
        if (!Dm().pUSBHID().bConnected()) {
            reason = s.Get("JOB_NOT_STARTED_NO_DEVICE");
        } else if (Dm().pUSBHID().IsJobRunning()) {
            reason = s.Get("JOB_NOT_STARTED_BUSY");
        } else {
            reason = TextTemplate::Fill(s.Get("RESTORE_FILE_READ_ERROR"), {g_pstrRestorePath});
        }
        JobNotStarted(reason);
        return;
    }
    // Only the write chunks that change the erased flash are sent: the
    // maximum depends on the file.
    WatchLongJob(Job::SETSTS_RESTORE_FILE, false);
}

void SettingVC::ClickFormat() {
    if (m_ctx.prompts == nullptr) return;
    const StringTable& s = Dm().Strings();
    if (!m_screenJob->Ask({m_ctx.Text("RESET_CONFIRM_TITLE"), m_ctx.Text("RESET_WARNING_MSG1"), m_ctx.Text("BTN_ERASE_DEVICE"), true})) return;
    // A file has no cable to pull.
    if (!m_ctx.EditsFile()) m_ctx.prompts->Notify(std::string(), s.Get("RESET_WARNING_MSG2") + "\n" + s.Get("RESET_WARNING_MSG3"));
    BlockedControl(true);
    if (!m_job->StartFormat()) {
        JobNotStarted(s.Get(Dm().pUSBHID().bConnected() ? "JOB_NOT_STARTED_BUSY" : "JOB_NOT_STARTED_NO_DEVICE"));
        return;
    }
    WatchLongJob(Job::SETSTS_FORMAT, false);
}

void SettingVC::WatchLongJob(uint8_t mode, bool cancellable) {
    // The job knows its answers once its steps are planned; the first answer
    // is delivered through the event loop, after this.
    BeginProgress(m_job->nProgressMax(), cancellable);
    // The backup job tells how it went: a cancelled backup or a file that
    // could not be written are its own outcomes.
    const ScreenJob::Ended ended = [this, mode](const ComResult&) {
        std::string success;
        const std::string error = FinishLongJob(mode, success);
        ShowJobEnd(success, error);
    };
    m_screenJob->Watch({mode, "", ended, ended});
}

std::string SettingVC::FinishLongJob(uint8_t mode, std::string& success) {
    const StringTable& s = Dm().Strings();
    const Job::Finish finish = m_job->FinishJob();
    switch (mode) {
        case Job::SETSTS_BACKUP_FILE:
            if (finish.outcome == Job::Outcome::Cancelled) {
                success = s.Get("BACKUP_CANCELLED_MSG");
                return {};
            }
            if (finish.outcome == Job::Outcome::JobFailed) {
                return JobMessage::Failure("JOB_NAME_BACKUP", finish.result, s) + "\n" + s.Get("BACKUP_NOT_WRITTEN_MSG");
            }
            if (finish.outcome == Job::Outcome::FileFailed) {
                return TextTemplate::Fill(s.Get("BACKUP_FILE_WRITE_ERROR"), {g_pstrBackupPath, finish.fileError});
            }
            success = TextTemplate::Fill(s.Get("BACKUP_DONE_MSG"), {g_pstrBackupPath});
            return {};
        case Job::SETSTS_RESTORE_FILE:
            if (finish.outcome != Job::Outcome::Ok) {
                return JobMessage::Failure("JOB_NAME_RESTORE", finish.result, s) + "\n" + s.Get("RESTORE_PARTIAL_MSG");
            }
            success = s.Get("RESTORE_DONE_MSG");
            return {};
        case Job::SETSTS_FORMAT:
            if (finish.outcome != Job::Outcome::Ok) return JobMessage::Failure("JOB_NAME_FORMAT", finish.result, s);
            success = s.Get("RESET_DONE_MSG");
            return {};
        default:
            return {};
    }
}

QString SettingVC::LastResultText() const { return m_lblJobResult->text(); }

void SettingVC::ClickClose() {
    m_screenJob->StopTimer();
    accept();
}

void SettingVC::reject() {
    // Escape and the window's close box do nothing while a job runs.
    if (m_screenJob->IsRunning()) return;
    m_screenJob->StopTimer();
    QDialog::reject();
}

}  // namespace kelvadeck
