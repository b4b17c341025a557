#include "screens/Stepper.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kelvadeck {

Stepper::Stepper(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_up->setObjectName(QStringLiteral("up"));
    m_up->setArrowType(Qt::UpArrow);
    m_up->setAutoRepeat(true);
    m_down = new QToolButton(this);
    m_down->setObjectName(QStringLiteral("down"));
    m_down->setArrowType(Qt::DownArrow);
    m_down->setAutoRepeat(true);
    for (QToolButton* b : {m_up, m_down}) {
        b->setFixedSize(20, 13);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, &Stepper::stepUp);
    connect(m_down, &QToolButton::clicked, this, &Stepper::stepDown);
    setFixedSize(20, 26);
}

void Stepper::setRange(int minimum, int maximum) {
    m_min = minimum;
    m_max = std::max(minimum, maximum);
    setValue(m_value);
}

void Stepper::setValue(int value) {
    const int v = std::clamp(value, m_min, m_max);
    if (v == m_value) return;
    m_value = v;
    emit valueChanged(m_value);
}

}  // namespace kelvadeck
