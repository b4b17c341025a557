#pragma once

#include <QMainWindow>
#include <functional>

#include "screens/ScreenContext.h"

namespace kelvadeck {

class TopVC;

// The application's one window: the main screen as its content, the title
// "name  version", and, on the emulated device, a note that says so.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(ScreenContext& context, QWidget* parent = nullptr);

    TopVC& Top() { return *m_top; }
    // Sets the title from the string table (once the data manager exists).
    void windowDidLoad();
    // Asked before the window closes; false keeps it open.
    void SetCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }
    // Asked first when the window is closed: true hides it instead (the
    // application stays in the system tray).
    void SetHideOnClose(std::function<bool()> hide) { m_hideOnClose = std::move(hide); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ScreenContext& m_ctx;
    TopVC* m_top = nullptr;
    std::function<bool()> m_closeGuard;
    std::function<bool()> m_hideOnClose;
};

}  // namespace kelvadeck
