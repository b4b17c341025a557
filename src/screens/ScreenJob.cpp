#include "screens/ScreenJob.h"

#include <QDialog>
#include <QTimer>

#include "core/DataManager.h"
#include "device/ComQue.h"
#include "device/USBHidManager.h"
#include "screenlogic/JobMessage.h"
#include "screens/DeviceEvents.h"
#include "screens/UserPrompts.h"

namespace kelvadeck {

namespace {

// While a job runs the screen follows it closely (progress, the settings
// shown as soon as they are read); otherwise it has little to look at: the
// device's changes come as events, and the timer is only a safety net (and
// the slow search for a device where the system announces none).
constexpr int kTimerMs = 200;
constexpr int kIdleTimerMs = 1000;

}  // namespace

ScreenJob::ScreenJob(ScreenContext& context, Traces traces, QObject* parent)
    : QObject(parent), m_ctx(context), m_traces(std::move(traces)) {
    m_Timer = new QTimer(this);
    m_Timer->setInterval(kTimerMs);
    connect(m_Timer, &QTimer::timeout, this, &ScreenJob::Tick);
    if (m_ctx.deviceEvents != nullptr) {
        connect(m_ctx.deviceEvents, &DeviceEvents::changed, this, [this] {
            if (m_Timer->isActive()) Tick();
        });
    }
}

void ScreenJob::Trace(const std::string& line) const {
    if (!line.empty()) m_ctx.Trace(line);
}

void ScreenJob::StartTimer() {
    Trace(m_traces.timerStarted);
    const bool running = m_ctx.pDM != nullptr && m_ctx.pDM->pUSBHID().IsJobRunning();
    m_Timer->start(running ? kTimerMs : kIdleTimerMs);
}

void ScreenJob::StopTimer() {
    Trace(m_traces.timerStopped);
    m_Timer->stop();
}

bool ScreenJob::IsTimerRunning() const { return m_Timer->isActive(); }

void ScreenJob::PauseWhile(QDialog* screen) {
    StopTimer();
    connect(screen, &QDialog::finished, this, [this] {
        StartTimer();
        emit resumed();
    });
}

ScreenJob::Ended ScreenJob::Closing(QDialog* screen) {
    return [this, screen](const ComResult&) {
        StopTimer();
        screen->accept();
    };
}

bool ScreenJob::Confirm(const std::string& question) const {
    return Ask({std::string(), question, m_ctx.Strings().Get("BTN_WRITE"), false});
}

bool ScreenJob::Ask(const UserPrompts::Question& question) const {
    const bool ok = m_ctx.prompts && m_ctx.prompts->Ask(question);
    Trace(ok ? "Alert result OK" : "Alert result Cancel");
    return ok;
}

UserPrompts::SaveChoice ScreenJob::AskBeforeDiscarding(bool edited) const {
    if (!edited) return UserPrompts::SaveChoice::Discard;
    if (!m_ctx.prompts) return UserPrompts::SaveChoice::Cancel;
    const StringTable& s = m_ctx.Strings();
    return m_ctx.prompts->AskSaveChanges(s.Get("EDITS_UNSAVED_TITLE"), s.Get("EDITS_UNSAVED_MSG"));
}

void ScreenJob::Leave(bool edited, const std::function<void()>& save, const std::function<void()>& discard) const {
    switch (AskBeforeDiscarding(edited)) {
        case UserPrompts::SaveChoice::Save: save(); break;
        case UserPrompts::SaveChoice::Discard: discard(); break;
        case UserPrompts::SaveChoice::Cancel: break;
    }
}

bool ScreenJob::Start(Job job) {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr) return false;
    if (!dm->pUSBHID().StartCom()) {
        dm->pComQue().Reset();
        Refuse(dm->Strings().Get("JOB_NOT_STARTED_NO_DEVICE"));
        return false;
    }
    Watch(std::move(job));
    return true;
}

void ScreenJob::Watch(Job job) {
    m_job = std::move(job);
    if (m_job.blocking) emit blockingChanged(true);
}

void ScreenJob::Refuse(const std::string& reason) {
    Forget();
    emit blockingChanged(!Usable());
    if (!reason.empty()) ShowError(reason);
}

bool ScreenJob::Usable() const {
    const DataManager* dm = m_ctx.pDM;
    return dm != nullptr && dm->pUSBHID().bConnected() && dm->bDataInitialize();
}

std::string ScreenJob::FailureText(const ComResult& result) const {
    return JobMessage::Failure(m_strEndedKey, result, m_ctx.Strings());
}

void ScreenJob::ShowFailure(const ComResult& result) const { ShowError(FailureText(result)); }

void ScreenJob::ShowError(const std::string& text) const {
    if (m_ctx.prompts) m_ctx.prompts->ShowError(std::string(), text);
}

void ScreenJob::Tick() {
    DataManager* dm = m_ctx.pDM;
    if (dm == nullptr || m_bInUpdate) return;
    m_bInUpdate = true;
    USBHidManager& hid = dm->pUSBHID();
    if (hid.bUSBStatusUpdate()) {
        Trace(m_traces.connection);
        hid.SetUSBDetectUpdate(false);
        if (!hid.bConnected()) {
            emit blockingChanged(true);
        } else if (Usable() && !IsRunning()) {
            emit blockingChanged(false);
        }
        emit connectionChanged(hid.bConnected());
    }
    emit ticked();
    const bool ended = dm->bDataUpdate();
    if (ended) {
        std::string line = m_traces.dataUpdate;
        if (m_traces.stateInDataUpdate) line += "(" + std::to_string(m_job.state) + ")";
        Trace(line);
        dm->SetDataUpdate(false);
        if (!dm->bDataInitialize()) {
            dm->DataInitializeFromMemory();
            emit decoded();
        }
    }
    m_bInUpdate = false;
    // What follows may start the next job, which begins with a fresh result,
    // or ask the user something while the timer keeps running.
    if (ended) EndJob(ComResult(hid.LastResult()));
    const int interval = hid.IsJobRunning() ? kTimerMs : kIdleTimerMs;
    if (m_Timer->interval() != interval) m_Timer->setInterval(interval);
}

void ScreenJob::EndJob(const ComResult& result) {
    const Job job = std::move(m_job);
    m_job = Job{};
    m_strEndedKey = job.nameKey;
    emit blockingChanged(!Usable());
    if (job.state == IDLE) {
        emit otherJobEnded(result);
    } else if (result.Succeeded()) {
        if (job.succeeded) job.succeeded(result);
    } else if (job.failed) {
        job.failed(result);
    } else {
        ShowFailure(result);
    }
}

}  // namespace kelvadeck
