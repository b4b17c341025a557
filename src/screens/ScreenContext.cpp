#include "screens/ScreenContext.h"

#include "core/DataManager.h"

namespace kelvadeck {

const StringTable& ScreenContext::Strings() const {
    static const StringTable empty;
    return pDM ? pDM->Strings() : empty;
}

std::string ScreenContext::Text(const std::string& key) const {
    const StringTable& s = Strings();
    const std::string inFile = key + "_FILE";
    return EditsFile() && s.Has(inFile) ? s.Get(inFile) : s.Get(key);
}

void ScreenContext::Trace(const std::string& line) const {
    if (pDM) pDM->Log().Debug(line);
}

}  // namespace kelvadeck
