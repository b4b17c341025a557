#include "screens/DevicePicture.h"

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "model/Constants.h"

namespace kelvadeck {

namespace {

using C = Constants;

constexpr int kKeyGap = 12;
constexpr QPoint kKeysOrigin(60, 164);
constexpr int kKeyColumns = 5;

const char* const kScreenStyle = R"(
kelvadeck--TopVC { background: #e9ecf0; }
QPushButton[overlay="true"] { background: transparent; border: none; }
QPushButton[overlay="true"]:hover:enabled { background: rgba(255,255,255,34); border-radius: 8px; }
QPushButton[overlay="true"]:pressed { background: rgba(255,255,255,64); border-radius: 8px; }
QFrame[role="modeTab"] { background: white; border: 1px solid #c9ced6; border-radius: 10px; }
QFrame[role="key"] { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #565c66, stop:1 #3b4048);
                     border: 1px solid #15171b; border-bottom: 4px solid #15171b; border-radius: 12px; }
QFrame[role="function"] { background: rgba(255,255,255,18); border: 1px solid rgba(255,255,255,60); border-radius: 10px; }
QFrame[role="push"] { background: qradialgradient(cx:0.45, cy:0.4, radius:0.7, fx:0.4, fy:0.35,
                      stop:0 #6a707a, stop:0.7 #3d424a, stop:1 #2a2e34);
                      border: 2px solid #15171b; }
QLabel[role="onDevice"] { color: #eef0f3; }
QLabel[role="keyNumber"] { color: #9aa3ae; font-size: 8pt; font-weight: bold; }
QLabel[role="keyCap"] { color: #ffffff; }
QLabel#m_lblUSBStatus { font-weight: bold; }
QLabel#m_lblJobMessage { color: #b3261e; }
QLabel#m_lblStatusDetail { color: #5f6670; }
QPushButton[role="command"] { padding: 6px 14px; }
)";

}  // namespace

QRect DevicePicture::FunctionBoxRect(int f) {
    const int left = DIAL_CENTRE.x() - 230;
    const int right = DIAL_CENTRE.x() + 60;
    const int top = DIAL_CENTRE.y() - 150;
    const int bottom = DIAL_CENTRE.y() + 94;
    switch (f) {
        case 0: return QRect(QPoint(left, top), FUNC_BOX);
        case 1: return QRect(QPoint(right, top), FUNC_BOX);
        case 2: return QRect(QPoint(right, bottom), FUNC_BOX);
        default: return QRect(QPoint(left, bottom), FUNC_BOX);
    }
}

QRect DevicePicture::KeyRect(int key) {
    const int col = key % kKeyColumns;
    const int row = key / kKeyColumns;
    return QRect(kKeysOrigin.x() + col * (KEY_WIDTH + kKeyGap), kKeysOrigin.y() + row * (KEY_HEIGHT + kKeyGap), KEY_WIDTH,
                 KEY_HEIGHT);
}

QRect DevicePicture::RingRect() {
    return QRect(DIAL_CENTRE.x() - RING_DIAMETER / 2, DIAL_CENTRE.y() - RING_DIAMETER / 2, RING_DIAMETER, RING_DIAMETER);
}

QRect DevicePicture::PushRect() {
    return QRect(DIAL_CENTRE.x() - PUSH_DIAMETER / 2, DIAL_CENTRE.y() - PUSH_DIAMETER / 2, PUSH_DIAMETER, PUSH_DIAMETER);
}

QString DevicePicture::SwatchStyle(const QColor& c, int radius) {
    return QStringLiteral("background:%1; border:2px solid rgba(255,255,255,140); border-radius:%2px;").arg(c.name()).arg(radius);
}

QString DevicePicture::RingStyle(const QColor& c, int diameter, int border) {
    return QStringLiteral("#m_cvLEDColorPreviewArea { background: transparent; border:%1px solid %2; border-radius:%3px; }")
        .arg(border)
        .arg(c.name())
        .arg(diameter / 2);
}

QString DevicePicture::ScreenStyle() { return QString::fromUtf8(kScreenStyle); }

void DevicePicture::Paint(QPainter& p, const QFont& font) {
    p.setRenderHint(QPainter::Antialiasing, true);

    // Shadow, then the body of the device.
    QPainterPath shadow;
    shadow.addRoundedRect(BODY.translated(0, 8), 44, 44);
    p.fillPath(shadow, QColor(0, 0, 0, 40));
    QPainterPath body;
    body.addRoundedRect(BODY, 44, 44);
    QLinearGradient bodyFill(BODY.topLeft(), BODY.bottomLeft());
    bodyFill.setColorAt(0, QColor(0x3a, 0x3f, 0x47));
    bodyFill.setColorAt(1, QColor(0x22, 0x25, 0x2a));
    p.fillPath(body, bodyFill);
    p.setPen(QPen(QColor(0x5a, 0x60, 0x6a), 1.5));
    p.drawPath(body);

    // The well the keys sit in.
    const QRect firstKey = KeyRect(0);
    const QRect lastKey = KeyRect(C::BUTTON_NUM - 2);
    QRect well(firstKey.topLeft() - QPoint(16, 16), lastKey.bottomRight() + QPoint(16, 16));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1b, 0x1d, 0x21));
    p.drawRoundedRect(well, 22, 22);

    // Leader lines from the dial functions to the ring.
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.5, Qt::DotLine));
    for (int f = 0; f < C::FUNCTION_NUM; ++f) {
        const QRect r = FunctionBoxRect(f);
        const QPointF towards = QPointF(DIAL_CENTRE) - QPointF(r.center());
        const double len = std::hypot(towards.x(), towards.y());
        const QPointF onRing = QPointF(DIAL_CENTRE) - towards / len * (RING_DIAMETER / 2.0);
        const QPoint corner(f == 0 || f == 3 ? r.right() : r.left(), f < 2 ? r.bottom() : r.top());
        p.drawLine(QPointF(corner), onRing);
    }

    // The knob of the dial inside the LED ring, with grip marks.
    const int knob = RING_DIAMETER - 2 * RING_BORDER - 6;
    const QRect knobRect(DIAL_CENTRE.x() - knob / 2, DIAL_CENTRE.y() - knob / 2, knob, knob);
    QRadialGradient knobFill(QPointF(knobRect.center()) - QPointF(20, 24), knob * 0.75);
    knobFill.setColorAt(0, QColor(0x70, 0x76, 0x80));
    knobFill.setColorAt(1, QColor(0x1f, 0x22, 0x27));
    p.setPen(QPen(QColor(0x12, 0x14, 0x17), 2));
    p.setBrush(knobFill);
    p.drawEllipse(knobRect);
    p.setPen(QPen(QColor(255, 255, 255, 45), 2));
    for (int i = 0; i < 36; ++i) {
        const double a = i * 10.0 * 3.14159265358979 / 180.0;
        const QPointF dir(std::cos(a), std::sin(a));
        p.drawLine(QPointF(DIAL_CENTRE) + dir * (knob / 2.0 - 10), QPointF(DIAL_CENTRE) + dir * (knob / 2.0 - 3));
    }

    // Maker's mark on the body.
    p.setPen(QColor(0x8c, 0x93, 0x9d));
    QFont mark = font;
    mark.setPointSize(10);
    mark.setBold(true);
    mark.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    p.setFont(mark);
    p.drawText(QRect(BODY.left() + 40, BODY.bottom() - 50, 300, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KELVADECK"));
}

}  // namespace kelvadeck
