#include "screens/MacroRecordPanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "screens/QtKeyEventAdapter.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

// Qt's mouse buttons as the engine numbers them.
int ButtonNumber(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton: return 0;
        case Qt::RightButton: return 1;
        case Qt::MiddleButton: return 2;
        case Qt::BackButton: return 3;
        case Qt::ForwardButton: return 4;
        default: return 5;
    }
}

}  // namespace

MacroRecordPanel::MacroRecordPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("m_cvRecodePreview"));
    setStyleSheet(QStringLiteral("#m_cvRecodePreview { background: rgba(0,0,0,230); border-radius: 8px; }"
                                 "#m_cvRecodePreview QLabel { color: white; }"));
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    m_keys = new QLabel(this);
    m_keys->setObjectName(QStringLiteral("m_lblKeyInputResult"));
    m_keys->setWordWrap(true);
    // The newest keys stay in sight; the text never makes the panel grow.
    m_keys->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_keys->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    layout->addWidget(m_keys);
}

void MacroRecordPanel::ShowHint(const QString& text) {
    m_shown.clear();
    m_keys->setText(text);
}

void MacroRecordPanel::AddKey(const std::string& name) {
    m_shown += "[" + name + "]";
    m_keys->setText(Q(m_shown));
}

bool MacroRecordPanel::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            HostInputEvent e;
            if (QtKeyEventAdapter::Translate(*static_cast<QKeyEvent*>(event), e)) emit input(e);
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            const auto* m = static_cast<QMouseEvent*>(event);
            const bool down = event->type() == QEvent::MouseButtonPress;
            emit input(HostInputEvent::Mouse(down, ButtonNumber(m->button()), static_cast<double>(m->timestamp()) / 1000.0));
            return true;
        }
        default: return QFrame::event(event);
    }
}

}  // namespace kelvadeck
