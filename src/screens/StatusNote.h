#pragma once

#include <QLabel>

class QTimer;

namespace kelvadeck {

// A short confirmation that something has been done ("The settings were
// written to the device."), shown in place inside a window: it is not a
// dialog, takes no focus and needs no answer. It keeps its line when empty,
// so that showing it moves nothing, and clears itself after a while or when
// the next note replaces it.
class StatusNote : public QLabel {
    Q_OBJECT
public:
    explicit StatusNote(QWidget* parent = nullptr);

    void Show(const QString& text);
    // The note has nothing more to say (the values it was about changed).
    void Clear();

    // How long a note stays.
    static constexpr int kShownMs = 8000;

private:
    QTimer* m_expiry = nullptr;
};

}  // namespace kelvadeck
