#pragma once

#include <QFrame>
#include <string>

#include "macro/HostInputEvent.h"

class QLabel;

namespace kelvadeck {

// What takes the macro palette's place while the editor records: a dark panel
// that has the focus, turns every key and mouse button pressed or released on
// it into a host input event, and shows the keys recorded so far ("[A][B]").
class MacroRecordPanel : public QFrame {
    Q_OBJECT
public:
    explicit MacroRecordPanel(QWidget* parent = nullptr);

    // Shows text (a hint, or nothing) in place of the keys, which are forgotten.
    void ShowHint(const QString& text);
    // Adds a recorded key, by its name, to those shown.
    void AddKey(const std::string& name);

signals:
    void input(const HostInputEvent& event);

protected:
    // Keys and mouse buttons go to the recording, not to the dialog (Tab,
    // Enter and Escape included).
    bool event(QEvent* event) override;

private:
    QLabel* m_keys = nullptr;
    std::string m_shown;
};

}  // namespace kelvadeck
