#include "app/QueuedHidDevice.h"

namespace kelvadeck {

QueuedHidDevice::QueuedHidDevice(std::unique_ptr<HidDevice> device, uint64_t serial, std::function<void()> onWrite)
    : m_io(std::move(device)), m_serial(serial), m_onWrite(std::move(onWrite)) {}

bool QueuedHidDevice::Write(const Report& report) {
    if (!m_io.QueueWrite(report)) return false;
    if (m_onWrite) m_onWrite();
    return true;
}

HidDevice::ReadResult QueuedHidDevice::Read(int timeoutMs) {
    ReadResult result;
    if (m_io.WaitInput(result.report, timeoutMs)) {
        result.status = ReadStatus::Report;
    } else {
        result.status = m_io.IsGone() ? ReadStatus::Gone : ReadStatus::Timeout;
    }
    return result;
}

}  // namespace kelvadeck
