#include "screens/InputSupportMoveDistance.h"

#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

constexpr int kDistanceMax = 127;

}  // namespace

InputSupportMoveDistance::InputSupportMoveDistance(DataManager& dm, QWidget* parent) : InputSupportDialog(dm, parent) {
    setObjectName(QStringLiteral("InputSupportMoveDistance"));
    m_lblDistanceTitle = MakeTitleLabel("m_lblDistanceTitle");
    auto* grid = new QGridLayout;
    m_lblDistanceX = new QLabel(this);
    m_lblDistanceX->setObjectName(QStringLiteral("m_lblDistanceX"));
    m_lblDistanceY = new QLabel(this);
    m_lblDistanceY->setObjectName(QStringLiteral("m_lblDistanceY"));
    m_stpDistanceValueX = Field("X");
    m_stpDistanceValueY = Field("Y");
    m_lblDistanceX->setBuddy(m_stpDistanceValueX);
    m_lblDistanceY->setBuddy(m_stpDistanceValueY);
    grid->addWidget(m_lblDistanceX, 0, 0);
    grid->addWidget(m_stpDistanceValueX, 0, 1);
    grid->addWidget(m_lblDistanceY, 1, 0);
    grid->addWidget(m_stpDistanceValueY, 1, 1);
    grid->setColumnStretch(1, 1);
    Body()->addLayout(grid);
}

QSpinBox* InputSupportMoveDistance::Field(const char* name) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName(QStringLiteral("m_stpDistanceValue") + QLatin1String(name));
    spin->setRange(-kDistanceMax, kDistanceMax);
    spin->setAlignment(Qt::AlignRight);
    return spin;
}

void InputSupportMoveDistance::InitSetting() {
    const StringTable& s = m_dm.Strings();
    const bool mouse = pclsCurrentMDS.bControlItemNo == Constants::SCRIPT_ICON_IDX_MOUSE_MOVE;
    m_lblDistanceTitle->setText(Q(s.Get(mouse ? "SCRIPT_ADD_INFO_MOUSE_MOVE_TEXT" : "SCRIPT_ADD_INFO_JOY_LEVER_TEXT")));
    m_lblDistanceX->setText(Q(s.Get(mouse ? "SCRIPT_ADD_INFO_MOUSE_MOVE_X_TEXT" : "SCRIPT_ADD_INFO_JOY_LEVER_X_TEXT")));
    m_lblDistanceY->setText(Q(s.Get(mouse ? "SCRIPT_ADD_INFO_MOUSE_MOVE_Y_TEXT" : "SCRIPT_ADD_INFO_JOY_LEVER_Y_TEXT")));
    m_stpDistanceValueX->setValue(pclsCurrentMDS.cOption1);
    m_stpDistanceValueY->setValue(pclsCurrentMDS.cOption2);
}

QWidget* InputSupportMoveDistance::ValueControl() const { return m_stpDistanceValueX; }

void InputSupportMoveDistance::ApplyToStep() {
    MacroCreator::ValidateMacroForScriptMoveDistance(pclsCurrentMDS, m_stpDistanceValueX->value(), m_stpDistanceValueY->value());
}

}  // namespace kelvadeck
