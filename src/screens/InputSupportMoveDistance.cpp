#include "screens/InputSupportMoveDistance.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"

namespace kelvadeck {

InputSupportMoveDistance::InputSupportMoveDistance(DataManager& dm, QWidget* parent) : InputSupportDialog(dm, parent) {
    setObjectName(QStringLiteral("InputSupportMoveDistance"));
    m_lblDistanceTitle = MakeTitleLabel("m_lblDistanceTitle");
    auto* grid = new QGridLayout;
    m_lblDistanceX = new QLabel(this);
    m_lblDistanceX->setObjectName(QStringLiteral("m_lblDistanceX"));
    m_lblDistanceY = new QLabel(this);
    m_lblDistanceY->setObjectName(QStringLiteral("m_lblDistanceY"));
    m_txtDistanceValueX = Field("X", m_stpDistanceValueX, &m_nDistanceXValue);
    m_txtDistanceValueY = Field("Y", m_stpDistanceValueY, &m_nDistanceYValue);
    grid->addWidget(m_lblDistanceX, 0, 0);
    grid->addWidget(m_txtDistanceValueX, 0, 1);
    grid->addWidget(m_stpDistanceValueX, 0, 2);
    grid->addWidget(m_lblDistanceY, 1, 0);
    grid->addWidget(m_txtDistanceValueY, 1, 1);
    grid->addWidget(m_stpDistanceValueY, 1, 2);
    Body()->addLayout(grid);
}

QLineEdit* InputSupportMoveDistance::Field(const char* name, QSpinBox*& stepper, long* value) {
    auto* text = new QLineEdit(this);
    text->setObjectName(QStringLiteral("m_txtDistanceValue") + QLatin1String(name));
    text->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{1,6}")), text));
    text->setAlignment(Qt::AlignRight);
    stepper = new QSpinBox(this);
    stepper->setObjectName(QStringLiteral("m_stpDistanceValue") + QLatin1String(name));
    stepper->setRange(-127, 127);
    QSpinBox* s = stepper;
    connect(s, &QSpinBox::valueChanged, this, [text, value](int v) {
        *value = v;
        text->setText(QString::number(v));
    });
    connect(text, &QLineEdit::textChanged, this, [s, value](const QString& t) {
        bool ok = false;
        const long v = t.toLong(&ok);
        *value = ok ? v : 0;
        const QSignalBlocker quiet(s);
        s->setValue(static_cast<int>(std::clamp<long>(*value, -127, 127)));
    });
    return text;
}

void InputSupportMoveDistance::InitSetting() {
    const StringTable& s = m_dm.Strings();
    const bool mouse = pclsCurrentMDS.bControlItemNo == Constants::SCRIPT_ICON_IDX_MOUSE_MOVE;
    m_lblDistanceTitle->setText(QString::fromStdString(s.Get(mouse ? "SCRIPT_ADD_INFO_MOUSE_MOVE_TEXT" : "SCRIPT_ADD_INFO_JOY_LEVER_TEXT")));
    m_lblDistanceX->setText(QString::fromStdString(s.Get(mouse ? "SCRIPT_ADD_INFO_MOUSE_MOVE_X_TEXT" : "SCRIPT_ADD_INFO_JOY_LEVER_X_TEXT")));
    m_lblDistanceY->setText(QString::fromStdString(s.Get(mouse ? "SCRIPT_ADD_INFO_MOUSE_MOVE_Y_TEXT" : "SCRIPT_ADD_INFO_JOY_LEVER_Y_TEXT")));
    m_txtDistanceValueX->setText(QString::number(pclsCurrentMDS.cOption1));
    m_txtDistanceValueY->setText(QString::number(pclsCurrentMDS.cOption2));
}

void InputSupportMoveDistance::ApplyToStep() {
    MacroCreator::ValidateMacroForScriptMoveDistance(pclsCurrentMDS, static_cast<int32_t>(m_nDistanceXValue),
                                                     static_cast<int32_t>(m_nDistanceYValue));
}

}  // namespace kelvadeck
