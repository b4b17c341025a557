#include "screens/KeyInputReceiver.h"

#include <QKeyEvent>
#include <QPainter>

#include "screens/QtKeyEventAdapter.h"

namespace kelvadeck {

KeyInputReceiver::KeyInputReceiver(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("m_vwKeyInput"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(240, 48);
}

void KeyInputReceiver::ReceiveEvent(const HostInputEvent& event) {
    switch (event.type) {
        case HostInputEvent::Type::KeyDown: m_pNewEvent = event; break;
        case HostInputEvent::Type::KeyUp:
        case HostInputEvent::Type::FlagsChanged:
            m_pNewEvent = event;
            if (pInstance) pInstance();
            break;
        default: break;
    }
}

void KeyInputReceiver::Deliver(QKeyEvent* event) {
    HostInputEvent e;
    if (QtKeyEventAdapter::Translate(*event, e)) ReceiveEvent(e);
    event->accept();
}

void KeyInputReceiver::keyPressEvent(QKeyEvent* event) { Deliver(event); }

void KeyInputReceiver::keyReleaseEvent(QKeyEvent* event) { Deliver(event); }

void KeyInputReceiver::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(hasFocus() ? palette().highlight().color() : palette().mid().color(), hasFocus() ? 2 : 1));
    p.setBrush(palette().base());
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
}

}  // namespace kelvadeck
