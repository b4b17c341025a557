#pragma once

#include <QComboBox>

#include "core/AppModeRules.h"
#include "model/StringTable.h"
#include "screens/QtText.h"

namespace kelvadeck {

// Adds "Mode 1" to "Mode 3" to a choice box, each with its number (1 to 3) as
// the item's data.
inline void AddModeChoices(QComboBox& box, const StringTable& strings) {
    for (int m = 1; m <= AppModeRules::MODE_COUNT; ++m) box.addItem(Q(strings.Get("APP_MODES_MODE")).arg(m), m);
}

}  // namespace kelvadeck
