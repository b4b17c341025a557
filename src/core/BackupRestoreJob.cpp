#include "core/BackupRestoreJob.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "model/FlashControl.h"

namespace kelvadeck {

namespace {

using FC = FlashControl;

}  // namespace

BackupRestoreJob::BackupRestoreJob(DataManager& dm, Logger logger) : m_dm(dm), m_logger(std::move(logger)) {}

bool BackupRestoreJob::CanStart() {
    m_lastError.clear();
    USBHidManager& hid = m_dm.pUSBHID();
    if (!hid.bConnected()) {
        m_lastError = "no Kelvadeck is connected";
        return false;
    }
    if (hid.IsJobRunning() || m_bCurrentMode != SETSTS_NONE) {
        m_lastError = "another job is still running";
        return false;
    }
    return true;
}

bool BackupRestoreJob::Begin(uint8_t mode) {
    m_nProgressCount = 0;
    // Every answer of these jobs moves the bar (reads into the whole image,
    // writes, erases), so the bar's end is the number of answers planned.
    m_nProgressMax = static_cast<int32_t>(std::min<int64_t>(m_dm.pComQue().PlannedAnswers(), INT32_MAX));
    m_nBarValue = 0;
    m_bProgressVisible = true;
    USBHidManager& hid = m_dm.pUSBHID();
    hid.SetRefSettingVC(this);
    m_bCurrentMode = mode;
    if (!hid.StartCom()) {
        // Either nothing could be sent (the job ended at once, aborted) or
        // the device vanished before the first report.
        hid.SetRefSettingVC(nullptr);
        if (!hid.IsJobRunning() && hid.CurrentResult().bAborted) return true;  // FinishJob reports it
        m_dm.pComQue().Reset();
        m_bCurrentMode = SETSTS_NONE;
        m_bProgressVisible = false;
        m_lastError = "the job could not be started: no Kelvadeck is connected";
        return false;
    }
    return true;
}

bool BackupRestoreJob::StartBackup(const std::string& path) {
    if (!CanStart()) return false;
    m_logger.Debug(path);
    m_backupPath = path;
    m_bCancelled = false;
    m_dm.pComQue().SetAllReadSectorComQue();
    return Begin(SETSTS_BACKUP_FILE);
}

BackupRestoreJob::RestoreFile BackupRestoreJob::CheckRestoreFile(const std::string& path, uintmax_t& size) {
    std::error_code ec;
    size = std::filesystem::file_size(path, ec);
    if (ec || !std::ifstream(path, std::ios::binary)) return RestoreFile::Unreadable;
    if (size < FC::FM_TOTAL_SIZE) return RestoreFile::TooShort;
    return size == FC::FM_TOTAL_SIZE ? RestoreFile::Backup : RestoreFile::Longer;
}

bool BackupRestoreJob::StartRestore(const std::string& path) {
    if (!CanStart()) return false;
    m_logger.Debug(path);
    m_restorePath = path;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        m_logger.Warning("Restoreファイルの確認に失敗");
        m_lastError = "cannot restore: " + path + " does not exist";
        return false;
    }
    m_dm.ClearIOmemory();
    if (!m_dm.ReadFile(path, m_dm.WholeImage(), FC::FM_TOTAL_SIZE)) {
        m_logger.Warning("Restoreファイルの確認に失敗");
        m_dm.ClearIOmemory();
        m_lastError = "cannot restore: " + path + " is not a backup file (it must hold " +
                      std::to_string(FC::FM_TOTAL_SIZE) + " bytes)";
        return false;
    }
    ComQue& que = m_dm.pComQue();
    que.SetFormatComQue();
    que.SetAllWriteSectorComQue();
    return Begin(SETSTS_RESTORE_FILE);
}

bool BackupRestoreJob::StartFormat() {
    if (!CanStart()) return false;
    m_dm.pComQue().SetFormatComQue();
    return Begin(SETSTS_FORMAT);
}

void BackupRestoreJob::CancelBackup() {
    if (m_bCurrentMode != SETSTS_BACKUP_FILE) return;
    m_bCancelled = true;
    m_dm.pComQue().Reset();
}

void BackupRestoreJob::UpdateProgressBar() {
    if (m_nBarValue + 1 < m_nProgressMax) {
        ++m_nBarValue;
    } else {
        m_nBarValue = m_nProgressMax;
    }
    if (m_nProgressCount >= m_nProgressMax) m_logger.Debug("alredy finish progressbar!");
    ++m_nProgressCount;
    char line[96];
    std::snprintf(line, sizeof line, "現在の値 : %f / %d", static_cast<double>(m_nBarValue), m_nProgressMax);
    m_logger.Debug(line);
    if (m_progressFn) m_progressFn(m_nProgressCount, m_nProgressMax);
    if (m_nBarValue == m_nProgressMax) {
        m_nProgressCount = 0;
        m_nProgressMax = 0;
        m_nBarValue = 0;
        m_bProgressVisible = false;
    }
}

BackupRestoreJob::Finish BackupRestoreJob::FinishJob() {
    Finish f;
    f.result = m_dm.pUSBHID().LastResult();
    const uint8_t mode = m_bCurrentMode;
    m_bCurrentMode = SETSTS_NONE;
    m_bProgressVisible = false;
    m_nProgressCount = m_nProgressMax = m_nBarValue = 0;
    const bool ok = f.result.Succeeded();
    f.outcome = ok ? Outcome::Ok : Outcome::JobFailed;
    switch (mode) {
        case SETSTS_WRITE_DATA:
            m_logger.Write("SETSTS_WRITE_DATA Finish!");
            if (!ok) f.message = "writing the settings failed: " + f.result.Describe();
            break;
        case SETSTS_RESTORE_FILE:
            m_logger.Write("SETSTS_RESTORE_FILE Finish!");
            // The model shows the image that was meant to be written, but a
            // sector the device did not take holds something else there: it
            // counts as unread, so nothing is built on it before it is read.
            m_dm.RenewMemBuf();
            for (int sector : f.result.arFailedSectors) m_dm.SetSectorReadFlag(sector, false);
            if (!ok) f.message = "restore failed, the device may hold a partial image: " + f.result.Describe();
            break;
        case SETSTS_BACKUP_FILE:
            m_logger.Write("SETSTS_BACKUP_FILE Finish!");
            if (m_bCancelled) {
                f.outcome = Outcome::Cancelled;
                f.message = "backup cancelled, no file was written";
            } else if (!ok) {
                // A file with unread parts would restore as a damaged device.
                f.message = "backup failed, no file was written: " + f.result.Describe();
            } else if (!m_dm.SaveFile(m_backupPath, m_dm.WholeImage(), FC::FM_TOTAL_SIZE, f.fileError)) {
                f.outcome = Outcome::FileFailed;
                f.message = "cannot write the backup file " + m_backupPath + ": " + f.fileError;
            }
            break;
        case SETSTS_FORMAT: {
            m_logger.Write("SETSTS_FORMAT Finish!");
            // The firmware is not in the flash: the version the device told
            // on its arrival still holds for the erased device.
            const std::optional<std::string> firmware = m_dm.g_pSSI.strFirmwareVer;
            m_dm.ResetMember(true);
            m_dm.g_pSSI.strFirmwareVer = firmware;
            m_dm.RenewMemBuf();
            if (!ok) f.message = "factory reset failed, the device may be partly erased: " + f.result.Describe();
            break;
        }
        default:
            f.outcome = Outcome::NothingToFinish;
            break;
    }
    return f;
}

}  // namespace kelvadeck
