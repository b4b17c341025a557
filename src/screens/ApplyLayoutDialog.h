#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "export/LayoutLibrary.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPlainTextEdit;

namespace kelvadeck {

class KeyCode;
class StringTable;

// File > Apply Layout…: the ready layouts and the user's own, what each key
// and dial function of the chosen one will do, the mode it goes into, and
// (offered, not forced) whether that mode is then to follow the layout's
// application. Apply is the default button; the write itself is the caller's.
class ApplyLayoutDialog : public QDialog {
    Q_OBJECT
public:
    // mode: the mode selected at first (1 to 3); canFollow: the application
    // follows the focus (the offer is made only then).
    ApplyLayoutDialog(const StringTable& strings, const KeyCode& keys, std::vector<LayoutLibrary::Entry> layouts, int mode,
                      bool canFollow, QWidget* parent = nullptr);

    // The chosen layout (null when none can be chosen), its mode (1 to 3),
    // and whether the mode is to follow the layout's application.
    const LayoutLibrary::Entry* Chosen() const;
    int Mode() const;
    bool Follow() const;

private:
    void ShowPreview();

    const StringTable& m_strings;
    const KeyCode& m_keys;
    std::vector<LayoutLibrary::Entry> m_layouts;
    QListWidget* m_list = nullptr;
    QPlainTextEdit* m_preview = nullptr;
    QComboBox* m_mode = nullptr;
    QCheckBox* m_follow = nullptr;
    QPushButton* m_apply = nullptr;
    bool m_canFollow = false;
};

}  // namespace kelvadeck
