#include "screens/InputSupportMouseWheel.h"

#include <QLabel>
#include <QWheelEvent>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"

namespace kelvadeck {

InputSupportMouseWheel::InputSupportMouseWheel(DataManager& dm, QWidget* parent) : InputSupportDialog(dm, parent) {
    setObjectName(QStringLiteral("InputSupportMouseWheel"));
    m_lblMouseWheelTitle = MakeTitleLabel("m_lblMouseWheelTitle");
    m_lblMouseWheelTitle->setText(QString::fromStdString(dm.Strings().Get("SCRIPT_ADD_INFO_WHEEL_TEXT")));
    m_lblMouseWheelTitle->setMinimumSize(280, 80);
    m_lblMouseWheelTitle->setAlignment(Qt::AlignCenter);
}

void InputSupportMouseWheel::InitSetting() {}

void InputSupportMouseWheel::ReceiveScroll(const HostInputEvent& event) {
    pNewEvent = event;
    if (event.scrollDeltaY != 0) FinishMouseWheel();
}

void InputSupportMouseWheel::wheelEvent(QWheelEvent* event) {
    // Qt's angle delta is positive when the wheel turns away from the user.
    ReceiveScroll(HostInputEvent::Scroll(event->angleDelta().y(), static_cast<double>(event->timestamp()) / 1000.0));
    event->accept();
}

bool InputSupportMouseWheel::HasValue() const { return pNewEvent && pNewEvent->scrollDeltaY != 0; }

void InputSupportMouseWheel::FinishMouseWheel() {
    ApplyToStep();
    Finish();
}

void InputSupportMouseWheel::ApplyToStep() {
    MacroCreator::ValidateMacroForScriptMouseWheel(pclsCurrentMDS, pOldEvent ? &*pOldEvent : nullptr,
                                                   pNewEvent ? &*pNewEvent : nullptr, &m_dm.Log());
}

}  // namespace kelvadeck
