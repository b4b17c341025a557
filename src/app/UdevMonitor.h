#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace kelvadeck {

// Arrivals and removals of HID devices as udev announces them: a monitor on
// the hidraw subsystem whose socket the Qt event loop watches, so that nobody
// has to look for a device over and over. IsActive() is false where there is
// no udev to ask (a build without libudev, a container without its socket);
// callers then look for the device now and then instead.
class UdevMonitor : public QObject {
    Q_OBJECT
public:
    explicit UdevMonitor(QObject* parent = nullptr);
    ~UdevMonitor() override;

    bool IsActive() const { return m_notifier != nullptr; }

signals:
    // A hidraw node came or went (any device: the receiver enumerates).
    void hidrawChanged();

private:
    void OnReadable();

    struct Handles;
    std::unique_ptr<Handles> m_handles;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace kelvadeck
