#pragma once

#include <QString>
#include <QWidget>

namespace kelvadeck {

// A new control of type T inside parent, with the object name that style
// sheets and tests know it by.
template <typename T>
T* Named(QWidget* parent, const char* name) {
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace kelvadeck
