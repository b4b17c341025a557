#include "app/HidPump.h"

#include <QTimer>

#include "app/QueuedHidDevice.h"
#include "app/UdevMonitor.h"
#include "screens/DeviceEvents.h"
#include "device/USBHidManager.h"

namespace kelvadeck {

namespace {
constexpr int kPresencePollMs = 1000;
}

HidPump::HidPump(bool hotplug, QObject* parent) : QObject(parent) {
    if (hotplug) {
        m_udev = new UdevMonitor(this);
        connect(m_udev, &UdevMonitor::hidrawChanged, this, &HidPump::OnHotplug);
    }
    m_deadline = new QTimer(this);
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &HidPump::OnDeadline);
    m_poll = new QTimer(this);
    m_poll->setInterval(kPresencePollMs);
    connect(m_poll, &QTimer::timeout, this, &HidPump::OnPoll);
}

HidPump::~HidPump() = default;

bool HidPump::HotplugEvents() const { return m_udev != nullptr && m_udev->IsActive(); }

void HidPump::SetTransport(USBHidManager* hid) {
    m_hid = hid;
    m_deadline->stop();
    // A new transport (an opened backup, the device again) counts its jobs
    // from zero: what the screens saw of the old one says nothing of it.
    m_jobsSeen = hid ? hid->JobsEnded() : 0;
    m_connectedSeen = hid && hid->bConnected();
    if (m_events) m_events->Notify();
    if (hid && !HotplugEvents()) {
        m_poll->start();
    } else {
        m_poll->stop();
    }
}

void HidPump::Attach(QueuedHidDevice& device) {
    const uint64_t serial = device.Serial();
    connect(&device.Io(), &HidIoThread::inputArrived, this, [this, serial] { OnInput(serial); }, Qt::QueuedConnection);
    connect(&device.Io(), &HidIoThread::deviceGone, this, [this, serial] { OnGone(serial); }, Qt::QueuedConnection);
}

QueuedHidDevice* HidPump::Current() const {
    if (m_hid == nullptr) return nullptr;
    return dynamic_cast<QueuedHidDevice*>(m_hid->Device());
}

void HidPump::ArmDeadline() {
    if (m_hid) m_deadline->start(m_hid->CurrentDeadlineMs());
}

void HidPump::AfterDelivery() {
    if (m_hid == nullptr || !m_hid->IsJobRunning()) {
        m_deadline->stop();
    } else if (!m_deadline->isActive()) {
        m_deadline->start(m_hid->CurrentDeadlineMs());
    }
    NotifyIfChanged();
}

void HidPump::NotifyIfChanged() {
    if (m_hid == nullptr || m_events == nullptr) return;
    const bool changed = m_hid->JobsEnded() != m_jobsSeen || m_hid->bConnected() != m_connectedSeen;
    m_jobsSeen = m_hid->JobsEnded();
    m_connectedSeen = m_hid->bConnected();
    if (changed) m_events->Notify();
}

void HidPump::OnInput(uint64_t serial) {
    HidDevice::Report report{};
    // Every report read so far, in order; each may end the device (a write
    // error), so the device is looked up again before each one.
    for (;;) {
        QueuedHidDevice* device = Current();
        if (device == nullptr || device->Serial() != serial) break;
        if (!device->Io().TakeInput(report)) break;
        m_deadline->stop();
        m_hid->PacketReceived(report);
    }
    AfterDelivery();
}

void HidPump::OnGone(uint64_t serial) {
    QueuedHidDevice* device = Current();
    if (device == nullptr || device->Serial() != serial) return;
    m_hid->DeviceGone();
    AfterDelivery();
}

void HidPump::OnDeadline() {
    if (m_hid == nullptr || !m_hid->IsJobRunning()) return;
    // Answers already read but not yet delivered are not late.
    if (QueuedHidDevice* device = Current()) {
        HidDevice::Report report{};
        if (device->Io().TakeInput(report)) {
            m_hid->PacketReceived(report);
            OnInput(device->Serial());
            return;
        }
    }
    m_hid->AnswerTimedOut();
    AfterDelivery();
}

void HidPump::OnPoll() {
    if (m_hid && m_hid->bConnected()) m_hid->PollDevices();
    NotifyIfChanged();
}

void HidPump::OnHotplug() {
    if (m_hid == nullptr) return;
    // Something came or went: whether it is ours the transport finds out by
    // enumerating (a new device is opened and read, a missing one let go).
    if (m_hid->bConnected()) {
        m_hid->PollDevices();
    } else {
        m_hid->DeviceDetected();
    }
    AfterDelivery();
}

}  // namespace kelvadeck
