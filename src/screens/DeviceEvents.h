#pragma once

#include <QObject>

namespace kelvadeck {

// Tells the screens and the menus that something about the device changed
// (a job ended, it came or went), so that they look at once rather than at
// their next tick; that lets their timers tick slowly while nothing happens.
class DeviceEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    void Notify() { emit changed(); }

signals:
    void changed();
};

}  // namespace kelvadeck
