#include "screens/FuncInputPanel.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "model/StringTable.h"
#include "screens/QtKeyEventAdapter.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

// What a distance or a wheel number can be: the device keeps a signed byte.
// A larger number cannot be typed.
constexpr int kValueMin = -127;
constexpr int kValueMax = 127;

}  // namespace

FuncInputPanel::FuncInputPanel(const QString& suffix, int keyTag, int valueTag, QWidget* parent)
    : QWidget(parent), m_suffix(suffix) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(BuildKeyArea(keyTag));
    column->addWidget(BuildDistanceArea(valueTag));
    column->addWidget(BuildNumberArea(valueTag));
}

QString FuncInputPanel::Name(const char* name) const { return QString::fromLatin1(name) + m_suffix; }

QWidget* FuncInputPanel::BuildKeyArea(int keyTag) {
    m_cvKeyInputSetting = new QWidget(this);
    m_cvKeyInputSetting->setObjectName(Name("m_cvKeyInputSetting"));
    auto* key = new QGridLayout(m_cvKeyInputSetting);
    m_lblKeyInputTitle = new QLabel(m_cvKeyInputSetting);
    m_lblKeyInputTitle->setObjectName(Name("m_lblKeyInputTitle"));
    m_txtKeyInputValue = new QLineEdit(m_cvKeyInputSetting);
    m_txtKeyInputValue->setObjectName(Name("m_txtKeyInputValue"));
    m_txtKeyInputValue->setProperty("identifier", Name("TxtKeyInput"));
    m_txtKeyInputValue->setProperty("tag", keyTag);
    // The field shows the key's name; typing only captures keys.
    m_txtKeyInputValue->setReadOnly(true);
    m_txtKeyInputValue->installEventFilter(this);
    m_btnValueClear = new QPushButton(m_cvKeyInputSetting);
    m_btnValueClear->setObjectName(Name("m_btnValueClear"));
    m_btnValueClear->setProperty("tag", keyTag);
    m_btnValueClear->setAutoDefault(false);
    connect(m_btnValueClear, &QPushButton::clicked, this, &FuncInputPanel::ClickKeyInputClear);
    auto box = [this](const char* name) {
        auto* c = new QCheckBox(m_cvKeyInputSetting);
        c->setObjectName(Name(name));
        connect(c, &QCheckBox::clicked, this, &FuncInputPanel::keyChanged);
        return c;
    };
    m_chkControl = box("m_chkControl");
    m_chkShift = box("m_chkShift");
    m_chkAlt = box("m_chkAlt");
    m_chkCommand = box("m_chkCommand");
    key->addWidget(m_lblKeyInputTitle, 0, 0);
    key->addWidget(m_txtKeyInputValue, 0, 1, 1, 3);
    key->addWidget(m_btnValueClear, 0, 4);
    key->addWidget(m_chkControl, 1, 1);
    key->addWidget(m_chkShift, 1, 2);
    key->addWidget(m_chkAlt, 1, 3);
    key->addWidget(m_chkCommand, 1, 4);
    return m_cvKeyInputSetting;
}

QHBoxLayout* FuncInputPanel::AreaRow(const char* areaName, const char* titleName, QWidget*& area, QLabel*& title) {
    area = new QWidget(this);
    area->setObjectName(Name(areaName));
    auto* row = new QHBoxLayout(area);
    title = new QLabel(area);
    title->setObjectName(Name(titleName));
    row->addWidget(title);
    return row;
}

QWidget* FuncInputPanel::BuildDistanceArea(int valueTag) {
    QHBoxLayout* row = AreaRow("m_cvDistanceSetting", "m_lblDistanceTitle", m_cvDistanceSetting, m_lblDistanceTitle);
    row->addWidget(new QLabel(QStringLiteral("X"), m_cvDistanceSetting));
    m_stpDistanceValueX = AddValueField(m_cvDistanceSetting, "m_stpDistanceValueX", valueTag, &m_nDistanceXValue,
                                        [this] { EmitDistance(); });
    row->addWidget(new QLabel(QStringLiteral("Y"), m_cvDistanceSetting));
    m_stpDistanceValueY = AddValueField(m_cvDistanceSetting, "m_stpDistanceValueY", valueTag, &m_nDistanceYValue,
                                        [this] { EmitDistance(); });
    row->addStretch(1);
    return m_cvDistanceSetting;
}

QWidget* FuncInputPanel::BuildNumberArea(int valueTag) {
    QHBoxLayout* row = AreaRow("m_cvNumInputSetting", "m_lblNumInputTitle", m_cvNumInputSetting, m_lblNumInputTitle);
    m_stpNumInputValue = AddValueField(m_cvNumInputSetting, "m_stpNumInputValue", valueTag, &m_nNumValue, [this] { EmitNumber(); });
    m_stpNumInputValue->setProperty("identifier", Name("NumInput"));
    row->addStretch(1);
    return m_cvNumInputSetting;
}

QSpinBox* FuncInputPanel::AddValueField(QWidget* area, const char* spinName, int valueTag, int* value,
                                        const std::function<void()>& changed) {
    auto* spin = new QSpinBox(area);
    spin->setObjectName(Name(spinName));
    spin->setProperty("tag", valueTag);
    spin->setRange(kValueMin, kValueMax);
    spin->setAlignment(Qt::AlignRight);
    area->layout()->addWidget(spin);
    connect(spin, &QSpinBox::valueChanged, this, [value, changed](int n) {
        *value = n;
        changed();
    });
    return spin;
}

void FuncInputPanel::InitControl(const StringTable& s) {
    m_lblKeyInputTitle->setText(Q(s.Get("DIAL_FUNC_SETTING_CATEGOLY_KEY")));
    m_txtKeyInputValue->setPlaceholderText(Q(s.Get("DIAL_FUNC_SETTING_CATEGOLY_KEY")));
    m_btnValueClear->setText(Q(s.Get("SETTING_KEY_INPUT_CLR_BUTTON")));
    m_chkControl->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_CTRL")));
    m_chkShift->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_SHIFT")));
    m_chkAlt->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_OPTION")));
    m_chkCommand->setText(Q(s.Get("SETTING_KEY_CTRL_KEY_COMMAND")));
    m_lblNumInputTitle->setText(Q(s.Get("MOUSE_SCROLL_TEXT")));
}

void FuncInputPanel::Show(FuncInputArea::Area area, const MacroDataDialFunc& action, const StringTable& s) {
    using A = FuncInputArea::Area;
    const bool distance = area == A::MouseMove || area == A::JoypadMove;
    m_cvKeyInputSetting->setVisible(area == A::Key);
    m_cvDistanceSetting->setVisible(distance);
    m_cvNumInputSetting->setVisible(area == A::Number);
    if (area == A::Key) {
        const FuncInputArea::ModifierBoxes b = FuncInputArea::BoxesFromModifiers(action.bKeyModifier);
        m_chkControl->setChecked(b.control);
        m_chkShift->setChecked(b.shift);
        m_chkAlt->setChecked(b.option);
        m_chkCommand->setChecked(b.command);
        ShowKey(action);
    } else if (distance) {
        m_lblDistanceTitle->setText(Q(s.Get(FuncInputArea::DistanceTitleKey(area))));
        m_nDistanceXValue = action.cMoveX;
        m_nDistanceYValue = action.cMoveY;
        const QSignalBlocker a(m_stpDistanceValueX), b(m_stpDistanceValueY);
        m_stpDistanceValueX->setValue(m_nDistanceXValue);
        m_stpDistanceValueY->setValue(m_nDistanceYValue);
    } else if (area == A::Number) {
        m_nNumValue = action.cMoveZ;
        const QSignalBlocker a(m_stpNumInputValue);
        m_stpNumInputValue->setValue(m_nNumValue);
    }
}

void FuncInputPanel::ShowKey(const MacroDataDialFunc& action) {
    m_txtKeyInputValue->setText(action.pStrKey ? Q(*action.pStrKey) : QString());
}

FuncInputArea::ModifierBoxes FuncInputPanel::Modifiers() const {
    FuncInputArea::ModifierBoxes b;
    b.control = m_chkControl->isChecked();
    b.shift = m_chkShift->isChecked();
    b.option = m_chkAlt->isChecked();
    b.command = m_chkCommand->isChecked();
    return b;
}

void FuncInputPanel::ClickKeyInputClear() {
    for (QCheckBox* c : {m_chkControl, m_chkShift, m_chkAlt, m_chkCommand}) c->setChecked(false);
    evntKeyInput.reset();
    emit keyCleared();
    m_txtKeyInputValue->clear();
}

bool FuncInputPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_txtKeyInputValue) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusOut: evntKeyInput.reset(); break;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // Every key goes to the capture, none edits the field or moves the focus.
            HostInputEvent e;
            if (QtKeyEventAdapter::Translate(*static_cast<QKeyEvent*>(event), e)) {
                if (e.type == HostInputEvent::Type::FlagsChanged) {
                    evntKeyInput = e;
                } else if (e.type == HostInputEvent::Type::KeyUp) {
                    evntKeyInput = e;
                    emit keyChanged();
                }
            }
            return true;
        }
        case QEvent::ShortcutOverride: event->accept(); return true;
        default: break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kelvadeck
