#pragma once

#include <QObject>
#include <cstdint>

class QTimer;

namespace kelvadeck {

class QueuedHidDevice;
class USBHidManager;

// Delivers the device's input to the transport on the Qt main thread: each
// report the I/O thread has read goes to PacketReceived, a request whose
// answer does not come within the transport's deadline to AnswerTimedOut,
// and a read or write error to DeviceGone. While the
// device is connected it also looks, by enumeration, whether it is still
// there, as hidapi tells nothing about removals of an idle device.
class HidPump : public QObject {
    Q_OBJECT
public:
    explicit HidPump(QObject* parent = nullptr);
    ~HidPump() override;

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
    void AfterDelivery();

    USBHidManager* m_hid = nullptr;
    QTimer* m_deadline = nullptr;
    QTimer* m_poll = nullptr;
};

}  // namespace kelvadeck
