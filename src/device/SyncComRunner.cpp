#include "device/SyncComRunner.h"

#include "device/HidDevice.h"
#include "device/USBHidManager.h"

namespace kelvadeck {

ComResult SyncComRunner::Run() {
    m_reads = 0;
    // Every pass either accounts an answer or spends one of the transport's
    // bounded retries, so the loop ends; the job's end is the exit.
    while (Step()) {
    }
    return m_hid.LastResult();
}

bool SyncComRunner::Step() {
    if (!m_hid.IsJobRunning()) return false;
    HidDevice* device = m_hid.Device();
    if (device == nullptr) {
        m_hid.DeviceGone();
        return false;
    }
    const HidDevice::ReadResult r = device->Read(m_hid.CurrentDeadlineMs());
    ++m_reads;
    switch (r.status) {
        case HidDevice::ReadStatus::Report:
            m_hid.PacketReceived(r.report);
            break;
        case HidDevice::ReadStatus::Timeout:
            m_hid.AnswerTimedOut();
            break;
        case HidDevice::ReadStatus::Gone:
            m_hid.DeviceGone();
            break;
    }
    return true;
}

}  // namespace kelvadeck
