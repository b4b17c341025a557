#include "screens/ScreenContext.h"

#include "core/DataManager.h"

namespace kelvadeck {

const StringTable& ScreenContext::Strings() const {
    static const StringTable empty;
    return pDM ? pDM->Strings() : empty;
}

void ScreenContext::Trace(const std::string& line) const {
    if (pDM) pDM->Log().Debug(line);
}

}  // namespace kelvadeck
