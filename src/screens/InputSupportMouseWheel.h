#pragma once

#include <optional>

#include "macro/HostInputEvent.h"
#include "screens/InputSupportDialog.h"

namespace kelvadeck {

// The direction of a wheel step: the user turns the mouse wheel over the
// dialog, and the first turn up or down sets it and closes the dialog. Until
// then there is nothing to confirm.
class InputSupportMouseWheel : public InputSupportDialog {
    Q_OBJECT
public:
    InputSupportMouseWheel(DataManager& dm, QWidget* parent);

    // One scroll event in the engine's terms (also what the tests send).
    void ReceiveScroll(const HostInputEvent& event);
    void FinishMouseWheel();

protected:
    void InitSetting() override;
    void ApplyToStep() override;
    bool HasValue() const override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QLabel* m_lblMouseWheelTitle = nullptr;
    std::optional<HostInputEvent> pOldEvent;
    std::optional<HostInputEvent> pNewEvent;
};

}  // namespace kelvadeck
