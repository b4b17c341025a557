#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "macro/HostInputEvent.h"

namespace kelvadeck {

// The small view of the key dialog that captures a keystroke. It takes the
// keyboard focus; a key going down is only remembered, a key coming up or a
// modifier key changing state is remembered and reported to the owner.
class KeyInputReceiver : public QWidget {
    Q_OBJECT
public:
    explicit KeyInputReceiver(QWidget* parent = nullptr);

    // The owner's callback, run on key up and modifier changes.
    void SetCallBack(std::function<void()> callback) { pInstance = std::move(callback); }
    const std::optional<HostInputEvent>& pNewEvent() const { return m_pNewEvent; }
    // One key event in the engine's terms (also what the tests send).
    void ReceiveEvent(const HostInputEvent& event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab is a key to capture too
    void paintEvent(QPaintEvent* event) override;

private:
    void Deliver(QKeyEvent* event);

    std::function<void()> pInstance;
    std::optional<HostInputEvent> m_pNewEvent;
};

}  // namespace kelvadeck
