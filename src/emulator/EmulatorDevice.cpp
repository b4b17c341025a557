#include "emulator/EmulatorDevice.h"

#include <chrono>

namespace kelvadeck {

EmulatorDevice::EmulatorDevice(EmulatedKelvadeck& device, uint64_t connection, bool answersReports)
    : m_device(device), m_connection(connection), m_answersReports(answersReports) {}

bool EmulatorDevice::Write(const Report& report) {
    if (!m_answersReports) return m_device.IgnoreWrite(m_connection);
    EmulatedKelvadeck::ExchangeResult result = m_device.Exchange(m_connection, report);
    if (!result.delivered) return false;
    if (result.answer) {
        {
            std::lock_guard lock(m_mutex);
            if (m_pending.size() >= PENDING_LIMIT) m_pending.pop_front();
            m_pending.push_back(*result.answer);
        }
        m_answerArrived.notify_one();
    }
    return true;
}

HidDevice::ReadResult EmulatorDevice::Read(int timeoutMs) {
    ReadResult result;
    if (!m_device.IsConnected(m_connection)) {
        result.status = ReadStatus::Gone;
        return result;
    }
    std::unique_lock lock(m_mutex);
    const bool waitsForReal = m_device.Knobs().readsWaitForAnswer;
    if (m_pending.empty() && timeoutMs > 0 && waitsForReal) {
        m_answerArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_pending.empty(); });
        if (!m_device.IsConnected(m_connection)) {
            result.status = ReadStatus::Gone;
            return result;
        }
    }
    if (m_pending.empty()) {
        if (timeoutMs > 0 && !waitsForReal) m_device.HostWaited(static_cast<uint64_t>(timeoutMs) * 1000);
        result.status = ReadStatus::Timeout;
        return result;
    }
    result.status = ReadStatus::Report;
    result.report = m_pending.front();
    m_pending.pop_front();
    return result;
}

size_t EmulatorDevice::PendingAnswers() const {
    std::lock_guard lock(m_mutex);
    return m_pending.size();
}

}  // namespace kelvadeck
