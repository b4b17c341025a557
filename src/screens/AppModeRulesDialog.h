#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/AppModeRules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

namespace kelvadeck {

class StringTable;

// Whether the application follows the focus with its window closed.
struct FollowPresence {
    bool trayAvailable = false;  // the choices are offered only then
    bool inTray = false;         // closing the window keeps it in the tray
    bool atLogin = false;        // it starts (in the tray) at login
};

// Edit > Modes for Applications…: the rules that say which mode follows which
// application, in the order they are tried, and what other applications
// get. Applications are typed or picked from those seen with the focus and
// those installed. The line at the top says whether the focus is followed
// on this desktop, and if not, why.
class AppModeRulesDialog : public QDialog {
    Q_OBJECT
public:
    // Writes the rules; false with the reason.
    using Saver = std::function<bool(const AppModeRules& rules, std::string& error)>;
    using Presence = FollowPresence;

    AppModeRulesDialog(const StringTable& strings, const AppModeRules& rules, const QString& status,
                       const std::vector<std::string>& suggestions, Saver save, Presence presence = {},
                       QWidget* parent = nullptr);

    // The rules as the dialog shows them now.
    AppModeRules Edited() const;
    Presence EditedPresence() const;

private:
    void InsertRow(int row, const QString& app, int mode);
    void AddTyped();
    void MoveSelected(int by);
    void Save();

    const StringTable& m_strings;
    Saver m_save;
    QTableWidget* m_table = nullptr;
    QComboBox* m_newApp = nullptr;
    QComboBox* m_fallback = nullptr;
    QLabel* m_error = nullptr;
    QCheckBox* m_inTray = nullptr;
    QCheckBox* m_atLogin = nullptr;
    bool m_trayAvailable = false;
};

}  // namespace kelvadeck
