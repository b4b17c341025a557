#include "screens/InputSupportNumberInput.h"

#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

constexpr int kWaitMax = 65535;

}  // namespace

InputSupportNumberInput::InputSupportNumberInput(DataManager& dm, QWidget* parent) : InputSupportDialog(dm, parent) {
    setObjectName(QStringLiteral("InputSupportNumberInput"));
    m_lblNumberTitle = MakeTitleLabel("m_lblNumberTitle");
    m_lblNumberTitle->setText(Q(dm.Strings().Get("SCRIPT_ADD_INFO_INTERVAL_TEXT")));
    m_stpNumber = new QSpinBox(this);
    m_stpNumber->setObjectName(QStringLiteral("m_stpNumber"));
    m_stpNumber->setRange(0, kWaitMax);
    m_stpNumber->setSuffix(Q(dm.Strings().Get("UNIT_MILLISECONDS")));
    m_stpNumber->setAlignment(Qt::AlignRight);
    m_lblNumberTitle->setBuddy(m_stpNumber);
    Body()->addWidget(m_stpNumber);
}

void InputSupportNumberInput::InitSetting() { m_stpNumber->setValue(pclsCurrentMDS.sOption); }

QWidget* InputSupportNumberInput::ValueControl() const { return m_stpNumber; }

void InputSupportNumberInput::ApplyToStep() { MacroCreator::ValidateMacroForScriptNumber(pclsCurrentMDS, m_stpNumber->value()); }

}  // namespace kelvadeck
