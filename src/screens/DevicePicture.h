#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QColor;
class QFont;
class QPainter;

namespace kelvadeck {

// The picture of the Kelvadeck on the main screen: where its parts lie on
// the canvas, the body, key well and dial knob painted beneath the screen's
// controls, and the style sheets of the parts.
class DevicePicture {
public:
    static constexpr QRect BODY{30, 110, 1180, 450};
    static constexpr QPoint DIAL_CENTRE{958, 320};
    static constexpr int RING_DIAMETER = 200;
    static constexpr int RING_BORDER = 12;
    static constexpr int PUSH_DIAMETER = 124;
    static constexpr int KEY_WIDTH = 118;
    static constexpr int KEY_HEIGHT = 150;
    static constexpr QSize FUNC_BOX{170, 58};
    static constexpr int SWATCH = 22;

    // Dial functions 1 to 4 (f 0 to 3) clockwise around the ring, from the upper left.
    static QRect FunctionBoxRect(int f);
    // Keys 1 to 10 (key 0 to 9), five to a row.
    static QRect KeyRect(int key);
    // The LED ring around the dial, and the push switch in its middle.
    static QRect RingRect();
    static QRect PushRect();

    static QString SwatchStyle(const QColor& c, int radius);
    // The ring of that diameter, its border that wide.
    static QString RingStyle(const QColor& c, int diameter, int border);
    // The main screen's style sheet.
    static QString ScreenStyle();
    // Paints the device beneath the screen's controls.
    static void Paint(QPainter& p, const QFont& font);
};

}  // namespace kelvadeck
