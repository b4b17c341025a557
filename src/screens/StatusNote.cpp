#include "screens/StatusNote.h"

#include <QTimer>

namespace kelvadeck {

StatusNote::StatusNote(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("statusNote"));
    setFocusPolicy(Qt::NoFocus);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setStyleSheet(QStringLiteral("color:#1e7a34;"));
    setMinimumHeight(fontMetrics().height());
    m_expiry = new QTimer(this);
    m_expiry->setSingleShot(true);
    m_expiry->setInterval(kShownMs);
    connect(m_expiry, &QTimer::timeout, this, &StatusNote::Clear);
}

void StatusNote::Show(const QString& text) {
    setText(text);
    setToolTip(text);
    m_expiry->start();
}

void StatusNote::Clear() {
    m_expiry->stop();
    clear();
    setToolTip(QString());
}

}  // namespace kelvadeck
