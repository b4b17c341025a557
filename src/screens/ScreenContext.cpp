#include "screens/ScreenContext.h"

#include <filesystem>

#include "core/DataManager.h"
#include "screenlogic/TextTemplate.h"

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

std::string ScreenContext::DeviceLine(bool connected) const {
    const StringTable& s = Strings();
    if (!connected) return s.Get("STATUS_MSG_USB_UNCONNECT");
    if (EditsFile()) return TextTemplate::Fill(s.Get("STATUS_MSG_EDITING_FILE"), {std::filesystem::path(emulatorImage).filename().string()});
    return s.Get(emulated ? "STATUS_MSG_USB_CONNECT_EMULATED" : "STATUS_MSG_USB_CONNECT");
}

void ScreenContext::Trace(const std::string& line) const {
    if (pDM) pDM->Log().Debug(line);
}

}  // namespace kelvadeck
