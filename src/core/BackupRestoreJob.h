#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/Logger.h"
#include "device/ComResult.h"
#include "device/ProgressReceiver.h"

namespace kelvadeck {

class DataManager;

// Backup of the whole flash into a file, restore of such a file, and the
// factory reset, as device jobs: starts the job, counts its answers for a
// progress bar and, once the transport has ended the job (bDataUpdate),
// finishes it: writes the backup file, decodes the restored image, or
// rebuilds the default model from an erased image. The screens (and the CLI)
// show the dialogs and the bar; every decision about the data is made here.
class BackupRestoreJob : public ProgressReceiver {
public:
    // Which job is running (the system settings screen's bCurrentMode).
    static constexpr uint8_t SETSTS_NONE = 0;
    static constexpr uint8_t SETSTS_WRITE_DATA = 1;
    static constexpr uint8_t SETSTS_RESTORE_FILE = 2;
    static constexpr uint8_t SETSTS_BACKUP_FILE = 3;
    static constexpr uint8_t SETSTS_FORMAT = 4;

    enum class Outcome {
        Ok,
        NotStarted,   // the job could not start: no device, another job running, bad file
        JobFailed,    // steps failed or the job was aborted
        FileFailed,   // the backup file could not be written
        Cancelled,    // the backup was cancelled: no file was written
        NothingToFinish,
    };

    struct Finish {
        Outcome outcome = Outcome::NothingToFinish;
        std::string message;    // one line for the user; empty on success
        std::string fileError;  // FileFailed: why, in the system's words
        ComResult result;
    };

    // answers seen so far, answers the job will produce
    using ProgressFn = std::function<void(int32_t count, int32_t max)>;

    explicit BackupRestoreJob(DataManager& dm, Logger logger = {});

    void SetProgressCallback(ProgressFn fn) { m_progressFn = std::move(fn); }

    // What a restore makes of a file, known before anything is asked or sent.
    enum class RestoreFile {
        Backup,      // exactly the flash's size
        Longer,      // larger: its first FM_TOTAL_SIZE bytes are written
        TooShort,    // smaller than the flash: not a backup
        Unreadable,  // missing or not readable
    };
    static RestoreFile CheckRestoreFile(const std::string& path, uintmax_t& size);

    // Each returns false (nothing queued, device untouched) when the job cannot
    // start; LastError() says why.
    [[nodiscard]] bool StartBackup(const std::string& path);
    [[nodiscard]] bool StartRestore(const std::string& path);
    [[nodiscard]] bool StartFormat();
    // Drops the steps left of a running backup: the job ends with the answer
    // in flight, and its file is not written.
    void CancelBackup();
    const std::string& LastError() const { return m_lastError; }

    // Once per accounted answer while the job runs.
    void UpdateProgressBar() override;

    // The end-of-job handling, to be called when the job has ended (the
    // transport raised bDataUpdate). Returns what the user should be told.
    Finish FinishJob();

    uint8_t bCurrentMode() const { return m_bCurrentMode; }
    // The answers the running job will produce, planned from its queued steps
    // when it started: a backup reads the whole flash (33,826 answers), a
    // factory reset erases 32 sectors, a restore erases them and sends only
    // the write chunks that hold bytes other than 0xFF, so its maximum depends
    // on the file. The bar reaches it with the job's last answer.
    int32_t nProgressMax() const { return m_nProgressMax; }
    int32_t nProgressCount() const { return m_nProgressCount; }
    int32_t ProgressValue() const { return m_nBarValue; }
    bool ProgressVisible() const { return m_bProgressVisible; }

private:
    bool CanStart();
    bool Begin(uint8_t mode);

    DataManager& m_dm;
    Logger m_logger;
    ProgressFn m_progressFn;
    std::string m_lastError;
    std::string m_backupPath;
    std::string m_restorePath;
    uint8_t m_bCurrentMode = SETSTS_NONE;
    bool m_bCancelled = false;
    int32_t m_nProgressMax = 0;
    int32_t m_nProgressCount = 0;
    int32_t m_nBarValue = 0;
    bool m_bProgressVisible = false;
};

}  // namespace kelvadeck
