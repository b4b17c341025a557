#include "screens/MacroSlotTable.h"

#include <QHeaderView>

#include "model/Constants.h"
#include "model/StringTable.h"
#include "screenlogic/MacroSlotName.h"
#include "screens/QtText.h"

namespace kelvadeck {

MacroSlotTable::MacroSlotTable(QWidget* parent) : QTableWidget(Constants::SCRIPT_USER_USE_NUM, 2, parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(0, 50);
    setMinimumWidth(220);
}

void MacroSlotTable::InitControl(const StringTable& s) {
    setHorizontalHeaderLabels({Q(s.Get("MACRO_EDITOR_LIST_NO")), Q(s.Get("MACRO_EDITOR_LIST_MACRO_NAME"))});
}

void MacroSlotTable::Show(const std::vector<ScriptElem>& scripts, const StringTable& s) {
    const ScriptElem none;
    for (int n = 0; n < Constants::SCRIPT_USER_USE_NUM; ++n) {
        const ScriptElem& slot = static_cast<size_t>(n) < scripts.size() ? scripts[static_cast<size_t>(n)] : none;
        setItem(n, 0, new QTableWidgetItem(Q(MacroSlotName::NumberText(n))));
        setItem(n, 1, new QTableWidgetItem(Q(MacroSlotName::ListText(slot, s))));
    }
}

int MacroSlotTable::SelectedSlot() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    const int index = rows.front().row();
    return index >= 0 && index < Constants::SCRIPT_USER_USE_NUM ? index : -1;
}

}  // namespace kelvadeck
