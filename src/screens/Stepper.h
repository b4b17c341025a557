#pragma once

#include <QWidget>

class QToolButton;

namespace kelvadeck {

// A pair of small up and down arrows that step an integer within a range,
// beside a text field that shows the value (the text field is separate).
class Stepper : public QWidget {
    Q_OBJECT
public:
    explicit Stepper(QWidget* parent = nullptr);

    int value() const { return m_value; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setRange(int minimum, int maximum);
    // Clamped to the range; emits valueChanged when the value changes.
    void setValue(int value);

public slots:
    void stepUp() { setValue(m_value + 1); }
    void stepDown() { setValue(m_value - 1); }

signals:
    void valueChanged(int value);

private:
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_value = 0;
    int m_min = 0;
    int m_max = 100;
};

}  // namespace kelvadeck
