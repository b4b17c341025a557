#pragma once

#include <QObject>
#include <cstdint>

class QTimer;

namespace kelvadeck {

class DeviceEvents;
class QueuedHidDevice;
class UdevMonitor;
class USBHidManager;

// Delivers the device's input to the transport on the Qt main thread: each
// report the I/O thread has read goes to PacketReceived, a request whose
// answer does not come within the transport's deadline to AnswerTimedOut,
// and a read or write error to DeviceGone. It also follows arrivals and
// removals, as hidapi tells nothing of them: from udev where the system has
// it (hotplug), else by enumerating once a second while the device is
// connected (the main screen looks for an absent one). Whatever changed the
// transport's state is told to the screens (DeviceEvents).
class HidPump : public QObject {
    Q_OBJECT
public:
    // hotplug: learn of arrivals and removals from udev, when it is there
    // (false for an emulated device, which udev knows nothing of).
    explicit HidPump(bool hotplug, QObject* parent = nullptr);
    ~HidPump() override;

    // Arrivals and removals come from the system: nobody need look for the device.
    bool HotplugEvents() const;
    // Where the changes of the transport's state are told.
    void SetEvents(DeviceEvents* events) { m_events = events; }
    // The transport to deliver to; null while there is none.
    void SetTransport(USBHidManager* hid);
    // Connects a newly opened device's I/O thread.
    void Attach(QueuedHidDevice& device);
    // A request was just sent: wait the transport's deadline for its answer.
    void ArmDeadline();

private:
    QueuedHidDevice* Current() const;
    void OnInput(uint64_t serial);
    void OnGone(uint64_t serial);
    void OnDeadline();
    void OnPoll();
    void OnHotplug();
    void AfterDelivery();
    void NotifyIfChanged();

    USBHidManager* m_hid = nullptr;
    QTimer* m_deadline = nullptr;
    QTimer* m_poll = nullptr;
    UdevMonitor* m_udev = nullptr;
    DeviceEvents* m_events = nullptr;
    // What the screens were last told of: jobs ended, connected.
    uint64_t m_jobsSeen = 0;
    bool m_connectedSeen = false;
};

}  // namespace kelvadeck
