#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <memory>
#include <string>

#include "screens/ScreenContext.h"
#include "screens/ScreenJob.h"

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace kelvadeck {

class BackupRestoreJob;
class StatusNote;

// The system settings screen: the device-wide settings (LED sleep, dial
// repeat, mode LED off time, dial function LED), the host keyboard layout,
// and backup, restore and factory reset of the whole device with a progress
// bar. Runs as a window-modal dialog over the main screen.
class SettingVC : public QDialog {
    Q_OBJECT
public:
    SettingVC(ScreenContext& context, QWidget* parent = nullptr);
    ~SettingVC() override;

    void InitControl();
    // Shows the model (also RenewUI).
    void InitSetting();
    void RenewUI() { InitSetting(); }
    void BlockedControl(bool block);
    bool IsTimerRunning() const { return m_screenJob->IsTimerRunning(); }

    void ClickLEDOffFlag();
    void ClickSubmit();
    void ClickBackup();
    void ClickRestore();
    void ClickFormat();
    // Stops a running backup; its file is not written.
    void ClickCancelBackup();
    void ClickClose();

    uint8_t bCurrentMode() const { return m_screenJob->State(); }
    // Success text of the last job ("The backup was saved to ...").
    QString LastResultText() const;

protected:
    void reject() override;

private:
    void BuildControls();
    void ShowConnectionState();
    // The screen's part of starting a long job: the progress group.
    void BeginProgress(int32_t max, bool cancellable);
    void EndProgress();
    void OnProgress(int32_t count, int32_t max);
    // Follows a backup, restore or reset the backup job has started.
    void WatchLongJob(uint8_t mode, bool cancellable);
    // After a backup, restore or reset: the file, the decoded image, the
    // user's message. Returns the error to show ("" for none).
    std::string FinishLongJob(uint8_t mode, std::string& success);
    // After every job of the screen: the model shown again, the outcome told.
    void ShowJobEnd(const std::string& success, const std::string& error);
    void JobNotStarted(const std::string& reason);
    DataManager& Dm() const { return *m_ctx.pDM; }

    ScreenContext& m_ctx;
    std::unique_ptr<BackupRestoreJob> m_job;
    ScreenJob* m_screenJob = nullptr;

    std::string g_pstrRestorePath;
    std::string g_pstrBackupPath;
    uint64_t dwTimeCounter = 0;
    bool m_bCancelBackup = false;
    QElapsedTimer m_jobClock;
    qint64 m_nLastShownMs = -1;

    QGroupBox* m_boxAnySetting = nullptr;
    QCheckBox* m_chkSleepOff = nullptr;
    QCheckBox* m_chkEncoderContinue = nullptr;
    QGroupBox* m_boxProfileLED = nullptr;
    QCheckBox* m_chkLEDOffFlag = nullptr;
    QSpinBox* m_stpOffTime = nullptr;
    QLabel* m_lblOffTimeUnit = nullptr;
    QGroupBox* m_boxKeyboard = nullptr;
    QButtonGroup* m_rdoKeyboard = nullptr;
    QGroupBox* m_boxDialFuncLED = nullptr;
    QButtonGroup* m_rdoDialFuncLED = nullptr;
    QGroupBox* m_boxBuckup = nullptr;
    QLabel* m_lblBackupTitle = nullptr;
    QLabel* m_lblFormatTitle = nullptr;
    QPushButton* m_btnRestore = nullptr;
    QPushButton* m_btnBackup = nullptr;
    QPushButton* m_btnFormat = nullptr;
    QFrame* m_cvProgress = nullptr;
    QProgressBar* m_piBackupRestore = nullptr;
    QLabel* m_lblNumerator = nullptr;
    QLabel* m_lblSlash = nullptr;
    QLabel* m_lblDenominator = nullptr;
    QLabel* m_lblTimeLeft = nullptr;
    QPushButton* m_btnCancelBackup = nullptr;
    QLabel* m_lblJobResult = nullptr;
    QPushButton* m_btnSubmit = nullptr;
    StatusNote* m_lblSubmitNote = nullptr;
    QPushButton* m_btnClose = nullptr;
    QPushButton* m_btnHelp = nullptr;
    QLabel* m_lblUSBStatusTitle = nullptr;
    QLabel* m_lblUSBStatus = nullptr;
};

}  // namespace kelvadeck
