#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/AppModeRules.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace kelvadeck {

class StringTable;

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

    AppModeRulesDialog(const StringTable& strings, const AppModeRules& rules, const QString& status,
                       const std::vector<std::string>& suggestions, Saver save, QWidget* parent = nullptr);

    // The rules as the dialog shows them now.
    AppModeRules Edited() const;

private:
    void AddRow(const QString& app, int mode);
    void AddTyped();
    void MoveSelected(int by);
    void Save();

    const StringTable& m_strings;
    Saver m_save;
    QTableWidget* m_table = nullptr;
    QComboBox* m_newApp = nullptr;
    QComboBox* m_fallback = nullptr;
    QLabel* m_error = nullptr;
};

}  // namespace kelvadeck
