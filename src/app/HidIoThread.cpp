#include "app/HidIoThread.h"

#include <QThread>
#include <chrono>

namespace kelvadeck {

namespace {

// One blocking read waits at most this long right after a write, when its
// answer is due; a read cannot be cut short, so a stop request or a queued
// resend is seen only when it returns.
constexpr int kReadSliceMs = 50;
// Answers still due without a fresh write (late ones, or lost ones the
// transport has given up on) are looked for in short slices, so that the next
// request, queued meanwhile, goes out at once and not a slice later.
constexpr int kLateReadSliceMs = 5;
// An answer that has not come after this long is not waited for any more
// (the transport gave up on it long before and resent or failed the step).
constexpr auto kForgetAnswerAfter = std::chrono::seconds(10);
// Reports read and not yet taken by the main thread are kept up to this
// many, as the host's HID driver does.
constexpr size_t kInboxLimit = 256;

}  // namespace

HidIoThread::HidIoThread(std::unique_ptr<HidDevice> device) : m_device(std::move(device)) {
    m_thread.reset(QThread::create([this] { Run(); }));
    m_thread->setObjectName(QStringLiteral("HID I/O"));
    m_thread->start();
}

HidIoThread::~HidIoThread() {
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    m_thread->wait();
}

bool HidIoThread::QueueWrite(const Report& report) {
    {
        std::lock_guard lock(m_mutex);
        if (m_bGone) return false;
        m_outbox.push_back(report);
    }
    m_wake.notify_all();
    return true;
}

bool HidIoThread::TakeInput(Report& report) {
    std::lock_guard lock(m_mutex);
    if (m_inbox.empty()) return false;
    report = m_inbox.front();
    m_inbox.pop_front();
    return true;
}

bool HidIoThread::WaitInput(Report& report, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (timeoutMs > 0) {
        m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_inbox.empty() || m_bGone; });
    }
    if (m_inbox.empty()) return false;
    report = m_inbox.front();
    m_inbox.pop_front();
    return true;
}

bool HidIoThread::IsGone() const {
    std::lock_guard lock(m_mutex);
    return m_bGone;
}

void HidIoThread::MarkGone() {
    {
        std::lock_guard lock(m_mutex);
        m_bGone = true;
        m_outbox.clear();
    }
    m_arrived.notify_all();
    emit deviceGone();
}

void HidIoThread::Run() {
    auto lastWrite = std::chrono::steady_clock::now();
    for (;;) {
        std::deque<Report> writes;
        bool wrote = false;
        {
            std::unique_lock lock(m_mutex);
            // Idle: nothing to send and no answer due. The device is not read
            // then; its removal is found by enumeration.
            m_wake.wait(lock, [this] { return m_bStop || !m_outbox.empty() || m_nAnswersDue > 0; });
            if (m_bStop) break;
            writes.swap(m_outbox);
        }
        for (const Report& r : writes) {
            if (!m_device->Write(r)) {
                MarkGone();
                m_device.reset();
                return;
            }
            lastWrite = std::chrono::steady_clock::now();
            wrote = true;
            std::lock_guard lock(m_mutex);
            ++m_nAnswersDue;
        }
        const HidDevice::ReadResult result = m_device->Read(wrote ? kReadSliceMs : kLateReadSliceMs);
        switch (result.status) {
            case HidDevice::ReadStatus::Report: {
                {
                    std::lock_guard lock(m_mutex);
                    if (m_inbox.size() >= kInboxLimit) m_inbox.pop_front();
                    m_inbox.push_back(result.report);
                    if (m_nAnswersDue > 0) --m_nAnswersDue;
                }
                m_arrived.notify_all();
                emit inputArrived();
                break;
            }
            case HidDevice::ReadStatus::Gone:
                MarkGone();
                m_device.reset();
                return;
            case HidDevice::ReadStatus::Timeout:
                if (std::chrono::steady_clock::now() - lastWrite > kForgetAnswerAfter) {
                    std::lock_guard lock(m_mutex);
                    m_nAnswersDue = 0;
                }
                break;
        }
    }
    // Closed on the thread that used it.
    m_device.reset();
}

}  // namespace kelvadeck
