#pragma once

#include <QTableWidget>
#include <vector>

#include "macro/ScriptElem.h"

namespace kelvadeck {

class StringTable;

// The macro editor's list of the device's user script slots 1 to 150, each
// with its number and name; one is selected at a time.
class MacroSlotTable : public QTableWidget {
    Q_OBJECT
public:
    explicit MacroSlotTable(QWidget* parent = nullptr);

    void InitControl(const StringTable& s);
    // Shows the model's slots (those it does not have, unnamed).
    void Show(const std::vector<ScriptElem>& scripts, const StringTable& s);
    // The list index of the selected slot; -1 for none.
    int SelectedSlot() const;
};

}  // namespace kelvadeck
