#include "screens/InputSupportNumberInput.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"

namespace kelvadeck {

InputSupportNumberInput::InputSupportNumberInput(DataManager& dm, QWidget* parent) : InputSupportDialog(dm, parent) {
    setObjectName(QStringLiteral("InputSupportNumberInput"));
    m_lblNumberTitle = MakeTitleLabel("m_lblNumberTitle");
    m_lblNumberTitle->setText(QString::fromStdString(dm.Strings().Get("SCRIPT_ADD_INFO_INTERVAL_TEXT")));
    auto* row = new QHBoxLayout;
    m_txtNumber = new QLineEdit(this);
    m_txtNumber->setObjectName(QStringLiteral("m_txtNumber"));
    // Digits only; the field takes more than 16 bits on purpose, the step keeps the low 16.
    m_txtNumber->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,9}")), m_txtNumber));
    m_txtNumber->setAlignment(Qt::AlignRight);
    m_stpNumber = new QSpinBox(this);
    m_stpNumber->setObjectName(QStringLiteral("m_stpNumber"));
    m_stpNumber->setRange(0, 65535);
    row->addWidget(m_txtNumber, 1);
    row->addWidget(m_stpNumber);
    Body()->addLayout(row);
    connect(m_stpNumber, &QSpinBox::valueChanged, this, [this](int v) {
        m_nNumber = v;
        m_txtNumber->setText(QString::number(v));
    });
    connect(m_txtNumber, &QLineEdit::textChanged, this, [this](const QString& text) {
        bool ok = false;
        const long long v = text.toLongLong(&ok);
        m_nNumber = ok ? v : 0;
        const QSignalBlocker quiet(m_stpNumber);
        m_stpNumber->setValue(static_cast<int>(std::min<long long>(m_nNumber, 65535)));
    });
}

void InputSupportNumberInput::InitSetting() { m_txtNumber->setText(QString::number(pclsCurrentMDS.sOption)); }

void InputSupportNumberInput::ApplyToStep() { MacroCreator::ValidateMacroForScriptNumber(pclsCurrentMDS, m_nNumber); }

}  // namespace kelvadeck
