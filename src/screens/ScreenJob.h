#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "device/ComResult.h"
#include "screens/ScreenContext.h"
#include "screens/UserPrompts.h"

class QDialog;
class QTimer;

namespace kelvadeck {

// The device jobs of one screen, from the confirmation to their end. While
// the screen is in front, a repeating 0.2-second timer watches the flags the
// transport and the data manager raise: a changed connection blocks the
// screen's controls (or frees them again), and the end of a job decodes the
// image if that has not happened, frees the controls and runs what the
// screen said should follow: its own continuation on success (close, go on
// with the next job), the failure in words with its cause and fix otherwise.
//
// The screen owns it as its Qt parent, connects blockingChanged to its
// BlockedControl and keeps only its own part: what a job queues, and what
// follows its end.
class ScreenJob : public QObject {
    Q_OBJECT
public:
    // The state of a screen with no job of its own running.
    static constexpr uint8_t IDLE = 0;

    using Ended = std::function<void(const ComResult& result)>;

    // A job of the screen.
    struct Job {
        Job() = default;
        Job(uint8_t state, std::string nameKey, Ended succeeded, Ended failed = {}, bool blocking = true)
            : state(state), nameKey(std::move(nameKey)), succeeded(std::move(succeeded)), failed(std::move(failed)),
              blocking(blocking) {}

        uint8_t state = IDLE;  // the screen's own number for it, not IDLE
        std::string nameKey;   // "JOB_NAME_..." in messages
        Ended succeeded;       // what follows its success (may be empty)
        // What follows a failure instead of the failure message (may be empty).
        Ended failed;
        bool blocking = true;  // the controls stay blocked while it runs
    };

    // The screen's trace lines (empty: none).
    struct Traces {
        std::string timerStarted;
        std::string timerStopped;
        std::string connection;  // the connection flag was seen
        std::string dataUpdate;  // the end of a job was seen
        bool stateInDataUpdate = false;  // "(state)" follows dataUpdate
    };

    ScreenJob(ScreenContext& context, Traces traces, QObject* parent);

    void StartTimer();
    void StopTimer();
    bool IsTimerRunning() const;
    // The timer rests while a screen opened from this one is in front, and
    // runs again, with resumed, once that screen is finished.
    void PauseWhile(QDialog* screen);

    // What an editing screen does when its write went through: it closes.
    Ended Closing(QDialog* screen);

    // The question before a write ("Write ... to the device?"), answered
    // with "Write" or "Cancel": true for Write.
    bool Confirm(const std::string& question) const;
    // Before an editing screen closes with edits not yet written: Save (the
    // screen writes them, without asking again), Discard or Cancel. Nothing is
    // asked, Discard is answered, when there are no edits.
    UserPrompts::SaveChoice AskBeforeDiscarding(bool edited) const;
    // Escape, Close or the close box of an editing screen: after the question
    // about its edits, save or discard runs, or (Cancel) nothing does.
    void Leave(bool edited, const std::function<void()>& save, const std::function<void()>& discard) const;
    // Any other question before a change; true to go ahead.
    bool Ask(const UserPrompts::Question& question) const;
    // Starts the steps the screen has queued as its job. When they cannot
    // start, the queue is emptied, the user is told that there is no device
    // and the controls are freed as far as the device allows.
    bool Start(Job job);
    // Follows a job that has been started already (by a form, the backup job
    // or the history), with the controls blocked when the job blocks.
    void Watch(Job job);
    // The job followed is dropped: its end passes as another's.
    void Forget() { m_job = Job{}; }
    // Nothing was started: the user is told why (unless reason is empty), the
    // controls are freed as far as the device allows.
    void Refuse(const std::string& reason);

    uint8_t State() const { return m_job.state; }
    bool IsRunning() const { return m_job.state != IDLE; }
    // The device is there and its settings are decoded: the controls may be used.
    bool Usable() const;
    // Why the job that ended last failed ("" when it succeeded), and the
    // same shown to the user.
    std::string FailureText(const ComResult& result) const;
    void ShowFailure(const ComResult& result) const;
    void ShowError(const std::string& text) const;

signals:
    void blockingChanged(bool block);
    void connectionChanged(bool connected);
    // Every tick, after the connection and before the end of a job is looked at.
    void ticked();
    // The image was decoded at the end of a job.
    void decoded();
    // A job the screen did not follow (the boot read, another screen's) ended.
    void otherJobEnded(const ComResult& result);
    // The timer runs again after a pause.
    void resumed();

private:
    void Tick();
    void EndJob(const ComResult& result);
    void Trace(const std::string& line) const;

    ScreenContext& m_ctx;
    Traces m_traces;
    QTimer* m_Timer = nullptr;
    bool m_bInUpdate = false;
    Job m_job;
    // The name of the job that ended last, for its failure text.
    std::string m_strEndedKey;
};

}  // namespace kelvadeck
