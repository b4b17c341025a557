#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "device/HidDevice.h"

class QThread;

namespace kelvadeck {

// Owns one opened HID device and does all its I/O on a thread of its own, as
// hidapi wants it (a device handle is not safe to use from two threads).
// Reports to write are queued here from the main thread; the I/O thread
// writes them, then blocks in the device's read (with a timeout) while an
// answer is due, and keeps what it reads for the main thread, which it wakes
// with inputArrived(). A failed write or read is reported once with
// deviceGone(). Signals are emitted on the I/O thread; connect them queued.
class HidIoThread : public QObject {
    Q_OBJECT
public:
    using Report = HidDevice::Report;

    explicit HidIoThread(std::unique_ptr<HidDevice> device);
    // Stops the thread (within one read slice) and closes the device on it.
    ~HidIoThread() override;

    // Any thread. False once the device is gone.
    bool QueueWrite(const Report& report);
    // Any thread: the oldest report read and not yet taken.
    bool TakeInput(Report& report);
    // Waits up to timeoutMs for a report (0: does not wait).
    bool WaitInput(Report& report, int timeoutMs);
    bool IsGone() const;

signals:
    void inputArrived();
    void deviceGone();

private:
    void Run();
    void MarkGone();

    std::unique_ptr<HidDevice> m_device;
    std::unique_ptr<QThread> m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;      // I/O thread: a write is queued, or stop
    std::condition_variable m_arrived;   // readers: a report is in the inbox
    std::deque<Report> m_outbox;
    std::deque<Report> m_inbox;
    int m_nAnswersDue = 0;
    bool m_bStop = false;
    bool m_bGone = false;
};

}  // namespace kelvadeck
