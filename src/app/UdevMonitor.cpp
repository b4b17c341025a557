#include "app/UdevMonitor.h"

#include <QSocketNotifier>

#ifdef KELVADECK_HAVE_LIBUDEV
#include <libudev.h>
#endif

namespace kelvadeck {

#ifdef KELVADECK_HAVE_LIBUDEV
struct UdevMonitor::Handles {
    struct UdevFree {
        void operator()(udev* u) const { udev_unref(u); }
    };
    struct MonitorFree {
        void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
    };
    std::unique_ptr<udev, UdevFree> context;
    std::unique_ptr<udev_monitor, MonitorFree> monitor;
};

UdevMonitor::UdevMonitor(QObject* parent) : QObject(parent), m_handles(std::make_unique<Handles>()) {
    m_handles->context.reset(udev_new());
    if (!m_handles->context) return;
    // Events after udev has processed them (rules applied, permissions set),
    // so that an arrival can be opened at once.
    m_handles->monitor.reset(udev_monitor_new_from_netlink(m_handles->context.get(), "udev"));
    udev_monitor* monitor = m_handles->monitor.get();
    if (monitor == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        m_handles->monitor.reset();
        return;
    }
    const int fd = udev_monitor_get_fd(monitor);
    if (fd < 0) return;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevMonitor::OnReadable);
}

void UdevMonitor::OnReadable() {
    // Take every queued event; one notification is enough for all of them.
    bool any = false;
    while (udev_device* device = udev_monitor_receive_device(m_handles->monitor.get())) {
        udev_device_unref(device);
        any = true;
    }
    if (any) emit hidrawChanged();
}
#else
struct UdevMonitor::Handles {};

UdevMonitor::UdevMonitor(QObject* parent) : QObject(parent) {}

void UdevMonitor::OnReadable() {}
#endif

UdevMonitor::~UdevMonitor() = default;

}  // namespace kelvadeck
