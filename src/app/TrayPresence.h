#pragma once

#include <QObject>
#include <functional>

class QSystemTrayIcon;

namespace kelvadeck {

class MainWindow;
class StringTable;
class UserDefaults;

// "Keep running in the system tray": closing the main window hides it, and
// the application goes on following the focus (it has the device) until
// Quit in the tray icon's menu. Off by default; kept in the user defaults.
// Where the desktop shows no tray, the window closes as always.
class TrayPresence : public QObject {
    Q_OBJECT
public:
    // editRules opens the rules editor (from the tray menu).
    TrayPresence(MainWindow& window, UserDefaults* defaults, const StringTable& strings, std::function<void()> editRules,
                 QObject* parent = nullptr);

    static bool Available();
    bool Enabled() const;
    void SetEnabled(bool on);

private:
    void Update();

    MainWindow& m_window;
    UserDefaults* m_defaults;
    QSystemTrayIcon* m_icon = nullptr;
};

}  // namespace kelvadeck
