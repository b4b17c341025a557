#include "app/TrayPresence.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/MainWindow.h"
#include "base/UserDefaults.h"
#include "model/StringTable.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {
constexpr const char* kKey = "stayInTray";
}

TrayPresence::TrayPresence(MainWindow& window, UserDefaults* defaults, const StringTable& strings, std::function<void()> editRules,
                           QObject* parent)
    : QObject(parent), m_window(window), m_defaults(defaults) {
    m_icon = new QSystemTrayIcon(QApplication::windowIcon(), this);
    m_icon->setToolTip(Q(strings.Get("APPLICATION_NAME")));
    auto* menu = new QMenu(&m_window);
    menu->addAction(Q(strings.Get("TRAY_SHOW")), &m_window, [this] {
        m_window.show();
        m_window.raise();
        m_window.activateWindow();
    });
    menu->addAction(Q(strings.Get("MENU_APP_MODES")), this, [editRules] { editRules(); });
    menu->addSeparator();
    menu->addAction(Q(strings.Get("MENU_QUIT")), qApp, &QApplication::quit);
    m_icon->setContextMenu(menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger) return;
        m_window.setVisible(!m_window.isVisible());
        if (m_window.isVisible()) m_window.activateWindow();
    });
    m_window.SetHideOnClose([this] { return Enabled() && Available(); });
    Update();
}

bool TrayPresence::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool TrayPresence::Enabled() const { return m_defaults != nullptr && m_defaults->GetInteger(kKey).value_or(0) == 1; }

void TrayPresence::SetEnabled(bool on) {
    if (m_defaults != nullptr) (void)m_defaults->SetInteger(kKey, on ? 1 : 0);
    Update();
}

void TrayPresence::Update() {
    const bool shown = Enabled() && Available();
    m_icon->setVisible(shown);
    // Closing the window hides it: the application must not end with it.
    QApplication::setQuitOnLastWindowClosed(!shown);
}

}  // namespace kelvadeck
