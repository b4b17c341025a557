#include "hid/HidapiLibrary.h"

#include <hidapi.h>

#include "model/TextConvert.h"

namespace kelvadeck {

HidapiLibrary::HidapiLibrary() {
    if (hid_init() == 0) {
        m_ready = true;
        return;
    }
    m_initError = TextConvert::WideToUtf8(hid_error(nullptr));
    if (m_initError.empty()) m_initError = "hid_init failed";
}

HidapiLibrary::~HidapiLibrary() {
    // Nothing can be done about a failing hid_exit at this point; its result
    // only says whether the library had been set up.
    if (m_ready) static_cast<void>(hid_exit());
}

}  // namespace kelvadeck
